#include "app/logic/WindowLogic.h"

#include <algorithm>
#include <future>
#include <system_error>
#include <utility>

#include "app/ApplicationTitle.h"
#include "app/cli/LanguageCodes.h"
#include "base/ErrorText.h"
#include "i18n/EngineStartup.h"
#include "i18n/GnuGettextInstance.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsLocation.h"
#include "sms/SmsCommand.h"
#include "sms/SmsLengthLine.h"

namespace app::logic {

namespace {

std::string Translated(const std::string& english) {
    return i18n::Translate(english);
}

unsigned UserDefaultLangId() {
    // The engine's locale source is the one the automatic language comes from (tests replace it);
    // without an engine the process's own locale answers.
    i18n::TGnuGettextInstance* engine = i18n::DefaultInstancePointer();
    return (engine != nullptr ? engine->Locale() : i18n::SystemLocaleSource()).UserDefaultLangId();
}

}  // namespace

std::string ErrorBoxText(const std::exception_ptr& error) {
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const std::exception& e) {
        return base::WithFullStop(e.what());
    } catch (...) {
    }
    return base::WithFullStop(i18n::Translate("An unexpected error occurred"));
}

WindowLogic::WindowLogic(WindowView& view, Options options)
    : view_(view), options_(std::move(options)), settingsPath_(options_.settingsPath) {}

WindowLogic::~WindowLogic() {
    Closing();
}

