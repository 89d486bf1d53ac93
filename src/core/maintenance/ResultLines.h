#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ports/Clock.h"

namespace brivanto::maintenance {

inline constexpr std::string_view kBlankLine = "";
inline constexpr std::string_view kSpacerLine = " ";
inline constexpr std::string_view kDoneLine = "Query met goed gevolg uitgevoerd";

// "hh:mm:ss", 24-hour clock, with the colon of Dutch regional settings.
std::string TimeOfDay(const ports::LocalDateTime& time);

std::string StartLine(const ports::LocalDateTime& time);
std::string CountLine(std::int32_t recordCount);
std::string AffectedLine(std::int32_t recordsAffected);
std::string EndLine(const ports::LocalDateTime& time, std::uint32_t elapsedMilliseconds);
std::string FailureLine(std::int32_t number, std::string_view description);

// Unsigned arithmetic modulo 2^32 stays right when the counter wraps during a run, whether it
// passes 2^31 - 1 (as a signed count) or 2^32 - 1.
constexpr std::uint32_t ElapsedMilliseconds(std::uint32_t startTick, std::uint32_t endTick) {
  return endTick - startTick;
}

// Builds one row line after another in the same buffer, so a long result costs no allocation
// per field and none per row beyond the listed line itself.
class RowLine {
 public:
  void Begin() { text_.clear(); }
  void AddNull() { text_ += " NULL"; }
  void AddValue(std::string_view value);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace brivanto::maintenance
