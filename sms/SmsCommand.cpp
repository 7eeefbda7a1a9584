#include "sms/SmsCommand.h"

namespace sms {
namespace {

SmsCommandResult Success(std::string_view command) {
    return {true, std::string(command), {}};
}

SmsCommandResult Failure(std::string_view label) {
    return {false, {}, std::string(label)};
}

std::string_view TrimmedView(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
    return std::string(TrimmedView(text));
}

SmsCommandResult GenerateSMSCommand(const TGPRSInfo& info) {
    if (info.SMSCommandType == 1) {
        return Success(kRunningQueryCommand);
    }
    if (info.SMSCommandType != 0) {
        return Success({});
    }

    std::string_view address;
    if (info.ServerAddressMode == 0) {
        address = TrimmedView(info.StaticIP);
        if (address.empty()) {
            return Failure(kLabelStaticIp);
        }
    } else if (info.ServerAddressMode == 1) {
        address = TrimmedView(info.DomainAddress);
        if (address.empty()) {
            return Failure(kLabelDomainAddress);
        }
    }

    std::string_view apn;
    switch (info.ServiceNetwork) {
        case 0:
            apn = "CMNET";
            break;
        case 1:
            apn = "CMWAP";
            break;
        case 2:
            apn = "UNINET";
            break;
        case 3:
            apn = TrimmedView(info.OtherAPN);
            if (apn.empty()) {
                return Failure(kLabelServiceNetwork);
            }
            break;
        default:
            break;
    }

    const std::string_view dtu = TrimmedView(info.DTUNumber);
    if (dtu.empty()) {
        return Failure(kLabelDtuNumber);
    }
    if (info.ServerAddressMode != 0 && info.ServerAddressMode != 1) {
        return Success({});
    }

    const std::string port = std::to_string(info.Port);
    SmsCommandResult result{true, {}, {}};
    std::string& command = result.command;
    command.reserve(8 + address.size() + 1 + port.size() + 3 + apn.size() + 3 + dtu.size() + 1);
    command.append(info.ServerAddressMode == 0 ? "(A55A#1*" : "(A55A#2*");
    command.append(address).append("*").append(port);
    command.append("#3*").append(apn);
    command.append("#4*").append(dtu).append(")");
    return result;
}

std::string FormatValidationMessage(const TranslateFn& translate, const std::string& label) {
    const auto tr = [&translate](const std::string& text) { return translate ? translate(text) : text; };
    return tr(std::string(kPleaseEnterValid)) + " \"" + tr(label) + "\"";
}

}  // namespace sms
