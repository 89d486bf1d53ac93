// Diagnostics the stand-in raises itself, on a connection handle the SQLite driver allocated.
#pragma once

#include <sql.h>

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace brivanto::standin {

struct Diagnostic {
  std::string sqlstate;
  SQLINTEGER native_error = 0;
  std::string message;
  SQLRETURN return_code = SQL_ERROR;
};

// At most one per connection. While present it answers the connection's diagnostic calls
// instead of the SQLite driver, whose records on that handle would be stale by then.
class PendingDiagnostics {
 public:
  void Set(SQLHDBC connection, Diagnostic diagnostic);
  void Clear(SQLHDBC connection);
  std::optional<Diagnostic> Find(SQLHDBC connection) const;
  // SQLError hands out each record once.
  std::optional<Diagnostic> Take(SQLHDBC connection);

 private:
  mutable std::mutex mutex_;
  std::unordered_map<SQLHDBC, Diagnostic> by_connection_;
};

PendingDiagnostics& GetPendingDiagnostics();

// Copies text into an ODBC output buffer of `size` bytes, NUL-terminated; false when it had to
// be cut short.
bool CopyToBuffer(const std::string& text, SQLCHAR* buffer, SQLSMALLINT size);

// The SQLGetDiagRec/SQLError answer for record 1.
SQLRETURN WriteRecord(const Diagnostic& diagnostic, SQLCHAR* sqlstate, SQLINTEGER* native_error,
                      SQLCHAR* text, SQLSMALLINT text_size, SQLSMALLINT* text_length);

// The SQLGetDiagField answer; record 0 is the header.
SQLRETURN WriteField(const Diagnostic& diagnostic, SQLSMALLINT record, SQLSMALLINT field,
                     SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length);

}  // namespace brivanto::standin
