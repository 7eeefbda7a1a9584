#pragma once

// The behaviour of the main window tntfrm_Main, free of any toolkit: start-up, the enabling rules,
// the write-back of every field, the port field's cap, Generation SMS, the three server checks, the
// language menu, the status bar and the boxes. A view (WindowView) draws the controls and forwards
// their events to the handlers below; the logic tells it what to show.
//
// Every handler runs on the window's thread and catches what it throws: an error is shown in the
// error box (its text, the application title as caption) and the
// window goes on. A settings file that cannot be written shows its box once per distinct failure
// (path and message); while writes keep failing the status bar says so, and a write that works again
// clears it.
//
// The server checks block in the cores; each runs through the view's background runner, so the
// window stays responsive. While one runs a second click on any check is ignored; Closing() stops it,
// and nothing of it is shown afterwards.

#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/logic/PortValue.h"
#include "app/logic/WindowView.h"
#include "net/AddressLookup.h"
#include "settings/Settings.h"
#include "sms/SmsLength.h"

namespace app::logic {

// The program-wide system parameters; the language number in force.
struct tagSysParameter {
    int nLanguageID = 0;
};

// The text of the error box for `error`: its message (what() of a std::exception, the translated
// "An unexpected error occurred" for anything else), followed by "." when its last character comes
// after "." in character order.
std::string ErrorBoxText(const std::exception_ptr& error);

class WindowLogic {
public:
    struct Options {
        // The settings file; empty means settings::DefaultSettingsLocation().
        std::string settingsPath;
        // Answers the local address and the checks' look-ups; must outlive the logic.
        net::HostResolver* resolver = &net::SystemResolver();
    };

    // `view` must outlive the logic.
    WindowLogic(WindowView& view, Options options);
    ~WindowLogic();
    WindowLogic(const WindowLogic&) = delete;
    WindowLogic& operator=(const WindowLogic&) = delete;

    // The window was created with its English texts: translates it and fixes the settings path. The
    // local address for the first load is looked up meanwhile, on a thread of its own.
    void FormCreate();
    // The window is shown for the first time: applies the stored language, then LoadSettings.
    void FormShow();
    // The window closes: a check in progress stops and shows nothing.
    void Closing();

    // Reads every field from the settings file and places it, sets the server-mode controls for the
    // loaded mode, and writes back each of Port, Static IP, Domain address, Other APN and DTU number
    // whose shown text the placing changed and the file does not hold already. A refused write does
    // not stop the others; the first error is thrown afterwards.
    void LoadSettings();

    // Change handlers, for the user's edits and picks.
    void TextChanged(Control field);
    void ItemPicked(Control list);

    void GenerationSMSClick();
    void CloseClick();
    void StaticIPClick();
    void TestServerPortClick();
    void JudgeMapingClick();
    // Click of the language menu's item `tag` (0 automatic, 1 English, 2 Simplified Chinese,
    // 3 Traditional Chinese).
    void LanguageItemClick(int tag);
    // The language menu is about to open.
    void LanguagePopup();

    // Runs `handler` as a handler of the window: an error leaving it is shown in the error box.
    void RunHandler(const std::function<void()>& handler) noexcept;

    // Saves a setting kept outside the window's fields (the "Send SMS" dialog's phone number) the way
    // the fields are saved: into the settings file, its folder made when needed. Throws like a field's
    // save; RunHandler shows the error.
    void SaveSetting(std::string_view key, const std::string& value) { Save(key, value); }

    // The fields as shown, in a settings record.
    sms::TGPRSInfo ReadFields() const;
    const std::string& SettingsPath() const { return settingsPath_; }
    int LanguageNumber() const { return sysParameter_.nLanguageID; }
    bool CheckRunning() const { return checkRunning_; }

private:
    // Turns true when the window closes while a check runs.
    using StopFlag = std::shared_ptr<std::atomic<bool>>;

    void ReportError(const std::exception_ptr& error) noexcept;
    // Shows `text` in the status bar in place of whatever it said, the length line included.
    void ShowStatus(const std::string& text);
    // Shows the length of the command just composed, worded in the language in force.
    void ShowLengthStatus(const sms::SmsLength& length);
    void ShowErrorBox(const std::string& text) noexcept;
    void ApplyLanguage(int languageNumber);
    void MarkLanguage(int languageNumber);
    void UpdateServerModeControls(int mode);
    void PortChanged();
    void Save(std::string_view key, int value);
    void Save(std::string_view key, const std::string& value);
    void SaveWith(const std::function<void(const std::string& path)>& write);
    const std::string& WritableSettingsPath() const;
    void ShowValidationPrompt(const std::string& englishLabel, const std::string& caption);
    // Starts a check unless one runs: `work` in the background with a flag that turns true when the
    // window closes, then `done` on the window's thread unless it closed.
    void StartCheck(std::function<void(const StopFlag& stop)> work, std::function<void()> done);

    WindowView& view_;
    Options options_;
    // The local address that FormCreate began to look up for the first load; spent by it.
    std::future<std::string> firstLocalAddress_;
    std::string settingsPath_;
    bool makeSettingsFolder_ = false;
    tagSysParameter sysParameter_;
    bool checkRunning_ = false;
    StopFlag stop_;
    // The settings write failure last shown in a box (path and message); empty while writes work.
    std::string shownWriteFailure_;
    bool writesFailing_ = false;
    // What the status bar's length line describes while it shows one: a language switch words it
    // anew. Empty while the status bar shows anything else.
    std::optional<sms::SmsLength> shownLength_;
};

}  // namespace app::logic
