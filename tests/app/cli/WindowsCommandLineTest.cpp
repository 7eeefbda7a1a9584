#include "app/cli/WindowsCommandLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>
#endif

namespace {

using Arguments = std::vector<std::wstring>;

TEST(WindowsCommandLineTest, SplitsByTheBackslashAndQuotationMarkRules) {
    struct Row {
        std::wstring line;
        Arguments expected;
    };
    const Row rows[] = {
        {L"", {}},
        {L"dtusms.exe", {L"dtusms.exe"}},
        {L"dtusms.exe  \t ", {L"dtusms.exe"}},
        {LR"("abc" d e)", {L"abc", L"d", L"e"}},
        {LR"(p a\\\b d"e f"g h)", {L"p", LR"(a\\\b)", L"de fg", L"h"}},
        {LR"(p a\\\"b c d)", {L"p", LR"(a\"b)", L"c", L"d"}},
        {LR"(p a\\\\"b c" d e)", {L"p", LR"(a\\b c)", L"d", L"e"}},
        {LR"(p "" x)", {L"p", L"", L"x"}},
        {LR"(p a"b"" c d)", {L"p", LR"(ab")", L"c", L"d"}},
        {LR"(p """x""")", {L"p", LR"("x")"}},
        {LR"(p --settings "C:\Users\Zhāng Wěi\GPRSInfo.ini")",
         {L"p", L"--settings", LR"(C:\Users\Zhāng Wěi\GPRSInfo.ini)"}},
        {L"p\ta\t\tb", {L"p", L"a", L"b"}},
        // The program's name takes no escapes and ends at its closing mark, whatever follows.
        {LR"("C:\Program Files\dtusms\dtusms.exe" --version)",
         {LR"(C:\Program Files\dtusms\dtusms.exe)", L"--version"}},
        {LR"("C:\a b\p.exe"x y)", {LR"(C:\a b\p.exe)", L"x", L"y"}},
        {LR"(C:\a\"b c)", {LR"(C:\a\"b)", L"c"}},
        {LR"("unclosed name)", {L"unclosed name"}},
        {LR"(p "unclosed argument)", {L"p", L"unclosed argument"}},
        {LR"(p trailing\)", {L"p", LR"(trailing\)"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.expected, app::SplitWindowsCommandLine(row.line))
            << std::string(row.line.begin(), row.line.end());
    }
}

#ifdef _WIN32
Arguments FromTheShell(const std::wstring& line) {
    int count = 0;
    wchar_t** split = ::CommandLineToArgvW(line.c_str(), &count);
    Arguments arguments(split, split + count);
    ::LocalFree(split);
    return arguments;
}

// Lines made of the characters that the rules treat specially, against the system's own splitter.
TEST(WindowsCommandLineTest, AgreesWithTheSystemsSplitter) {
    const wchar_t alphabet[] = {L'a', L' ', L'\t', L'"', L'\\', L'\x4E2D'};
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<std::size_t> length(1, 14);
    for (int round = 0; round < 5000; ++round) {
        std::wstring line;
        for (std::size_t n = length(random); n > 0; --n) {
            line += alphabet[pick(random)];
        }
        ASSERT_EQ(FromTheShell(line), app::SplitWindowsCommandLine(line)) << "round " << round;
    }
}
#endif

}  // namespace
