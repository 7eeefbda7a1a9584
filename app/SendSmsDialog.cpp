#include "app/SendSmsDialog.h"

#include <algorithm>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"
#include "app/ModemList.h"
#include "app/ModemWorker.h"
#include "app/QrCodeView.h"
#include "app/SendSmsState.h"
#include "app/SendSmsTexts.h"
#include "app/WindowTexts.h"
#include "base/AsciiText.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "qr/QrCode.h"
#include "sms/PhoneNumber.h"

namespace app {

namespace {

bool IsOpeningQuote(QChar c) {
    return c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x300C);
}

bool IsClosingQuote(QChar c) {
    return c == QLatin1Char('"') || c == QChar(0x201D) || c == QChar(0x300D);
}

// `message` with every quoted name kept on one line: the spaces inside quotation marks become
// no-break spaces and the characters there are joined (U+2060), which also holds Chinese text, where
// a line may otherwise break between any two characters, together.
QString KeepQuotesTogether(const QString& message) {
    const QChar joiner(0x2060);
    QString kept;
    bool quoted = false;
    for (const QChar c : message) {
        if (quoted && IsClosingQuote(c)) {
            quoted = false;
            kept += joiner;
        } else if (!quoted && IsOpeningQuote(c)) {
            kept += c;
            kept += joiner;
            quoted = true;
            continue;
        } else if (quoted && !kept.endsWith(joiner)) {
            kept += joiner;
        }
        kept += quoted && c == QLatin1Char(' ') ? QChar(QChar::Nbsp) : c;
    }
    return kept;
}

}  // namespace

