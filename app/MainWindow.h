#pragma once

// The main window tntfrm_Main: every field of the settings record, the buttons that compose the SMS
// command and run the server checks, the language menu and the status bar.
//
// Every control is a child QObject named after its role (tntedt_StaticIP, rzspnedt_Port, ...), so
// the window can be walked through Qt's meta-object system. Each field saves its key of the settings
// file the moment the user changes it; values that the program places (LoadSettings) run no change
// handler. Every handler runs inside RunHandler: an exception leaving it is shown in the error box
// and the program goes on.
//
// Threads: the window lives on the user-interface thread and everything here runs on it, so nothing
// is locked. The network checks handle window events while they wait: other handlers may then run
// inside a check, each of them to its end.
//
// Lifetime: the window must not be deleted while one of its handlers runs (the network checks handle
// window events while they wait); closing it is safe at any time: a check in progress then stops and
// shows nothing.

#include <array>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "app/KeyboardLimitedEdit.h"
#include "net/AddressLookup.h"
#include "net/EventPump.h"
#include "sms/Settings.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace net {
struct ServerTarget;
}

namespace app {

class MessagePresenter;
class PortSpinEdit;
class SendSmsDialog;

// The program-wide system parameters; the language number in force.
struct tagSysParameter {
    int nLanguageID = 0;
};

class Ttntfrm_Main final : public QWidget {
    Q_OBJECT

public:
    // `messages` shows the prompt and error boxes, sounds the beep and must outlive the window.
    // `settingsPath` is the settings file to use; empty means sms::DefaultSettingsLocation().
    // `resolver` answers the local address and the server checks' look-ups and must outlive the
    // window.
    explicit Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath = {},
                          QWidget* parent = nullptr, net::HostResolver& resolver = net::SystemResolver());

    // Reads every field from the settings file and places it, and sets the server-mode controls for
    // the loaded mode. Then each of Port, Static IP, Domain address, Other APN and DTU number whose
    // shown text the placing changed is written back, in that order, unless the file holds that text
    // already. A refused write does not stop the others; afterwards the first sms::ProfileWriteError
    // is thrown.
    void LoadSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A field that LoadSettings may write back: its key and the text it shows.
    struct ShownField {
        std::string_view key;
        QString text;
    };
    using ShownFields = std::array<ShownField, 5>;

    void BuildControls();
    void BuildNetworkGroup();
    void BuildSmsGroup();
    void BuildPanelAndStatusBar();
    void BuildLanguageMenu();
    void SetTabOrder();
    void ConnectHandlers();

    void RunHandler(const std::function<void()>& handler) noexcept;
    void ReportError(const std::exception_ptr& error) noexcept;

    void TntFormCreate();
    void TntFormShow();
    ShownFields WrittenBackFields() const;
    void PlaceFields(const sms::TGPRSInfo& info);
    void WriteBack(const sms::SettingsSnapshot& file, const ShownFields& before);

    // Selects the language `languageNumber` (0 automatic, 1 English, 2 Simplified Chinese,
    // 3 Traditional Chinese; any other number selects the automatic language) and retranslates the
    // window, which replays its recorded English texts only when the engine's language code changed.
    // The replay clears the selections of the drop-down lists: LoadSettings restores them. Does
    // nothing while no localization engine runs. Throws the engine's errors (EGnuGettext family).
    void ApplyLanguage(int languageNumber);
    // Sets the check mark of the item of `languageNumber`; none for a number outside 0 to 3.
    void MarkLanguage(int languageNumber);
    // Click handler shared by the four items of the language menu (the item's data is its language
    // number): sets the check marks, applies the language, saves "nLanguageID" and reloads every
    // field. Automatic saves the number of the user's default language identifier (1028 -> 3,
    // 1033 -> 1, 2052 -> 2, other -> 0, marked likewise) while the window takes the language that the
    // engine detects. A failed write of "nLanguageID" throws sms::ProfileWriteError before the
    // reload: the new language stays shown and in force.
    void tntmntm_AutomaticClick(QAction* sender);
    // Runs each time before the language menu opens: marks the item of the language number in force
    // (none for a number outside 0 to 3) and clears no mark.
    void tntpmn_LanguagePopup();

