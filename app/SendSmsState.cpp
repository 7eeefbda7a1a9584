#include "app/SendSmsState.h"

#include <algorithm>

#include "app/SendSmsTexts.h"
#include "qr/QrCode.h"
#include "sms/PhoneNumber.h"
#include "sms/SmsLength.h"

namespace app::sendsms {

CommandShown ShowCommand(const sms::SmsCommandResult& command, const base::TranslateFn& translate) {
    CommandShown shown;
    if (!command.ok) {
        shown.line = FillInMainWindow(command.failedLabel, translate);
    } else if (command.command.empty()) {
        shown.line = base::TranslateOrKeep(translate, std::string(kNoCommand));
    } else {
        shown.ok = true;
        shown.command = command.command;
        shown.line = LengthLine(sms::MeasureSms(command.command), translate);
    }
    return shown;
}

std::string PhoneMistake(const std::string& typed, bool checked, const base::TranslateFn& translate) {
    if (!checked || sms::NormalizePhoneNumber(typed)) {
        return {};
    }
    return sms::FormatValidationMessage(translate, std::string(sms::kLabelDtuPhoneNumber));
}

QrContent QrFor(const std::string& typedNumber, const CommandShown& command,
                const base::TranslateFn& translate) {
    // The phone's camera needs both: the reason names the one that is missing, the number first.
    const std::optional<std::string> phone = sms::NormalizePhoneNumber(typedNumber);
    if (!phone) {
        return {{}, sms::FormatValidationMessage(translate, std::string(sms::kLabelDtuPhoneNumber))};
    }
    if (!command.ok) {
        return {{}, command.line};
    }
    try {
        return {qr::SmsToPayload(*phone, command.command), {}};
    } catch (const qr::QrError& error) {
        return {{}, QrErrorText(error, translate)};
    }
}

std::string QrErrorText(const qr::QrError& error, const base::TranslateFn& translate) {
    return error.reason() == qr::QrError::Reason::kPayloadTooLong
               ? base::TranslateOrKeep(translate, std::string(kQrTooLong))
               : std::string(error.what());
}

std::string ProgressLine(const WorkState& state, const base::TranslateFn& translate) {
    if (state.cancelling) {
        return base::TranslateOrKeep(translate, std::string(kCancelling));
    }
    if (state.progress) {
        return RenderModemMessage(state.progress->message, translate);
    }
    if (state.busy) {
        return base::TranslateOrKeep(translate, std::string(state.searching ? kSearching : kStarting));
    }
    return {};
}

std::optional<int> ReplyWaitFill(const WorkState& state) {
    if (!state.busy || state.cancelling || !state.progress ||
        state.progress->stage != modem::Stage::WaitingForReply) {
        return std::nullopt;
    }
    return std::clamp(kReplyTimeoutSeconds - state.progress->secondsLeft, 0, kReplyTimeoutSeconds);
}

}  // namespace app::sendsms
