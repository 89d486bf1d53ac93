#include "layout/Layout.h"

#include <algorithm>

namespace brivanto::layout {

const ControlLayout* FindControl(std::string_view name) {
  const auto* found =
      std::find_if(kControls.begin(), kControls.end(),
                   [name](const ControlLayout& control) { return control.name == name; });
  return found == kControls.end() ? nullptr : &*found;
}

}  // namespace brivanto::layout
