#include "PendingDiagnostics.h"

#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "CodePage.h"
#include "MdbToolsDriver.h"
#include "Messages.h"
#include "SqliteDriver.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// The SQLite driver keeps one message of at most 1 KiB per handle.
constexpr SQLSMALLINT kDriverMessageRoom = 4096;

// "Sequence of Status Records": the Access driver does not put the record that explains a
// failure first. Which record does come first the page leaves open (BRIVANTO_STANDIN_DIAGNOSTICS).
std::vector<Diagnostic> FailurePrelude() {
  const Diagnostic warning{"01000", 0, std::string(kMessagePrefix) + "General warning."};
  switch (FailureRecordsSetting()) {
    case FailureRecords::kWarningFirst:
      return {warning};
    case FailureRecords::kImFirst:
      return {Diagnostic{"IM006", 0,
                         std::string(kMessagePrefix) + "Driver's SQLSetConnectAttr failed."},
              warning};
    case FailureRecords::kSingle:
      break;
  }
  return {};
}

// MDB Tools leaves the SQLSTATE empty, which no application can act on, and answers every
// statement its small SQL grammar cannot read with a bare "Couldn't parse SQL".
Diagnostic ExplainedMdbToolsRecord(Diagnostic record) {
  if (record.sqlstate.empty()) {
    record.sqlstate = record.message.find("parse") != std::string::npos ? "42000" : "HY000";
  }
  if (record.message.find("Couldn't parse SQL") != std::string::npos) {
    record.message = std::string(kMessagePrefix) +
                     "MDB Tools kan deze SQL niet uitvoeren: het leest van een Access-bestand " +
                     "(Jet) alleen SELECT met kolomnamen of *, uit één tabel, met WHERE, " +
                     "LIMIT en OFFSET (MDB Tools: Couldn't parse SQL).";
  } else if (!record.message.starts_with(kMessagePrefix)) {
    record.message = std::string(kMessagePrefix) + "MDB Tools: " + record.message;
  }
  return record;
}

// Through SQLError, as unixODBC read them before the stand-in kept them: its texts start with
// "[SQLite]", and it hands out each record once. Descriptors have no records in it.
std::vector<Diagnostic> ReadDriverRecords(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<Diagnostic> records;
  if (type != SQL_HANDLE_DBC && type != SQL_HANDLE_STMT) {
    return records;
  }
  const SQLHDBC connection = type == SQL_HANDLE_DBC ? handle : SQL_NULL_HDBC;
  const SQLHSTMT statement = type == SQL_HANDLE_STMT ? handle : SQL_NULL_HSTMT;
  constexpr size_t kMostRecords = 16;  // the SQLite driver keeps one; this only bounds the loop
  while (records.size() < kMostRecords) {
    std::array<SQLCHAR, SQL_SQLSTATE_SIZE + 1> sqlstate{};
    std::array<SQLCHAR, kDriverMessageRoom> text{};
    SQLINTEGER native_error = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN rc = Call(CurrentDriver().SQLError, SQLHENV{SQL_NULL_HENV}, connection,
                              statement, sqlstate.data(), &native_error, text.data(),
                              static_cast<SQLSMALLINT>(text.size() - 1), &length);
    if (!SQL_SUCCEEDED(rc)) {
      break;
    }
    records.push_back({reinterpret_cast<const char*>(sqlstate.data()), native_error,
                       reinterpret_cast<const char*>(text.data())});
  }
  if (&CurrentDriver() == &GetMdbToolsDriver()) {
    std::transform(records.begin(), records.end(), records.begin(), ExplainedMdbToolsRecord);
  }
  return records;
}

SQLRETURN WriteStringField(const std::string& text, SQLPOINTER value, SQLSMALLINT size,
                           SQLSMALLINT* length) {
  if (length != nullptr) {
    *length = static_cast<SQLSMALLINT>(text.size());
  }
  return CopyToBuffer(text, static_cast<SQLCHAR*>(value), size) ? SQL_SUCCESS
                                                                : SQL_SUCCESS_WITH_INFO;
}

