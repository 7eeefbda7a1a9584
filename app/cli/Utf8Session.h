#pragma once

// The program's arguments and console in UTF-8 on every system, for main().
//
// POSIX passes the arguments as they came (UTF-8 on every current desktop) and a terminal shows UTF-8
// as it is. Windows hands main() its arguments in the ANSI code page, which loses every character
// outside it (a Chinese folder name on a Western system), and a console shows bytes in its own code
// page: the Windows build (Utf8SessionWindows.cpp) reads the command line again in UTF-16 and
// converts it, and sets a console's output code page to UTF-8 for as long as the session lives.

#include <string>
#include <vector>

namespace app {

class Utf8Session final {
public:
    // Takes main()'s arguments; they must outlive the session on POSIX, where they are passed on.
    Utf8Session(int argc, char** argv);
    // Gives a console back the code page it had.
    ~Utf8Session();
    Utf8Session(const Utf8Session&) = delete;
    Utf8Session& operator=(const Utf8Session&) = delete;

    // The arguments in UTF-8, the program's name first, as main() takes them (argv()[argc()] is null).
    int argc() const noexcept { return static_cast<int>(pointers_.size()) - 1; }
    char** argv() noexcept { return pointers_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
#ifdef _WIN32
    unsigned consoleCodePage_ = 0;  // the console's earlier output code page; 0: unchanged
#endif
};

}  // namespace app
