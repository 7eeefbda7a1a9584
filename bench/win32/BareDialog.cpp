// The yardstick of the Win32 window's start-up: a bare window with the same controls at the same
// places in the same font, without the window logic, the settings file or the localization engine.
// It closes itself after its first paint, as dtusms.exe --exit-after-paint does.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/win32/MainWindowLayout.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static bool painted = false;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            if (!painted) {
                painted = true;
                SetTimer(window, 1, USER_TIMER_MINIMUM, nullptr);
            }
            return 0;
        }
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

const wchar_t* ClassOf(app::win32::Kind kind) {
    using app::win32::Kind;
    switch (kind) {
        case Kind::GroupBox:
        case Kind::Button:
        case Kind::MenuButton:
            return WC_BUTTONW;
        case Kind::DropDownList:
            return WC_COMBOBOXW;
        case Kind::Edit:
        case Kind::PortEdit:
            return WC_EDITW;
        case Kind::StatusBar:
            return STATUSCLASSNAMEW;
        default:
            return WC_STATICW;
    }
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"BareDialog";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"BareDialog", L"TQ-3VOVE configuration tool",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 501,
                                  334, nullptr, nullptr, instance, nullptr);
    HFONT font =
        CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    for (const app::win32::ControlPlace& place : app::win32::Controls()) {
        const std::wstring text(place.text.begin(), place.text.end());
        HWND control =
            CreateWindowExW(0, ClassOf(place.kind), text.c_str(), WS_CHILD | WS_VISIBLE, place.left,
                            place.top, place.width, place.height, window, nullptr, instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (std::string_view item : place.items) {
            const std::wstring line(item.begin(), item.end());
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        }
        if (place.kind == app::win32::Kind::PortEdit) {
            HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT,
                                          0, 0, 0, 0, window, nullptr, instance, nullptr);
            SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
        }
    }
    HMENU menu = CreatePopupMenu();
    for (std::string_view item : app::win32::kLanguageItemTexts) {
        AppendMenuW(menu, MF_STRING, 1, std::wstring(item.begin(), item.end()).c_str());
    }
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyMenu(menu);
    DeleteObject(font);
    return 0;
}