template <typename Number>
SQLRETURN WriteNumberField(Number number, SQLPOINTER value) {
  if (value != nullptr) {
    std::memcpy(value, &number, sizeof number);
  }
  return SQL_SUCCESS;
}

SQLRETURN WriteHeaderField(const DiagnosticArea& area, SQLSMALLINT field, SQLPOINTER value) {
  switch (field) {
    case SQL_DIAG_NUMBER:
      return WriteNumberField(static_cast<SQLINTEGER>(area.records.size()), value);
    case SQL_DIAG_RETURNCODE:
      return WriteNumberField(area.return_code, value);
    default:
      return SQL_ERROR;
  }
}

// Classes IM and HY, and subclasses such as 01S02, are ODBC's own; the others are ISO SQL's.
bool DefinedByOdbc(const std::string& sqlstate) {
  return sqlstate.starts_with("IM") || sqlstate.starts_with("HY");
}

std::string ClassOrigin(const std::string& sqlstate) {
  return DefinedByOdbc(sqlstate) ? "ODBC 3.0" : "ISO 9075";
}

std::string SubclassOrigin(const std::string& sqlstate) {
  const bool odbc_subclass = sqlstate.size() > 2 && sqlstate[2] == 'S';
  return DefinedByOdbc(sqlstate) || odbc_subclass ? "ODBC 3.0" : "ISO 9075";
}

SQLRETURN WriteRecordField(const Diagnostic& diagnostic, SQLSMALLINT handle_type, SQLSMALLINT field,
                           SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length) {
  switch (field) {
    case SQL_DIAG_SQLSTATE:
      return WriteStringField(diagnostic.sqlstate, value, size, length);
    case SQL_DIAG_NATIVE:
      return WriteNumberField(diagnostic.native_error, value);
    case SQL_DIAG_MESSAGE_TEXT:
      return WriteStringField(ToApplication(diagnostic.message), value, size, length);
    case SQL_DIAG_CLASS_ORIGIN:
      return WriteStringField(ClassOrigin(diagnostic.sqlstate), value, size, length);
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return WriteStringField(SubclassOrigin(diagnostic.sqlstate), value, size, length);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
      return WriteStringField("", value, size, length);
    case SQL_DIAG_ROW_NUMBER:
      return handle_type == SQL_HANDLE_STMT
                 ? WriteNumberField(SQLLEN{SQL_ROW_NUMBER_UNKNOWN}, value)
                 : SQL_ERROR;
    case SQL_DIAG_COLUMN_NUMBER:
      return handle_type == SQL_HANDLE_STMT
                 ? WriteNumberField(SQLINTEGER{SQL_COLUMN_NUMBER_UNKNOWN}, value)
                 : SQL_ERROR;
    default:
      return SQL_ERROR;
  }
}

}  // namespace

void PendingDiagnostics::Set(SQLHANDLE handle, DiagnosticArea area) {
  const std::lock_guard lock(mutex_);
  by_handle_.insert_or_assign(handle, std::move(area));
  held_.store(by_handle_.size(), std::memory_order_release);
}

// A handle's records are only set by calls on that handle, which an application makes one at a
// time: a count of none read here cannot miss records of this handle.
void PendingDiagnostics::Clear(SQLHANDLE handle) {
  if (held_.load(std::memory_order_acquire) == 0) {
    return;
  }
  const std::lock_guard lock(mutex_);
  by_handle_.erase(handle);
  held_.store(by_handle_.size(), std::memory_order_release);
}

