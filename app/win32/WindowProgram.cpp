#include "app/win32/WindowProgram.h"

#include <windows.h>

#include <cstdio>
#include <exception>

#include "app/cli/WindowArguments.h"
#include "app/win32/MainWindow.h"
#include "app/win32/WideText.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "i18n/GnuGettextInstance.h"

namespace {

// The localization engine's own messages: a box without owner.
class MessageBoxSink final : public i18n::MessageSink {
public:
    void ShowMessage(const std::string& caption, const std::string& text) override {
        MessageBoxW(nullptr, app::win32::Wide(text).c_str(), app::win32::Wide(caption).c_str(), MB_OK);
    }
};

// dtusms.exe is a console program for the sake of its command line, so Windows gives it a console
// of its own when it is started from Explorer or the Start menu; the window has no use for it, and it
// is released so that it closes. A console shared with the command prompt the program was started
// from stays as it is.
void ReleaseConsoleOfItsOwn() {
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) == 1) {
        FreeConsole();
    }
}

int RunWindow(int argc, char** argv) {
    const app::WindowOptions options = app::ParseWindowOptions(argc, argv);
    if (!app::CanOpenWindow(options)) {
        return 2;
    }
    ReleaseConsoleOfItsOwn();
    MessageBoxSink engineMessages;
    // The engine starts before the window exists and shuts down after it is gone.
    const i18n::EngineSession engine(base::ProgramFilePath(), i18n::SystemLocaleSource(), engineMessages);
    app::win32::MainWindow window(GetModuleHandleW(nullptr),
                                  {options.settingsPath, options.exitAfterPaint, options.screenshotFile});
    return window.Run();
}

}  // namespace

namespace app::win32 {

int RunWindowProgram(int argc, char** argv) {
    try {
        return RunWindow(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "dtusms: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "dtusms: the window program failed\n");
    }
    return 1;
}

}  // namespace app::win32
