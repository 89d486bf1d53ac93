#include "app/DropAcceptance.h"

#include <cstddef>
#include <string>

#include "text/Text.h"

namespace brivanto::app {
namespace {

// The pattern's wildcard part ("kestrin*.mdb") and its extension must not count, so only the
// fixed start of the name is looked for.
constexpr std::size_t kPatternMarkerLength = 7;

}  // namespace

bool IsForcedDrop(KeyModifiers modifiers) {
  return modifiers.shift && modifiers.ctrl && !modifiers.alt;
}

bool AcceptsDroppedFile(std::string_view dbPattern, std::string_view fileName,
                        KeyModifiers modifiers) {
  const auto marker = text::ToLowerAscii(dbPattern.substr(0, kPatternMarkerLength));
  return IsForcedDrop(modifiers) || text::ToLowerAscii(fileName).find(marker) != std::string::npos;
}

}  // namespace brivanto::app
