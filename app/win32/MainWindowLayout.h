#pragma once

// The controls of the main window as the Win32 window builds them: name, kind, container, position
// and size in pixels at 96 DPI relative to the container, English text, and the logic's control.
// Listed in tab order; every control is a child of the window itself, placed at its container's
// origin plus its own position, so that notifications reach the window directly.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "app/logic/WindowView.h"

namespace app::win32 {

enum class Kind {
    GroupBox,
    Label,
    AutoWidthLabel,
    DropDownList,
    Edit,
    PortEdit,
    Button,
    MenuButton,
    StatusBar
};

struct ControlPlace {
    std::string_view name;
    Kind kind;
    int left, top, width, height;  // in the window's client area, at 96 DPI
    std::string_view text;
    std::optional<logic::Control> control;
    std::vector<std::string_view> items = {};
};

// A control's identifier is kFirstControlId plus its index in Controls().
inline constexpr int kFirstControlId = 100;
inline constexpr wchar_t kWindowClass[] = L"Ttntfrm_Main";

inline constexpr int kClientWidth = 495;
inline constexpr int kClientHeight = 305;
inline constexpr int kDtuNumberKeyboardLimit = 11;

// How far left a label's box may grow when its text is wider than the box (a face a little wider than
// Tahoma, a long translation): to the window's edge in the first column, up to the control
// before it in the second. Its right edge (a right-aligned label's) stays where it is.
int LabelLeftLimit(const ControlPlace& label);
// How far right the label whose width follows its text may reach: up to the command line.
inline constexpr int kAutoWidthLabelRightLimit = 110;

// Every control, in creation and tab order.
const std::vector<ControlPlace>& Controls();

// The language menu's items, in the order of their language numbers.
inline constexpr std::array<std::string_view, 4> kLanguageItemNames = {
    "tntmntm_Automatic", "tntmntm_English", "tntmntm_SimplifiedChinese", "tntmntm_TraditionalChinese"};
inline constexpr std::array<std::string_view, 4> kLanguageItemTexts = {
    "Automatic", "English", "Simplified Chinese", "Traditional Chinese"};

}  // namespace app::win32
