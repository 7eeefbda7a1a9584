// The colours of the QR drawing on a Windows console: virtual-terminal processing switched on while
// they are written and given back after; a file or pipe gets none.

#include <gtest/gtest.h>
#include <windows.h>

#include "app/cli/Terminal.h"

namespace app {
namespace {

// This process's own console as standard output while the object lives.
class ConsoleAsStandardOutput final {
public:
    ConsoleAsStandardOutput() {
        // Wine attaches a console-less program to a console of its own that has no screen buffer.
        ::FreeConsole();
        allocated_ = ::AllocConsole() != 0;
        console_ = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        ::SetStdHandle(STD_OUTPUT_HANDLE, console_);
    }
    // AllocConsole and FreeConsole replace all three standard handles: they are given back after.
    ~ConsoleAsStandardOutput() {
        ::CloseHandle(console_);
        if (allocated_) {
            ::FreeConsole();
        }
        ::SetStdHandle(STD_INPUT_HANDLE, earlierInput_);
        ::SetStdHandle(STD_OUTPUT_HANDLE, earlierOutput_);
        ::SetStdHandle(STD_ERROR_HANDLE, earlierError_);
    }
    ConsoleAsStandardOutput(const ConsoleAsStandardOutput&) = delete;
    ConsoleAsStandardOutput& operator=(const ConsoleAsStandardOutput&) = delete;

    bool valid() const { return console_ != INVALID_HANDLE_VALUE; }
    DWORD Mode() const {
        DWORD mode = 0;
        ::GetConsoleMode(console_, &mode);
        return mode;
    }
    void SetMode(DWORD mode) const { ::SetConsoleMode(console_, mode); }

private:
    HANDLE earlierInput_ = ::GetStdHandle(STD_INPUT_HANDLE);
    HANDLE earlierOutput_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE earlierError_ = ::GetStdHandle(STD_ERROR_HANDLE);
    HANDLE console_ = INVALID_HANDLE_VALUE;
    bool allocated_ = false;
};

TEST(TerminalColoursWindowsTest, AConsoleTakesEscapeSequencesWhileTheColoursLiveAndGetsItsModeBack) {
    const ConsoleAsStandardOutput console;
    ASSERT_TRUE(console.valid());
    const DWORD plain = console.Mode() & ~static_cast<DWORD>(ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    for (const DWORD before : {plain, plain | ENABLE_VIRTUAL_TERMINAL_PROCESSING}) {
        SCOPED_TRACE(before);
        console.SetMode(before);
        {
            const TerminalColours colours;
            EXPECT_TRUE(colours.available());
            EXPECT_NE(console.Mode() & ENABLE_VIRTUAL_TERMINAL_PROCESSING, 0U);
        }
        EXPECT_EQ(console.Mode(), before);
    }
}

TEST(TerminalColoursWindowsTest, AFileAsStandardOutputGetsNoColours) {
    const HANDLE earlier = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE nul =
        ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, nul);
    const bool available = TerminalColours().available();
    ::SetStdHandle(STD_OUTPUT_HANDLE, earlier);
    ::CloseHandle(nul);
    EXPECT_FALSE(available);
}

}  // namespace
}  // namespace app
