#include "modem/ModemTransport.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "base/AsciiText.h"
#include "modem/ReplyCollector.h"
#include "modem/SerialModem.h"
#include "modem/Texts.h"
#include "sms/PhoneNumber.h"
#include "sms/SmsPdu.h"

namespace modem {
namespace {

using text::Fail;
using text::Literal;
using text::Number;

constexpr std::string_view kManagedPathPrefix = "/org/freedesktop/ModemManager1/";

// How much a failed candidate port tells the user, for the error of an automatic choice that found
// nothing usable: a SIM that needs its PIN says more than a port that never answered.
int Weight(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::SimPin:
        case ErrorKind::NoSim:
        case ErrorKind::PduModeRefused:
            return 3;
        case ErrorKind::Refused:
        case ErrorKind::ModemBusy:
            return 2;
        default:
            return 0;
    }
}

std::string CanonicalPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

std::uint8_t RandomReference() {
    // A fresh reference for each message, so that a phone never merges the parts of two messages.
    std::random_device device;
    return static_cast<std::uint8_t>(device() & 0xFF);
}

Message StatusOf(const Error& error) {
    switch (error.kind) {
        case ErrorKind::None:
            return text::Make(text::kStatusReady);
        case ErrorKind::SimPin:
            return text::Make(text::kStatusSimPin);
        case ErrorKind::NoSim:
            return text::Make(text::kStatusNoSim);
        case ErrorKind::ModemBusy:
            return text::Make(text::kStatusBusy);
        case ErrorKind::NoAnswer:
        case ErrorKind::NoModem:
            return text::Make(text::kStatusNoAnswer);
        default:
            return error.message;
    }
}

}  // namespace

ModemTransport::ModemTransport(TransportOptions options, ModemServiceFactory service)
    : context_(std::move(options)), serviceFactory_(std::move(service)) {}

ModemTransport::~ModemTransport() = default;

std::vector<SerialPortName> ModemTransport::CandidatePorts() const {
    std::vector<SerialPortName> ports;
    if (!context_.options().candidatePorts.empty()) {
        for (const std::string& port : context_.options().candidatePorts) {
            ports.push_back({port, port});
        }
        return ports;
    }
    std::set<std::string> seen;
    for (SerialPortName& port : ListSerialPorts()) {
        if (seen.insert(CanonicalPath(port.path)).second) {
            ports.push_back(std::move(port));
        }
    }
    return ports;
}

const std::vector<ManagedModem>* ModemTransport::ManagedModems(Error* error) {
    if (managedQueried_) {
        if (!managed_ && error != nullptr) {
            *error = managedError_;
        }
        return managed_ ? &*managed_ : nullptr;
    }
    managedQueried_ = true;
    if (!context_.options().useModemManager || !serviceFactory_) {
        managedError_ = Fail(ErrorKind::NoModem, text::kServiceNotRunning);
    } else {
        if (!manager_) {
            manager_ = serviceFactory_(context_);
        }
        if (manager_->Available(&managedError_)) {
            managed_ = manager_->Modems(&managedError_);
        }
    }
    if (!managed_ && error != nullptr) {
        *error = managedError_;
    }
    return managed_ ? &*managed_ : nullptr;
}

void ModemTransport::BeginCall() {
    // A fresh client per call: it receives ModemManager's signals in the thread that created it,
    // which must be the calling thread, whose event loop runs during the call.
    manager_.reset();
    managedQueried_ = false;
    managed_.reset();
    managedError_ = {};
}

std::vector<std::string> ModemTransport::PortsHeldByModemManager() {
    std::vector<std::string> held;
    if (const std::vector<ManagedModem>* modems = ManagedModems(nullptr)) {
        for (const ManagedModem& modem : *modems) {
            for (const std::string& port : modem.ports) {
                held.push_back(CanonicalPath(port.rfind('/', 0) == 0 ? port : "/dev/" + port));
            }
        }
    }
    return held;
}

std::optional<ResolvedModem> ModemTransport::ResolveManaged(const std::string& choice, bool quiet,
                                                            Error* error) {
    Error failure;
    const std::vector<ManagedModem>* modems = ManagedModems(&failure);
    if (modems == nullptr) {
        if (!quiet) {
            *error = failure;
        }
        return std::nullopt;
    }
    const bool first = choice == "mm" || choice == "auto";
    for (const ManagedModem& modem : *modems) {
        if ((first && modem.canMessage) || (!first && modem.path == choice)) {
            if (!modem.canMessage) {
                *error = Fail(ErrorKind::NoModem, text::kManagedModemNotReady, {Literal(modem.label)});
                return std::nullopt;
            }
            context_.Note("using ModemManager modem " + modem.path + " (" + modem.label + ")");
            return ResolvedModem{ModemKind::ModemManager, modem.path};
        }
    }
    if (quiet) {
        return std::nullopt;
    }
    if (!first) {
        *error = Fail(ErrorKind::InvalidRequest, text::kUnknownManagedModem, {Literal(choice)});
    } else if (!modems->empty()) {
        *error = Fail(ErrorKind::NoModem, text::kManagedModemNotReady, {Literal(modems->front().label)});
    } else {
        *error = Fail(ErrorKind::NoModem, text::kNoManagedModem);
    }
    return std::nullopt;
}

