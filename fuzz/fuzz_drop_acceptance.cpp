// Which dropped files the path box takes: a forced drop takes any file; otherwise the answer
// ignores ASCII case, holds for any name around the pattern's start, and never takes a name
// without it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "app/DropAcceptance.h"
#include "text/Text.h"

namespace {

using namespace brivanto::app;
using brivanto::text::ToLowerAscii;

// The fixed start of both patterns the window uses before its wildcard.
constexpr std::size_t kMarkerLength = 7;

std::string FlipAsciiCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    if (c >= 'a' && c <= 'z') {
      return static_cast<char>(c - 'a' + 'A');
    }
    return ToLowerAscii(c);
  });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const KeyModifiers modifiers{input.ConsumeBool(), input.ConsumeBool(), input.ConsumeBool()};
  const auto pattern = input.ConsumeBool()   ? std::string("BrivantoDb.mdb")
                       : input.ConsumeBool() ? std::string("kestrin*.mdb")
                                             : input.ConsumeRandomLengthString();
  const auto before = input.ConsumeRandomLengthString();
  const auto file = input.ConsumeRemainingBytesAsString();
  const bool forced = modifiers.shift && modifiers.ctrl && !modifiers.alt;
  FUZZ_CHECK(IsForcedDrop(modifiers) == forced);
  const bool accepted = AcceptsDroppedFile(pattern, file, modifiers);
  FUZZ_CHECK(!forced || accepted);
  FUZZ_CHECK(AcceptsDroppedFile(pattern, FlipAsciiCase(file), modifiers) == accepted);
  FUZZ_CHECK(!accepted || AcceptsDroppedFile(pattern, before + file + before, modifiers));
  const auto marker = pattern.substr(0, kMarkerLength);
  FUZZ_CHECK(AcceptsDroppedFile(pattern, before + FlipAsciiCase(marker) + file, modifiers));
  // Without the marker in any case, only a forced drop gets through.
  FUZZ_CHECK(forced ||
             accepted == (ToLowerAscii(file).find(ToLowerAscii(marker)) != std::string::npos));
  const KeyModifiers plain{};
  FUZZ_CHECK(!AcceptsDroppedFile(pattern, file, plain) || accepted);
  return 0;
}
