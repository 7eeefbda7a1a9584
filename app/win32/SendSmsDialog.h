#pragma once

// The "Send SMS" dialog drawn with the standard Win32 controls: hands the SMS command to the DTU as a
// QR code that a phone's camera opens as a ready SMS, or through a GSM modem on a COM port, with the
// DTU's reply. It shows the DTU phone number (saved at every change), the command composed as
// "Generation SMS" composes it with its length, the QR code of "SMSTO:<number>:<command>" (or why
// there is none), the modem list with the automatic choice, the service centre, whether to wait for
// the reply, Send and Cancel, the progress, the outcome in words, the reply and, under Details, the
// exchange with the modem. Its texts are in the language of the main window when it opens.
//
// Modal to the main window and centred on it, laid out in dialog units from a template in memory
// (app/win32/SendSmsDialogLayout.h), moved and cut to the screen's work area (the Details log
// shrinks first). The modem works on a thread of its own (ModemJobs); closing the dialog while it
// works cancels the work, and the dialog closes once the port is free.
//
// The object lives as long as the main window and keeps the modems found and the last outcome
// between openings.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/ModemJobs.h"
#include "modem/SmsTransport.h"
#include "qr/QrCode.h"
#include "settings/Settings.h"
#include "sms/SmsCommand.h"

namespace app::win32 {

class SendSmsDialog final {
public:
    struct Hooks {
        // Saves a setting as the main window saves its fields; throws when the write fails.
        std::function<void(std::string_view key, const std::string& value)> save;
        // Runs a handler and shows an error that leaves it, as the main window does.
        std::function<void(const std::function<void()>& handler)> run;
    };

    SendSmsDialog(HINSTANCE instance, HWND owner, modem::TransportOptions modemOptions, Hooks hooks);
    ~SendSmsDialog();
    SendSmsDialog(const SendSmsDialog&) = delete;
    SendSmsDialog& operator=(const SendSmsDialog&) = delete;

    // Shows the dialog for the command that `fields` compose, with the phone number that the settings
    // file `settingsPath` holds, until it is closed. No modem is looked for until the user drops the
    // modem list down or asks for a search.
    void Open(const sms::TGPRSInfo& fields, const std::string& settingsPath);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize();
    void Run(const std::function<void()>& handler);

    HWND Item(std::string_view name) const;
    std::string ItemText(std::string_view name) const;
    void SetItemText(std::string_view name, const std::string& text);

    void Command(std::string_view name, UINT code);
    void PhoneNumberChanged();
    void SendClick();
    void DetailsClick();
    void CloseClick();
    // Ends the dialog, keeping the modem choice for the next opening.
    void Finish();
    bool StartSearch();
    void StartCancel();
    void TakeEvents();
    void WorkFinished();

    void ShowNumberAndCode();
    void ShowModems();
    void ShowProgressAndOutcome();
    void UpdateControls();
    void AppendLog(const std::string& line);
    // The size the controls need (with the Details log while it is shown), cut to the work area of
    // the main window's screen, centred on the main window and kept inside that area.
    void Place();
    void DrawCode(const DRAWITEMSTRUCT& item) const;
    std::string ChosenModem() const;
    void Prompt(const std::string& text) const;

    HINSTANCE instance_;
    HWND owner_;
    modem::TransportOptions modemOptions_;
    Hooks hooks_;
    HWND dialog_ = nullptr;
    std::unique_ptr<ModemJobs> jobs_;
    std::string settingsPath_;
    bool placing_ = false;  // a text set by the program: no change of the user's
    bool phoneChecked_ = false;

    sms::SmsCommandResult command_;
    std::optional<qr::QrCode> code_;
    std::string codeReason_;
    std::vector<modem::ModemInfo> modems_;
    std::vector<std::string> modemIds_;  // by the index of the modem list's entries
    std::string chosenModem_ = "auto";   // at the last closing
    std::wstring typedModem_;            // a port typed, at the last closing
    bool searched_ = false;
    bool searching_ = false;
    bool sending_ = false;
    bool cancelling_ = false;
    bool closeRequested_ = false;
    bool detailsShown_ = false;
    std::optional<modem::Progress> progress_;
    std::optional<modem::SendResult> result_;
    std::wstring log_;
};

}  // namespace app::win32
