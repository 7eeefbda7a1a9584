#pragma once

// The settings record and its file: section "Main" of GPRSInfo.ini (where that file lives:
// sms/SettingsLocation.h).
// Every field is written the moment it changes, one key per write; reading never fails.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sms/ProfileText.h"

namespace sms {

// One field per key of section "Main", with the defaults used when a key is missing or unreadable.
// List choices are 0-based item indexes; texts are stored as typed (not trimmed).
struct TGPRSInfo {
    int nLanguageID = 0;        // 0 automatic, 1 English, 2 Simplified Chinese, 3 Traditional Chinese
    int ServerAddressMode = 0;  // 0 "Static IP", 1 "Domain resolution"
    int Port = 6000;
    std::string StaticIP;  // default: GetLocalIP(), or empty
    std::string DomainAddress;
    int SMSCommandType = 0;  // 0 configuration parameters, 1 running query
    int ServiceNetwork = 0;  // 0 CMNET, 1 CMWAP, 2 UNINET, 3 Other
    std::string OtherAPN;
    std::string DTUNumber = "TQ-GP000001";
    // The DTU's SIM number, for sending the command to it. Written only when the user sets it, so a
    // file that never had it keeps exactly the keys above.
    std::string DTUPhoneNumber;
};

// Key names, exactly as they stand in the file, in load order.
namespace keys {
inline constexpr std::string_view kSection = "Main";
inline constexpr std::string_view kLanguageId = "nLanguageID";
inline constexpr std::string_view kServerAddressMode = "Server address mode";
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kStaticIp = "Static IP";
inline constexpr std::string_view kDomainAddress = "Domain address";
inline constexpr std::string_view kSmsCommandType = "SMS command type";
inline constexpr std::string_view kServiceNetwork = "Service network(APN)";
inline constexpr std::string_view kOtherApn = "Other APN";
inline constexpr std::string_view kDtuNumber = "DTU number";
inline constexpr std::string_view kDtuPhoneNumber = "DTU phone number";
}  // namespace keys

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
        return text_.ReadText(keys::kSection, key);
    }
    // The value of `key` read as ProfileFile::ReadInteger reads it; `defaultValue` when the key is
    // missing or holds no 32-bit integer.
    int Integer(std::string_view key, int defaultValue) const {
        return text_.ReadInteger(keys::kSection, key, defaultValue);
    }

private:
    ProfileText text_;
};

// Reads every key of section "Main" from `file`, in the order of TGPRSInfo. A missing section
// or key gives the field's default. Never throws.
TGPRSInfo LoadSettings(const SettingsSnapshot& file, const LocalAddressProvider& localAddress);
// The same for the file at `path`; a missing or unreadable file gives every field's default.
TGPRSInfo LoadSettings(const std::string& path, const LocalAddressProvider& localAddress);

// Writes one key of section "Main": the text unchanged, the integer in decimal. The file holds the
// new value when the call returns. Throws ProfileWriteError ("Unable to write to <path>") when the
// file or its folder cannot be written; the file is then left as it was.
void SaveSetting(const std::string& path, std::string_view key, std::string_view value);
void SaveSetting(const std::string& path, std::string_view key, int value);

// The settings path: the directory of the running program (from /proc/self/exe) with its final
// separator, then "GPRSInfo.ini"; the bare file name (the current folder) when that cannot be read.
std::string SettingsPathBesideProgram();

}  // namespace sms
