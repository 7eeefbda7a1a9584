#include "settings/Settings.h"

#include <string>

#include "base/ProgramPath.h"
#include "base/WholeFile.h"
#include "settings/ProfileFile.h"

namespace settings {

SettingsSnapshot::SettingsSnapshot(const std::string& path) : text_(base::ReadWholeFile(path).bytes) {}

sms::TGPRSInfo LoadSettings(const SettingsSnapshot& file, const LocalAddressProvider& localAddress) {
    sms::TGPRSInfo info;
    info.nLanguageID = file.Integer(sms::keys::kLanguageId, 0);
    info.ServerAddressMode = file.Integer(sms::keys::kServerAddressMode, 0);
    info.Port = file.Integer(sms::keys::kPort, 6000);
    // Asked before the key is looked up, so that the look-ups a load makes never depend on the file.
    std::string localAddressText = localAddress ? localAddress() : std::string();
    info.StaticIP = file.Text(sms::keys::kStaticIp).value_or(std::move(localAddressText));
    info.DomainAddress = file.Text(sms::keys::kDomainAddress).value_or("");
    info.SMSCommandType = file.Integer(sms::keys::kSmsCommandType, 0);
    info.ServiceNetwork = file.Integer(sms::keys::kServiceNetwork, 0);
    info.OtherAPN = file.Text(sms::keys::kOtherApn).value_or("");
    info.DTUNumber = file.Text(sms::keys::kDtuNumber).value_or("TQ-GP000001");
    info.DTUPhoneNumber = file.Text(sms::keys::kDtuPhoneNumber).value_or("");
    return info;
}

sms::TGPRSInfo LoadSettings(const std::string& path, const LocalAddressProvider& localAddress) {
    return LoadSettings(SettingsSnapshot(path), localAddress);
}

void SaveSetting(const std::string& path, std::string_view key, std::string_view value) {
    ProfileFile(path).WriteString(sms::keys::kSection, key, value);
}

void SaveSetting(const std::string& path, std::string_view key, int value) {
    ProfileFile(path).WriteInteger(sms::keys::kSection, key, value);
}

std::string SettingsPathBesideProgram() {
    return base::FolderWithSeparator(base::ProgramFilePath()) + std::string(kSettingsFileName);
}

}  // namespace settings
