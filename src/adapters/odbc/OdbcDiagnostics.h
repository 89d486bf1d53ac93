#pragma once

#include <string_view>

#include "OdbcApi.h"
#include "ports/Failure.h"

namespace brivanto::odbc {

// The Failure for a call that did not succeed: the first diagnostic record of `handle` that is
// neither a warning (class 01) nor the driver manager's (class IM), else the first with a text,
// or a text naming `function` when the driver left none.
Failure DiagnosticFailure(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN result,
                          std::string_view function);

// Whether any diagnostic record of `handle` has the SQLSTATE `state`.
bool HasDiagnosticState(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view state);

// SQL_SUCCESS_WITH_INFO counts as success: drivers use it for substitutions such as a cursor
// type they do not offer.
inline void Check(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                  std::string_view function) {
  if (!SQL_SUCCEEDED(result)) {
    throw DiagnosticFailure(handleType, handle, result, function);
  }
}

}  // namespace brivanto::odbc
