// Every caption of the real Win32 window fits inside its control, measured in the control's own
// font, at 96 dpi and once the window has moved to a 144 dpi monitor; and that font is Tahoma,
// the font Windows draws dialogs in.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Handles.h"
#include "Win32FormWindow.h"
#include "WindowTestSupport.h"
#include "layout/Layout.h"

namespace brivanto::win32test {
namespace {

using layout::ControlKind;
using win32ui::Win32FormWindow;

struct CaptionFit {
  std::string control;
  std::string caption;
  SIZE room;
  SIZE text;
  int WidthMargin() const { return room.cx - text.cx; }
  int HeightMargin() const { return room.cy - text.cy; }
};

std::string Text(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)), '\0');
  ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

int Scaled(int pixelsAt96, UINT dpi) {
  return ::MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

SIZE ClientSize(HWND control) {
  RECT client{};
  ::GetClientRect(control, &client);
  return {client.right, client.bottom};
}

// What a push button's own drawing leaves its caption: the client area less the 3-D edge on
// every side, where Windows lays out the label.
SIZE ButtonRoom(HWND button, UINT dpi) {
  const SIZE client = ClientSize(button);
  const int x = Scaled(::GetSystemMetrics(SM_CXEDGE), dpi);
  const int y = Scaled(::GetSystemMetrics(SM_CYEDGE), dpi);
  return {client.cx - 2 * x, client.cy - 2 * y};
}

// A group box's title stands between the line's ends, 8 pixels in from either side at 96 dpi,
// and above the box's first control.
SIZE FrameTitleRoom(HWND frame, UINT dpi) {
  int firstTop = ClientSize(frame).cy;
  for (HWND child = ::GetWindow(frame, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&rect), 2);
    firstTop = std::min<int>(firstTop, rect.top);
  }
  return {ClientSize(frame).cx - 2 * Scaled(8, dpi), firstTop};
}

// The caption's extent in the font the control draws it in.
SIZE TextExtent(HWND control, const std::string& text) {
  const win32ui::WindowDc dc(control);
  const win32ui::Selection font(dc.Get(),
                                reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  EXPECT_TRUE(
      ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent));
  return extent;
}

std::optional<CaptionFit> Measure(const layout::ControlLayout& control, HWND handle, UINT dpi) {
  std::optional<SIZE> room;
  switch (control.kind) {
    case ControlKind::Button:
      room = ButtonRoom(handle, dpi);
      break;
    case ControlKind::Label:
      // A static text draws from its very edges, and breaks a line that is too long.
      room = ClientSize(handle);
      break;
    case ControlKind::Frame:
      room = FrameTitleRoom(handle, dpi);
      break;
    case ControlKind::PictureButton:
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      break;
  }
  if (!room) {
    return std::nullopt;
  }
  const std::string caption = Text(handle);
  return CaptionFit{std::string(control.name), caption, *room, TextExtent(handle, caption)};
}

// The family the font that the system really uses for `font` belongs to, from the font file.
std::string RealizedFamily(HFONT font) {
  const win32ui::WindowDc dc(nullptr);
  const win32ui::Selection selected(dc.Get(), font);
  const UINT size = ::GetOutlineTextMetricsA(dc.Get(), 0, nullptr);
  if (size == 0) {
    return "<no outline font>";
  }
  std::vector<char> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
  ::GetOutlineTextMetricsA(dc.Get(), size, metrics);
  return buffer.data() + reinterpret_cast<std::uintptr_t>(metrics->otmpFamilyName);
}

class CaptionFitTest : public ::testing::TestWithParam<UINT> {
 protected:
  void SetUp() override {
    DescribeSite(fakes_);
    window_ = std::make_unique<Win32FormWindow>(fakes_.Bundle());
    ASSERT_TRUE(window_->Load());
    window_->Show(SW_SHOWNORMAL);
    PumpMessages();
    if (window_->Dpi() != GetParam()) {
      MoveToDpi(GetParam());
    }
    ASSERT_EQ(window_->Dpi(), GetParam());
  }

