// The modem part of the "Send SMS" dialog: the search for modems, sending, cancelling, and what the
// worker reports back.

#include <algorithm>
#include <string>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include "app/MessageBoxes.h"
#include "app/ModemList.h"
#include "app/ModemWorker.h"
#include "app/SendSmsDialog.h"
#include "app/SendSmsState.h"
#include "app/SendSmsTexts.h"
#include "app/WindowTexts.h"
#include "base/AsciiText.h"
#include "i18n/EngineStartup.h"
#include "modem/Texts.h"
#include "sms/PhoneNumber.h"

namespace app {

namespace {

// The automatic entry as it stands before a search has said what it would choose.
modem::ModemInfo AutomaticEntry() {
    modem::ModemInfo automatic;
    automatic.id = "auto";
    automatic.kind = modem::ModemKind::Automatic;
    automatic.status = modem::text::Make(modem::text::kStatusAutoNone);
    return automatic;
}

}  // namespace

std::string SendSmsDialog::ChosenModem() const {
    const int index = tntcomb_Modem->currentIndex();
    const QString shown = tntcomb_Modem->currentText();
    if (index >= 0 && shown == tntcomb_Modem->itemText(index)) {
        return tntcomb_Modem->itemData(index).toString().toStdString();
    }
    // A device typed in; an emptied list means the automatic choice.
    const std::string typed(base::TrimBlanks(shown.toStdString()));
    return typed.empty() ? std::string("auto") : typed;
}

bool SendSmsDialog::StartSearch() {
    if (!worker_->StartListing()) {
        return false;
    }
    searching_ = true;
    progress_.reset();
    ShowModems();
    ShowProgressAndOutcome();
    UpdateControls();
    return true;
}

void SendSmsDialog::StartCancel() {
    if (!Busy() || cancelling_) {
        return;
    }
    cancelling_ = true;
    worker_->Cancel();
    ShowProgressAndOutcome();
    UpdateControls();
}

void SendSmsDialog::tntbtn_SearchModemsClick() {
    StartSearch();
}

void SendSmsDialog::tntcomb_ModemDropDown() {
    // The first look at the list fills it; later ones show what was found (Search looks again).
    if (!searched_ && !Busy()) {
        StartSearch();
    }
}

void SendSmsDialog::tntbtn_CancelSendClick() {
    StartCancel();
}

void SendSmsDialog::tntbtn_DetailsClick() {
    tntmemo_Log->setVisible(tntbtn_Details->isChecked());
    if (isVisible()) {
        FitIntoScreen();
    }
    ShowLogStart();
}

void SendSmsDialog::ShowLogStart() {
    tntmemo_Log->horizontalScrollBar()->setValue(tntmemo_Log->horizontalScrollBar()->minimum());
    tntmemo_Log->verticalScrollBar()->setValue(tntmemo_Log->verticalScrollBar()->maximum());
}

void SendSmsDialog::tntbtn_SendClick() {
    // Send is disabled while the modem works; a click that still arrives (a second click queued
    // before the first took effect) is ignored.
    if (Busy()) {
        return;
    }
    const QString caption = Tr("Prompt");
    const std::optional<std::string> phone = PhoneNumber();
    if (!phone) {
        phoneChecked_ = true;
        ShowNumberAndCode();
        messages_.ShowPrompt(this, caption,
                             QString::fromStdString(sms::FormatValidationMessage(
                                 Translated, std::string(sms::kLabelDtuPhoneNumber))));
        return;
    }
    if (!command_.ok) {
        messages_.ShowPrompt(
            this, caption,
            QString::fromStdString(sendsms::FillInMainWindow(command_.failedLabel, Translated)));
        return;
    }
    if (command_.command.empty()) {
        messages_.ShowPrompt(this, caption, Tr(sendsms::kNoCommand));
        return;
    }
    modem::SendRequest request;
    request.modem = ChosenModem();
    request.number = *phone;
    request.text = command_.command;
    request.smsc = std::string(base::TrimBlanks(tntedt_SMSC->text().toStdString()));
    request.replyTimeoutSeconds = tntchk_WaitReply->isChecked() ? sendsms::kReplyTimeoutSeconds : 0;
    if (!worker_->StartSending(request)) {
        return;
    }
    sending_ = true;
    result_.reset();
    progress_.reset();
    tntmemo_Log->clear();
    ShowProgressAndOutcome();
    UpdateControls();
    // The keyboard follows the work: Space or Enter now cancels it, and Send gets the focus back when
    // the send is over (see OnWorkerFinished).
    tntbtn_CancelSend->setFocus();
    // Disabling the number passed the focus on to the command, which selected itself whole and so
    // scrolled to its end; the start, where the command type is, is shown again.
    tntedt_SMSCommand->setCursorPosition(0);
}

void SendSmsDialog::OnProgress(const modem::Progress& progress) {
    progress_ = progress;
    ShowProgressAndOutcome();
}

void SendSmsDialog::OnLog(const modem::LogEntry& entry) {
    tntmemo_Log->appendPlainText(QString::fromStdString(modem::FormatLogEntry(entry)));
    // Appending scrolls to the end of the new line, which hides the start of every line.
    ShowLogStart();
}

void SendSmsDialog::OnListed(const std::vector<modem::ModemInfo>& modems) {
    modems_ = modems;
    // A search cut short by a cancel is done again at the next opening.
    searched_ = !cancelling_;
}

void SendSmsDialog::OnSent(const modem::SendResult& result) {
    result_ = result;
}

void SendSmsDialog::OnWorkerFinished() {
    searching_ = false;
    sending_ = false;
    cancelling_ = false;
    progress_.reset();
    ShowModems();
    ShowProgressAndOutcome();
    const bool cancelHadFocus = tntbtn_CancelSend->hasFocus();
    UpdateControls();
    if (cancelHadFocus) {
        tntbtn_Send->setFocus();
    }
    if (closeRequested_) {
        closeRequested_ = false;
        QDialog::reject();
    }
}

void SendSmsDialog::ShowModems() {
    const int index = tntcomb_Modem->currentIndex();
    const bool typed = index < 0 ? !tntcomb_Modem->currentText().isEmpty()
                                 : tntcomb_Modem->currentText() != tntcomb_Modem->itemText(index);
    const QString typedText = tntcomb_Modem->currentText();
    const QString chosen = QString::fromStdString(ChosenModem());

    const QSignalBlocker quiet(tntcomb_Modem);
    tntcomb_Modem->clear();
    const std::vector<modem::ModemInfo> entries = modems_.empty() ? std::vector{AutomaticEntry()} : modems_;
    int widest = 0;
    for (const modem::ModemInfo& entry : entries) {
        const sendsms::ModemSearch search = searching_  ? sendsms::ModemSearch::Running
                                            : searched_ ? sendsms::ModemSearch::Done
                                                        : sendsms::ModemSearch::NotYet;
        const QString text = QString::fromStdString(sendsms::ModemChoiceText(entry, search, Translated));
        tntcomb_Modem->addItem(text, QString::fromStdString(entry.id));
        tntcomb_Modem->setItemData(tntcomb_Modem->count() - 1, text, Qt::ToolTipRole);
        widest = std::max(widest, tntcomb_Modem->fontMetrics().horizontalAdvance(text));
    }
    // The list drops down wide enough for its longest entry, whatever the width of the closed box.
    tntcomb_Modem->view()->setMinimumWidth(widest + 2 * tntcomb_Modem->fontMetrics().averageCharWidth() + 24);
    if (typed) {
        tntcomb_Modem->setEditText(typedText);
    } else {
        tntcomb_Modem->setCurrentIndex(std::max(0, tntcomb_Modem->findData(chosen)));
        // A closed list narrower than its entry shows the entry's start, which names the choice.
        tntcomb_Modem->lineEdit()->setCursorPosition(0);
    }
}

void SendSmsDialog::ShowProgressAndOutcome() {
    const bool busy = Busy();
    tntprg_Send->setVisible(busy);
    const sendsms::WorkState state{busy, searching_, cancelling_, progress_};
    const QString now = QString::fromStdString(sendsms::ProgressLine(state, Translated));
    tntlbl_Progress->setText(now);
    // No empty line between the buttons and the outcome while nothing is under way.
    tntlbl_Progress->setVisible(!now.isEmpty());
    if (const std::optional<int> fill = sendsms::ReplyWaitFill(state)) {
        // The waiting time counts down as a bar that fills up.
        tntprg_Send->setRange(0, sendsms::kReplyTimeoutSeconds);
        tntprg_Send->setValue(*fill);
    } else {
        // How long a modem takes to answer is unknown: a busy bar.
        tntprg_Send->setRange(0, 0);
    }

    QStringList outcome;
    if (result_ && !sending_) {
        for (const std::string& line : sendsms::OutcomeLines(*result_, Translated)) {
            outcome << QString::fromStdString(line);
        }
    }
    tntlbl_Outcome->setText(outcome.join(QLatin1Char('\n')));
    const QString reply = result_ && result_->reply ? QString::fromStdString(*result_->reply) : QString();
    // Rewriting the same reply would drop the user's selection in it.
    if (tntmemo_Reply->toPlainText() != reply) {
        tntmemo_Reply->setPlainText(reply);
    }
}

void SendSmsDialog::UpdateControls() {
    const bool busy = Busy();
    tntbtn_Send->setEnabled(!busy);
    tntbtn_SearchModems->setEnabled(!busy);
    tntbtn_CancelSend->setEnabled(busy && !cancelling_);
    // What a send was started with stays as it was until the send is over.
    tntedt_DTUPhoneNumber->setEnabled(!sending_);
    // The list stays open to a look during a search, which it shows as "Searching…".
    tntcomb_Modem->setEnabled(!sending_);
    tntedt_SMSC->setEnabled(!busy);
    tntchk_WaitReply->setEnabled(!busy);
}

}  // namespace app
