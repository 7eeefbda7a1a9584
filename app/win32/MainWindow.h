#pragma once

// The main window tntfrm_Main drawn with the standard Win32 controls: the layout of
// MainWindowLayout.h scaled from 96 DPI to the window's DPI, Tahoma 8 pt, the language popup menu,
// the port field's up-down control and the status bar. It is a view: every event goes to the window
// logic (app/logic/WindowLogic.h), which tells it what to show.
//
// Threads: the window lives on the thread that made it, which runs its message loop (Run). The
// server checks run on a worker thread each, which posts its end back with PostMessageW; the
// destructor waits for a worker still running, which stops at its next step once the window closed.

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/WindowLogic.h"
#include "app/logic/WindowView.h"
#include "app/win32/MainWindowLayout.h"
#include "app/win32/SendSmsDialog.h"
#include "i18n/ObjectAccess.h"

namespace app::win32 {

class MainWindow final : private logic::WindowView {
public:
    struct Options {
        std::string settingsPath;  // empty: the default settings location
        bool exitAfterPaint = false;
        // Saved as a PNG of the client area after the first paint, then the window closes.
        std::optional<std::string> screenshotFile;
    };

    MainWindow(HINSTANCE instance, Options options);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window centred on the desktop and handles its messages until it is closed; returns
    // the exit code.
    int Run();

    // What the window translation walks: the window and its controls.
    i18n::ObjectPtr Component();

    // The handles of the window's parts, for the translation layer.
    HWND Handle() const { return window_; }
    HWND ControlHandle(std::size_t index) const { return controls_.at(index); }
    HMENU LanguageMenu() const { return menu_; }

private:
    struct Job;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PortEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void ApplyDpi(UINT dpi);
    // Gives the window the program's icon, big and small, in the sizes of the window's DPI.
    void ApplyIcons();
    int Scaled(int pixels) const;
    // A control's box in the window at its DPI.
    RECT BoxOf(const ControlPlace& place) const;
    // The window's outer size for its client area at its DPI.
    RECT Frame() const;
    static HFONT FontFor(UINT dpi);
    void Command(std::size_t index, UINT code);
    void OpenLanguageMenu();
    void FitLabels();
    void StepPort(int steps);
    void PortFocusLost();
    void RunPosted();
    void OpenSendSmsDialog();
    // After the first paint with --exit-after-paint or --screenshot: the picture, then closing.
    void FirstPaintDone();

    HWND Of(logic::Control control) const;
    std::size_t IndexOf(std::string_view name) const;

    // logic::WindowView
    std::string Text(logic::Control control) const override;
    void SetText(logic::Control control, const std::string& text) override;
    int Selected(logic::Control list) const override;
    void Select(logic::Control list, int index) override;
    void Enable(logic::Control control, bool enabled) override;
    void MarkLanguage(int number, bool checked) override;
    void TranslateWindow() override;
    void RetranslateWindow() override;
    void ShowPrompt(const std::string& caption, const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    void Beep() override;
    void CloseWindow() override;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override;
    void Post(std::function<void()> task) override;

    HINSTANCE instance_;
    Options options_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HMENU menu_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<HWND> controls_;    // by the index of Controls()
    std::vector<RECT> labelBoxes_;  // where FitLabels put each label, by the same index
    HWND portUpDown_ = nullptr;
    bool placing_ = false;  // a text set by the program: no change notification for the logic
    bool painted_ = false;
    int exitCode_ = 0;  // what Run() returns: 1 when the screenshot could not be saved
    std::vector<HANDLE> workers_;
    std::mutex postedLock_;
    std::deque<std::function<void()>> posted_;
    std::shared_ptr<i18n::TObjectAccess> component_;
    std::unique_ptr<logic::WindowLogic> logic_;
    // Made at its first opening; keeps the modems found and the last outcome between openings.
    std::unique_ptr<SendSmsDialog> sendSmsDialog_;
};

}  // namespace app::win32
