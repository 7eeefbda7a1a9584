#pragma once

// A UTF-8 path as a std::filesystem::path. On POSIX the bytes pass unchanged; on Windows a path made
// from a plain std::string would be read in the ANSI code page, which cannot spell most names outside
// it (Chinese ones on a Western system), so the text is converted from UTF-8 to UTF-16 instead.

#include <filesystem>
#include <string>
#include <string_view>

namespace base {

// `utf8` as a path; an empty path when it is not valid UTF-8 on a system that must convert it.
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    try {
        return {std::u8string(utf8.begin(), utf8.end())};
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace base
