#pragma once

// The main window tntfrm_Main: every field of the settings record, the buttons that compose the SMS
// command and run the server checks, the language menu and the status bar.
//
// Every control is a child QObject named after its role (tntedt_StaticIP, rzspnedt_Port, ...), so
// the window can be walked through Qt's meta-object system. Each field saves its key of the settings
// file the moment its text or the user's choice changes. Every handler runs inside one HandlerGuard:
// an exception leaving a handler is shown in the error box and the program goes on.
//
// Lifetime: the window must not be deleted while one of its handlers runs (the network checks handle
// window events while they wait); closing it is safe at any time: a check in progress then stops and
// shows nothing.

#include <map>
#include <string>

#include <QWidget>

#include "app/HandlerGuard.h"
#include "net/AddressLookup.h"
#include "net/EventPump.h"
#include "sms/Settings.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace net {
struct ServerTarget;
}

namespace app {

class AutoWidthLabel;
class KeyboardLimitedEdit;
class MessagePresenter;
class PortSpinEdit;

// The program-wide system parameters; the language number in force.
struct tagSysParameter {
    int nLanguageID = 0;
};

class Ttntfrm_Main : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 495;
    static constexpr int kClientHeight = 305;
    static constexpr int kDtuNumberKeyboardLimit = 11;

    // `messages` shows the prompt and error boxes and must outlive the window. `settingsPath` is the
    // settings file to use; empty means GPRSInfo.ini beside the program. `resolver` answers the local
    // address and the server checks' look-ups and must outlive the window.
    explicit Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath = {},
                          QWidget* parent = nullptr, net::HostResolver& resolver = net::SystemResolver());
    ~Ttntfrm_Main() override;

    const std::string& SettingsPath() const { return settingsPath_; }
    tagSysParameter& SysParameter() { return sysParameter_; }
    MessagePresenter& Messages() { return messages_; }
    HandlerGuard& Guard() { return guard_; }

    // Reads every field from the settings file and places it, writing back what the placing changes,
    // and sets the server-mode controls for the loaded mode. When a write-back fails, the remaining
    // fields are placed all the same, then the first sms::ProfileWriteError is thrown.
    void LoadSettings();

    // Selects the language `languageNumber` (0 automatic, 1 English, 2 Simplified Chinese,
    // 3 Traditional Chinese; any other number selects the automatic language) and retranslates the
    // window, which replays its recorded English texts only when the engine's language code changed.
    // The replay clears the selections of the drop-down lists: LoadSettings restores them. Does
    // nothing while no localization engine runs. Throws the engine's errors (EGnuGettext family).
    virtual void ApplyLanguage(int languageNumber);

    // Enables the static-IP controls for mode 0 and the domain controls for mode 1; any other mode
    // changes nothing.
    void UpdateServerModeControls(int mode);

    // True while one of the three network checks runs.
    bool CheckRunning() const { return checkRunning_; }

public Q_SLOTS:
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildNetworkGroup();
    void BuildSmsGroup();
    void BuildPanelAndStatusBar();
    void BuildLanguageMenu();
    void SetTabOrder();
    void ConnectHandlers();

    void TntFormCreate();
    void TranslateWindow();
    void SetLanguageMark(int languageNumber, bool checked);
    void TntFormShow();
    void ReportError(const std::exception_ptr& error);

    void tntcomb_ServerNetModeChange(int index);
    void rzspnedt_PortChange();
    void tntedt_StaticIPChange();
    void tntedt_DomainAddressChange();
    void tntcomb_SMSCommandTypeChange(int index);
    void tntcomb_ServiceNetworkChange(int index);
    void tntedt_OtherChange();
    void tntedt_DTUNumberChange();
    void tntbtn_GenerationSMSClick();
    void tntbtn_CloseClick();
    void tntbtn_StaticIPClick();
    void tntbtn_TestServerPortClick();
    void tntbtn_JudgeMapingClick();

    // Program-side field changes: the field's change handler runs nested and may fail; its error is
    // rethrown here so that the caller stops where a failing write would stop it.
    void PlaceText(QLineEdit* edit, const std::string& utf8);
    void PlacePort(int value);
    int ReadPort();
    void Save(std::string_view key, const QString& text);
    void Save(std::string_view key, int value);
    bool StoredAlready(std::string_view key, const std::string& value) const;

    sms::TGPRSInfo ReadFields();
    void ShowPrompt(const QString& caption, const QString& text);
    void ShowValidationPrompt(const std::string& englishLabel, const QString& caption);
    // The mode and both address fields as shown; the port is left at its default, since reading it
    // may change the field (an empty one becomes 1000) and only the port test wants it.
    net::ServerTarget ServerAddressFields() const;
    net::EventPump WindowPump();

    MessagePresenter& messages_;
    net::HostResolver& resolver_;
    std::string settingsPath_;
    tagSysParameter sysParameter_;
    HandlerGuard guard_;
    // While LoadSettings places the fields: the texts the file holds for the keys that placing may
    // write back (absent keys are missing), so that a write-back of the same text is skipped.
    std::map<std::string, std::string, std::less<>> storedWhileLoading_;
    bool loading_ = false;
    bool shownOnce_ = false;
    bool closed_ = false;
    bool checkRunning_ = false;

    QGroupBox* tntgrp_NetWork = nullptr;
    QLabel* tntlbl_ServerNetMode = nullptr;
    QComboBox* tntcomb_ServerNetMode = nullptr;
    QLabel* tntlbl_Port = nullptr;
    PortSpinEdit* rzspnedt_Port = nullptr;
    QLabel* tntlbl_StaticIP = nullptr;
    QLineEdit* tntedt_StaticIP = nullptr;
    QPushButton* tntbtn_StaticIP = nullptr;
    QLabel* tntlbl_DomainAddress = nullptr;
    QLineEdit* tntedt_DomainAddress = nullptr;
    QPushButton* tntbtn_TestServerPort = nullptr;
    QPushButton* tntbtn_JudgeMaping = nullptr;

    QGroupBox* tntgrp_SMSCommandFormat = nullptr;
    QLabel* tntlbl_ServiceNetwork = nullptr;
    QComboBox* tntcomb_ServiceNetwork = nullptr;
    QLabel* tntlbl_Ohter = nullptr;
    QLineEdit* tntedt_Other = nullptr;
    QLabel* tntlbl_DTUNumber = nullptr;
    KeyboardLimitedEdit* tntedt_DTUNumber = nullptr;
    QLabel* tntlbl1 = nullptr;
    QComboBox* tntcomb_SMSCommandType = nullptr;
    AutoWidthLabel* tntlbl_SMSCommandFormat = nullptr;
    QLineEdit* tntedt_SMSCommandFormat = nullptr;

    QFrame* TntPanel1 = nullptr;
    QToolButton* rzMenubtn_Language = nullptr;
    QMenu* tntpmn_Language = nullptr;
    QAction* tntmntm_Automatic = nullptr;
    QAction* tntmntm_English = nullptr;
    QAction* tntmntm_SimplifiedChinese = nullptr;
    QAction* tntmntm_TraditionalChinese = nullptr;
    QPushButton* tntbtn_Close = nullptr;
    QPushButton* tntbtn_GenerationSMS = nullptr;
    QStatusBar* tntstsbr_Status = nullptr;
    QLabel* tntstsbr_StatusPanel = nullptr;
};

}  // namespace app
