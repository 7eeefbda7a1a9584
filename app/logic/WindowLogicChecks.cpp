// The three server checks of the main window. Each blocks in the cores, so each runs through the
// view's background runner: the window stays responsive meanwhile, a second check asked for is
// ignored, and closing the window stops the one in progress without showing anything.

#include <utility>

#include "app/logic/WindowLogic.h"
#include "i18n/EngineStartup.h"
#include "net/ServerChecks.h"
#include "net/WanAddress.h"

namespace app::logic {

namespace {

std::string Translated(const std::string& english) {
    return i18n::Translate(english);
}

// The cores ask this between their blocking steps whether to go on; it pumps no events.
net::EventPump KeepGoingUnless(const std::atomic<bool>& stop) {
    return [&stop] { return !stop.load(); };
}

net::ServerTarget ServerAddressFields(const sms::TGPRSInfo& fields) {
    net::ServerTarget target;
    target.mode = fields.ServerAddressMode;
    target.staticIp = fields.StaticIP;
    target.domain = fields.DomainAddress;
    target.port = fields.Port;
    return target;
}

}  // namespace

void WindowLogic::StartCheck(std::function<void(const StopFlag& stop)> work, std::function<void()> done) {
    if (checkRunning_) {
        return;
    }
    checkRunning_ = true;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    stop_ = stop;
    // An error of the work is shown once the window's thread has it back, like any handler's.
    auto error = std::make_shared<std::exception_ptr>();
    view_.RunInBackground(
        [stop, error, work = std::move(work)] {
            try {
                work(stop);
            } catch (...) {
                *error = std::current_exception();
            }
        },
        [this, stop, error, done = std::move(done)] {
            checkRunning_ = false;
            if (*stop) {
                return;
            }
            RunHandler([&] {
                if (*error) {
                    std::rethrow_exception(*error);
                }
                done();
            });
        });
}

void WindowLogic::TestServerPortClick() {
    RunHandler([this] {
        // The caption is taken in the language of the click; a language chosen while the check runs
        // shows in the texts that come after it.
        const std::string caption = i18n::Translate("Prompt");
        const net::ServerTarget target = ServerAddressFields(ReadFields());
        auto result = std::make_shared<net::PortTestResult>();
        net::HostResolver* resolver = options_.resolver;
        WindowView* view = &view_;
        StartCheck(
            [=, this](const StopFlag& stop) {
                // The status line goes up while the connection is tried. Posted tasks are dropped with
                // the window, and a closed window stops the check first.
                const auto setStatus = [this, view, stop](const std::string& status) {
                    view->Post([this, stop, status] {
                        if (!*stop) {
                            ShowStatus(status);
                        }
                    });
                };
                *result =
                    net::RunServerPortTest(target, Translated, setStatus, KeepGoingUnless(*stop), *resolver);
            },
            [this, result, caption] {
                if (result->abandoned) {
                    return;
                }
                if (result->missingField) {
                    ShowValidationPrompt(*result->missingField, caption);
                    return;
                }
                // The status bar adds why it failed; the box keeps the message alone.
                ShowStatus(net::OutcomeWithReason(*result));
                view_.ShowPrompt(caption, result->outcomeText);
            });
    });
}

void WindowLogic::JudgeMapingClick() {
    RunHandler([this] {
        const std::string caption = i18n::Translate("Prompt");
        const net::ServerTarget target = ServerAddressFields(ReadFields());
        auto result = std::make_shared<net::MappingResult>();
        net::HostResolver* resolver = options_.resolver;
        StartCheck(
            [=](const StopFlag& stop) {
                *result = net::JudgePortMapping(target, Translated, KeepGoingUnless(*stop), *resolver);
            },
            [this, result, caption] {
                if (result->abandoned) {
                    return;
                }
                if (result->missingField) {
                    ShowValidationPrompt(*result->missingField, caption);
                    return;
                }
                view_.ShowPrompt(caption, result->verdictText);
            });
    });
}

void WindowLogic::StaticIPClick() {
    RunHandler([this] {
        struct Outcome {
            std::string address;
            std::exception_ptr error;
            bool abandoned = false;
        };
        auto outcome = std::make_shared<Outcome>();
        StartCheck(
            [outcome](const StopFlag& stop) {
                try {
                    outcome->address = net::GetWanIP(KeepGoingUnless(*stop));
                } catch (const net::WanRequestAbandoned&) {
                    outcome->abandoned = true;
                } catch (...) {
                    outcome->error = std::current_exception();
                }
            },
            [this, outcome] {
                if (outcome->abandoned) {
                    return;
                }
                if (outcome->error) {
                    std::rethrow_exception(outcome->error);
                }
                // The field's change saves the address, as it saves a typed one.
                if (view_.Text(Control::StaticIP) != outcome->address) {
                    view_.SetText(Control::StaticIP, outcome->address);
                    Save(sms::keys::kStaticIp, outcome->address);
                }
            });
    });
}

}  // namespace app::logic
