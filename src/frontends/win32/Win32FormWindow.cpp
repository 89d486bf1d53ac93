#include "Win32FormWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "AnsiText.h"
#include "Dpi.h"
#include "Resources.h"
#include "WindowText.h"
#include "ports/Failure.h"

namespace brivanto::win32ui {
namespace {

using layout::ControlKind;
using layout::ControlLayout;

constexpr const char* kWindowClass = "BrivantoRepairDb.frmRepairDb";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100;
// Posted after a run of appended lines, so a long result list is drawn once, not per line.
constexpr UINT kResumeListDrawing = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 1;

struct ClickHandler {
  std::string_view control;
  void (app::frmRepairDb::*handler)();
  bool showsWaitCursor;  // the handler may take long and pumps no messages meanwhile
};

constexpr std::array<ClickHandler, 7> kClickHandlers{{
    {"btnSelectPath", &app::frmRepairDb::btnSelectPath_Click, false},
    {"cmdRepair", &app::frmRepairDb::cmdRepair_Click, true},
    {"cmdMaintenance", &app::frmRepairDb::cmdMaintenance_Click, false},
    {"cmdClear", &app::frmRepairDb::cmdClear_Click, false},
    {"cmdCopy", &app::frmRepairDb::cmdCopy_Click, false},
    {"cmdExecute", &app::frmRepairDb::cmdExecute_Click, true},
    {"btnSelectImagePath", &app::frmRepairDb::btnSelectImagePath_Click, false},
}};

class WaitCursor {
 public:
  WaitCursor() : previous_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

[[noreturn]] void ThrowLastError(const std::string& what) {
  const DWORD error = ::GetLastError();
  throw Failure(failure_codes::kInternalError,
                what + " (systeemfout " + std::to_string(error) + ")");
}

HINSTANCE Instance() {
  return ::GetModuleHandleA(nullptr);
}

void RegisterWindowClass(WNDPROC procedure) {
  // The tooltip's class; the other controls' classes are always there.
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
  if (!::InitCommonControlsEx(&classes)) {
    ThrowLastError("De vensterklasse kan niet worden geregistreerd");
  }
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = Instance();
  // Shared icons belong to the system, which frees them.
  windowClass.hIcon =
      static_cast<HICON>(::LoadImageA(Instance(), MAKEINTRESOURCEA(BRIVANTO_WINDOW_ICON),
                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (::RegisterClassExA(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    ThrowLastError("De vensterklasse kan niet worden geregistreerd");
  }
}

struct ControlClass {
  const char* className;
  DWORD style;
  DWORD extendedStyle;
};

ControlClass TextBoxClass(const ControlLayout& control) {
  constexpr DWORD box = WS_TABSTOP | WS_VISIBLE;
  if (control.name == "txtQuery") {
    return {"EDIT", box | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
            WS_EX_CLIENTEDGE};
  }
  // The image folder changes through its browse button only.
  const DWORD readOnly = control.name == "txtDir" ? ES_READONLY : 0;
  return {"EDIT", box | ES_AUTOHSCROLL | readOnly, WS_EX_CLIENTEDGE};
}

ControlClass ClassOf(const ControlLayout& control) {
  switch (control.kind) {
    case ControlKind::Frame:
      // Hidden until the maintenance button shows it; its controls take part in tabbing.
      return {"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Button:
      return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0};
    case ControlKind::PictureButton:
      return {"BUTTON", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP | WS_VISIBLE, 0};
    case ControlKind::TextBox:
      return TextBoxClass(control);
    case ControlKind::ListBox:
      return {"LISTBOX",
              LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP |
                  WS_VISIBLE,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      break;
  }
  return {"STATIC", SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 0};
}

const ClickHandler* ClickHandlerOf(std::string_view control) {
  const auto found = std::find_if(kClickHandlers.begin(), kClickHandlers.end(),
                                  [&](const auto& click) { return click.control == control; });
  return found == kClickHandlers.end() ? nullptr : &*found;
}

app::KeyModifiers KeyboardModifiers() {
  // The high bit, which makes the value negative, says the key is down.
  return {::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0};
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    const UINT length = ::DragQueryFileA(drop, index, nullptr, 0);
    std::string name(length + 1, '\0');
    name.resize(::DragQueryFileA(drop, index, name.data(), length + 1));
    files.push_back(win32::FromAnsi(name));
  }
  return files;
}

void Subclass(HWND control, SUBCLASSPROC procedure, void* window) {
  if (!::SetWindowSubclass(control, procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(window))) {
    ThrowLastError("Het venster kan niet worden gemaakt");
  }
}

HICON LoadFolderIcon() {
  const auto icon =
      static_cast<HICON>(::LoadImageA(Instance(), MAKEINTRESOURCEA(BRIVANTO_FOLDER_ICON),
                                      IMAGE_ICON, layout::kIconPixels, layout::kIconPixels, 0));
  if (icon == nullptr) {
    ThrowLastError("Het pictogram kan niet worden geladen");
  }
  return icon;
}

void SetControlFont(HWND control, HFONT font) {
  // Null leaves the control with the system font: still readable.
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

Win32FormWindow::Win32FormWindow(const app::Services& services) : logic_(*this, services) {
  RegisterWindowClass(&WindowProc);
  const HWND window = ::CreateWindowExA(
      kWindowExStyle, kWindowClass, win32::ToAnsiForDisplay(layout::kDesignCaption).c_str(),
      kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, Instance(), this);
  if (window == nullptr) {
    ThrowLastError("Het venster kan niet worden gemaakt");
  }
  folderIcon_.reset(LoadFolderIcon());
  CreateControls();
  AddTooltip();
  ApplyDpi(WindowDpi(window));
  PlaceWindow(std::nullopt);
}

Win32FormWindow::~Win32FormWindow() {
  // The controls go before the font and icon they use.
  window_.reset();
}

bool Win32FormWindow::Load() {
  return logic_.Form_Load();
}

void Win32FormWindow::Show(int showCommand) {
  // The answer is whether the window was visible before, not a failure.
  ::ShowWindow(window_.get(), showCommand);
  // The first tab stop has the focus when the window opens.
  HWND first = ::GetNextDlgTabItem(window_.get(), nullptr, FALSE);
  if (first != nullptr) {
    ::SetFocus(first);
  }
}

void Win32FormWindow::CreateControls() {
  // Frames first: they contain other controls.
  for (std::size_t index = 0; index < layout::kControls.size(); ++index) {
    if (layout::kControls[index].kind == ControlKind::Frame) {
      controls_[index] = CreateControl(layout::kControls[index], index);
    }
  }
  for (std::size_t index = 0; index < layout::kControls.size(); ++index) {
    if (layout::kControls[index].kind != ControlKind::Frame) {
      controls_[index] = CreateControl(layout::kControls[index], index);
    }
  }
  OrderTabStops();
}

HWND Win32FormWindow::CreateControl(const ControlLayout& control, std::size_t index) {
  const auto [className, style, extendedStyle] = ClassOf(control);
  const HWND parent =
      control.container == layout::kWindowName ? window_.get() : Named(control.container);
  const HWND created = ::CreateWindowExA(
      extendedStyle, className, win32::ToAnsiForDisplay(control.caption).c_str(), WS_CHILD | style,
      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
      Instance(), nullptr);
  if (created == nullptr) {
    ThrowLastError("Het venster kan niet worden gemaakt");
  }
  if (control.kind == ControlKind::Frame) {
    Subclass(created, &FrameProc, this);
  } else if (control.kind == ControlKind::PictureButton) {
    ::SendMessageA(created, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(folderIcon_.get()));
  } else if (control.name == "txtPath") {
    Subclass(created, &PathBoxProc, this);
    ::DragAcceptFiles(created, TRUE);
  }
  return created;
}

void Win32FormWindow::OrderTabStops() {
  // Tabbing follows the order of the controls among their siblings.
  std::array<std::size_t, layout::kControls.size()> order{};
  for (std::size_t index = 0; index < order.size(); ++index) {
    order[index] = index;
  }
  std::sort(order.begin(), order.end(), [](std::size_t left, std::size_t right) {
    return layout::kControls[left].tabIndex < layout::kControls[right].tabIndex;
  });
  HWND previous = HWND_TOP;
  for (const std::size_t index : order) {
    // A control left out of order is still reachable by Tab, only at another place.
    ::SetWindowPos(controls_[index], previous, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = controls_[index];
  }
}

void Win32FormWindow::AddTooltip() {
  tooltip_ =
      ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_.get(), nullptr, Instance(), nullptr);
  if (tooltip_ == nullptr) {
    ThrowLastError("Het venster kan niet worden gemaakt");
  }
  std::string text = win32::ToAnsiForDisplay(layout::kPathTooltip);
  TOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_.get();
  tool.uId = reinterpret_cast<UINT_PTR>(Named("btnSelectPath"));
  tool.lpszText = text.data();
  if (!::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
    ThrowLastError("Het venster kan niet worden gemaakt");
  }
}

void Win32FormWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  UniqueFont font(CreateMessageFont(dpi));
  for (std::size_t index = 0; index < controls_.size(); ++index) {
    const auto& control = layout::kControls[index];
    SetControlFont(controls_[index], font.get());
    // A child window of this thread's own always moves.
    ::MoveWindow(controls_[index], Pixels(control.left), Pixels(control.top), Pixels(control.width),
                 Pixels(control.height), TRUE);
  }
  font_ = std::move(font);
}

void Win32FormWindow::PlaceWindow(std::optional<RECT> suggested) {
  const SIZE design = OuterSize({Pixels(layout::kClientWidth), Pixels(layout::kClientHeight)},
                                kWindowStyle, kWindowExStyle, dpi_);
  const int height = outerHeightTwips_ ? Pixels(*outerHeightTwips_) : design.cy;
  const UINT move = suggested ? 0 : SWP_NOMOVE;
  // A window of this thread's own always takes its size; the system only limits it.
  ::SetWindowPos(window_.get(), nullptr, suggested ? suggested->left : 0,
                 suggested ? suggested->top : 0, design.cx, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | move);
}

LRESULT CALLBACK Win32FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
  }
  auto* self = reinterpret_cast<Win32FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    // The window is gone, whoever destroyed it; nothing owns it any longer.
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    static_cast<void>(self->window_.release());
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK Win32FormWindow::FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR window) {
  // A group box keeps its controls' notifications to itself; the window handles them.
  if (message == WM_COMMAND) {
    return reinterpret_cast<Win32FormWindow*>(window)->HandleMessage(message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    // The control is going; a subclass left behind goes with it.
    static_cast<void>(::RemoveWindowSubclass(frame, &FrameProc, kSubclassId));
  }
  return ::DefSubclassProc(frame, message, wParam, lParam);
}

LRESULT CALLBACK Win32FormWindow::PathBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR /*id*/, DWORD_PTR window) {
  if (message == WM_DROPFILES) {
    reinterpret_cast<Win32FormWindow*>(window)->OnDropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (message == WM_NCDESTROY) {
    // The control is going; a subclass left behind goes with it.
    static_cast<void>(::RemoveWindowSubclass(box, &PathBoxProc, kSubclassId));
  }
  return ::DefSubclassProc(box, message, wParam, lParam);
}

LRESULT Win32FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = window_.get();
  switch (message) {
    case WM_COMMAND: {
      const auto index = static_cast<std::size_t>(LOWORD(wParam) - kFirstControlId);
      if (lParam != 0 && index < controls_.size()) {
        OnCommand(index, HIWORD(wParam));
      }
      return 0;
    }
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(LOWORD(wParam));
      PlaceWindow(*reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_GETMINMAXINFO:
      AllowTheLayoutsHeight(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case kResumeListDrawing:
      ResumeListDrawing();
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

void Win32FormWindow::AllowTheLayoutsHeight(MINMAXINFO& limits) const {
  // The shown panel makes the window taller than a small screen; the system would cut it to the
  // screen's height and hide the bottom of the panel behind a window that cannot grow.
  const int height = Pixels(layout::kOuterHeightPanelShown);
  limits.ptMaxTrackSize.y = std::max<LONG>(limits.ptMaxTrackSize.y, height);
  limits.ptMaxSize.y = std::max<LONG>(limits.ptMaxSize.y, height);
}

void Win32FormWindow::OnCommand(std::size_t index, WORD code) {
  const auto& control = layout::kControls[index];
  if (control.kind == ControlKind::TextBox) {
    // A text set through the view is no change by the user: the logic handles it itself.
    if (code == EN_CHANGE && control.name == "txtPath" && !settingPath_) {
      logic_.RunHandler([this] { logic_.txtPath_Change(); });
    }
    return;
  }
  const ClickHandler* click = ClickHandlerOf(control.name);
  if (code != BN_CLICKED || click == nullptr) {
    return;
  }
  std::optional<WaitCursor> wait;
  if (click->showsWaitCursor) {
    wait.emplace();
  }
  logic_.RunHandler([this, click] { (logic_.*(click->handler))(); });
}

void Win32FormWindow::OnClose() {
  bool cancel = false;
  logic_.RunHandler([&] { logic_.Form_Unload(cancel); });
  if (cancel) {
    return;
  }
  window_.reset();
  if (closed_) {
    closed_();
  }
}

void Win32FormWindow::OnActivate(WORD state) {
  // The focus comes back to the control that had it when the user left the window.
  if (state == WA_INACTIVE) {
    lastFocus_ = ::GetFocus();
  } else if (lastFocus_ != nullptr && ::IsChild(window_.get(), lastFocus_)) {
    ::SetFocus(lastFocus_);
  }
}

void Win32FormWindow::OnDropFiles(HDROP drop) {
  // Read at the drop, before any box the handler shows.
  const app::KeyModifiers modifiers = KeyboardModifiers();
  std::vector<std::string> names = DroppedFiles(drop);
  ::DragFinish(drop);
  std::optional<std::vector<std::string>> files;
  if (!names.empty()) {
    files = std::move(names);
  }
  logic_.RunHandler([&] { logic_.txtPath_OLEDragDrop(files, modifiers); });
}

HWND Win32FormWindow::Control(std::string_view name) const {
  const ControlLayout* control = layout::FindControl(name);
  return control == nullptr
             ? nullptr
             : controls_[static_cast<std::size_t>(control - layout::kControls.data())];
}

HWND Win32FormWindow::Named(std::string_view name) const {
  const HWND control = Control(name);
  if (control == nullptr) {
    throw Failure(failure_codes::kInternalError, "Het venster heeft geen " + std::string(name));
  }
  return control;
}

int Win32FormWindow::Pixels(int twips) const {
  return TwipsToPixels(twips, dpi_);
}

std::intptr_t Win32FormWindow::WindowHandle() const {
  return reinterpret_cast<std::intptr_t>(window_.get());
}

void Win32FormWindow::SetCaption(const std::string& caption) {
  SetDisplayText(window_.get(), caption);
}

void Win32FormWindow::SetWindowHeightTwips(int outerHeight) {
  outerHeightTwips_ = outerHeight;
  PlaceWindow(std::nullopt);
}

std::string Win32FormWindow::PathText() const {
  return GetText(Named("txtPath"));
}

void Win32FormWindow::SetPathText(const std::string& text) {
  settingPath_ = true;
  try {
    win32ui::SetPathText(Named("txtPath"), text);
  } catch (...) {
    settingPath_ = false;
    throw;
  }
  settingPath_ = false;
}

std::string Win32FormWindow::DirText() const {
  return GetText(Named("txtDir"));
}

void Win32FormWindow::SetDirText(const std::string& text) {
  SetDisplayText(Named("txtDir"), text);
}

bool Win32FormWindow::IsMaintenanceVisible() const {
  // The frame's own flag: the window itself may still be hidden.
  return (::GetWindowLongA(Named("frmMaintenance"), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32FormWindow::SetMaintenanceVisible(bool visible) {
  // The return value is the previous visibility, not a failure.
  ::ShowWindow(Named("frmMaintenance"), visible ? SW_SHOW : SW_HIDE);
}

void Win32FormWindow::SetMaintenanceCaption(const std::string& caption) {
  SetDisplayText(Named("cmdMaintenance"), caption);
}

std::string Win32FormWindow::QueryText() const {
  return GetText(Named("txtQuery"));
}

void Win32FormWindow::SetQueryText(const std::string& text) {
  SetDisplayText(Named("txtQuery"), text);
}

void Win32FormWindow::Clear() {
  ::SendMessageA(Named("lstResult"), LB_RESETCONTENT, 0, 0);
  lines_.clear();
}

void Win32FormWindow::Append(std::string line) {
  const HWND list = Named("lstResult");
  if (!listDrawingPaused_ && ::PostMessageA(window_.get(), kResumeListDrawing, 0, 0)) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    listDrawingPaused_ = true;
  }
  const LRESULT added = ::SendMessageA(
      list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::ToAnsiForDisplay(line).c_str()));
  if (added == LB_ERR || added == LB_ERRSPACE) {
    throw Failure(failure_codes::kInternalError, "De resultaatlijst is vol");
  }
  lines_.push_back(std::move(line));
}

void Win32FormWindow::ResumeListDrawing() {
  const HWND list = Named("lstResult");
  listDrawingPaused_ = false;
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

bool Win32FormWindow::IsSelected(std::size_t index) const {
  return ::SendMessageA(Named("lstResult"), LB_GETSEL, index, 0) > 0;
}

}  // namespace brivanto::win32ui
