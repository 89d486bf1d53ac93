#include "PendingDiagnostics.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

namespace brivanto::standin {
namespace {

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

SQLRETURN WriteHeaderField(const Diagnostic& diagnostic, SQLSMALLINT field, SQLPOINTER value) {
  switch (field) {
    case SQL_DIAG_NUMBER:
      return WriteNumberField(SQLINTEGER{1}, value);
    case SQL_DIAG_RETURNCODE:
      return WriteNumberField(diagnostic.return_code, value);
    default:
      return SQL_ERROR;
  }
}

SQLRETURN WriteRecordField(const Diagnostic& diagnostic, SQLSMALLINT field, SQLPOINTER value,
                           SQLSMALLINT size, SQLSMALLINT* length) {
  switch (field) {
    case SQL_DIAG_SQLSTATE:
      return WriteStringField(diagnostic.sqlstate, value, size, length);
    case SQL_DIAG_NATIVE:
      return WriteNumberField(diagnostic.native_error, value);
    case SQL_DIAG_MESSAGE_TEXT:
      return WriteStringField(diagnostic.message, value, size, length);
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return WriteStringField("ISO 9075", value, size, length);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
      return WriteStringField("", value, size, length);
    default:
      return SQL_ERROR;
  }
}

}  // namespace

void PendingDiagnostics::Set(SQLHDBC connection, Diagnostic diagnostic) {
  const std::lock_guard lock(mutex_);
  by_connection_.insert_or_assign(connection, std::move(diagnostic));
}

void PendingDiagnostics::Clear(SQLHDBC connection) {
  const std::lock_guard lock(mutex_);
  by_connection_.erase(connection);
}

std::optional<Diagnostic> PendingDiagnostics::Find(SQLHDBC connection) const {
  const std::lock_guard lock(mutex_);
  const auto found = by_connection_.find(connection);
  if (found == by_connection_.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::optional<Diagnostic> PendingDiagnostics::Take(SQLHDBC connection) {
  const std::lock_guard lock(mutex_);
  const auto found = by_connection_.find(connection);
  if (found == by_connection_.end()) {
    return std::nullopt;
  }
  Diagnostic taken = std::move(found->second);
  by_connection_.erase(found);
  return taken;
}

bool CopyToBuffer(const std::string& text, SQLCHAR* buffer, SQLSMALLINT size) {
  if (buffer == nullptr || size <= 0) {
    return text.empty();
  }
  const size_t copied = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return copied == text.size();
}

PendingDiagnostics& GetPendingDiagnostics() {
  static PendingDiagnostics diagnostics;
  return diagnostics;
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
  if (text_length != nullptr) {
    *text_length = static_cast<SQLSMALLINT>(diagnostic.message.size());
  }
  return CopyToBuffer(diagnostic.message, text, text_size) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN WriteField(const Diagnostic& diagnostic, SQLSMALLINT record, SQLSMALLINT field,
                     SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length) {
  if (record == 0) {
    return WriteHeaderField(diagnostic, field, value);
  }
  if (record > 1) {
    return SQL_NO_DATA;
  }
  return record < 0 ? SQL_ERROR : WriteRecordField(diagnostic, field, value, size, length);
}

}  // namespace brivanto::standin
