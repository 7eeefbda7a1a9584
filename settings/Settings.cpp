#include "settings/Settings.h"

#include <string>

#include "base/ProgramPath.h"
#include "base/WholeFile.h"
#include "settings/ProfileFile.h"

namespace sms {

SettingsSnapshot::SettingsSnapshot(const std::string& path) : text_(base::ReadWholeFile(path).bytes) {}

TGPRSInfo LoadSettings(const SettingsSnapshot& file, const LocalAddressProvider& localAddress) {
    TGPRSInfo info;
    info.nLanguageID = file.Integer(keys::kLanguageId, 0);
    info.ServerAddressMode = file.Integer(keys::kServerAddressMode, 0);
    info.Port = file.Integer(keys::kPort, 6000);
    // Asked before the key is looked up, so that the look-ups a load makes never depend on the file.
    std::string localAddressText = localAddress ? localAddress() : std::string();
    info.StaticIP = file.Text(keys::kStaticIp).value_or(std::move(localAddressText));
    info.DomainAddress = file.Text(keys::kDomainAddress).value_or("");
    info.SMSCommandType = file.Integer(keys::kSmsCommandType, 0);
    info.ServiceNetwork = file.Integer(keys::kServiceNetwork, 0);
    info.OtherAPN = file.Text(keys::kOtherApn).value_or("");
    info.DTUNumber = file.Text(keys::kDtuNumber).value_or("TQ-GP000001");
    info.DTUPhoneNumber = file.Text(keys::kDtuPhoneNumber).value_or("");
    return info;
}

TGPRSInfo LoadSettings(const std::string& path, const LocalAddressProvider& localAddress) {
    return LoadSettings(SettingsSnapshot(path), localAddress);
}

void SaveSetting(const std::string& path, std::string_view key, std::string_view value) {
    ProfileFile(path).WriteString(keys::kSection, key, value);
}

void SaveSetting(const std::string& path, std::string_view key, int value) {
    ProfileFile(path).WriteInteger(keys::kSection, key, value);
}

std::string SettingsPathBesideProgram() {
    return base::FolderWithSeparator(base::ProgramFilePath()) + std::string(kSettingsFileName);
}

}  // namespace sms
