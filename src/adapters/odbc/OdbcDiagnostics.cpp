#include "OdbcDiagnostics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brivanto::odbc {
namespace {

struct DiagnosticRecord {
  std::string state;
  std::int32_t nativeError = 0;
  std::string message;
};

bool ReadFirstRecord(SQLSMALLINT handleType, SQLHANDLE handle, DiagnosticRecord& record) {
  SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER nativeError = 0;
  std::vector<SQLCHAR> message(SQL_MAX_MESSAGE_LENGTH);
  SQLSMALLINT messageLength = 0;
  for (;;) {
    const SQLRETURN result =
        SQLGetDiagRec(handleType, handle, 1, state, &nativeError, message.data(),
                      static_cast<SQLSMALLINT>(message.size()), &messageLength);
    if (!SQL_SUCCEEDED(result)) {
      return false;
    }
    if (static_cast<std::size_t>(messageLength) < message.size()) {
      break;
    }
    message.resize(static_cast<std::size_t>(messageLength) + 1);
  }
  record.state = reinterpret_cast<const char*>(state);
  record.nativeError = static_cast<std::int32_t>(nativeError);
  record.message.assign(reinterpret_cast<const char*>(message.data()),
                        static_cast<std::size_t>(messageLength));
  return true;
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
  DiagnosticRecord record;
  if (handle != SQL_NULL_HANDLE && ReadFirstRecord(handleType, handle, record) &&
      !record.message.empty()) {
    return Failure(brivanto::failure_codes::kProviderError, std::move(record.message),
                   std::move(record.state), record.nativeError);
  }
  auto text = FallbackText(function, result, record.state);
  return Failure(brivanto::failure_codes::kProviderError, std::move(text), std::move(record.state),
                 record.nativeError);
}

}  // namespace brivanto::odbc
