#pragma once

#include <cstdint>

#include "platform/Failure.h"

// Misuse of a connection or recordset carries the numbers the data-access layer on Windows
// reports for the same mistake, so callers can treat both frontends alike.
namespace brivanto::platform::odbc::failure_codes {

inline constexpr std::int32_t kNoCurrentRecord = 3021;
inline constexpr std::int32_t kItemNotFound = 3265;
inline constexpr std::int32_t kObjectClosed = 3704;
inline constexpr std::int32_t kObjectAlreadyOpen = 3705;
inline constexpr std::int32_t kConnectionNotOpen = 3709;
// The row to update no longer holds the values it was read with.
inline constexpr std::int32_t kRowNotFound = brivanto::failure_codes::FromHresult(0x80040E38U);

}  // namespace brivanto::platform::odbc::failure_codes
