#pragma once

// The "Send SMS" dialog: hands the SMS command to the DTU, either as a QR code that a phone's camera
// opens as a ready SMS, or through a GSM modem attached to this computer, with the DTU's reply.
//
// It shows the DTU phone number (saved to the settings file at every change, like every field of
// the main window), the command composed exactly as "Generation SMS" composes it from the window's
// fields (or the validation message of the first missing field), the command's length, the QR code of
// "SMSTO:<number>:<command>" (or, in its place, why there is none), and the modem part: a choice of
// modem (the automatic choice and the modems found), an optional service-centre number, whether to
// wait for the reply, Send and Cancel, the progress, the outcome in words, the reply, and the log of
// the exchange under "Details".
//
// Every control is a child named after its role (tntedt_DTUPhoneNumber, tntcomb_Modem, ...). The
// dialog is translated like the main window: its captions are recorded in English when it is built and
// replayed at a language switch (Retranslate); the texts it writes itself are kept as English messages
// and written again in the new language.
//
// The modem's calls block, so they run in a worker thread (app/ModemWorker.h); the window stays
// responsive. A send in progress disables Send. Closing the dialog while the modem works cancels the
// work and the dialog closes once the worker has stopped and released the port (a part waiting for
// its "> " prompt is withdrawn with ESC, so nothing is sent half or twice).
//
// Lifetime: owned by the main window and kept between openings (the modems found and the last
// outcome stay); destroying it cancels the work in progress and waits for the worker.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "modem/SmsTransport.h"
#include "settings/Settings.h"
#include "sms/SmsCommand.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace app {

class MessagePresenter;
class ModemList;
class ModemWorker;
class QrCodeView;

class SendSmsDialog final : public QDialog {
    Q_OBJECT

public:
    // `messages` shows the prompt and error boxes and must outlive the dialog. `settingsPath` is the
    // settings file the phone number is read from and written to. `modemOptions` configure the
    // modem transports (ports, baud rate, time-outs, ModemManager). `parent` is the main window: the
    // dialog is modal to it, opens centred on it (moved inside the screen's available area where it
    // would cross an edge) and takes its font. It is never larger than that area: the Details log and
    // the reply shrink and scroll first.
    SendSmsDialog(MessagePresenter& messages, std::string settingsPath, modem::TransportOptions modemOptions,
                  QWidget* parent);
    ~SendSmsDialog() override;
    Q_DISABLE_COPY_MOVE(SendSmsDialog)

    // Shows the dialog for the command that `fields` compose, with the phone number the settings file
    // holds, in the engine's present language. No modem is looked for until the user drops the modem
    // list down or asks for a search.
    void Open(const sms::TGPRSInfo& fields);

    // Shows every text in the engine's present language: the captions are replayed when the
    // language changed since the last pass, and the texts the dialog wrote are written again.
    // Throws the engine's errors (EGnuGettext family).
    void Retranslate();

    // Whether the modem is at work (searching or sending).
    bool Busy() const;

public slots:
    // Closing (Escape, the close box, Close): with the modem at work, cancels the work and closes
    // once the worker has stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildNumberAndCode(QGridLayout* grid);
    void BuildModemGroup(QVBoxLayout* column);
    // The size the layouts ask for, cut to the screen's available area, and a place inside it.
    void FitIntoScreen();
    // The Details log at the start of its lines, with its last line in view.
    void ShowLogStart();
    void ConnectHandlers();
    void RunHandler(const std::function<void()>& handler) noexcept;

    void tntedt_DTUPhoneNumberChange();
    void tntbtn_SendClick();
    void tntbtn_CancelSendClick();
    void tntbtn_SearchModemsClick();
    void tntcomb_ModemDropDown();
    void tntbtn_DetailsClick();

    void OnProgress(const modem::Progress& progress);
    void OnLog(const modem::LogEntry& entry);
    void OnListed(const std::vector<modem::ModemInfo>& modems);
    void OnSent(const modem::SendResult& result);
    void OnWorkerFinished();

    // Write the texts that follow the state, in the present language.
    void ShowNumberAndCode();
    void ShowModems();
    void ShowProgressAndOutcome();
    void UpdateControls();

    // The normalised phone number, or nothing when the field holds no valid number.
    std::optional<std::string> PhoneNumber() const;
    // What the modem list names: the id of the chosen entry, or the device typed into it.
    std::string ChosenModem() const;
    bool StartSearch();
    void StartCancel();

    MessagePresenter& messages_;
    std::string settingsPath_;
    std::unique_ptr<ModemWorker> worker_;
    bool translated_ = false;
    // Whether the phone number was edited or Send pressed: only then is a wrong number shown in red.
    bool phoneChecked_ = false;

    sms::SmsCommandResult command_;
    std::vector<modem::ModemInfo> modems_;
    bool searched_ = false;
    bool searching_ = false;
    bool sending_ = false;
    bool cancelling_ = false;
    bool closeRequested_ = false;
    std::optional<modem::Progress> progress_;
    std::optional<modem::SendResult> result_;

    QLineEdit* tntedt_DTUPhoneNumber = nullptr;
    QLabel* tntlbl_PhoneNumberRule = nullptr;
    QLabel* tntlbl_PhoneNumberMessage = nullptr;
    QLineEdit* tntedt_SMSCommand = nullptr;
    QLabel* tntlbl_SMSLength = nullptr;
    QrCodeView* tntimg_QRCode = nullptr;
    ModemList* tntcomb_Modem = nullptr;
    QPushButton* tntbtn_SearchModems = nullptr;
    QLineEdit* tntedt_SMSC = nullptr;
    QCheckBox* tntchk_WaitReply = nullptr;
    QPushButton* tntbtn_Send = nullptr;
    QPushButton* tntbtn_CancelSend = nullptr;
    QProgressBar* tntprg_Send = nullptr;
    QLabel* tntlbl_Progress = nullptr;
    QLabel* tntlbl_Outcome = nullptr;
    QPlainTextEdit* tntmemo_Reply = nullptr;
    QPushButton* tntbtn_Details = nullptr;
    QPushButton* tntbtn_DialogClose = nullptr;
    QPlainTextEdit* tntmemo_Log = nullptr;
};

}  // namespace app
