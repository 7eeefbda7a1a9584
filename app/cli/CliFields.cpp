#include "app/cli/CliFields.h"

#include <algorithm>

#include "net/AddressLookup.h"
#include "sms/SettingsLocation.h"
#include "sms/SmsCommand.h"

namespace app {
namespace {

int ListIndexOrNone(int stored, int itemCount) {
    return (stored >= 0 && stored < itemCount) ? stored : -1;
}

}  // namespace

std::string SettingsPathOf(const CliRequest& request) {
    return request.settingsPath ? *request.settingsPath : sms::DefaultSettingsLocation().path;
}

sms::TGPRSInfo LoadFields(const CliRequest& request, bool localAddressAsDefault) {
    const CliFieldOverrides& flags = request.fields;
    const sms::SettingsSnapshot file(SettingsPathOf(request));
    // The look-up reads the resolver's files and asks the kernel for every interface: worth it only
    // when its answer is shown, that is when the file has no static IP and no --ip replaces it.
    const bool lookUp = localAddressAsDefault && !flags.staticIp && !file.Text(sms::keys::kStaticIp);
    const sms::LocalAddressProvider localAddress = [lookUp]() -> std::string {
        return lookUp ? net::GetLocalIP() : std::string();
    };
    sms::TGPRSInfo info = sms::LoadSettings(file, localAddress);
    info.Port = std::clamp(info.Port, 1000, 99999);
    info.ServerAddressMode = ListIndexOrNone(info.ServerAddressMode, 2);
    info.SMSCommandType = ListIndexOrNone(info.SMSCommandType, 2);
    info.ServiceNetwork = ListIndexOrNone(info.ServiceNetwork, 4);

    info.SMSCommandType = flags.smsCommandType.value_or(info.SMSCommandType);
    info.ServerAddressMode = flags.serverAddressMode.value_or(info.ServerAddressMode);
    info.StaticIP = flags.staticIp.value_or(info.StaticIP);
    info.DomainAddress = flags.domainAddress.value_or(info.DomainAddress);
    info.Port = flags.port.value_or(info.Port);
    info.ServiceNetwork = flags.serviceNetwork.value_or(info.ServiceNetwork);
    info.OtherAPN = flags.otherApn.value_or(info.OtherAPN);
    info.DTUNumber = flags.dtuNumber.value_or(info.DTUNumber);
    return info;
}

net::ServerTarget TargetOf(const sms::TGPRSInfo& info) {
    return {info.ServerAddressMode, info.StaticIP, info.DomainAddress, info.Port};
}

std::string MissingFieldMessage(const CliOutput& output, const std::string& label) {
    return sms::FormatValidationMessage(output.translate, label);
}

}  // namespace app
