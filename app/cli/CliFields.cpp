#include "app/cli/CliFields.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "net/AddressLookup.h"
#include "settings/SettingsLocation.h"
#include "sms/PhoneNumber.h"
#include "sms/SmsCommand.h"

namespace app {
namespace {

int ListIndexOrNone(int stored, int itemCount) {
    return (stored >= 0 && stored < itemCount) ? stored : -1;
}

}  // namespace

std::string SettingsPathOf(const CliRequest& request) {
    return request.settingsPath ? *request.settingsPath : settings::DefaultSettingsLocation().path;
}

sms::TGPRSInfo LoadFields(const CliRequest& request, bool localAddressAsDefault) {
    const CliFieldOverrides& flags = request.fields;
    const settings::SettingsSnapshot file(SettingsPathOf(request));
    // The look-up reads the resolver's files and asks the kernel for every interface: worth it only
    // when its answer is shown, that is when the file has no static IP and no --ip replaces it.
    const bool lookUp = localAddressAsDefault && !flags.staticIp && !file.Text(sms::keys::kStaticIp);
    const settings::LocalAddressProvider localAddress = [lookUp]() -> std::string {
        return lookUp ? net::GetLocalIP() : std::string();
    };
    sms::TGPRSInfo info = settings::LoadSettings(file, localAddress);
    info.Port = std::clamp(info.Port, 1000, 99999);
    info.ServerAddressMode = ListIndexOrNone(info.ServerAddressMode, 2);
    info.SMSCommandType = ListIndexOrNone(info.SMSCommandType, 2);
    info.ServiceNetwork = ListIndexOrNone(info.ServiceNetwork, 4);

    ApplyFieldOverrides(flags, info);
    return info;
}

void ApplyFieldOverrides(const CliFieldOverrides& overrides, sms::TGPRSInfo& info) {
    // Only the given fields are assigned: a batch applies this to every row, and copying the
    // settings' texts over themselves would cost an allocation each.
    const auto replace = [](const auto& given, auto& field) {
        if (given) {
            field = *given;
        }
    };
    replace(overrides.smsCommandType, info.SMSCommandType);
    replace(overrides.serverAddressMode, info.ServerAddressMode);
    replace(overrides.staticIp, info.StaticIP);
    replace(overrides.domainAddress, info.DomainAddress);
    replace(overrides.port, info.Port);
    replace(overrides.serviceNetwork, info.ServiceNetwork);
    replace(overrides.otherApn, info.OtherAPN);
    replace(overrides.dtuNumber, info.DTUNumber);
}

std::optional<std::string> DtuPhoneOf(const CliRequest& request, const sms::TGPRSInfo& info) {
    return sms::NormalizePhoneNumber(request.phone.value_or(info.DTUPhoneNumber));
}

std::optional<DtuMessage> ComposeDtuMessage(const CliRequest& request, const CliOutput& output) {
    const sms::TGPRSInfo info = LoadFields(request, true);
    sms::SmsCommandResult composed = sms::GenerateSMSCommand(info);
    if (!composed.ok) {
        output.err << MissingFieldMessage(output, composed.failedLabel) << '\n';
        return std::nullopt;
    }
    std::optional<std::string> phone = DtuPhoneOf(request, info);
    if (!phone) {
        output.err << MissingFieldMessage(output, std::string(sms::kLabelDtuPhoneNumber)) << '\n';
        return std::nullopt;
    }
    return DtuMessage{std::move(composed.command), std::move(*phone)};
}

net::ServerTarget TargetOf(const sms::TGPRSInfo& info) {
    return {info.ServerAddressMode, info.StaticIP, info.DomainAddress, info.Port};
}

std::string MissingFieldMessage(const CliOutput& output, const std::string& label) {
    return sms::FormatValidationMessage(output.translate, label);
}

}  // namespace app
