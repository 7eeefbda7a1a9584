#pragma once

// The main window tntfrm_Main: every field of the settings record, the buttons that compose the SMS
// command and run the server checks, the language menu and the status bar.
//
// Every control is a child QObject named after its role (tntedt_StaticIP, rzspnedt_Port, ...), so
// the window can be walked through Qt's meta-object system. The window is a view: it draws the
// controls and forwards their events to the window logic (app/logic/WindowLogic.h), which decides
// what each does; values that the logic places run no change notification.
//
// Threads: the window lives on the user-interface thread. The server checks run on a QThread each
// and come back through the window's event queue; destroying the window waits for a check in
// progress, which stops at its next step once the window is closed.

#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "app/KeyboardLimitedEdit.h"
#include "app/logic/WindowLogic.h"
#include "app/logic/WindowView.h"
#include "net/AddressLookup.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QThread;
class QToolButton;

namespace app {

class MessagePresenter;
class PortSpinEdit;
class SendSmsDialog;

class Ttntfrm_Main final : public QWidget, private logic::WindowView {
    Q_OBJECT

public:
    // `messages` shows the prompt and error boxes, sounds the beep and must outlive the window.
    // `settingsPath` is the settings file to use; empty means settings::DefaultSettingsLocation().
    // `resolver` answers the local address and the server checks' look-ups and must outlive the
    // window.
    explicit Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath = {},
                          QWidget* parent = nullptr, net::HostResolver& resolver = net::SystemResolver());

    ~Ttntfrm_Main() override;
    Ttntfrm_Main(const Ttntfrm_Main&) = delete;
    Ttntfrm_Main& operator=(const Ttntfrm_Main&) = delete;

    // Reads every field from the settings file and places it (logic::WindowLogic::LoadSettings).
    void LoadSettings();
    // Whether a server check ("Obtain IP", "Test server port", the mapping judgement) is in progress.
    bool CheckRunning() const { return logic_.CheckRunning(); }

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

    // Opens the "Send SMS" dialog for the command the fields compose; the dialog is made at the first
    // click and kept, with the modems it found and its last outcome, until the window is destroyed.
    void tntbtn_SendSMSClick();

    QWidget* ControlWidget(logic::Control control) const;

    // logic::WindowView
    std::string Text(logic::Control control) const override;
    void SetText(logic::Control control, const std::string& text) override;
    int Selected(logic::Control list) const override;
    void Select(logic::Control list, int index) override;
    void Enable(logic::Control control, bool enabled) override;
    void MarkLanguage(int number, bool checked) override;
    void TranslateWindow() override;
    void RetranslateWindow() override;
    void ShowPrompt(const std::string& caption, const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    void Beep() override;
    void CloseWindow() override;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override;
    void Post(std::function<void()> task) override;

    MessagePresenter& messages_;
    logic::WindowLogic logic_;
    bool shownOnce_ = false;
    std::vector<QThread*> workers_;

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
