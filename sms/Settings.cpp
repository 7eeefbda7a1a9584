#include "sms/Settings.h"

#include <string>

#include <unistd.h>

#include "sms/AtomicFile.h"
#include "sms/ProfileFile.h"
#include "sms/ProfileText.h"

namespace sms {
namespace {

// Reads the file once and answers every key from that one snapshot, with the rules of ProfileFile's
// readers, so that a load sees one state of the file.
class SettingsSnapshot {
public:
    explicit SettingsSnapshot(const std::string& path) : text_(ReadWholeFile(path).value_or(std::string())) {}

    int Integer(std::string_view key, int defaultValue) const {
        const std::optional<std::string_view> value = text_.Find(keys::kSection, key);
        if (!value) {
            return defaultValue;
        }
        return ParseProfileInteger(CapProfileValue(*value)).value_or(defaultValue);
    }

    std::string Text(std::string_view key, std::string defaultValue) const {
        const std::optional<std::string_view> value = text_.Find(keys::kSection, key);
        if (!value) {
            return defaultValue;
        }
        return CapProfileValue(*value);
    }

private:
    ProfileText text_;
};

}  // namespace

TGPRSInfo LoadSettings(const std::string& path, const LocalAddressProvider& localAddress) {
    const SettingsSnapshot file(path);
    TGPRSInfo info;
    info.nLanguageID = file.Integer(keys::kLanguageId, 0);
    info.ServerAddressMode = file.Integer(keys::kServerAddressMode, 0);
    info.Port = file.Integer(keys::kPort, 6000);
    info.StaticIP = file.Text(keys::kStaticIp, localAddress ? localAddress() : std::string());
    info.DomainAddress = file.Text(keys::kDomainAddress, "");
    info.SMSCommandType = file.Integer(keys::kSmsCommandType, 0);
    info.ServiceNetwork = file.Integer(keys::kServiceNetwork, 0);
    info.OtherAPN = file.Text(keys::kOtherApn, "");
    info.DTUNumber = file.Text(keys::kDtuNumber, "TQ-GP000001");
    return info;
}

void SaveSetting(const std::string& path, std::string_view key, std::string_view value) {
    ProfileFile(path).WriteString(keys::kSection, key, value);
}

void SaveSetting(const std::string& path, std::string_view key, int value) {
    ProfileFile(path).WriteInteger(keys::kSection, key, value);
}

std::string SettingsPathBesideProgram() {
    std::string program(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", program.data(), program.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= program.size()) {
        return std::string(kSettingsFileName);
    }
    program.resize(static_cast<std::size_t>(n));
    return program.substr(0, program.rfind('/') + 1) + std::string(kSettingsFileName);
}

}  // namespace sms
