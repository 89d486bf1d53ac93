// The diagnostic records of every connection, statement and descriptor handle. The stand-in
// keeps them itself: it copies the SQLite driver's records as soon as a call returns, so that it
// can add its own, put them in the order the Access driver does, and convert their texts.
#pragma once

#include <sql.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brivanto::standin {

struct Diagnostic {
  std::string sqlstate;
  SQLINTEGER native_error = 0;
  std::string message;  // UTF-8; converted for the application when it is read
};

// What the last call on a handle left: its return code and its records, in order.
struct DiagnosticArea {
  SQLRETURN return_code = SQL_SUCCESS;
  std::vector<Diagnostic> records;
};

class PendingDiagnostics {
 public:
  void Set(SQLHANDLE handle, DiagnosticArea area);
  // Every ODBC call clears the diagnostics of the handle it is called on.
  void Clear(SQLHANDLE handle);
  std::optional<DiagnosticArea> Find(SQLHANDLE handle) const;
  // SQLError hands out each record once, first to last.
  std::optional<Diagnostic> TakeFirst(SQLHANDLE handle);

 private:
  mutable std::mutex mutex_;
  std::unordered_map<SQLHANDLE, DiagnosticArea> by_handle_;
  // How many handles have records: most calls find none to clear, and need not lock for it.
  std::atomic<std::size_t> held_{0};
};

PendingDiagnostics& GetPendingDiagnostics();

// Leaves the records of a failure on the handle: the explaining records, preceded by the ones
// the Access driver puts first ("Sequence of Status Records"); returns SQL_ERROR.
SQLRETURN Fail(SQLHANDLE handle, std::vector<Diagnostic> explaining);
// Leaves one warning on the handle; returns SQL_SUCCESS_WITH_INFO.
SQLRETURN Warn(SQLHANDLE handle, Diagnostic warning);

// After a call of the SQLite driver on driver_handle (of driver_type) that returned rc: copies
// its records to report_to, as a failure when rc is SQL_ERROR. Returns rc.
SQLRETURN CaptureDriverRecords(SQLSMALLINT driver_type, SQLHANDLE driver_handle,
                               SQLHANDLE report_to, SQLRETURN rc, const char* function);

// The same for a statement, whose handle is the driver's own.
inline SQLRETURN Captured(SQLHSTMT statement, SQLRETURN rc, const char* function) {
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, function);
}

// HY001, for a call that ran out of memory.
SQLRETURN FailOutOfMemory(SQLHANDLE handle);

// Copies text into an ODBC output buffer of `size` bytes, NUL-terminated; false when it had to
// be cut short.
bool CopyToBuffer(const std::string& text, SQLCHAR* buffer, SQLLEN size);

// The SQLGetDiagRec/SQLError answer for one record, its text in the application's code page.
SQLRETURN WriteRecord(const Diagnostic& diagnostic, SQLCHAR* sqlstate, SQLINTEGER* native_error,
                      SQLCHAR* text, SQLSMALLINT text_size, SQLSMALLINT* text_length);

// The SQLGetDiagField answer; record 0 is the header.
SQLRETURN WriteField(const DiagnosticArea& area, SQLSMALLINT handle_type, SQLSMALLINT record,
                     SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length);

}  // namespace brivanto::standin
