// Looks into the running Win32 window from outside, for the end-to-end test under Wine: the test
// types and clicks with the X server's input, and reads back what the window shows with this.
//
//   window_probe wait             waits up to 30 s for the window; exit 1 if it never comes
//   window_probe title            the window's title (UTF-8)
//   window_probe client           the window's client area on the screen: "WIDTHxHEIGHT+LEFT+TOP"
//   window_probe text NAME        the text of the control NAME (tntedt_SMSCommandFormat, ...)
//   window_probe point NAME       the screen point in the middle of the control NAME: "x y"
//   window_probe gone             waits up to 30 s for the window to close; exit 1 if it stays
//   window_probe console          "console" when the window's process is attached to a console, else
//                                 "none" (the probe leaves its own console to look)
//   window_probe dialog           waits up to 30 s for the "Send SMS" dialog; exit 1 if it never comes
//   window_probe dialog-gone      waits up to 30 s for the dialog to close; exit 1 if it stays
//   window_probe dialog-client, dialog-title, dialog-text NAME, dialog-point NAME
//                                 as above, for the dialog and its controls (tntedt_SMSCommand, ...)

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/win32/MainWindowLayout.h"
#include "app/win32/SendSmsDialogLayout.h"
#include "app/win32/WideText.h"

namespace {

HWND Window() {
    return FindWindowW(app::win32::kWindowClass, nullptr);
}

HWND Control(HWND window, std::string_view name) {
    const auto& controls = app::win32::Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name) {
            return GetDlgItem(window, app::win32::kFirstControlId + static_cast<int>(i));
        }
    }
    return nullptr;
}

// The dialog owned by the window (the standard dialog class), shown or, with `hiddenToo`, still
// existing: a closed dialog is hidden at once and destroyed once its own message loop has ended.
HWND FindDialog(bool hiddenToo) {
    HWND window = Window();
    for (HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); dialog != nullptr;
         dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
        if (window != nullptr && GetWindow(dialog, GW_OWNER) == window &&
            (hiddenToo || IsWindowVisible(dialog))) {
            return dialog;
        }
    }
    return nullptr;
}

HWND Dialog() {
    return FindDialog(false);
}

HWND DialogOrItsRest() {
    return FindDialog(true);
}

HWND DialogControl(HWND dialog, std::string_view name) {
    const std::size_t index = app::win32::SendDialogIndex(name);
    if (index == app::win32::SendDialogControls().size()) {
        return nullptr;
    }
    return GetDlgItem(dialog, app::win32::kFirstSendControlId + static_cast<int>(index));
}

bool WaitFor(HWND (*find)(), bool present) {
    for (int i = 0; i < 300; ++i) {
        if ((find() != nullptr) == present) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

// Asked with WM_GETTEXT: GetWindowText of another process's control answers only the text stored with
// the window, which an edit line does not keep there.
std::string TextOf(HWND control) {
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return app::win32::Utf8(text);
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "wait" || command == "gone") {
        return WaitFor(&Window, command == "wait") ? 0 : 1;
    }
    if (command == "dialog" || command == "dialog-gone") {
        return command == "dialog" ? (WaitFor(&Dialog, true) ? 0 : 1)
                                   : (WaitFor(&DialogOrItsRest, false) ? 0 : 1);
    }
    const bool ofDialog = command.rfind("dialog-", 0) == 0;
    HWND window = ofDialog ? Dialog() : Window();
    if (ofDialog) {
        command.erase(0, std::string_view("dialog-").size());
    }
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no window\n");
        return 1;
    }
    if (command == "title") {
        Print(TextOf(window));
        return 0;
    }
    if (command == "console") {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        // A process can be attached to one console only, and only to one that exists.
        FreeConsole();
        const bool attached = AttachConsole(process) != 0;
        Print(attached ? "console" : "none");
        return 0;
    }
    if (command == "client") {
        RECT client{};
        GetClientRect(window, &client);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        Print(std::to_string(client.right) + "x" + std::to_string(client.bottom) + "+" +
              std::to_string(origin.x) + "+" + std::to_string(origin.y));
        return 0;
    }
    HWND control = argc <= 2 ? nullptr : ofDialog ? DialogControl(window, argv[2]) : Control(window, argv[2]);
    if (control == nullptr) {
        std::fprintf(stderr,
                     "window_probe: usage: window_probe "
                     "wait|gone|console|dialog|dialog-gone|[dialog-]title|client|text NAME|point NAME\n");
        return 2;
    }
    if (command == "text") {
        Print(TextOf(control));
        return 0;
    }
    if (command == "point") {
        RECT rect{};
        GetWindowRect(control, &rect);
        Print(std::to_string((rect.left + rect.right) / 2) + " " +
              std::to_string((rect.top + rect.bottom) / 2));
        return 0;
    }
    return 2;
}
