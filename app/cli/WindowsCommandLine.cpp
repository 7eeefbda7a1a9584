#include "app/cli/WindowsCommandLine.h"

namespace app {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::size_t SkipBlanks(std::wstring_view line, std::size_t at) {
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    return at;
}

// The program's name, taken as it stands; `at` moves past it.
std::wstring ProgramName(std::wstring_view line, std::size_t& at) {
    if (line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        if (close == std::wstring_view::npos) {
            at = line.size();
            return std::wstring(line.substr(1));
        }
        at = close + 1;
        return std::wstring(line.substr(1, close - 1));
    }
    at = 0;
    while (at < line.size() && !IsBlank(line[at])) {
        ++at;
    }
    return std::wstring(line.substr(0, at));
}

// The arguments after the program's name, one character at a time.
class ArgumentSplitter {
public:
    explicit ArgumentSplitter(std::vector<std::wstring>& arguments) : arguments_(arguments) {}

    void Split(std::wstring_view line, std::size_t at) {
        open_ = at < line.size();
        while (at < line.size()) {
            const wchar_t c = line[at];
            if (IsBlank(c) && quotes_ == 0) {
                arguments_.push_back(std::move(current_));
                current_.clear();
                at = SkipBlanks(line, at);
                open_ = at < line.size();
                backslashes_ = 0;
            } else if (c == L'"') {
                at = QuotationMarks(line, at);
            } else {
                backslashes_ = c == L'\\' ? backslashes_ + 1 : 0;
                current_ += c;
                ++at;
            }
        }
        if (open_) {
            arguments_.push_back(std::move(current_));
        }
    }

private:
    // A run of quotation marks starting at `at`; returns the position after it.
    std::size_t QuotationMarks(std::wstring_view line, std::size_t at) {
        // The backslashes were copied as they came; half of them stay, and an odd one escapes the mark.
        current_.resize(current_.size() - backslashes_ / 2);
        if (backslashes_ % 2 == 0) {
            ++quotes_;
        } else {
            current_.back() = L'"';
        }
        backslashes_ = 0;
        for (++at; at < line.size() && line[at] == L'"'; ++at) {
            if (++quotes_ == 3) {
                current_ += L'"';
                quotes_ = 0;
            }
        }
        if (quotes_ == 2) {
            quotes_ = 0;
        }
        return at;
    }

    std::vector<std::wstring>& arguments_;
    std::wstring current_;
    bool open_ = false;            // an argument has begun
    int quotes_ = 0;               // 1 inside a quoted part
    std::size_t backslashes_ = 0;  // the backslashes just copied
};

}  // namespace

std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view line) {
    std::vector<std::wstring> arguments;
    if (line.empty()) {
        return arguments;
    }
    std::size_t at = 0;
    arguments.push_back(ProgramName(line, at));
    ArgumentSplitter(arguments).Split(line, SkipBlanks(line, at));
    return arguments;
}

}  // namespace app