    // Enables the static-IP controls for mode 0 and the domain controls for mode 1; any other mode
    // changes nothing.
    void UpdateServerModeControls(int mode);

    // The change handlers of the fields; each saves its own key.
    void tntcomb_ServerNetModeChange();
    void rzspnedt_PortChange();
    void tntedt_StaticIPChange() { Save(sms::keys::kStaticIp, tntedt_StaticIP); }
    void tntedt_DomainAddressChange() { Save(sms::keys::kDomainAddress, tntedt_DomainAddress); }
    void tntcomb_SMSCommandTypeChange() { Save(sms::keys::kSmsCommandType, tntcomb_SMSCommandType); }
    void tntcomb_ServiceNetworkChange() { Save(sms::keys::kServiceNetwork, tntcomb_ServiceNetwork); }
    void tntedt_OtherChange() { Save(sms::keys::kOtherApn, tntedt_Other); }
    void tntedt_DTUNumberChange() { Save(sms::keys::kDtuNumber, tntedt_DTUNumber); }

    void tntbtn_GenerationSMSClick();
    void tntbtn_CloseClick();
    void tntbtn_StaticIPClick();
    void tntbtn_TestServerPortClick();
    void tntbtn_JudgeMapingClick();
    // Opens the "Send SMS" dialog for the command the fields compose; the dialog is made at the first
    // click and kept, with the modems it found and its last outcome, until the window is destroyed.
    void tntbtn_SendSMSClick();

    // Write one key of the settings file: a number, the text of an edit line, the item index of a
    // drop-down list. Throw sms::ProfileWriteError when the file cannot be written.
    void Save(std::string_view key, int value);
    void Save(std::string_view key, const QLineEdit* field);
    void Save(std::string_view key, const QComboBox* list);
    // The settings path for a write, with the per-user settings folder made first when the file
    // lives there. Throws sms::ProfileWriteError when that folder cannot be made.
    const std::string& WritableSettingsPath() const;
    sms::TGPRSInfo ReadFields() const;
    void ShowValidationPrompt(const std::string& englishLabel, const QString& caption);
    // The mode and both address fields as shown; the port is left at its default, since only the
    // port test wants it.
    net::ServerTarget ServerAddressFields() const;
    net::EventPump WindowPump();

    MessagePresenter& messages_;
    net::HostResolver& resolver_;
    std::string settingsPath_;
    bool makeSettingsFolder_ = false;
    tagSysParameter sysParameter_;
    bool shownOnce_ = false;
    bool closed_ = false;
    bool checkRunning_ = false;

    // The controls that the handlers read or change; the others live in the window's object tree only.
    QComboBox* tntcomb_ServerNetMode = nullptr;
    PortSpinEdit* rzspnedt_Port = nullptr;
    QLabel* tntlbl_StaticIP = nullptr;
    QLineEdit* tntedt_StaticIP = nullptr;
    QPushButton* tntbtn_StaticIP = nullptr;
    QLabel* tntlbl_DomainAddress = nullptr;
    QLineEdit* tntedt_DomainAddress = nullptr;
    QPushButton* tntbtn_TestServerPort = nullptr;
    QPushButton* tntbtn_JudgeMaping = nullptr;
    QComboBox* tntcomb_ServiceNetwork = nullptr;
    QLineEdit* tntedt_Other = nullptr;
    KeyboardLimitedEdit* tntedt_DTUNumber = nullptr;
    QComboBox* tntcomb_SMSCommandType = nullptr;
    QLineEdit* tntedt_SMSCommandFormat = nullptr;
    QToolButton* rzMenubtn_Language = nullptr;
    QMenu* tntpmn_Language = nullptr;
    QAction* tntmntm_Automatic = nullptr;
    QPushButton* tntbtn_Close = nullptr;
    QPushButton* tntbtn_GenerationSMS = nullptr;
    QPushButton* tntbtn_SendSMS = nullptr;
    QLabel* tntstsbr_StatusPanel = nullptr;
    SendSmsDialog* sendSmsDialog_ = nullptr;
};

}  // namespace app
