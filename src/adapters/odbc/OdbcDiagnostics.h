#pragma once

#include <string_view>

#include "OdbcApi.h"
#include "ports/Failure.h"

namespace brivanto::odbc {

// The Failure for a call that did not succeed: the first diagnostic record of `handle`, or a
// text naming `function` when the driver left no record.
Failure DiagnosticFailure(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN result,
                          std::string_view function);

// SQL_SUCCESS_WITH_INFO counts as success: drivers use it for substitutions such as a cursor
// type they do not offer.
inline void Check(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                  std::string_view function) {
  if (!SQL_SUCCEEDED(result)) {
    throw DiagnosticFailure(handleType, handle, result, function);
  }
}

}  // namespace brivanto::odbc
