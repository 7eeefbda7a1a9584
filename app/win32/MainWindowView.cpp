// The main window's side of the window logic (logic::WindowView: texts, lists, marks, boxes) and
// the port field's own keys, wheel and focus rules.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "app/logic/PortValue.h"
#include "app/win32/MainWindow.h"
#include "app/win32/ObjectAccess.h"
#include "app/win32/WideText.h"
#include "i18n/EngineStartup.h"

namespace app::win32 {

LRESULT CALLBACK MainWindow::PortEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR selfPointer) {
    auto* self = reinterpret_cast<MainWindow*>(selfPointer);
    switch (message) {
        case WM_CHAR: {
            const auto key = static_cast<wchar_t>(wParam);
            if (key < L' ' || (key >= L'0' && key <= L'9')) {
                break;
            }
            DWORD start = 0;
            DWORD end = 0;
            SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            const std::wstring text = WindowText(edit);
            const bool signPlace =
                start == 0 && (text.empty() || end > 0 || (text[0] != L'+' && text[0] != L'-'));
            if ((key == L'+' || key == L'-') && signPlace) {
                break;
            }
            self->Beep();
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_PRIOR || wParam == VK_NEXT) {
                self->StepPort(wParam == VK_PRIOR ? 10 : -10);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL: {
            const int step = (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0 ? 10 : 1;
            self->StepPort(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? step : -step);
            return 0;
        }
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void MainWindow::StepPort(int steps) {
    HWND edit = Of(logic::Control::Port);
    const int value = logic::PortValueOfText(Utf8(WindowText(edit)));
    const long long stepped = static_cast<long long>(value) + steps;
    const int limited =
        static_cast<int>(std::clamp<long long>(stepped, logic::kPortMinimum, logic::kPortMaximum));
    // A change like a typed one: the logic's handler stores it.
    SetWindowTextW(edit, std::to_wstring(limited).c_str());
}

void MainWindow::PortFocusLost() {
    HWND edit = Of(logic::Control::Port);
    const std::wstring text = WindowText(edit);
    const int value =
        std::clamp(logic::PortValueOfText(Utf8(text)), logic::kPortMinimum, logic::kPortMaximum);
    const std::wstring limited = std::to_wstring(value);
    if (limited != text) {
        SetWindowTextW(edit, limited.c_str());
    }
}

std::size_t MainWindow::IndexOf(std::string_view name) const {
    const std::vector<ControlPlace>& places = Controls();
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i].name == name) {
            return i;
        }
    }
    return 0;
}

HWND MainWindow::Of(logic::Control control) const {
    const std::vector<ControlPlace>& places = Controls();
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i].control == control) {
            return controls_[i];
        }
    }
    return nullptr;
}

std::string MainWindow::Text(logic::Control control) const {
    HWND handle = Of(control);
    if (control == logic::Control::Status) {
        const auto length = LOWORD(SendMessageW(handle, SB_GETTEXTLENGTHW, 0, 0));
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(handle, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length);
        return Utf8(text);
    }
    return Utf8(WindowText(handle));
}

void MainWindow::SetText(logic::Control control, const std::string& text) {
    HWND handle = Of(control);
    const std::wstring wide = Wide(text);
    if (control == logic::Control::Status) {
        SendMessageW(handle, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        return;
    }
    // Setting the text shown already would still move the caret and the selection.
    if (WindowText(handle) == wide) {
        return;
    }
    placing_ = true;
    SetWindowTextW(handle, wide.c_str());
    placing_ = false;
}

int MainWindow::Selected(logic::Control list) const {
    return static_cast<int>(SendMessageW(Of(list), CB_GETCURSEL, 0, 0));
}

void MainWindow::Select(logic::Control list, int index) {
    // An index outside the list clears the selection.
    SendMessageW(Of(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void MainWindow::Enable(logic::Control control, bool enabled) {
    EnableWindow(Of(control), enabled ? TRUE : FALSE);
}

void MainWindow::MarkLanguage(int number, bool checked) {
    CheckMenuItem(menu_, static_cast<UINT>(number), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

i18n::ObjectPtr MainWindow::Component() {
    if (!component_) {
        component_ = WrapWindow(*this);
    }
    return component_;
}

void MainWindow::TranslateWindow() {
    i18n::TranslateComponent(Component());
    FitLabels();
}

void MainWindow::RetranslateWindow() {
    i18n::RetranslateComponent(Component());
    FitLabels();
}

void MainWindow::ShowPrompt(const std::string& caption, const std::string& text) {
    MessageBoxW(window_, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainWindow::ShowError(const std::string& caption, const std::string& text) {
    MessageBoxW(window_, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONERROR);
}

void MainWindow::Beep() {
    MessageBeep(MB_OK);
}

void MainWindow::CloseWindow() {
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

}  // namespace app::win32
