#include <gtest/gtest.h>

#include <algorithm>

#include "app/ClickHandlers.h"
#include "layout/Layout.h"

namespace brivanto::app {
namespace {

using layout::ControlKind;

// Both windows wire their buttons from the table: a name that is no button of the layout would
// leave a button dead on both, and a button missing from the table would do nothing when clicked.
TEST(ClickHandlersTest, EveryButtonOfTheLayoutHasExactlyOneHandlerAndNothingElseHasOne) {
  for (const auto& control : layout::kControls) {
    const bool isButton =
        control.kind == ControlKind::Button || control.kind == ControlKind::PictureButton;
    EXPECT_EQ(ClickHandlerOf(control.name) != nullptr, isButton) << control.name;
  }
  for (const auto& click : kClickHandlers) {
    EXPECT_NE(layout::FindControl(click.control), nullptr) << click.control;
    EXPECT_EQ(
        std::count_if(kClickHandlers.begin(), kClickHandlers.end(),
                      [&](const ClickHandler& other) { return other.handler == click.handler; }),
        1)
        << click.control;
  }
}

}  // namespace
}  // namespace brivanto::app
