#pragma once

#include <array>
#include <string_view>

namespace brivanto::layout {

enum class ControlKind { Frame, Button, PictureButton, TextBox, ListBox, Label };

// One control of the window as the designer placed it. Positions and sizes are in twips
// (1/1440 inch), relative to the client area of the container.
struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::string_view container;  // "frmRepairDb" or "frmMaintenance"
  std::string_view caption;
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
};

inline constexpr std::string_view kWindowName = "frmRepairDb";
inline constexpr std::string_view kDesignCaption = "Repareren database";
inline constexpr int kClientWidth = 9210;
inline constexpr int kClientHeight = 2895;
// Outer heights with the maintenance panel hidden and shown; the hidden panel lies below the
// visible part of the window.
inline constexpr int kOuterHeightPanelHidden = 3285;
inline constexpr int kOuterHeightPanelShown = 12045;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kIconPixels = 32;

inline constexpr std::string_view kPathTooltip = "Selecteer de database om te repareren";

// In the order of the form definition.
inline constexpr std::array<ControlLayout, 17> kControls{{
    {"frmMaintenance", ControlKind::Frame, "frmRepairDb", "SQL query", 120, 2880, 8895, 8655, 8},
    {"cmdCopy", ControlKind::Button, "frmMaintenance", "Kopieren", 3938, 8040, 1335, 375, 16},
    {"txtQuery", ControlKind::TextBox, "frmMaintenance", "", 120, 480, 8655, 975, 12},
    {"cmdClear", ControlKind::Button, "frmMaintenance", "Wissen", 7320, 1560, 1455, 375, 11},
    {"cmdExecute", ControlKind::Button, "frmMaintenance", "Uitvoeren", 5640, 1560, 1455, 375, 10},
    {"lstResult", ControlKind::ListBox, "frmMaintenance", "", 120, 2160, 8655, 5715, 9},
    {"lblQuery", ControlKind::Label, "frmMaintenance", "Query:", 120, 240, 615, 255, 15},
    {"lblResult", ControlKind::Label, "frmMaintenance", "Resultaat:", 120, 1920, 855, 255, 14},
    {"lblDb", ControlKind::Label, "frmMaintenance", "Databasetype:", 120, 1680, 2775, 255, 13},
    {"cmdMaintenance", ControlKind::Button, "frmRepairDb", "Onderhoud", 6000, 2280, 975, 495, 7},
    {"btnSelectImagePath", ControlKind::PictureButton, "frmRepairDb", "", 8400, 1440, 495, 495, 5},
    {"txtDir", ControlKind::TextBox, "frmRepairDb", "", 240, 1560, 7815, 285, 4},
    {"btnSelectPath", ControlKind::PictureButton, "frmRepairDb", "", 8400, 480, 495, 495, 2},
    {"txtPath", ControlKind::TextBox, "frmRepairDb", "", 240, 600, 7815, 285, 1},
    {"cmdRepair", ControlKind::Button, "frmRepairDb", "Repareren", 2520, 2280, 1695, 495, 0},
    {"lblImageDir", ControlKind::Label, "frmRepairDb", "Pad voor images:", 240, 1080, 1695, 255, 6},
    {"Label1", ControlKind::Label, "frmRepairDb", "Pad naar database:", 240, 240, 4335, 255, 3},
}};

// Null when no control has that name.
const ControlLayout* FindControl(std::string_view name);

}  // namespace brivanto::layout
