#pragma once

#include <string_view>

namespace brivanto::app {

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// Shift+Ctrl (without Alt) lets any dropped file through, for databases renamed on a site.
bool IsForcedDrop(KeyModifiers modifiers);

// A dropped file is taken when its name holds the first characters of the database pattern, in
// any ASCII case, anywhere in its path, or when the drop is forced.
bool AcceptsDroppedFile(std::string_view dbPattern, std::string_view fileName,
                        KeyModifiers modifiers);

}  // namespace brivanto::app
