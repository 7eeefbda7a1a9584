#include "sms/SmsCommand.h"

#include "base/AsciiText.h"

namespace sms {
namespace {

SmsCommandResult Success(std::string_view command) {
    return {true, std::string(command), {}};
}

SmsCommandResult Failure(std::string_view label) {
    return {false, {}, std::string(label)};
}

// A field of the command: its trimmed text, or the label that names it when it is missing.
struct Field {
    std::string_view text;
    std::string_view missingLabel;
};

// The server address of the mode; no text and no label for a mode without an address field.
Field AddressOf(const TGPRSInfo& info) {
    switch (info.ServerAddressMode) {
        case 0:
            return {base::TrimBlanks(info.StaticIP), keys::kStaticIp};
        case 1:
            return {base::TrimBlanks(info.DomainAddress), keys::kDomainAddress};
        default:
            return {};
    }
}

// The APN of the list index; only "Other" can be missing, an index outside the list gives no APN.
Field ApnOf(const TGPRSInfo& info) {
    switch (info.ServiceNetwork) {
        case 0:
            return {"CMNET", {}};
        case 1:
            return {"CMWAP", {}};
        case 2:
            return {"UNINET", {}};
        case 3:
            return {base::TrimBlanks(info.OtherAPN), keys::kServiceNetwork};
        default:
            return {};
    }
}

bool IsMissing(const Field& field) {
    return field.text.empty() && !field.missingLabel.empty();
}

}  // namespace

SmsCommandResult GenerateSMSCommand(const TGPRSInfo& info) {
    if (info.SMSCommandType == 1) {
        return Success(kRunningQueryCommand);
    }
    if (info.SMSCommandType != 0) {
        return Success({});
    }
    const Field address = AddressOf(info);
    const Field apn = ApnOf(info);
    const Field dtu{base::TrimBlanks(info.DTUNumber), keys::kDtuNumber};
    for (const Field* field : {&address, &apn, &dtu}) {
        if (IsMissing(*field)) {
            return Failure(field->missingLabel);
        }
    }
    if (info.ServerAddressMode != 0 && info.ServerAddressMode != 1) {
        return Success({});
    }

    const std::string port = std::to_string(info.Port);
    std::string command;
    command.reserve(8 + address.text.size() + 1 + port.size() + 3 + apn.text.size() + 3 + dtu.text.size() +
                    1);
    command.append(info.ServerAddressMode == 0 ? "(A55A#1*" : "(A55A#2*");
    command.append(address.text).append("*").append(port);
    command.append("#3*").append(apn.text);
    command.append("#4*").append(dtu.text).append(")");
    return {true, std::move(command), {}};
}

std::string FormatValidationMessage(const base::TranslateFn& translate, const std::string& label) {
    return base::TranslateOrKeep(translate, std::string(kPleaseEnterValid)) + " \"" +
           base::TranslateOrKeep(translate, label) + "\"";
}

}  // namespace sms
