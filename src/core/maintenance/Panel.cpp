#include "maintenance/Panel.h"

#include <cstddef>

#include "layout/Layout.h"

namespace brivanto::maintenance {
namespace {

constexpr const char* kShowCaption = "Onderhoud";
constexpr const char* kHideCaption = "Verbergen";
constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kLineEndLength = 2;

}  // namespace

void TogglePanel(ports::FormView& view) {
  if (view.IsMaintenanceVisible()) {
    view.SetWindowHeightTwips(layout::kOuterHeightPanelHidden);
    view.SetMaintenanceVisible(false);
    view.SetMaintenanceCaption(kShowCaption);
  } else {
    view.SetWindowHeightTwips(layout::kOuterHeightPanelShown);
    view.SetMaintenanceVisible(true);
    view.SetMaintenanceCaption(kHideCaption);
  }
}

void ClearPanel(ports::FormView& view) {
  view.SetQueryText("");
  view.Results().Clear();
}

std::string SelectedText(const ports::ResultList& results) {
  const std::size_t count = results.Count();
  // Sized in advance: a million selected lines are copied without a single reallocation.
  std::size_t length = 0;
  for (std::size_t index = 0; index < count; ++index) {
    if (results.IsSelected(index)) {
      length += results.Line(index).size() + kLineEndLength;
    }
  }
  std::string text;
  text.reserve(length);
  for (std::size_t index = 0; index < count; ++index) {
    if (results.IsSelected(index)) {
      text += results.Line(index);
      text += kLineEnd;
    }
  }
  return text;
}

bool CopySelection(const ports::ResultList& results, ports::Clipboard& clipboard) {
  return clipboard.SetText(SelectedText(results));
}

}  // namespace brivanto::maintenance
