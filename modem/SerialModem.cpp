#include "modem/SerialModem.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "modem/ErrorCodes.h"
#include "modem/Texts.h"

namespace modem {
namespace {

using text::Fail;
using text::Literal;
using text::Number;
using text::Translatable;

int Seconds(int ms) {
    return (ms + 999) / 1000;
}

// The meaning of a final error line, empty when the code is unknown or the line is a plain ERROR.
std::string_view Meaning(const ClassifiedLine& final) {
    if (final.kind == LineKind::CmsError) {
        return CmsErrorMeaning(final.code);
    }
    if (final.kind == LineKind::CmeError) {
        return CmeErrorMeaning(final.code);
    }
    return {};
}

bool IsSimAbsent(const ClassifiedLine& final) {
    return (final.kind == LineKind::CmeError && final.code == 10) ||
           (final.kind == LineKind::CmsError && final.code == 310);
}

bool IsSimLocked(const ClassifiedLine& final) {
    if (final.kind == LineKind::CmeError) {
        return final.code == 5 || final.code == 11 || final.code == 12 || final.code == 17 ||
               final.code == 18;
    }
    return final.kind == LineKind::CmsError && final.code >= 311 && final.code <= 318 && final.code != 313 &&
           final.code != 314 && final.code != 315;
}

}  // namespace

SerialModem::SerialModem(Context& context, std::string path)
    : context_(context), path_(std::move(path)), channel_(context) {}

Error SerialModem::Failure(const std::string& command, const CommandAnswer& answer) const {
    switch (answer.status) {
        case CommandAnswer::Status::Cancelled:
            return Fail(ErrorKind::Cancelled, text::kCancelled);
        case CommandAnswer::Status::Lost:
            return Fail(ErrorKind::DeviceLost, text::kDeviceLost, {Literal(path_)});
        case CommandAnswer::Status::Timeout:
            if (channel_.SawGarbage()) {
                return Fail(ErrorKind::NoAnswer, text::kGarbage, {Literal(path_)});
            }
            return Fail(ErrorKind::NoAnswer, text::kCommandTimeout,
                        {Literal(path_), Literal(command), Number(Seconds(context_.timeouts().commandMs))});
        case CommandAnswer::Status::Final:
            break;
    }
    const std::string_view meaning = Meaning(answer.final);
    if (!meaning.empty()) {
        return Fail(ErrorKind::Refused, text::kRefusedCommand,
                    {Literal(command), Translatable(meaning), Literal(answer.final.text)});
    }
    return Fail(ErrorKind::Refused, text::kRefusedCommandCode,
                {Literal(command), Literal(answer.final.text)});
}

bool SerialModem::Answers(int tries, int timeoutMs, CommandAnswer* last) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        *last = channel_.Command("AT", timeoutMs);
        if (last->status != CommandAnswer::Status::Timeout) {
            return last->status == CommandAnswer::Status::Final;
        }
    }
    return false;
}

Error SerialModem::Start(StartMode mode) {
    const bool quick = mode != StartMode::Prepare;
    const Timeouts& timeouts = context_.timeouts();
    context_.Report(text::StageProgress(Stage::Opening, text::Make(text::kOpening, {Literal(path_)})));
    std::string reason;
    bool busy = false;
    if (!channel_.Open(path_, context_.options().baudRate, &reason, &busy)) {
        if (busy) {
            return Fail(ErrorKind::ModemBusy, text::kPortBusy, {Literal(path_)});
        }
        return Fail(ErrorKind::NoModem, text::kCannotOpen, {Literal(path_), Literal(reason)});
    }
    CommandAnswer answer;
    if (!Answers(quick ? 1 : std::max(timeouts.answerTries, 1), quick ? timeouts.probeMs : timeouts.answerMs,
                 &answer)) {
        if (answer.status == CommandAnswer::Status::Timeout) {
            return Fail(ErrorKind::NoAnswer, channel_.SawGarbage() ? text::kGarbage : text::kNoAnswer,
                        {Literal(path_)});
        }
        return Failure("AT", answer);
    }
    if (!answer.Ok()) {
        return Failure("AT", answer);
    }
    for (const char* setup : {"ATE0", "AT+CMEE=1"}) {
        answer = channel_.Command(setup, timeouts.commandMs);
        if (answer.status != CommandAnswer::Status::Final) {
            return Failure(setup, answer);
        }
    }
    if (Error sim = CheckSim(); sim.kind != ErrorKind::None || mode == StartMode::Inspect) {
        return sim;
    }
    return EnterPduMode();
}