std::optional<DiagnosticArea> PendingDiagnostics::Find(SQLHANDLE handle) const {
  const std::lock_guard lock(mutex_);
  const auto found = by_handle_.find(handle);
  if (found == by_handle_.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::optional<Diagnostic> PendingDiagnostics::TakeFirst(SQLHANDLE handle) {
  const std::lock_guard lock(mutex_);
  const auto found = by_handle_.find(handle);
  if (found == by_handle_.end() || found->second.records.empty()) {
    return std::nullopt;
  }
  std::vector<Diagnostic>& records = found->second.records;
  Diagnostic taken = std::move(records.front());
  records.erase(records.begin());
  return taken;
}

PendingDiagnostics& GetPendingDiagnostics() {
  static PendingDiagnostics diagnostics;
  return diagnostics;
}

SQLRETURN Fail(SQLHANDLE handle, std::vector<Diagnostic> explaining) {
  std::vector<Diagnostic> records = FailurePrelude();
  std::move(explaining.begin(), explaining.end(), std::back_inserter(records));
  GetPendingDiagnostics().Set(handle, DiagnosticArea{SQL_ERROR, std::move(records)});
  return SQL_ERROR;
}

SQLRETURN Warn(SQLHANDLE handle, Diagnostic warning) {
  GetPendingDiagnostics().Set(handle, DiagnosticArea{SQL_SUCCESS_WITH_INFO, {std::move(warning)}});
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN FailOutOfMemory(SQLHANDLE handle) {
  return Fail(handle,
              {Diagnostic{"HY001", 0, std::string(kMessagePrefix) + "Memory allocation error."}});
}

SQLRETURN CaptureDriverRecords(SQLSMALLINT driver_type, SQLHANDLE driver_handle,
                               SQLHANDLE report_to, SQLRETURN rc, const char* function) {
  if (rc != SQL_ERROR && rc != SQL_SUCCESS_WITH_INFO) {
    return rc;
  }
  std::vector<Diagnostic> records = ReadDriverRecords(driver_type, driver_handle);
  if (rc == SQL_SUCCESS_WITH_INFO) {
    GetPendingDiagnostics().Set(report_to, DiagnosticArea{rc, std::move(records)});
    return rc;
  }
  if (records.empty()) {
    const char* driver =
        &CurrentDriver() == &GetMdbToolsDriver() ? "MDB Tools" : "the SQLite driver";
    records.push_back({"HY000", 0,
                       std::string(kMessagePrefix) + function + " failed; " + driver +
                           " behind this stand-in gave no reason."});
  }
  return Fail(report_to, std::move(records));
}

bool CopyToBuffer(const std::string& text, SQLCHAR* buffer, SQLLEN size) {
  if (buffer == nullptr || size <= 0) {
    return text.empty();
  }
  const size_t copied = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return copied == text.size();
}

SQLRETURN WriteRecord(const Diagnostic& diagnostic, SQLCHAR* sqlstate, SQLINTEGER* native_error,
                      SQLCHAR* text, SQLSMALLINT text_size, SQLSMALLINT* text_length) {
  if (text_size < 0) {
    return SQL_ERROR;
  }
  if (sqlstate != nullptr) {
    CopyToBuffer(diagnostic.sqlstate, sqlstate, SQL_SQLSTATE_SIZE + 1);
  }
  if (native_error != nullptr) {
    *native_error = diagnostic.native_error;
  }
  const std::string message = ToApplication(diagnostic.message);
  if (text_length != nullptr) {
    *text_length = static_cast<SQLSMALLINT>(message.size());
  }
  return CopyToBuffer(message, text, text_size) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN WriteField(const DiagnosticArea& area, SQLSMALLINT handle_type, SQLSMALLINT record,
                     SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length) {
  if (record == 0) {
    return WriteHeaderField(area, field, value);
  }
  if (record < 0) {
    return SQL_ERROR;
  }
  if (static_cast<size_t>(record) > area.records.size()) {
    return SQL_NO_DATA;
  }
  return WriteRecordField(area.records[static_cast<size_t>(record) - 1], handle_type, field, value,
                          size, length);
}

}  // namespace brivanto::standin