std::optional<ResolvedModem> ModemTransport::DetectSerial(std::unique_ptr<SerialModem>* serial,
                                                          Error* error) {
    context_.Report(text::StageProgress(Stage::Probing, text::Make(text::kProbing)));
    const std::vector<std::string> held = PortsHeldByModemManager();
    Error best;
    for (const SerialPortName& name : CandidatePorts()) {
        const std::string& port = name.path;
        if (std::find(held.begin(), held.end(), CanonicalPath(port)) != held.end()) {
            context_.Note("skipping " + port + ": held by ModemManager");
            continue;
        }
        auto candidate = std::make_unique<SerialModem>(context_, port);
        const Error failed = candidate->Start(StartMode::Detect);
        if (failed.kind == ErrorKind::None) {
            context_.Note("using the modem on " + port);
            *serial = std::move(candidate);
            return ResolvedModem{ModemKind::Serial, port};
        }
        if (failed.kind == ErrorKind::Cancelled) {
            *error = failed;
            return std::nullopt;
        }
        if (Weight(failed.kind) > Weight(best.kind)) {
            best = failed;
        }
    }
    const std::string_view none = serviceFactory_ ? text::kNoModemFound : text::kNoSerialModemFound;
    *error = best.kind != ErrorKind::None ? best : Fail(ErrorKind::NoModem, none);
    return std::nullopt;
}

std::optional<ResolvedModem> ModemTransport::Resolve(const std::string& typed,
                                                     std::unique_ptr<SerialModem>* serial, Error* error) {
    const std::string_view trimmed = base::TrimBlanks(typed);
    const std::string choice = trimmed.empty() ? std::string("auto") : std::string(trimmed);
    if (choice == "auto") {
        if (std::optional<ResolvedModem> managed = ResolveManaged(choice, true, error)) {
            return managed;
        }
        std::optional<ResolvedModem> detected = DetectSerial(serial, error);
        // A modem that ModemManager holds but cannot use yet explains more than "no modem found".
        const std::vector<ManagedModem>* managed = ManagedModems(nullptr);
        if (!detected && error->kind == ErrorKind::NoModem && managed != nullptr && !managed->empty()) {
            *error = Fail(ErrorKind::NoModem, text::kManagedModemNotReady, {Literal(managed->front().label)});
        }
        return detected;
    }
    if (choice == "mm" || choice.rfind(kManagedPathPrefix, 0) == 0) {
        return ResolveManaged(choice, false, error);
    }
    const std::vector<std::string> held = PortsHeldByModemManager();
    if (std::find(held.begin(), held.end(), CanonicalPath(choice)) != held.end()) {
        *error = Fail(ErrorKind::ModemBusy, text::kHeldByModemManager, {Literal(choice)});
        return std::nullopt;
    }
    auto modem = std::make_unique<SerialModem>(context_, choice);
    if (Error failed = modem->Start(StartMode::Prepare); failed.kind != ErrorKind::None) {
        *error = failed;
        return std::nullopt;
    }
    *serial = std::move(modem);
    return ResolvedModem{ModemKind::Serial, choice};
}

std::optional<ComposedMessage> ModemTransport::Compose(const SendRequest& request, Error* error) {
    ComposedMessage message;
    const std::optional<std::string> number = sms::NormalizePhoneNumber(request.number);
    if (!number) {
        *error = Fail(ErrorKind::InvalidRequest, text::kInvalidNumber, {Literal(request.number)});
        return std::nullopt;
    }
    message.number = *number;
    if (!base::TrimBlanks(request.smsc).empty()) {
        const std::optional<std::string> centre = sms::NormalizePhoneNumber(request.smsc);
        if (!centre) {
            *error = Fail(ErrorKind::InvalidRequest, text::kInvalidSmsc, {Literal(request.smsc)});
            return std::nullopt;
        }
        message.smsc = *centre;
    }
    if (request.text.empty()) {
        *error = Fail(ErrorKind::InvalidRequest, text::kEmptyText);
        return std::nullopt;
    }
    const sms::SubmitEncoding encoding =
        sms::EncodeSubmitPdu({message.number, request.text, message.smsc, RandomReference()});
    if (!encoding.ok) {
        *error = Fail(ErrorKind::InvalidRequest, text::kTextNotEncodable, {Literal(encoding.error)});
        return std::nullopt;
    }
    for (const sms::SubmitPart& part : encoding.parts) {
        message.parts.push_back({part.hex, part.tpduLength});
    }
    context_.Note("message to " + message.number + " in " + std::to_string(message.parts.size()) +
                  " part(s)" + (message.smsc.empty() ? std::string() : ", service centre " + message.smsc));
    return message;
}