Error SerialModem::CheckSim() {
    context_.Report(text::StageProgress(Stage::CheckingSim, text::Make(text::kCheckingSim)));
    const CommandAnswer answer = channel_.Command("AT+CPIN?", context_.timeouts().commandMs);
    if (answer.Ok()) {
        std::string state;
        for (const std::string& line : answer.lines) {
            if (!(state = PinState(line)).empty()) {
                break;
            }
        }
        if (state == "READY") {
            return {};
        }
        if (state.find("PUK") != std::string::npos) {
            return Fail(ErrorKind::SimPin, text::kSimPuk);
        }
        if (state.find("PIN") != std::string::npos) {
            return Fail(ErrorKind::SimPin, text::kSimPin);
        }
        return Fail(ErrorKind::NoSim, text::kSimNotReady, {Literal(state.empty() ? "?" : state)});
    }
    if (answer.status != CommandAnswer::Status::Final) {
        return Failure("AT+CPIN?", answer);
    }
    if (IsSimAbsent(answer.final)) {
        return Fail(ErrorKind::NoSim, text::kNoSim);
    }
    if (IsSimLocked(answer.final)) {
        return {ErrorKind::SimPin, Failure("AT+CPIN?", answer).message};
    }
    const std::string_view meaning = Meaning(answer.final);
    return Fail(ErrorKind::NoSim, text::kSimFailure,
                {meaning.empty() ? Literal(answer.final.text) : Translatable(meaning)});
}

Error SerialModem::EnterPduMode() {
    const int timeoutMs = context_.timeouts().commandMs;
    const CommandAnswer pdu = channel_.Command("AT+CMGF=0", timeoutMs);
    if (pdu.Ok() || pdu.status != CommandAnswer::Status::Final) {
        return pdu.Ok() ? Error{} : Failure("AT+CMGF=0", pdu);
    }
    // Text mode accepted where PDU mode is not: the modem cannot send every character, and the
    // user needs to hear that rather than a bare ERROR.
    const CommandAnswer textMode = channel_.Command("AT+CMGF=1", timeoutMs);
    if (textMode.Ok()) {
        return Fail(ErrorKind::PduModeRefused, text::kPduRefusedTextOnly);
    }
    return Failure("AT+CMGF=0", pdu);
}

Error SerialModem::EnableIndications() {
    const int timeoutMs = context_.timeouts().commandMs;
    CommandAnswer answer = channel_.Command("AT+CNMI=2,1,0,0,0", timeoutMs);
    if (answer.status == CommandAnswer::Status::Final && !answer.Ok()) {
        answer = channel_.Command("AT+CNMI=2,1", timeoutMs);
    }
    if (answer.Ok()) {
        return {};
    }
    if (answer.status == CommandAnswer::Status::Final) {
        return Fail(ErrorKind::Refused, text::kIndicationsRefused, {Literal(answer.final.text)});
    }
    return Failure("AT+CNMI=2,1,0,0,0", answer);
}

Error SerialModem::SendParts(const std::vector<PduPart>& parts, std::vector<std::string>* references) {
    const Timeouts& timeouts = context_.timeouts();
    const int total = static_cast<int>(parts.size());
    for (int index = 0; index < total; ++index) {
        const int number = index + 1;
        context_.Report(text::StageProgress(
            Stage::Sending, text::Make(text::kSendingPart, {Number(number), Number(total)}), number, total));
        if (context_.Cancelled()) {
            return Fail(ErrorKind::Cancelled, text::kCancelled);
        }
        const PduPart& part = parts[static_cast<std::size_t>(index)];
        const PartAnswer sent = channel_.SendPart("AT+CMGS=" + std::to_string(part.tpduLength), part.hex,
                                                  timeouts.promptMs, timeouts.partMs, timeouts.cancelGraceMs);
        // An OK that comes before the PDU was written answers something else (another program on
        // the port): the part has not gone.
        if (!sent.answer.Ok() || !sent.handedOver) {
            return PartFailure(sent, number, total);
        }
        int reference = -1;
        for (const std::string& line : sent.answer.lines) {
            reference = std::max(reference, IntegerField(line, "+CMGS:"));
        }
        references->push_back(reference >= 0 ? std::to_string(reference) : std::string("?"));
        if (context_.Cancelled() && number < total) {
            return Fail(ErrorKind::Cancelled, text::kCancelled);
        }
    }
    return {};
}

