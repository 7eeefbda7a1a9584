#include "app/MainWindow.h"

#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QThread>

#include "app/MessageBoxes.h"
#include "app/PortSpinEdit.h"
#include "app/SendSmsDialog.h"
#include "app/WindowTexts.h"
#include "i18n/qt/QtObjectAccess.h"

namespace app {

namespace {

logic::WindowLogic::Options LogicOptions(std::string settingsPath, net::HostResolver& resolver) {
    logic::WindowLogic::Options options;
    options.settingsPath = std::move(settingsPath);
    options.resolver = &resolver;
    return options;
}

}  // namespace

Ttntfrm_Main::Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath, QWidget* parent,
                           net::HostResolver& resolver)
    : QWidget(parent), messages_(messages), logic_(*this, LogicOptions(std::move(settingsPath), resolver)) {
    BuildControls();
    ConnectHandlers();
    logic_.FormCreate();
}

Ttntfrm_Main::~Ttntfrm_Main() {
    // A check in progress stops at its next step; its result has nobody to go to.
    logic_.Closing();
    for (QThread* worker : workers_) {
        worker->wait();
        delete worker;
    }
}

void Ttntfrm_Main::ConnectHandlers() {
    using logic::Control;
    // A drop-down list reports the user's picks only; a program's setCurrentIndex is no change.
    const auto picked = [this](QComboBox* list, Control control) {
        connect(list, &QComboBox::activated, this, [this, control] { logic_.ItemPicked(control); });
    };
    picked(tntcomb_ServerNetMode, Control::ServerNetMode);
    picked(tntcomb_SMSCommandType, Control::SMSCommandType);
    picked(tntcomb_ServiceNetwork, Control::ServiceNetwork);
    const auto edited = [this](QLineEdit* field, Control control) {
        connect(field, &QLineEdit::textChanged, this, [this, control] { logic_.TextChanged(control); });
    };
    connect(rzspnedt_Port, &PortSpinEdit::textChanged, this, [this] { logic_.TextChanged(Control::Port); });
    edited(tntedt_StaticIP, Control::StaticIP);
    edited(tntedt_DomainAddress, Control::DomainAddress);
    edited(tntedt_Other, Control::Other);
    edited(tntedt_DTUNumber, Control::DTUNumber);
    const auto clicked = [this](QPushButton* button, void (logic::WindowLogic::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (logic_.*handler)(); });
    };
    clicked(tntbtn_GenerationSMS, &logic::WindowLogic::GenerationSMSClick);
    clicked(tntbtn_Close, &logic::WindowLogic::CloseClick);
    clicked(tntbtn_StaticIP, &logic::WindowLogic::StaticIPClick);
    clicked(tntbtn_TestServerPort, &logic::WindowLogic::TestServerPortClick);
    clicked(tntbtn_JudgeMaping, &logic::WindowLogic::JudgeMapingClick);
    connect(tntbtn_SendSMS, &QPushButton::clicked, this,
            [this] { logic_.RunHandler([this] { tntbtn_SendSMSClick(); }); });
    connect(tntpmn_Language, &QMenu::aboutToShow, this, [this] { logic_.LanguagePopup(); });
    for (QAction* item : tntpmn_Language->actions()) {
        connect(item, &QAction::triggered, this,
                [this, item] { logic_.LanguageItemClick(item->data().toInt()); });
    }
}

void Ttntfrm_Main::showEvent(QShowEvent* event) {
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // A window's position is that of its frame, so the frame is what gets centred (where
            // the frame is not known yet, it is the client area).
            QRect area = frameGeometry();
            area.moveCenter(screen->availableGeometry().center());
            move(area.topLeft());
        }
        logic_.FormShow();
    }
    QWidget::showEvent(event);
}

void Ttntfrm_Main::closeEvent(QCloseEvent* event) {
    logic_.Closing();
    event->accept();
}

void Ttntfrm_Main::LoadSettings() {
    logic_.LoadSettings();
}

void Ttntfrm_Main::tntbtn_SendSMSClick() {
    if (sendSmsDialog_ == nullptr) {
        sendSmsDialog_ = new SendSmsDialog(messages_, logic_.SettingsPath(), modem::TransportOptions{}, this);
    }
    sendSmsDialog_->Open(logic_.ReadFields());
}

