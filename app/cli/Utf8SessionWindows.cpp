#include "app/cli/Utf8Session.h"

#include <windows.h>

#include "app/cli/WindowsCommandLine.h"
#include "base/WideText.h"

namespace app {

Utf8Session::Utf8Session(int argc, char** argv) {
    for (const std::wstring& argument : SplitWindowsCommandLine(::GetCommandLineW())) {
        arguments_.push_back(base::ToUtf8(argument));
    }
    if (arguments_.empty()) {
        arguments_.assign(argv, argv + argc);
    }
    for (std::string& argument : arguments_) {
        pointers_.push_back(argument.data());
    }
    pointers_.push_back(nullptr);

    // Only a console is told: a file or pipe gets the program's bytes, which are UTF-8 anyway.
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode);
    const UINT before = ::GetConsoleOutputCP();
    if (console && before != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        consoleCodePage_ = before;
    }
}

Utf8Session::~Utf8Session() {
    if (consoleCodePage_ != 0) {
        ::SetConsoleOutputCP(consoleCodePage_);
    }
}

}  // namespace app
