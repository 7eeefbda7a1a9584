#pragma once

// The controls of the "Send SMS" dialog as the Win32 dialog builds them, in dialog units (which follow
// the dialog's font, so the dialog keeps its proportions at any scale): name, window class, style,
// position and size, and English caption. Listed in tab order; a control's identifier is
// kFirstSendControlId plus its index. The Details log is last: it is shown below the rest only while
// Details is pressed.

#include <windows.h>

#include <string_view>
#include <vector>

namespace app::win32 {

struct DialogControlSpec {
    std::string_view name;
    const wchar_t* windowClass;
    DWORD style;
    short left, top, width, height;  // dialog units
    std::string_view text;
};

inline constexpr int kFirstSendControlId = 200;

// The dialog's client area without the Details log, and the log's height below it.
inline constexpr short kSendDialogWidth = 300;
inline constexpr short kSendDialogHeight = 279;
inline constexpr short kSendLogHeight = 76;
// The least of the log that stays when the screen is too small for all of it.
inline constexpr short kSendLogMinimumHeight = 24;

const std::vector<DialogControlSpec>& SendDialogControls();

// The index in SendDialogControls() of the control `name`; the list's size when there is none.
std::size_t SendDialogIndex(std::string_view name);

// A dialog template in memory (DLGTEMPLATE and its items, DWORD-aligned) for DialogBoxIndirectParamW:
// the controls above with their English captions, in Tahoma 8 pt, titled `title`.
std::vector<WORD> SendDialogTemplate(const std::wstring& title);

}  // namespace app::win32