SendSmsDialog::SendSmsDialog(MessagePresenter& messages, std::string settingsPath,
                             modem::TransportOptions modemOptions, QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      settingsPath_(std::move(settingsPath)),
      worker_(std::make_unique<ModemWorker>(std::move(modemOptions))) {
    BuildControls();
    ConnectHandlers();
    // Every control holds its English caption and no field has been placed yet: the pass records
    // exactly the dialog's own texts.
    RunHandler([this] {
        if (i18n::EngineRunning()) {
            i18n::qt::TranslateComponent(this);
            translated_ = true;
        }
    });
    UpdateControls();
}

SendSmsDialog::~SendSmsDialog() {
    // The worker cancels its job and waits for its thread before any control it reports to is gone.
    worker_.reset();
}

void SendSmsDialog::ConnectHandlers() {
    const auto on = [this](const auto* sender, auto signal, void (SendSmsDialog::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(tntedt_DTUPhoneNumber, &QLineEdit::textChanged, &SendSmsDialog::tntedt_DTUPhoneNumberChange);
    on(tntbtn_Send, &QPushButton::clicked, &SendSmsDialog::tntbtn_SendClick);
    on(tntbtn_CancelSend, &QPushButton::clicked, &SendSmsDialog::tntbtn_CancelSendClick);
    on(tntbtn_SearchModems, &QPushButton::clicked, &SendSmsDialog::tntbtn_SearchModemsClick);
    on(tntcomb_Modem, &ModemList::AboutToDropDown, &SendSmsDialog::tntcomb_ModemDropDown);
    on(tntbtn_Details, &QPushButton::toggled, &SendSmsDialog::tntbtn_DetailsClick);
    connect(tntbtn_DialogClose, &QPushButton::clicked, this, &SendSmsDialog::reject);

    connect(worker_.get(), &ModemWorker::ProgressReported, this, &SendSmsDialog::OnProgress);
    connect(worker_.get(), &ModemWorker::Logged, this, &SendSmsDialog::OnLog);
    connect(worker_.get(), &ModemWorker::Listed, this, &SendSmsDialog::OnListed);
    connect(worker_.get(), &ModemWorker::Sent, this, &SendSmsDialog::OnSent);
    connect(worker_.get(), &ModemWorker::Finished, this, &SendSmsDialog::OnWorkerFinished);
}

void SendSmsDialog::RunHandler(const std::function<void()>& handler) noexcept {
    // No exception may cross Qt's event loop; a failed settings write is shown like the main window
    // shows it, and the dialog carries on.
    try {
        handler();
    } catch (...) {
        try {
            messages_.ShowError(this, QString::fromUtf8(kApplicationTitle),
                                ErrorBoxText(std::current_exception()));
        } catch (...) {
            // The box itself could not be shown; there is nothing left to tell.
        }
    }
}

void SendSmsDialog::Open(const sms::TGPRSInfo& fields) {
    command_ = sms::GenerateSMSCommand(fields);
    {
        // Placing the stored number is no change of the field: nothing is written.
        const QSignalBlocker quiet(tntedt_DTUPhoneNumber);
        const std::string stored = settings::LoadSettings(settingsPath_, {}).DTUPhoneNumber;
        tntedt_DTUPhoneNumber->setText(QString::fromStdString(stored));
        // A number typed at an earlier opening was edited then; an empty field waits for the user.
        phoneChecked_ = !stored.empty();
    }
    Retranslate();
    tntedt_DTUPhoneNumber->setFocus();
    open();
}

void SendSmsDialog::Retranslate() {
    if (translated_) {
        i18n::qt::RetranslateComponent(this);
    }
    ShowNumberAndCode();
    ShowModems();
    ShowProgressAndOutcome();
}

bool SendSmsDialog::Busy() const {
    return worker_->Busy();
}

void SendSmsDialog::showEvent(QShowEvent* event) {
    // Cut to the screen first, so that it is centred with its final size on the main window, wherever
    // that window has moved since; then moved back inside the screen where centring pushed it out.
    if (!event->spontaneous()) {
        FitIntoScreen();
        if (QWidget* owner = parentWidget(); owner != nullptr) {
            QRect area = frameGeometry();
            area.moveCenter(owner->frameGeometry().center());
            move(area.topLeft());
        }
        FitIntoScreen();
    }
    QDialog::showEvent(event);
}

void SendSmsDialog::FitIntoScreen() {
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    layout()->activate();
    const QSize room = area.size() - frame;
    resize(sizeHint().boundedTo(room).expandedTo(minimumSizeHint().boundedTo(room)));
    const QRect framed = frameGeometry();
    const int x = std::max(area.left(), std::min(framed.left(), area.right() + 1 - framed.width()));
    const int y = std::max(area.top(), std::min(framed.top(), area.bottom() + 1 - framed.height()));
    if (x != framed.left() || y != framed.top()) {
        move(x, y);
    }
}

void SendSmsDialog::reject() {
    if (Busy()) {
        closeRequested_ = true;
        StartCancel();
        return;
    }
    QDialog::reject();
}

std::optional<std::string> SendSmsDialog::PhoneNumber() const {
    return sms::NormalizePhoneNumber(tntedt_DTUPhoneNumber->text().toStdString());
}

void SendSmsDialog::tntedt_DTUPhoneNumberChange() {
    // Shown at once, saved whatever it holds: a half-typed number is kept as typed, like every field.
    phoneChecked_ = true;
    ShowNumberAndCode();
    settings::SaveSetting(settingsPath_, sms::keys::kDtuPhoneNumber,
                          tntedt_DTUPhoneNumber->text().toStdString());
}

void SendSmsDialog::ShowNumberAndCode() {
    const std::string typed = tntedt_DTUPhoneNumber->text().toStdString();
    // A number not yet touched is no mistake yet: the rule under the field says what to type.
    const QString mistake = QString::fromStdString(sendsms::PhoneMistake(typed, phoneChecked_, Translated));
    tntlbl_PhoneNumberMessage->setText(mistake);
    tntlbl_PhoneNumberMessage->setVisible(!mistake.isEmpty());

    const sendsms::CommandShown command = sendsms::ShowCommand(command_, Translated);
    tntedt_SMSCommand->setText(QString::fromStdString(command.command));
    // A command longer than the field shows its beginning, where the command type is.
    tntedt_SMSCommand->setCursorPosition(0);
    tntlbl_SMSLength->setText(QString::fromStdString(command.line));

    const sendsms::QrContent code = sendsms::QrFor(typed, command, Translated);
    if (code.payload.empty()) {
        tntimg_QRCode->ShowReason(KeepQuotesTogether(QString::fromStdString(code.reason)));
        return;
    }
    try {
        tntimg_QRCode->ShowCode(qr::QrCode::Encode(code.payload));
    } catch (const qr::QrError& error) {
        tntimg_QRCode->ShowReason(QString::fromStdString(sendsms::QrErrorText(error, Translated)));
    }
}

}  // namespace app