void WindowLogic::RunHandler(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void WindowLogic::ReportError(const std::exception_ptr& error) noexcept {
    try {
        try {
            std::rethrow_exception(error);
        } catch (const settings::ProfileWriteError& failure) {
            // Typing on into a field whose file cannot be written must neither bring the box up at
            // every key nor lose a key to it: the status bar keeps saying what fails, the box comes
            // once per distinct failure, and only after the keys already typed have reached their
            // field.
            const std::string text = base::WithFullStop(failure.what());
            writesFailing_ = true;
            ShowStatus(text);
            std::string failureKey = failure.path() + '\n' + failure.what();
            if (failureKey == shownWriteFailure_) {
                return;
            }
            shownWriteFailure_ = std::move(failureKey);
            view_.Post([this, text] { ShowErrorBox(text); });
            return;
        } catch (...) {
        }
        ShowErrorBox(ErrorBoxText(error));
    } catch (...) {
        // Not even the status or the box could be shown (no memory for them); nothing is left to tell.
    }
}

void WindowLogic::ShowStatus(const std::string& text) {
    shownLength_.reset();
    view_.SetText(Control::Status, text);
}

void WindowLogic::ShowLengthStatus(const sms::SmsLength& length) {
    view_.SetText(Control::Status, sms::LengthLine(length, Translated));
    shownLength_ = length;
}

void WindowLogic::ShowErrorBox(const std::string& text) noexcept {
    try {
        view_.ShowError(kApplicationTitle, text);
    } catch (...) {
    }
}

void WindowLogic::FormCreate() {
    // The first load's default of "Static IP" is looked up while the window is made ready to show;
    // without a thread for it, the load looks it up itself.
    try {
        firstLocalAddress_ = std::async(
            std::launch::async, [resolver = options_.resolver] { return net::GetLocalIP(*resolver); });
    } catch (const std::system_error&) {
    }
    // Every control exists and holds its English text, and no field has been loaded yet: the pass
    // records exactly the window's own texts.
    RunHandler([this] {
        if (i18n::EngineRunning()) {
            view_.TranslateWindow();
        }
    });
    if (settingsPath_.empty()) {
        settings::SettingsLocation location = settings::DefaultSettingsLocation();
        settingsPath_ = std::move(location.path);
        makeSettingsFolder_ = location.inConfigFolder;
    }
}

void WindowLogic::FormShow() {
    RunHandler([this] {
        sysParameter_.nLanguageID =
            settings::ProfileFile(settingsPath_).ReadInteger(sms::keys::kSection, sms::keys::kLanguageId, 0);
        // A language that cannot be applied (a catalog file beside the program that cannot be read)
        // must not keep the stored settings out of the window: the error is shown, the fields load.
        RunHandler([this] { ApplyLanguage(sysParameter_.nLanguageID); });
        LoadSettings();
    });
}

void WindowLogic::Closing() {
    if (stop_) {
        *stop_ = true;
    }
}

const std::string& WindowLogic::WritableSettingsPath() const {
    // Made at each write, not once: a folder removed while the window is open comes back.
    if (makeSettingsFolder_) {
        settings::MakeSettingsFolder(settingsPath_);
    }
    return settingsPath_;
}

void WindowLogic::SaveWith(const std::function<void(const std::string& path)>& write) {
    write(WritableSettingsPath());
    if (writesFailing_) {
        // The file takes writes again: the status bar stops warning, and a later failure is new.
        writesFailing_ = false;
        shownWriteFailure_.clear();
        ShowStatus({});
    }
}

void WindowLogic::Save(std::string_view key, int value) {
    SaveWith([&](const std::string& path) { settings::SaveSetting(path, key, value); });
}

void WindowLogic::Save(std::string_view key, const std::string& value) {
    SaveWith([&](const std::string& path) { settings::SaveSetting(path, key, value); });
}

void WindowLogic::LoadSettings() {
    // One reading of the file serves the fields and the texts they are compared with.
    const settings::SettingsSnapshot file(settingsPath_);
    const sms::TGPRSInfo info = settings::LoadSettings(file, [this] {
        return firstLocalAddress_.valid() ? firstLocalAddress_.get() : net::GetLocalIP(*options_.resolver);
    });
    sysParameter_.nLanguageID = info.nLanguageID;
    // Selecting a list item from the program is no change and writes nothing.
    view_.Select(Control::ServerNetMode, info.ServerAddressMode);
    UpdateServerModeControls(info.ServerAddressMode);
    view_.Select(Control::SMSCommandType, info.SMSCommandType);
    view_.Select(Control::ServiceNetwork, info.ServiceNetwork);

    // The fields that a load writes back, in their order. The port field shows its value in plain
    // decimal digits once placed, which is the text a write of that integer stores.
    const struct {
        Control field;
        std::string_view key;
        std::string value;
    } placed[] = {
        {Control::Port, sms::keys::kPort, std::to_string(std::clamp(info.Port, kPortMinimum, kPortMaximum))},
        {Control::StaticIP, sms::keys::kStaticIp, info.StaticIP},
        {Control::DomainAddress, sms::keys::kDomainAddress, info.DomainAddress},
        {Control::Other, sms::keys::kOtherApn, info.OtherAPN},
        {Control::DTUNumber, sms::keys::kDtuNumber, info.DTUNumber},
    };
    std::string before[std::size(placed)];
    for (std::size_t i = 0; i < std::size(placed); ++i) {
        before[i] = view_.Text(placed[i].field);
    }
    for (const auto& field : placed) {
        view_.SetText(field.field, field.value);
    }
    // Placing a value counts as a change of a field only where the text it shows changed, as a typed
    // change would. A text the file holds already is not written again, which spares a file
    // replacement (and its flush to disk) for every field at each start. A refused write must not
    // keep the later fields from being tried: each is, and only the first error goes on to the box.
    std::exception_ptr firstError;
    for (std::size_t i = 0; i < std::size(placed); ++i) {
        const std::string after = view_.Text(placed[i].field);
        if (after == before[i] || file.Text(placed[i].key) == after) {
            continue;
        }
        try {
            Save(placed[i].key, after);
        } catch (...) {
            if (!firstError) {
                firstError = std::current_exception();
            }
        }
    }
    if (firstError) {
        std::rethrow_exception(firstError);
    }
}

void WindowLogic::UpdateServerModeControls(int mode) {
    if (mode != 0 && mode != 1) {
        return;
    }
    const bool staticIp = mode == 0;
    view_.Enable(Control::StaticIPLabel, staticIp);
    view_.Enable(Control::StaticIP, staticIp);
    view_.Enable(Control::ObtainIP, staticIp);
    view_.Enable(Control::DomainLabel, !staticIp);
    view_.Enable(Control::DomainAddress, !staticIp);
}

void WindowLogic::TextChanged(Control field) {
    RunHandler([this, field] {
        switch (field) {
            case Control::Port:
                PortChanged();
                return;
            case Control::StaticIP:
                Save(sms::keys::kStaticIp, view_.Text(field));
                return;
            case Control::DomainAddress:
                Save(sms::keys::kDomainAddress, view_.Text(field));
                return;
            case Control::Other:
                Save(sms::keys::kOtherApn, view_.Text(field));
                return;
            case Control::DTUNumber:
                Save(sms::keys::kDtuNumber, view_.Text(field));
                return;
            default:
                return;
        }
    });
}

void WindowLogic::ItemPicked(Control list) {
    RunHandler([this, list] {
        const int index = view_.Selected(list);
        switch (list) {
            case Control::ServerNetMode:
                Save(sms::keys::kServerAddressMode, index);
                UpdateServerModeControls(index);
                return;
            case Control::SMSCommandType:
                Save(sms::keys::kSmsCommandType, index);
                return;
            case Control::ServiceNetwork:
                Save(sms::keys::kServiceNetwork, index);
                return;
            default:
                return;
        }
    });
}

void WindowLogic::PortChanged() {
    const std::string text = view_.Text(Control::Port);
    const int value = PortValueOfText(text);
    // An emptied field shows the minimum at once and a number above the range is cut back. The field
    // is corrected without running this handler again; the corrected value is saved once, below.
    if (text.empty() || value > kPortMaximum) {
        view_.SetText(Control::Port, std::to_string(std::clamp(value, kPortMinimum, kPortMaximum)));
    }
    Save(sms::keys::kPort, std::min(value, kPortMaximum));
}

sms::TGPRSInfo WindowLogic::ReadFields() const {
    sms::TGPRSInfo info;
    info.nLanguageID = sysParameter_.nLanguageID;
    info.ServerAddressMode = view_.Selected(Control::ServerNetMode);
    info.Port = PortValueOfText(view_.Text(Control::Port));
    info.StaticIP = view_.Text(Control::StaticIP);
    info.DomainAddress = view_.Text(Control::DomainAddress);
    info.SMSCommandType = view_.Selected(Control::SMSCommandType);
    info.ServiceNetwork = view_.Selected(Control::ServiceNetwork);
    info.OtherAPN = view_.Text(Control::Other);
    info.DTUNumber = view_.Text(Control::DTUNumber);
    return info;
}

void WindowLogic::GenerationSMSClick() {
    RunHandler([this] {
        view_.SetText(Control::SMSCommandFormat, {});
        // The status belongs to the command shown; without one, an earlier line would mislead.
        ShowStatus({});
        const sms::SmsCommandResult result = sms::GenerateSMSCommand(ReadFields());
        if (!result.ok) {
            ShowValidationPrompt(result.failedLabel, i18n::Translate("Prompt"));
            return;
        }
        view_.SetText(Control::SMSCommandFormat, result.command);
        if (!result.command.empty()) {
            ShowLengthStatus(sms::MeasureSms(result.command));
        }
    });
}

void WindowLogic::CloseClick() {
    RunHandler([this] { view_.CloseWindow(); });
}

void WindowLogic::ShowValidationPrompt(const std::string& englishLabel, const std::string& caption) {
    view_.ShowPrompt(caption, sms::FormatValidationMessage(Translated, englishLabel));
}

void WindowLogic::ApplyLanguage(int languageNumber) {
    if (!i18n::EngineRunning()) {
        return;
    }
    i18n::DefaultInstance().SelectLanguage(LanguageCodeOf(languageNumber));
    view_.RetranslateWindow();
    // The length line is kept as what it describes, so it speaks the new language at once.
    if (shownLength_) {
        ShowLengthStatus(*shownLength_);
    }
}

void WindowLogic::MarkLanguage(int languageNumber) {
    if (IsLanguageNumber(languageNumber)) {
        view_.MarkLanguage(languageNumber, true);
    }
}

void WindowLogic::LanguageItemClick(int tag) {
    RunHandler([this, tag] {
        for (int number = 0; number < 4; ++number) {
            view_.MarkLanguage(number, false);
        }
        view_.MarkLanguage(tag, true);
        int number = tag;
        if (tag == 0) {
            const int mapped = LanguageNumberOfLangId(UserDefaultLangId());
            if (mapped != 0) {
                MarkLanguage(mapped);
            }
            // The window follows the engine's detection (LANG first), which may differ from the
            // number saved for the next start.
            ApplyLanguage(0);
            view_.MarkLanguage(0, false);
            number = mapped;
        } else {
            view_.MarkLanguage(0, false);
            MarkLanguage(tag);
            ApplyLanguage(tag);
        }
        sysParameter_.nLanguageID = number;
        Save(sms::keys::kLanguageId, number);
        // The replay emptied the drop-down lists' selections; the file restores them with every
        // other field.
        LoadSettings();
    });
}

void WindowLogic::LanguagePopup() {
    MarkLanguage(sysParameter_.nLanguageID);
}

}  // namespace app::logic
