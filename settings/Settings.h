#pragma once

// The settings record (sms/SettingsRecord.h) in its file: section "Main" of GPRSInfo.ini (where that
// file lives: settings/SettingsLocation.h).
// Every field is written the moment it changes, one key per write; reading never fails.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ProfileText.h"
#include "sms/SettingsRecord.h"

namespace settings {

inline constexpr std::string_view kSettingsFileName = "GPRSInfo.ini";

// Supplies the default of "Static IP"; LoadSettings calls it once per load, whether or not the key
// is present. The window and the command line pass net::GetLocalIP; an empty function gives "".
using LocalAddressProvider = std::function<std::string()>;

// One reading of the settings file: every key is answered from the same bytes, with the rules of
// ProfileFile's readers, so that a load sees one state of the file. A missing or unreadable file
// reads as one without keys. Never throws.
class SettingsSnapshot {
public:
    explicit SettingsSnapshot(const std::string& path);

    // The value of `key` in section "Main" as ProfileFile::ReadString gives it (unquoted, blanks
    // dropped, cut to 2047 bytes); nullopt when the section or the key is missing.
    std::optional<std::string> Text(std::string_view key) const {
        return text_.ReadText(sms::keys::kSection, key);
    }
    // The value of `key` read as ProfileFile::ReadInteger reads it; `defaultValue` when the key is
    // missing or holds no 32-bit integer.
    int Integer(std::string_view key, int defaultValue) const {
        return text_.ReadInteger(sms::keys::kSection, key, defaultValue);
    }

private:
    ProfileText text_;
};

// Reads every key of section "Main" from `file`, in the order of sms::TGPRSInfo. A missing section
// or key gives the field's default. Never throws.
sms::TGPRSInfo LoadSettings(const SettingsSnapshot& file, const LocalAddressProvider& localAddress);
// The same for the file at `path`; a missing or unreadable file gives every field's default.
sms::TGPRSInfo LoadSettings(const std::string& path, const LocalAddressProvider& localAddress);

// Writes one key of section "Main": the text unchanged, the integer in decimal. The file holds the
// new value when the call returns. Throws ProfileWriteError ("Unable to write to <path>") when the
// file or its folder cannot be written; the file is then left as it was.
void SaveSetting(const std::string& path, std::string_view key, std::string_view value);
void SaveSetting(const std::string& path, std::string_view key, int value);

// The settings path: the directory of the running program (from /proc/self/exe) with its final
// separator, then "GPRSInfo.ini"; the bare file name (the current folder) when that cannot be read.
std::string SettingsPathBesideProgram();

}  // namespace settings
