#include "Win32FormWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "AnsiText.h"
#include "Dpi.h"
#include "Resources.h"
#include "WindowText.h"
#include "app/ClickHandlers.h"
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
// Posted after a run of appended lines, so the list box learns their number once, not per line.
constexpr UINT kShowListedLines = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 1;

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
      // No data: the list box keeps only the number of lines and their selection, and asks for
      // a line when it draws it, so a million lines cost no call per line. Without texts of its
      // own it leaves finding a line by its first letter to its owner.
      return {"LISTBOX",
              LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_WANTKEYBOARDINPUT | LBS_EXTENDEDSEL |
                  LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      break;
  }
  return {"STATIC", SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 0};
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

// The height a list box gives a line of its own texts in `font` (null: the system font).
int LineHeightOf(HFONT font) {
  const WindowDc screen(nullptr);
  std::optional<Selection> selected;
  if (font != nullptr) {
    selected.emplace(screen.Get(), font);
  }
  TEXTMETRICA metrics{};
  // Without metrics a line still gets a height, only perhaps not the font's.
  return ::GetTextMetricsA(screen.Get(), &metrics) ? metrics.tmHeight : 16;
}

// The first character of a line as the list box compares it: as it is drawn, in the ANSI code
// page, and then as the list box reads the text, in UTF-16.
std::wstring FirstDrawnCharacter(std::string_view line) {
  if (line.empty()) {
    return {};
  }
  // Every ANSI code page and UTF-16 carry ASCII unchanged.
  if (static_cast<unsigned char>(line.front()) < 0x80) {
    return std::wstring(1, static_cast<wchar_t>(line.front()));
  }
  std::size_t length = 1;
  while (length < line.size() && (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return win32::ToWide(win32::FromAnsi(win32::ToAnsiForDisplay(line.substr(0, length))));
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
  UniqueFont font(CreateDialogFont(dpi));
  // An owner-drawn list box keeps its line height through a change of font: it is set as the
  // list box would set it for texts of its own.
  lineHeight_ = LineHeightOf(font.get());
  ::SendMessageA(Named("lstResult"), LB_SETITEMHEIGHT, 0, MAKELPARAM(lineHeight_, 0));
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
  // A group box keeps its controls' notifications to itself, and the result list's requests to
  // draw and find its lines; the window handles them.
  if (message == WM_COMMAND || message == WM_MEASUREITEM || message == WM_DRAWITEM ||
      message == WM_CHARTOITEM || message == WM_VKEYTOITEM) {
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
    case WM_MEASUREITEM:
      // Asked once, while the list box is made; the font's height follows in ApplyDpi.
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
          static_cast<UINT>(lineHeight_ > 0 ? lineHeight_ : LineHeightOf(font_.get()));
      return TRUE;
    case WM_DRAWITEM:
      DrawResultLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CHARTOITEM:
      // The caret is asked for: the message carries only 16 bits of it.
      return OnCharToItem(static_cast<wchar_t>(LOWORD(wParam)),
                          ::SendMessageA(reinterpret_cast<HWND>(lParam), LB_GETCARETINDEX, 0, 0));
    case WM_VKEYTOITEM:
      return -1;  // every key does what it does in any list box
    case kShowListedLines:
      showQueued_ = false;
      logic_.RunHandler([this] { ShowListedLines(); });
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
  const app::ClickHandler* click = app::ClickHandlerOf(control.name);
  if (code != BN_CLICKED || click == nullptr) {
    return;
  }
  logic_.RunHandler([this, click] { (logic_.*(click->handler))(); });
  // The listed lines are in the list box when the click is over, not only after the next
  // message; a failure to show them is a failure of the click.
  logic_.RunHandler([this] { ShowListedLines(); });
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
  // The list box never counts more lines than there are to draw.
  ::SendMessageA(Named("lstResult"), LB_RESETCONTENT, 0, 0);
  shownCount_ = 0;
  lines_.Clear();
}

void Win32FormWindow::Append(std::string_view line) {
  lines_.Append(line);
  if (!showQueued_) {
    showQueued_ = ::PostMessageA(window_.get(), kShowListedLines, 0, 0) != FALSE;
  }
}

void Win32FormWindow::ShowListedLines() {
  if (shownCount_ == lines_.Count()) {
    return;
  }
  // The lines already shown keep their place, selection and scroll position.
  const LRESULT set = ::SendMessageA(Named("lstResult"), LB_SETCOUNT, lines_.Count(), 0);
  if (set == LB_ERR || set == LB_ERRSPACE) {
    throw Failure(failure_codes::kInternalError, "De resultaatlijst is vol");
  }
  shownCount_ = lines_.Count();
}

std::string Win32FormWindow::DrawnText(std::size_t index) const {
  return win32::ToAnsiForDisplay(lines_.Line(index));
}

// As a list box draws its own texts: the system's colours, the selection highlighted, the text
// one pixel in from the left, and the focus rectangle around the caret's line.
void Win32FormWindow::DrawResultLine(const DRAWITEMSTRUCT& item) const {
  RECT area = item.rcItem;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  // The focus rectangle alone is drawn inverted: drawn twice, it is gone again.
  if (item.itemID == static_cast<UINT>(-1) || item.itemAction == ODA_FOCUS) {
    if (focused || item.itemAction == ODA_FOCUS) {
      ::DrawFocusRect(item.hDC, &area);
    }
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const int text = selected                               ? COLOR_HIGHLIGHTTEXT
                   : (item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                                                          : COLOR_WINDOWTEXT;
  std::optional<Selection> font;
  if (font_ != nullptr) {
    font.emplace(item.hDC, font_.get());
  }
  const COLORREF background =
      ::SetBkColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const COLORREF foreground = ::SetTextColor(item.hDC, ::GetSysColor(text));
  const std::string line = item.itemID < lines_.Count() ? DrawnText(item.itemID) : std::string();
  ::ExtTextOutA(item.hDC, area.left + 1, area.top, ETO_OPAQUE | ETO_CLIPPED, &area, line.data(),
                static_cast<UINT>(line.size()), nullptr);
  ::SetTextColor(item.hDC, foreground);
  ::SetBkColor(item.hDC, background);
  if (focused) {
    ::DrawFocusRect(item.hDC, &area);
  }
}

// A typed character moves the caret to the next line that starts with it, in any case, after
// the caret and then from the top, as in a list box that holds its texts.
LRESULT Win32FormWindow::OnCharToItem(wchar_t typed, LRESULT caret) const {
  const std::size_t count = std::min(shownCount_, lines_.Count());
  // Without a caret the search starts at the top.
  const std::size_t from = caret >= 0 && static_cast<std::size_t>(caret) < count
                               ? static_cast<std::size_t>(caret)
                               : count - 1;
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t index = (from + step) % count;
    const std::wstring first = FirstDrawnCharacter(lines_.Line(index));
    if (!first.empty() &&
        ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &typed, 1, first.data(),
                         static_cast<int>(first.size())) == CSTR_EQUAL) {
      return static_cast<LRESULT>(index);
    }
  }
  return -2;  // no line starts so: nothing moves
}

bool Win32FormWindow::IsSelected(std::size_t index) const {
  return ::SendMessageA(Named("lstResult"), LB_GETSEL, index, 0) > 0;
}

}  // namespace brivanto::win32ui
