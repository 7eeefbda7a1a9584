#pragma once

// A profile (INI) file read and written one key at a time, with the semantics of the Windows
// private-profile functions; see the function comments and settings/ProfileText.h for the exact rules.

#include <stdexcept>
#include <string>
#include <string_view>

namespace settings {

// A write that the system refused. what() is UnableToWriteText(path) of sms/BuiltInTexts.h, "Unable
// to write to <path>", translated while the localization engine runs.
class ProfileWriteError : public std::runtime_error {
public:
    ProfileWriteError(const std::string& message, std::string path)
        : std::runtime_error(message), path_(std::move(path)) {}
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

// One settings-file object lives for one read or one write.
class ProfileFile {
public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    // The value of `key` in `section` (names matched without regard to ASCII case), blanks around it
    // and one pair of matching quotes removed, cut by CapProfileValue to at most 2047 bytes;
    // `defaultValue` without the spaces at its end when the file, section or key is missing.
    // Never throws.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // The value read as ReadString does, converted: decimal with optional sign, or hexadecimal after
    // "$" or "0x"; empty, other text, or out of 32-bit range gives `defaultValue`. Never throws.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Replaces the key's value in place (keeping the key's spelling in the file) or appends the key,
    // and the section when missing; every other byte of the file stays as it was. A value holding a
    // CR, LF or NUL is written up to that character only. A symbolic link is followed and its target
    // written. The file is replaced atomically and keeps its permissions; a missing file is created.
    // A writable file in a folder that refuses the replacement's temporary file for lack of
    // permission is rewritten in place instead (RewriteFileInPlace: not atomic).
    // Throws ProfileWriteError when the file (or, for a new file, its folder) is not writable, is no
    // regular file, cannot be read back first, or any step of the write fails; the file is then
    // left as it was. Throws std::invalid_argument for a section or key name that cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    void WriteInteger(std::string_view section, std::string_view key, int value) const;

    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace settings
