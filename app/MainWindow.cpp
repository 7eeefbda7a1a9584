#include "app/MainWindow.h"

#include <algorithm>

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

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"
#include "app/PortSpinEdit.h"
#include "app/SendSmsDialog.h"
#include "app/SendSmsTexts.h"
#include "app/WindowTexts.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "net/AddressLookup.h"
#include "sms/ProfileFile.h"
#include "sms/SettingsLocation.h"
#include "sms/SmsCommand.h"
#include "sms/SmsLength.h"

namespace app {

Ttntfrm_Main::Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath, QWidget* parent,
                           net::HostResolver& resolver)
    : QWidget(parent), messages_(messages), resolver_(resolver), settingsPath_(std::move(settingsPath)) {
    BuildControls();
    ConnectHandlers();
    TntFormCreate();
}

void Ttntfrm_Main::ConnectHandlers() {
    const auto on = [this](const auto* sender, auto signal, void (Ttntfrm_Main::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    // A drop-down list reports the user's picks only; a program's setCurrentIndex is no change.
    on(tntcomb_ServerNetMode, &QComboBox::activated, &Ttntfrm_Main::tntcomb_ServerNetModeChange);
    on(tntcomb_SMSCommandType, &QComboBox::activated, &Ttntfrm_Main::tntcomb_SMSCommandTypeChange);
    on(tntcomb_ServiceNetwork, &QComboBox::activated, &Ttntfrm_Main::tntcomb_ServiceNetworkChange);
    on(rzspnedt_Port, &PortSpinEdit::textChanged, &Ttntfrm_Main::rzspnedt_PortChange);
    on(tntedt_StaticIP, &QLineEdit::textChanged, &Ttntfrm_Main::tntedt_StaticIPChange);
    on(tntedt_DomainAddress, &QLineEdit::textChanged, &Ttntfrm_Main::tntedt_DomainAddressChange);
    on(tntedt_Other, &QLineEdit::textChanged, &Ttntfrm_Main::tntedt_OtherChange);
    on(tntedt_DTUNumber, &QLineEdit::textChanged, &Ttntfrm_Main::tntedt_DTUNumberChange);
    on(tntbtn_GenerationSMS, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_GenerationSMSClick);
    on(tntbtn_Close, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_CloseClick);
    on(tntbtn_StaticIP, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_StaticIPClick);
    on(tntbtn_TestServerPort, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_TestServerPortClick);
    on(tntbtn_JudgeMaping, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_JudgeMapingClick);
    on(tntbtn_SendSMS, &QPushButton::clicked, &Ttntfrm_Main::tntbtn_SendSMSClick);
    on(tntpmn_Language, &QMenu::aboutToShow, &Ttntfrm_Main::tntpmn_LanguagePopup);
    for (QAction* item : tntpmn_Language->actions()) {
        connect(item, &QAction::triggered, this,
                [this, item] { RunHandler([this, item] { tntmntm_AutomaticClick(item); }); });
    }
}

void Ttntfrm_Main::RunHandler(const std::function<void()>& handler) noexcept {
    // No exception may cross Qt's event loop. A handler that runs inside another one (while a network
    // check handles window events) reports its own error at once, like any other.
    try {
        handler();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void Ttntfrm_Main::ReportError(const std::exception_ptr& error) noexcept {
    try {
        messages_.ShowError(this, QString::fromUtf8(kApplicationTitle), ErrorBoxText(error));
    } catch (...) {
        // The box itself could not be shown (no memory for it, say); there is nothing left to tell.
    }
}

void Ttntfrm_Main::TntFormCreate() {
    // Every control exists and holds its English text, and no field has been loaded yet: the pass
    // records exactly the window's own texts.
    RunHandler([this] {
        if (i18n::EngineRunning()) {
            i18n::qt::TranslateComponent(this);
        }
    });
    if (settingsPath_.empty()) {
        sms::SettingsLocation location = sms::DefaultSettingsLocation();
        settingsPath_ = std::move(location.path);
        makeSettingsFolder_ = location.inConfigFolder;
    }
}

const std::string& Ttntfrm_Main::WritableSettingsPath() const {
    // Made at each write, not once: a folder removed while the window is open comes back.
    if (makeSettingsFolder_) {
        sms::MakeSettingsFolder(settingsPath_);
    }
    return settingsPath_;
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
        RunHandler([this] { TntFormShow(); });
    }
    QWidget::showEvent(event);
}

void Ttntfrm_Main::closeEvent(QCloseEvent* event) {
    // A network check in progress sees this at its next event pump and stops.
    closed_ = true;
    event->accept();
}

void Ttntfrm_Main::TntFormShow() {
    sysParameter_.nLanguageID =
        sms::ProfileFile(settingsPath_).ReadInteger(sms::keys::kSection, sms::keys::kLanguageId, 0);
    // A language that cannot be applied (a catalog file beside the program that cannot be read)
    // must not keep the stored settings out of the window: the error is shown, the fields load.
    try {
        ApplyLanguage(sysParameter_.nLanguageID);
    } catch (...) {
        ReportError(std::current_exception());
    }
    LoadSettings();
}

void Ttntfrm_Main::LoadSettings() {
    // One reading of the file serves the fields and the texts they are compared with.
    const sms::SettingsSnapshot file(settingsPath_);
    const sms::TGPRSInfo info = sms::LoadSettings(file, [this] { return net::GetLocalIP(resolver_); });
    sysParameter_.nLanguageID = info.nLanguageID;
    // Selecting a list item from the program is no change and writes nothing; an index outside the
    // list clears the selection.
    tntcomb_ServerNetMode->setCurrentIndex(info.ServerAddressMode);
    UpdateServerModeControls(info.ServerAddressMode);
    tntcomb_SMSCommandType->setCurrentIndex(info.SMSCommandType);
    tntcomb_ServiceNetwork->setCurrentIndex(info.ServiceNetwork);

    const ShownFields before = WrittenBackFields();
    PlaceFields(info);
    WriteBack(file, before);
}

Ttntfrm_Main::ShownFields Ttntfrm_Main::WrittenBackFields() const {
    // The port field shows its value in plain decimal digits once placed, which is the text a write
    // of that integer stores.
    return {{{sms::keys::kPort, rzspnedt_Port->text()},
             {sms::keys::kStaticIp, tntedt_StaticIP->text()},
             {sms::keys::kDomainAddress, tntedt_DomainAddress->text()},
             {sms::keys::kOtherApn, tntedt_Other->text()},
             {sms::keys::kDtuNumber, tntedt_DTUNumber->text()}}};
}

void Ttntfrm_Main::PlaceFields(const sms::TGPRSInfo& info) {
    // The change handlers are for the user's edits; what a load writes back is decided in WriteBack.
    const QSignalBlocker port(rzspnedt_Port);
    const QSignalBlocker staticIp(tntedt_StaticIP);
    const QSignalBlocker domain(tntedt_DomainAddress);
    const QSignalBlocker other(tntedt_Other);
    const QSignalBlocker dtuNumber(tntedt_DTUNumber);
    rzspnedt_Port->SetValue(info.Port);
    tntedt_StaticIP->setText(QString::fromStdString(info.StaticIP));
    tntedt_DomainAddress->setText(QString::fromStdString(info.DomainAddress));
    tntedt_Other->setText(QString::fromStdString(info.OtherAPN));
    tntedt_DTUNumber->ShowWhole(QString::fromStdString(info.DTUNumber));
}

void Ttntfrm_Main::WriteBack(const sms::SettingsSnapshot& file, const ShownFields& before) {
    // Placing a value counts as a change of a field only where the text it shows changed, as a typed
    // change would. A text the file holds already is not written again, which spares a file
    // replacement (and its flush to disk) for every field at each start. A refused write must not
    // keep the later fields from being tried: each is, and only the first error goes on to the box.
    std::exception_ptr firstError;
    const ShownFields after = WrittenBackFields();
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::string value = after[i].text.toStdString();
        if (after[i].text == before[i].text || file.Text(after[i].key) == value) {
            continue;
        }
        try {
            sms::SaveSetting(WritableSettingsPath(), after[i].key, value);
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

void Ttntfrm_Main::UpdateServerModeControls(int mode) {
    if (mode != 0 && mode != 1) {
        return;
    }
    const bool staticIp = mode == 0;
    tntlbl_StaticIP->setEnabled(staticIp);
    tntedt_StaticIP->setEnabled(staticIp);
    tntbtn_StaticIP->setEnabled(staticIp);
    tntlbl_DomainAddress->setEnabled(!staticIp);
    tntedt_DomainAddress->setEnabled(!staticIp);
}

void Ttntfrm_Main::Save(std::string_view key, int value) {
    sms::SaveSetting(WritableSettingsPath(), key, value);
}

void Ttntfrm_Main::Save(std::string_view key, const QLineEdit* field) {
    sms::SaveSetting(WritableSettingsPath(), key, field->text().toStdString());
}

void Ttntfrm_Main::Save(std::string_view key, const QComboBox* list) {
    sms::SaveSetting(WritableSettingsPath(), key, list->currentIndex());
}

void Ttntfrm_Main::tntcomb_ServerNetModeChange() {
    Save(sms::keys::kServerAddressMode, tntcomb_ServerNetMode);
    UpdateServerModeControls(tntcomb_ServerNetMode->currentIndex());
}

void Ttntfrm_Main::rzspnedt_PortChange() {
    const QString text = rzspnedt_Port->text();
    const int value = rzspnedt_Port->Value();
    // An emptied field shows the minimum at once and a number above the range is cut back. The field
    // is corrected without running this handler again; the corrected value is saved once, below.
    if (text.isEmpty() || value > PortSpinEdit::kMaximum) {
        const QSignalBlocker quiet(rzspnedt_Port);
        rzspnedt_Port->SetValue(value);
    }
    Save(sms::keys::kPort, std::min(value, PortSpinEdit::kMaximum));
}

sms::TGPRSInfo Ttntfrm_Main::ReadFields() const {
    sms::TGPRSInfo info;
    info.nLanguageID = sysParameter_.nLanguageID;
    info.ServerAddressMode = tntcomb_ServerNetMode->currentIndex();
    info.Port = rzspnedt_Port->Value();
    info.StaticIP = tntedt_StaticIP->text().toStdString();
    info.DomainAddress = tntedt_DomainAddress->text().toStdString();
    info.SMSCommandType = tntcomb_SMSCommandType->currentIndex();
    info.ServiceNetwork = tntcomb_ServiceNetwork->currentIndex();
    info.OtherAPN = tntedt_Other->text().toStdString();
    info.DTUNumber = tntedt_DTUNumber->text().toStdString();
    return info;
}

void Ttntfrm_Main::tntbtn_GenerationSMSClick() {
    tntedt_SMSCommandFormat->clear();
    // The length belongs to the command shown; without one, an earlier length would mislead.
    tntstsbr_StatusPanel->clear();
    const sms::SmsCommandResult result = sms::GenerateSMSCommand(ReadFields());
    if (!result.ok) {
        ShowValidationPrompt(result.failedLabel, i18n::qt::Translate(QStringLiteral("Prompt")));
        return;
    }
    tntedt_SMSCommandFormat->setText(QString::fromStdString(result.command));
    if (!result.command.empty()) {
        tntstsbr_StatusPanel->setText(
            QString::fromStdString(sendsms::LengthLine(sms::MeasureSms(result.command), Translated)));
    }
}

void Ttntfrm_Main::tntbtn_SendSMSClick() {
    if (sendSmsDialog_ == nullptr) {
        sendSmsDialog_ = new SendSmsDialog(messages_, settingsPath_, modem::TransportOptions{}, this);
    }
    sendSmsDialog_->Open(ReadFields());
}

void Ttntfrm_Main::tntbtn_CloseClick() {
    close();
}

void Ttntfrm_Main::ShowValidationPrompt(const std::string& englishLabel, const QString& caption) {
    messages_.ShowPrompt(this, caption,
                         QString::fromStdString(sms::FormatValidationMessage(i18n::Translate, englishLabel)));
}

}  // namespace app
