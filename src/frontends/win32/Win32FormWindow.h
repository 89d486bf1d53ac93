#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Handles.h"
#include "app/frmRepairDb.h"
#include "layout/Layout.h"
#include "maintenance/LineStore.h"
#include "ports/FormView.h"

namespace brivanto::win32ui {

// The window frmRepairDb: its controls as the layout table places them, at the dots per inch of
// the window's monitor, each event forwarded to the toolkit-free frmRepairDb, and the view and
// result list that class drives. The result list keeps the core's UTF-8 lines; the list box holds
// no text, only their number and which are selected, and draws each visible line when it asks
// for it, in the ANSI code page.
class Win32FormWindow final : public ports::FormView, public ports::ResultList {
 public:
  explicit Win32FormWindow(const app::Services& services);
  ~Win32FormWindow() override;
  Win32FormWindow(const Win32FormWindow&) = delete;
  Win32FormWindow& operator=(const Win32FormWindow&) = delete;

  // Runs the load handling; false when the program must end without showing the window.
  bool Load();
  // Shows the window with the focus on its first tab stop.
  void Show(int showCommand);
  HWND Handle() const { return window_.get(); }
  // The control the layout table names so; null for an unknown name.
  HWND Control(std::string_view name) const;
  HWND Tooltip() const { return tooltip_; }
  UINT Dpi() const { return dpi_; }
  const app::frmRepairDb& Logic() const { return logic_; }
  // Called once the window is gone after the user closed it.
  void OnClosed(std::function<void()> closed) { closed_ = std::move(closed); }

  std::intptr_t WindowHandle() const override;
  void SetCaption(const std::string& caption) override;
  void SetWindowHeightTwips(int outerHeight) override;
  std::string PathText() const override;
  void SetPathText(const std::string& text) override;
  std::string DirText() const override;
  void SetDirText(const std::string& text) override;
  bool IsMaintenanceVisible() const override;
  void SetMaintenanceVisible(bool visible) override;
  void SetMaintenanceCaption(const std::string& caption) override;
  std::string QueryText() const override;
  void SetQueryText(const std::string& text) override;
  ports::ResultList& Results() override { return *this; }

  void Clear() override;
  void Append(std::string_view line) override;
  std::size_t Count() const override { return lines_.Count(); }
  std::string_view Line(std::size_t index) const override { return lines_.Line(index); }
  bool IsSelected(std::size_t index) const override;
  // The text the list box draws as line `index`: the line in the ANSI code page.
  std::string DrawnText(std::size_t index) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR window);
  static LRESULT CALLBACK PathBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR window);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  HWND CreateControl(const layout::ControlLayout& control, std::size_t index);
  void OrderTabStops();
  void AddTooltip();
  void ApplyDpi(UINT dpi);
  void PlaceWindow(std::optional<RECT> suggested);
  void AllowTheLayoutsHeight(MINMAXINFO& limits) const;
  void OnCommand(std::size_t index, WORD code);
  void OnClose();
  void OnActivate(WORD state);
  void OnDropFiles(HDROP drop);
  void ShowListedLines();
  void DrawResultLine(const DRAWITEMSTRUCT& item) const;
  LRESULT OnCharToItem(wchar_t typed, LRESULT caret) const;
  HWND Named(std::string_view name) const;
  int Pixels(int twips) const;

  app::frmRepairDb logic_;
  UniqueWindow window_;
  UniqueFont font_;
  UniqueIcon folderIcon_;
  // Children and the owned tooltip go with the window.
  std::array<HWND, layout::kControls.size()> controls_{};
  HWND tooltip_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  // Unset until the logic sets it: the window then has the design's client height.
  std::optional<int> outerHeightTwips_;
  bool settingPath_ = false;
  bool showQueued_ = false;
  // The number of lines the list box has been told of; the lines beyond wait for the next show.
  std::size_t shownCount_ = 0;
  int lineHeight_ = 0;
  HWND lastFocus_ = nullptr;
  maintenance::LineStore lines_;
  std::function<void()> closed_;
};

}  // namespace brivanto::win32ui