  // As Windows tells a window that has moved to a monitor of another density.
  void MoveToDpi(UINT dpi) {
    RECT suggested{};
    ::GetWindowRect(window_->Handle(), &suggested);
    ::SendMessageA(window_->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
  }

  std::vector<CaptionFit> Captions() const {
    std::vector<CaptionFit> fits;
    for (const auto& control : layout::kControls) {
      auto fit = Measure(control, window_->Control(control.name), window_->Dpi());
      EXPECT_TRUE(fit || control.caption.empty()) << "no measure for " << control.name;
      if (fit) {
        fits.push_back(std::move(*fit));
      }
    }
    return fits;
  }

  testing::FakeServices fakes_;
  std::unique_ptr<Win32FormWindow> window_;
};

TEST_P(CaptionFitTest, EveryControlDrawsInTahomaAtTheWindowsDpi) {
  RECT client{};
  ::GetClientRect(window_->Control("cmdRepair"), &client);
  EXPECT_EQ(client.right, ::MulDiv(layout::FindControl("cmdRepair")->width, GetParam(), 1440));
  for (const auto& control : layout::kControls) {
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageA(window_->Control(control.name), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << control.name;
    EXPECT_EQ(RealizedFamily(font), "Tahoma") << control.name;
  }
  const auto font =
      reinterpret_cast<HFONT>(::SendMessageA(window_->Control("cmdRepair"), WM_GETFONT, 0, 0));
  const win32ui::WindowDc dc(nullptr);
  const win32ui::Selection selected(dc.Get(), font);
  TEXTMETRICA metrics{};
  ASSERT_TRUE(::GetTextMetricsA(dc.Get(), &metrics));
  // 8 points: the character height (the cell less the internal leading) in pixels.
  EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, ::MulDiv(8, GetParam(), 72));
  std::printf("font at %u dpi: %s, cell %ld px, character %ld px\n", GetParam(),
              RealizedFamily(font).c_str(), metrics.tmHeight,
              metrics.tmHeight - metrics.tmInternalLeading);
}

TEST_P(CaptionFitTest, EveryCaptionFitsItsControl) {
  auto fits = Captions();
  // The maintenance button's caption changes when the panel opens.
  ::SendMessageA(window_->Control("cmdMaintenance"), BM_CLICK, 0, 0);
  ASSERT_EQ(Text(window_->Control("cmdMaintenance")), "Verbergen");
  const auto shown = Captions();
  fits.insert(fits.end(), shown.begin(), shown.end());

  for (const auto& fit : fits) {
    std::printf("%-16s %-20s text %3ldx%-3ld room %3ldx%-3ld\n", fit.control.c_str(),
                fit.caption.c_str(), fit.text.cx, fit.text.cy, fit.room.cx, fit.room.cy);
    EXPECT_GE(fit.WidthMargin(), 0) << fit.control << " \"" << fit.caption << "\" is clipped";
    EXPECT_GE(fit.HeightMargin(), 0) << fit.control << " \"" << fit.caption << "\" is clipped";
  }
  const auto narrowest = std::min_element(
      fits.begin(), fits.end(), [](auto& a, auto& b) { return a.WidthMargin() < b.WidthMargin(); });
  const auto lowest = std::min_element(fits.begin(), fits.end(), [](auto& a, auto& b) {
    return a.HeightMargin() < b.HeightMargin();
  });
  std::printf("smallest margins at %u dpi: %d px wide (%s \"%s\"), %d px high (%s)\n", GetParam(),
              narrowest->WidthMargin(), narrowest->control.c_str(), narrowest->caption.c_str(),
              lowest->HeightMargin(), lowest->control.c_str());
}

INSTANTIATE_TEST_SUITE_P(Dpi, CaptionFitTest, ::testing::Values(96U, 144U));

}  // namespace
}  // namespace brivanto::win32test
