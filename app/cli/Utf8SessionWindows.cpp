#include "app/cli/Utf8Session.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "base/WideText.h"

namespace app {

Utf8Session::Utf8Session(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            arguments_.push_back(base::ToUtf8(wide[i]));
        }
        ::LocalFree(wide);
    } else {
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
