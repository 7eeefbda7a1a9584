#include "app/SendSmsTexts.h"

#include "base/Placeholders.h"

namespace app::sendsms {

namespace {

std::string Tr(const base::TranslateFn& translate, std::string_view english) {
    return base::TranslateOrKeep(translate, std::string(english));
}

std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) {
        joined += (joined.empty() ? "" : ", ") + item;
    }
    return joined;
}

}  // namespace

std::vector<std::string_view> AllTexts() {
    return {kSendSmsButton, kTitle,       kPhoneLabel, kPhoneRule,    kFillInMainWindow, kCommandLabel,
            kQrHint,        kModemGroup,  kModemLabel, kSearchModems, kSmscLabel,        kSmscNote,
            kWaitForReply,  kSend,        kCancel,     kReplyLabel,   kDetails,          kClose,
            kLengthOnePart, kLengthParts, kNoCommand,  kQrTooLong,    kAutomatic,        kSearching,
            kCancelling,    kStarting,    kSent,       kSentSome,     kReplied};
}

std::string FillInMainWindow(const std::string& label, const base::TranslateFn& translate) {
    return base::FillPlaceholders(Tr(translate, kFillInMainWindow), {Tr(translate, label)});
}

std::string RenderModemMessage(const modem::Message& message, const base::TranslateFn& translate) {
    return modem::RenderMessage(message, translate);
}

std::string ModemChoiceText(const modem::ModemInfo& modem, ModemSearch search,
                            const base::TranslateFn& translate) {
    const std::string dash = " \u2014 ";
    if (modem.kind == modem::ModemKind::Automatic) {
        switch (search) {
            case ModemSearch::NotYet:
                return Tr(translate, kAutomatic);
            case ModemSearch::Running:
                return Tr(translate, kAutomatic) + dash + Tr(translate, kSearching);
            case ModemSearch::Done:
                break;
        }
        return Tr(translate, kAutomatic) + dash + RenderModemMessage(modem.status, translate);
    }
    const std::string label = modem.label.empty() ? modem.id : modem.label;
    return label + dash + RenderModemMessage(modem.status, translate);
}

std::vector<std::string> OutcomeLines(const modem::SendResult& result, const base::TranslateFn& translate) {
    std::vector<std::string> lines;
    const int sent = static_cast<int>(result.references.size());
    if (sent > 0 && sent >= result.parts) {
        lines.push_back(base::FillPlaceholders(Tr(translate, kSent), {sent, Joined(result.references)}));
    } else if (sent > 0) {
        lines.push_back(base::FillPlaceholders(Tr(translate, kSentSome),
                                               {sent, result.parts, Joined(result.references)}));
    }
    if (result.error.kind != modem::ErrorKind::None) {
        lines.push_back(RenderModemMessage(result.error.message, translate));
    } else if (result.reply) {
        lines.push_back(Tr(translate, kReplied));
    }
    return lines;
}

}  // namespace app::sendsms