QWidget* Ttntfrm_Main::ControlWidget(logic::Control control) const {
    using logic::Control;
    switch (control) {
        case Control::ServerNetMode:
            return tntcomb_ServerNetMode;
        case Control::Port:
            return rzspnedt_Port;
        case Control::StaticIPLabel:
            return tntlbl_StaticIP;
        case Control::StaticIP:
            return tntedt_StaticIP;
        case Control::ObtainIP:
            return tntbtn_StaticIP;
        case Control::DomainLabel:
            return tntlbl_DomainAddress;
        case Control::DomainAddress:
            return tntedt_DomainAddress;
        case Control::ServiceNetwork:
            return tntcomb_ServiceNetwork;
        case Control::Other:
            return tntedt_Other;
        case Control::DTUNumber:
            return tntedt_DTUNumber;
        case Control::SMSCommandType:
            return tntcomb_SMSCommandType;
        case Control::SMSCommandFormat:
            return tntedt_SMSCommandFormat;
        case Control::Status:
            return tntstsbr_StatusPanel;
    }
    return nullptr;
}

std::string Ttntfrm_Main::Text(logic::Control control) const {
    QWidget* widget = ControlWidget(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text().toStdString();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text().toStdString();
    }
    if (widget == rzspnedt_Port) {
        return rzspnedt_Port->text().toStdString();
    }
    return {};
}

void Ttntfrm_Main::SetText(logic::Control control, const std::string& text) {
    QWidget* widget = ControlWidget(control);
    const QSignalBlocker quiet(widget);
    const QString shown = QString::fromStdString(text);
    if (widget == rzspnedt_Port) {
        rzspnedt_Port->SetValue(logic::PortValueOfText(text));
    } else if (widget == tntedt_DTUNumber) {
        tntedt_DTUNumber->ShowWhole(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(shown);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(shown);
    }
}

int Ttntfrm_Main::Selected(logic::Control list) const {
    auto* combo = qobject_cast<QComboBox*>(ControlWidget(list));
    return combo != nullptr ? combo->currentIndex() : -1;
}

void Ttntfrm_Main::Select(logic::Control list, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(ControlWidget(list))) {
        // An index outside the list clears the selection.
        combo->setCurrentIndex(index);
    }
}

void Ttntfrm_Main::Enable(logic::Control control, bool enabled) {
    ControlWidget(control)->setEnabled(enabled);
}

void Ttntfrm_Main::MarkLanguage(int number, bool checked) {
    const QList<QAction*> items = tntpmn_Language->actions();
    if (number >= 0 && number < items.size()) {
        items[number]->setChecked(checked);
    }
}

void Ttntfrm_Main::TranslateWindow() {
    i18n::qt::TranslateComponent(this);
}

void Ttntfrm_Main::RetranslateWindow() {
    i18n::qt::RetranslateComponent(this);
    // The dialog keeps its own recorded texts; it follows the window's language like the rest.
    if (sendSmsDialog_ != nullptr) {
        sendSmsDialog_->Retranslate();
    }
}

void Ttntfrm_Main::ShowPrompt(const std::string& caption, const std::string& text) {
    messages_.ShowPrompt(this, QString::fromStdString(caption), QString::fromStdString(text));
}

void Ttntfrm_Main::ShowError(const std::string& caption, const std::string& text) {
    messages_.ShowError(this, QString::fromStdString(caption), QString::fromStdString(text));
}

void Ttntfrm_Main::Beep() {
    messages_.Beep();
}

void Ttntfrm_Main::CloseWindow() {
    close();
}

void Ttntfrm_Main::RunInBackground(std::function<void()> work, std::function<void()> done) {
    QThread* worker = QThread::create(std::move(work));
    workers_.push_back(worker);
    // Queued to the window's thread; dropped with the window, whose destructor waits for the thread.
    connect(worker, &QThread::finished, this, [this, worker, done = std::move(done)] {
        std::erase(workers_, worker);
        worker->deleteLater();
        done();
    });
    worker->start();
}

void Ttntfrm_Main::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(
        this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

}  // namespace app