Error SerialModem::PartFailure(const PartAnswer& sent, int number, int total) const {
    const CommandAnswer& answer = sent.answer;
    switch (answer.status) {
        case CommandAnswer::Status::Final: {
            if (answer.final.kind == LineKind::Ok) {
                break;
            }
            const std::string_view meaning = Meaning(answer.final);
            if (!meaning.empty()) {
                return Fail(
                    ErrorKind::Refused, text::kRefusedPart,
                    {Number(number), Number(total), Translatable(meaning), Literal(answer.final.text)});
            }
            return Fail(ErrorKind::Refused, text::kRefusedPartCode,
                        {Number(number), Number(total), Literal(answer.final.text)});
        }
        case CommandAnswer::Status::Lost:
            return sent.handedOver ? Fail(ErrorKind::DeviceLost, text::kLostAfterHandover,
                                          {Literal(path_), Number(number), Number(total)})
                                   : Fail(ErrorKind::DeviceLost, text::kDeviceLost, {Literal(path_)});
        case CommandAnswer::Status::Cancelled:
            return sent.handedOver ? Fail(ErrorKind::Cancelled, text::kCancelledAfterHandover,
                                          {Number(number), Number(total)})
                                   : Fail(ErrorKind::Cancelled, text::kCancelled);
        case CommandAnswer::Status::Timeout:
            break;
    }
    if (sent.handedOver) {
        return Fail(ErrorKind::Unconfirmed, text::kUnconfirmed,
                    {Number(number), Number(total), Number(Seconds(context_.timeouts().partMs))});
    }
    return Fail(ErrorKind::NoAnswer, text::kNoPrompt, {Number(number), Number(total)});
}

std::optional<std::string> SerialModem::HandleIndication(const std::string& line, ReplyCollector& collector) {
    std::string note;
    // +CMT delivers the message itself on the line after the indication.
    if (UnsolicitedTakesNextLine(line)) {
        const std::size_t lineEnd = line.find('\n');
        if (lineEnd == std::string::npos || line.rfind("+CMT:", 0) != 0) {
            return std::nullopt;
        }
        std::optional<std::string> reply = collector.Offer(line.substr(lineEnd + 1), &note);
        context_.Note(note);
        return reply;
    }
    const int index = IntegerField(line, "+CMTI:", true);
    if (index < 0) {
        return std::nullopt;
    }
    context_.Report(text::StageProgress(Stage::ReadingReply, text::Make(text::kReadingReply)));
    const CommandAnswer answer =
        channel_.Command("AT+CMGR=" + std::to_string(index), context_.timeouts().commandMs);
    if (!answer.Ok()) {
        context_.Note("message " + std::to_string(index) + " could not be read");
        return std::nullopt;
    }
    // The PDU is the line after "+CMGR: <stat>,[<alpha>],<length>".
    for (std::size_t i = 0; i + 1 < answer.lines.size(); ++i) {
        if (answer.lines[i].rfind("+CMGR:", 0) == 0) {
            std::optional<std::string> reply = collector.Offer(answer.lines[i + 1], &note);
            context_.Note("message " + std::to_string(index) + ": " + note);
            return reply;
        }
    }
    context_.Note("message " + std::to_string(index) + " is empty");
    return std::nullopt;
}

Error SerialModem::WaitForReply(ReplyCollector& collector, const std::string& number, int seconds,
                                std::optional<std::string>* reply) {
    ReplyCountdown countdown(context_, number, seconds);
    for (;;) {
        for (const std::string& line : channel_.TakeUnsolicited()) {
            if (std::optional<std::string> text = HandleIndication(line, collector)) {
                *reply = std::move(text);
                return {};
            }
        }
        std::string note;
        if (std::optional<std::string> text = collector.Claim(&note)) {
            context_.Note(note);
            *reply = std::move(text);
            return {};
        }
        if (channel_.Lost()) {
            return Fail(ErrorKind::DeviceLost, text::kDeviceLost, {Literal(path_)});
        }
        long long left = 0;
        if (std::optional<Error> end = countdown.Check(left)) {
            return *end;
        }
        channel_.WaitForUnsolicited(static_cast<int>(std::min<long long>(left, 1000)));
    }
}

}  // namespace modem
