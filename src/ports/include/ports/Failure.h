#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace brivanto {

// A failure as the tool reports it: a signed 32-bit number and a description text. A failure
// the database driver reported also keeps the driver's SQLSTATE and native error, which the
// number cannot carry: every driver failure shares one number, yet a locked file must be told
// from a statement the driver did not understand.
class Failure : public std::runtime_error {
 public:
  Failure(std::int32_t number, std::string description, std::string sqlstate = {},
          std::int32_t nativeError = 0)
      : std::runtime_error(description),
        number_(number),
        description_(std::move(description)),
        sqlstate_(std::move(sqlstate)),
        nativeError_(nativeError) {}

  std::int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  // Empty when the failure did not come from a driver diagnostic.
  const std::string& Sqlstate() const noexcept { return sqlstate_; }
  // 0 when the failure did not come from a driver diagnostic, or the driver gave none.
  std::int32_t NativeError() const noexcept { return nativeError_; }

 private:
  std::int32_t number_;
  std::string description_;
  std::string sqlstate_;
  std::int32_t nativeError_;
};

// "description (number)", the way message boxes and the repair's reason report a failure.
inline std::string FailureText(const Failure& failure) {
  return failure.Description() + " (" + std::to_string(failure.Number()) + ")";
}

namespace failure_codes {

// HRESULTs print as negative numbers, as the data-access layer reports them on Windows.
constexpr std::int32_t FromHresult(std::uint32_t hresult) {
  return static_cast<std::int32_t>(hresult);
}

// The registry reader's module could not be loaded.
inline constexpr std::int32_t kModuleNotFound = FromHresult(0x8007007EU);
// Every diagnostic of the ODBC layer carries this number, the way ADO reports provider errors.
inline constexpr std::int32_t kProviderError = FromHresult(0x80004005U);
// A null value was used where a value was needed.
inline constexpr std::int32_t kInvalidUseOfNull = 94;
// An object (such as the database connection) was used before it was set.
inline constexpr std::int32_t kObjectNotSet = 91;
// Something failed that is none of the tool's own failures (out of memory, say).
inline constexpr std::int32_t kInternalError = 51;
// A file could not be opened, created or written.
inline constexpr std::int32_t kFileAccess = 75;

// Misuse of a connection or a result carries the numbers the data-access layer on Windows
// reports for the same mistake, so both frontends report it alike.
inline constexpr std::int32_t kNoCurrentRecord = 3021;
inline constexpr std::int32_t kResultNotUpdatable = 3251;
inline constexpr std::int32_t kItemNotFound = 3265;
inline constexpr std::int32_t kObjectClosed = 3704;
inline constexpr std::int32_t kObjectAlreadyOpen = 3705;
inline constexpr std::int32_t kConnectionNotOpen = 3709;
// The row to update no longer holds the values it was read with.
inline constexpr std::int32_t kRowNotFound = FromHresult(0x80040E38U);

}  // namespace failure_codes

// Any exception as the tool reports it: a Failure as it is, anything else as an internal error.
inline Failure AsFailure(const std::exception& error) {
  if (const auto* failure = dynamic_cast<const Failure*>(&error)) {
    return *failure;
  }
  return Failure(failure_codes::kInternalError, error.what());
}

}  // namespace brivanto
