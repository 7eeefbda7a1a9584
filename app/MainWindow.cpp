#include "app/MainWindow.h"

#include <exception>

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

#include "app/ApplicationTitle.h"
#include "app/KeyboardLimitedEdit.h"
#include "app/MessageBoxes.h"
#include "app/PortSpinEdit.h"
#include "app/Translate.h"
#include "net/AddressLookup.h"
#include "sms/ProfileFile.h"
#include "sms/SmsCommand.h"

namespace app {

namespace {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

Ttntfrm_Main::Ttntfrm_Main(MessagePresenter& messages, std::string settingsPath, QWidget* parent,
                           net::HostResolver& resolver)
    : QWidget(parent),
      messages_(messages),
      resolver_(resolver),
      settingsPath_(std::move(settingsPath)),
      guard_([this](const std::exception_ptr& error) { ReportError(error); }) {
    BuildControls();
    ConnectHandlers();
    TntFormCreate();
}

Ttntfrm_Main::~Ttntfrm_Main() = default;

void Ttntfrm_Main::ConnectHandlers() {
    const auto guarded = [this](auto handler) {
        return [this, handler](auto&&...) { guard_.Run([this, handler] { (this->*handler)(); }); };
    };
    const auto guardedIndex = [this](void (Ttntfrm_Main::*handler)(int)) {
        return
            [this, handler](int index) { guard_.Run([this, handler, index] { (this->*handler)(index); }); };
    };
    connect(tntcomb_ServerNetMode, &QComboBox::activated, this,
            guardedIndex(&Ttntfrm_Main::tntcomb_ServerNetModeChange));
    connect(tntcomb_SMSCommandType, &QComboBox::activated, this,
            guardedIndex(&Ttntfrm_Main::tntcomb_SMSCommandTypeChange));
    connect(tntcomb_ServiceNetwork, &QComboBox::activated, this,
            guardedIndex(&Ttntfrm_Main::tntcomb_ServiceNetworkChange));
    connect(rzspnedt_Port, &PortSpinEdit::textChanged, this, guarded(&Ttntfrm_Main::rzspnedt_PortChange));
    connect(tntedt_StaticIP, &QLineEdit::textChanged, this, guarded(&Ttntfrm_Main::tntedt_StaticIPChange));
    connect(tntedt_DomainAddress, &QLineEdit::textChanged, this,
            guarded(&Ttntfrm_Main::tntedt_DomainAddressChange));
    connect(tntedt_Other, &QLineEdit::textChanged, this, guarded(&Ttntfrm_Main::tntedt_OtherChange));
    connect(tntedt_DTUNumber, &QLineEdit::textChanged, this, guarded(&Ttntfrm_Main::tntedt_DTUNumberChange));
    connect(tntbtn_GenerationSMS, &QPushButton::clicked, this,
            guarded(&Ttntfrm_Main::tntbtn_GenerationSMSClick));
    connect(tntbtn_Close, &QPushButton::clicked, this, guarded(&Ttntfrm_Main::tntbtn_CloseClick));
    connect(tntbtn_StaticIP, &QPushButton::clicked, this, guarded(&Ttntfrm_Main::tntbtn_StaticIPClick));
    connect(tntbtn_TestServerPort, &QPushButton::clicked, this,
            guarded(&Ttntfrm_Main::tntbtn_TestServerPortClick));
    connect(tntbtn_JudgeMaping, &QPushButton::clicked, this, guarded(&Ttntfrm_Main::tntbtn_JudgeMapingClick));

    for (QAction* item : tntpmn_Language->actions()) {
        connect(item, &QAction::triggered, this,
                [this, item] { guard_.Run([this, item] { tntmntm_AutomaticClick(item); }); });
    }
    connect(tntpmn_Language, &QMenu::aboutToShow, this,
            [this] { guard_.Run([this] { tntpmn_LanguagePopup(); }); });
}

void Ttntfrm_Main::TntFormCreate() {
    // Every control exists and holds its English text, and no field has been loaded yet: the pass
    // records exactly the window's own texts.
    guard_.Run([this] { TranslateWindow(); });
    if (settingsPath_.empty()) {
        settingsPath_ = sms::SettingsPathBesideProgram();
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
        guard_.Run([this] { TntFormShow(); });
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
    // One reading of the file serves the fields and the texts they are compared with below.
    const sms::SettingsSnapshot file(settingsPath_);
    const sms::TGPRSInfo info = sms::LoadSettings(file, [this] { return net::GetLocalIP(resolver_); });
    // A write-back that would store the text the file holds already changes nothing in the file;
    // skipping it spares a file replacement (and its flush to disk) for every field at each start.
    storedWhileLoading_.clear();
    for (std::string_view key : {sms::keys::kPort, sms::keys::kStaticIp, sms::keys::kDomainAddress,
                                 sms::keys::kOtherApn, sms::keys::kDtuNumber}) {
        if (std::optional<std::string> stored = file.Text(key)) {
            storedWhileLoading_.emplace(key, std::move(*stored));
        }
    }
    struct LoadingScope {
        Ttntfrm_Main& window;
        explicit LoadingScope(Ttntfrm_Main& w) : window(w) { window.loading_ = true; }
        ~LoadingScope() {
            window.loading_ = false;
            window.storedWhileLoading_.clear();
        }
    } scope(*this);

    sysParameter_.nLanguageID = info.nLanguageID;
    // Selecting a list item from the program is no change and writes nothing; an index outside the
    // list clears the selection.
    tntcomb_ServerNetMode->setCurrentIndex(info.ServerAddressMode);
    UpdateServerModeControls(info.ServerAddressMode);
    // A write-back that fails (a file or folder nobody may write) must not leave the later fields
    // empty, or a composed command would lack its APN: every field is placed, then the first error
    // is shown.
    std::exception_ptr firstError;
    const auto place = [&firstError](const auto& placing) {
        try {
            placing();
        } catch (...) {
            if (!firstError) {
                firstError = std::current_exception();
            }
        }
    };
    place([&] { PlacePort(info.Port); });
    place([&] { PlaceText(tntedt_StaticIP, info.StaticIP); });
    place([&] { PlaceText(tntedt_DomainAddress, info.DomainAddress); });
    tntcomb_SMSCommandType->setCurrentIndex(info.SMSCommandType);
    tntcomb_ServiceNetwork->setCurrentIndex(info.ServiceNetwork);
    place([&] { PlaceText(tntedt_Other, info.OtherAPN); });
    place([&] { PlaceText(tntedt_DTUNumber, info.DTUNumber); });
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

void Ttntfrm_Main::PlaceText(QLineEdit* edit, const std::string& utf8) {
    const QString text = QString::fromStdString(utf8);
    if (auto* limited = qobject_cast<KeyboardLimitedEdit*>(edit)) {
        limited->setText(text);
    } else {
        edit->setText(text);
    }
    guard_.RethrowPending();
}

void Ttntfrm_Main::PlacePort(int value) {
    rzspnedt_Port->SetValue(value);
    guard_.RethrowPending();
}

int Ttntfrm_Main::ReadPort() {
    const int value = rzspnedt_Port->Value();
    guard_.RethrowPending();
    return value;
}

bool Ttntfrm_Main::StoredAlready(std::string_view key, const std::string& value) const {
    if (!loading_) {
        return false;
    }
    const auto stored = storedWhileLoading_.find(key);
    return stored != storedWhileLoading_.end() && stored->second == value;
}

void Ttntfrm_Main::Save(std::string_view key, const QString& text) {
    const std::string value = Utf8(text);
    if (!StoredAlready(key, value)) {
        sms::SaveSetting(settingsPath_, key, value);
    }
}

void Ttntfrm_Main::Save(std::string_view key, int value) {
    if (!StoredAlready(key, std::to_string(value))) {
        sms::SaveSetting(settingsPath_, key, value);
    }
}

void Ttntfrm_Main::tntcomb_ServerNetModeChange(int index) {
    Save(sms::keys::kServerAddressMode, index);
    UpdateServerModeControls(index);
}

void Ttntfrm_Main::rzspnedt_PortChange() {
    const bool wasEmpty = rzspnedt_Port->Text().isEmpty();
    const int value = ReadPort();
    // Reading an empty field put "1000" into it; that change has run this handler and saved it.
    if (wasEmpty) {
        return;
    }
    if (value > PortSpinEdit::kMaximum) {
        // The cut is a change of its own, and its run of this handler saves the maximum.
        PlacePort(PortSpinEdit::kMaximum);
        return;
    }
    Save(sms::keys::kPort, value);
}

void Ttntfrm_Main::tntedt_StaticIPChange() {
    Save(sms::keys::kStaticIp, tntedt_StaticIP->text());
}

void Ttntfrm_Main::tntedt_DomainAddressChange() {
    Save(sms::keys::kDomainAddress, tntedt_DomainAddress->text());
}

void Ttntfrm_Main::tntcomb_SMSCommandTypeChange(int index) {
    Save(sms::keys::kSmsCommandType, index);
}

void Ttntfrm_Main::tntcomb_ServiceNetworkChange(int index) {
    Save(sms::keys::kServiceNetwork, index);
}

void Ttntfrm_Main::tntedt_OtherChange() {
    Save(sms::keys::kOtherApn, tntedt_Other->text());
}

void Ttntfrm_Main::tntedt_DTUNumberChange() {
    Save(sms::keys::kDtuNumber, tntedt_DTUNumber->text());
}

sms::TGPRSInfo Ttntfrm_Main::ReadFields() {
    sms::TGPRSInfo info;
    info.nLanguageID = sysParameter_.nLanguageID;
    info.ServerAddressMode = tntcomb_ServerNetMode->currentIndex();
    info.Port = ReadPort();
    info.StaticIP = Utf8(tntedt_StaticIP->text());
    info.DomainAddress = Utf8(tntedt_DomainAddress->text());
    info.SMSCommandType = tntcomb_SMSCommandType->currentIndex();
    info.ServiceNetwork = tntcomb_ServiceNetwork->currentIndex();
    info.OtherAPN = Utf8(tntedt_Other->text());
    info.DTUNumber = Utf8(tntedt_DTUNumber->text());
    return info;
}

void Ttntfrm_Main::tntbtn_GenerationSMSClick() {
    tntedt_SMSCommandFormat->clear();
    const sms::SmsCommandResult result = sms::GenerateSMSCommand(ReadFields());
    if (!result.ok) {
        ShowValidationPrompt(result.failedLabel, Translate("Prompt"));
        return;
    }
    tntedt_SMSCommandFormat->setText(QString::fromStdString(result.command));
}

void Ttntfrm_Main::tntbtn_CloseClick() {
    close();
}

void Ttntfrm_Main::ShowPrompt(const QString& caption, const QString& text) {
    messages_.ShowPrompt(this, caption, text);
}

void Ttntfrm_Main::ShowValidationPrompt(const std::string& englishLabel, const QString& caption) {
    ShowPrompt(caption, QString::fromStdString(sms::FormatValidationMessage(TranslateUtf8, englishLabel)));
}

void Ttntfrm_Main::ReportError(const std::exception_ptr& error) {
    messages_.ShowError(this, QString::fromUtf8(kApplicationTitle), ErrorBoxText(error));
}

}  // namespace app