SendResult ModemTransport::Send(const SendRequest& request) {
    const ReplyExchange::Clock::time_point began = ReplyExchange::Clock::now();
    BeginCall();
    SendResult result;
    if (context_.Cancelled()) {
        result.error = Fail(ErrorKind::Cancelled, text::kCancelled);
        return result;
    }
    const std::optional<ComposedMessage> composed = Compose(request, &result.error);
    if (!composed) {
        return result;
    }
    const std::string& number = composed->number;
    const std::string& smsc = composed->smsc;
    result.parts = static_cast<int>(composed->parts.size());
    std::unique_ptr<SerialModem> serial;
    const std::optional<ResolvedModem> modem = Resolve(request.modem, &serial, &result.error);
    if (!modem) {
        return result;
    }
    result.modem = modem->id;
    const bool wantReply = request.replyTimeoutSeconds > 0;
    ReplyCollector collector(number, context_.options().replies, began);
    if (modem->kind == ModemKind::ModemManager) {
        if (wantReply) {
            manager_->Listen(modem->id);
        }
        std::string reference;
        result.error = manager_->Send(modem->id, number, request.text, smsc, result.parts, &reference);
        if (result.error.kind == ErrorKind::None) {
            result.references.push_back(reference);
            if (wantReply) {
                result.error =
                    manager_->WaitForReply(collector, number, request.replyTimeoutSeconds, &result.reply);
            }
        }
        return result;
    }
    // Indications go on before the first part, so that a quick reply is announced too.
    if (wantReply) {
        if (result.error = serial->EnableIndications(); result.error.kind != ErrorKind::None) {
            return result;
        }
    }
    result.error = serial->SendParts(composed->parts, &result.references);
    if (result.error.kind == ErrorKind::None && wantReply) {
        result.error = serial->WaitForReply(collector, number, request.replyTimeoutSeconds, &result.reply);
    }
    serial->Close();
    return result;
}

ReplyResult ModemTransport::WaitForReply(const ReplyRequest& request) {
    const ReplyExchange::Clock::time_point began = ReplyExchange::Clock::now();
    BeginCall();
    ReplyResult result;
    if (context_.Cancelled()) {
        result.error = Fail(ErrorKind::Cancelled, text::kCancelled);
        return result;
    }
    const std::optional<std::string> number = sms::NormalizePhoneNumber(request.number);
    if (!number) {
        result.error = Fail(ErrorKind::InvalidRequest, text::kInvalidNumber, {Literal(request.number)});
        return result;
    }
    std::unique_ptr<SerialModem> serial;
    const std::optional<ResolvedModem> modem = Resolve(request.modem, &serial, &result.error);
    if (!modem) {
        return result;
    }
    result.modem = modem->id;
    ReplyCollector collector(*number, context_.options().replies, began);
    const int seconds = std::max(request.timeoutSeconds, 0);
    if (modem->kind == ModemKind::ModemManager) {
        manager_->Listen(modem->id);
        result.error = manager_->WaitForReply(collector, *number, seconds, &result.reply);
        return result;
    }
    result.error = serial->EnableIndications();
    if (result.error.kind == ErrorKind::None) {
        result.error = serial->WaitForReply(collector, *number, seconds, &result.reply);
    }
    serial->Close();
    return result;
}

std::vector<ModemInfo> ModemTransport::ListModems() {
    BeginCall();
    std::vector<ModemInfo> modems;
    ModemInfo automatic{"auto", {}, ModemKind::Automatic, false, text::Make(text::kStatusAutoNone)};
    modems.push_back(automatic);
    if (const std::vector<ManagedModem>* managed = ManagedModems(nullptr)) {
        for (const ManagedModem& modem : *managed) {
            modems.push_back({modem.path, modem.label, ModemKind::ModemManager, modem.canMessage,
                              text::Make(modem.canMessage ? text::kStatusReady : text::kStatusNotReady)});
        }
    }
    const std::vector<std::string> held = PortsHeldByModemManager();
    for (const SerialPortName& name : CandidatePorts()) {
        if (context_.Cancelled()) {
            break;
        }
        const std::string& port = name.path;
        ModemInfo info{port, name.label, ModemKind::Serial, false, text::Make(text::kStatusHeld)};
        if (std::find(held.begin(), held.end(), CanonicalPath(port)) == held.end()) {
            SerialModem modem(context_, port);
            const Error status = modem.Start(StartMode::Inspect);
            modem.Close();
            info.usable = status.kind == ErrorKind::None;
            info.status = StatusOf(status);
        }
        modems.push_back(info);
    }
    for (std::size_t i = 1; i < modems.size(); ++i) {
        if (modems[i].usable) {
            modems[0].usable = true;
            modems[0].status = modems[i].kind == ModemKind::ModemManager
                                   ? text::Make(text::kStatusAutoModemManager, {Literal(modems[i].label)})
                                   : text::Make(text::kStatusAutoSerial, {Literal(modems[i].id)});
            break;
        }
    }
    return modems;
}

}  // namespace modem
