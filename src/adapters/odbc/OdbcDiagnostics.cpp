#include "OdbcDiagnostics.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivanto::odbc {
namespace {

struct DiagnosticRecord {
  std::string state;
  std::int32_t nativeError = 0;
  std::string message;
};

std::optional<DiagnosticRecord> ReadRecord(SQLSMALLINT handleType, SQLHANDLE handle,
                                           SQLSMALLINT number) {
  SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER nativeError = 0;
  std::vector<SQLCHAR> message(SQL_MAX_MESSAGE_LENGTH);
  SQLSMALLINT messageLength = 0;
  for (;;) {
    const SQLRETURN result =
        SQLGetDiagRec(handleType, handle, number, state, &nativeError, message.data(),
                      static_cast<SQLSMALLINT>(message.size()), &messageLength);
    if (!SQL_SUCCEEDED(result)) {
      return std::nullopt;
    }
    if (static_cast<std::size_t>(messageLength) < message.size()) {
      break;
    }
    message.resize(static_cast<std::size_t>(messageLength) + 1);
  }
  return DiagnosticRecord{reinterpret_cast<const char*>(state),
                          static_cast<std::int32_t>(nativeError),
                          std::string(reinterpret_cast<const char*>(message.data()),
                                      static_cast<std::size_t>(messageLength))};
}

// Drivers and the driver manager may each add records; a handle holds a few at most, and the
// bound keeps a driver that never answers SQL_NO_DATA from being asked forever.
constexpr SQLSMALLINT kMostRecords = 64;

std::vector<DiagnosticRecord> ReadRecords(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  if (handle == SQL_NULL_HANDLE) {
    return records;
  }
  for (SQLSMALLINT number = 1; number <= kMostRecords; ++number) {
    auto record = ReadRecord(handleType, handle, number);
    if (!record) {
      break;
    }
    records.push_back(std::move(*record));
  }
  return records;
}

// Warnings (class 01) and the driver manager's own records (class IM) can come before the
// record that says why the call failed: the Access driver does not put the explaining one first.
bool Explains(const DiagnosticRecord& record) {
  const std::string_view state(record.state);
  return !record.message.empty() && !state.starts_with("01") && !state.starts_with("IM");
}

std::string FallbackText(std::string_view function, SQLRETURN result, const std::string& state) {
  std::string text =
      std::string(function) + " is mislukt (ODBC-resultaat " + std::to_string(result) + ")";
  if (!state.empty()) {
    text += " met SQLSTATE " + state;
  }
  return text + " zonder melding van het stuurprogramma";
}

}  // namespace

Failure DiagnosticFailure(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN result,
                          std::string_view function) {
  auto records = ReadRecords(handleType, handle);
  auto chosen = std::ranges::find_if(records, Explains);
  if (chosen == records.end()) {
    chosen = std::ranges::find_if(
        records, [](const DiagnosticRecord& record) { return !record.message.empty(); });
  }
  if (chosen != records.end()) {
    return Failure(brivanto::failure_codes::kProviderError, std::move(chosen->message),
                   std::move(chosen->state), chosen->nativeError);
  }
  const DiagnosticRecord none;
  const DiagnosticRecord& first = records.empty() ? none : records.front();
  return Failure(brivanto::failure_codes::kProviderError,
                 FallbackText(function, result, first.state), first.state, first.nativeError);
}

bool HasDiagnosticState(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view state) {
  return std::ranges::any_of(
      ReadRecords(handleType, handle),
      [state](const DiagnosticRecord& record) { return record.state == state; });
}

}  // namespace brivanto::odbc
