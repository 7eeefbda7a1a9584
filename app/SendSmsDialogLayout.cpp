// The controls of the "Send SMS" dialog: texts in English (the window translation records them and
// shows them translated), arranged by layouts so that every text keeps the room it needs in each
// language, and the tab order.

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ModemList.h"
#include "app/QrCodeView.h"
#include "app/SendSmsDialog.h"
#include "app/SendSmsTexts.h"

namespace app {

namespace {

// The fields of the number and the command, wide enough to show a configuration command whole; the QR
// code stands to their right.
constexpr int kFieldColumnWidth = 330;
constexpr int kLogHeight = 170;
constexpr int kReplyLines = 3;

QString English(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Label(QWidget* parent, const char* name, std::string_view text) {
    return Named(new QLabel(English(text), parent), name);
}

// A label for texts the dialog writes: empty when it is built, wrapped at the width it is given.
QLabel* MessageLabel(QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(parent), name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, std::string_view text) {
    auto* button = Named(new QPushButton(English(text), parent), name);
    button->setAutoDefault(false);
    return button;
}

QPlainTextEdit* ReadOnlyText(QWidget* parent, const char* name) {
    auto* text = Named(new QPlainTextEdit(parent), name);
    text->setReadOnly(true);
    return text;
}

}  // namespace

void SendSmsDialog::BuildControls() {
    setObjectName(QStringLiteral("tntfrm_SendSMS"));
    setWindowTitle(English(sendsms::kTitle));
    // A window does not take its parent's font unless asked to; the dialog speaks in the main window's.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(parentWidget() != nullptr ? parentWidget()->font() : font());
    setSizeGripEnabled(false);

    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    BuildNumberAndCode(grid);
    BuildModemGroup(outer);

    auto* bottom = new QHBoxLayout;
    tntbtn_Details = Button(this, "tntbtn_Details", sendsms::kDetails);
    tntbtn_Details->setCheckable(true);
    tntbtn_DialogClose = Button(this, "tntbtn_DialogClose", sendsms::kClose);
    bottom->addWidget(tntbtn_Details);
    bottom->addStretch(1);
    bottom->addWidget(tntbtn_DialogClose);
    outer->addLayout(bottom);

    tntmemo_Log = ReadOnlyText(this, "tntmemo_Log");
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    tntmemo_Log->setFont(mono);
    tntmemo_Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    tntmemo_Log->setFixedHeight(kLogHeight);
    tntmemo_Log->setVisible(false);
    outer->addWidget(tntmemo_Log);

    setTabOrder(tntedt_DTUPhoneNumber, tntedt_SMSCommand);
    setTabOrder(tntedt_SMSCommand, tntcomb_Modem);
    setTabOrder(tntcomb_Modem, tntbtn_SearchModems);
    setTabOrder(tntbtn_SearchModems, tntedt_SMSC);
    setTabOrder(tntedt_SMSC, tntchk_WaitReply);
    setTabOrder(tntchk_WaitReply, tntbtn_Send);
    setTabOrder(tntbtn_Send, tntbtn_CancelSend);
    setTabOrder(tntbtn_CancelSend, tntmemo_Reply);
    setTabOrder(tntmemo_Reply, tntbtn_Details);
    setTabOrder(tntbtn_Details, tntbtn_DialogClose);
    setTabOrder(tntbtn_DialogClose, tntmemo_Log);
}

void SendSmsDialog::BuildNumberAndCode(QGridLayout* grid) {
    grid->addWidget(Label(this, "tntlbl_DTUPhoneNumber", sendsms::kPhoneLabel), 0, 0);
    tntedt_DTUPhoneNumber = Named(new QLineEdit(this), "tntedt_DTUPhoneNumber");
    grid->addWidget(tntedt_DTUPhoneNumber, 0, 1);
    tntlbl_PhoneNumberMessage = MessageLabel(this, "tntlbl_PhoneNumberMessage");
    QPalette warning = tntlbl_PhoneNumberMessage->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    tntlbl_PhoneNumberMessage->setPalette(warning);
    grid->addWidget(tntlbl_PhoneNumberMessage, 1, 1);

    grid->addWidget(Label(this, "tntlbl_SMSCommand", sendsms::kCommandLabel), 2, 0);
    tntedt_SMSCommand = Named(new QLineEdit(this), "tntedt_SMSCommand");
    tntedt_SMSCommand->setReadOnly(true);
    grid->addWidget(tntedt_SMSCommand, 2, 1);
    tntlbl_SMSLength = MessageLabel(this, "tntlbl_SMSLength");
    grid->addWidget(tntlbl_SMSLength, 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnMinimumWidth(1, kFieldColumnWidth);
    grid->setColumnStretch(1, 1);

    auto* code = new QVBoxLayout;
    tntimg_QRCode = Named(new QrCodeView(this), "tntimg_QRCode");
    code->addWidget(tntimg_QRCode);
    QLabel* hint = MessageLabel(this, "tntlbl_QRCodeHint");
    hint->setText(English(sendsms::kQrHint));
    hint->setFixedWidth(QrCodeView::kSide);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    code->addWidget(hint);
    code->addStretch(1);
    grid->addLayout(code, 0, 2, 5, 1);
    grid->setColumnMinimumWidth(0, 0);
    for (QLabel* message : {tntlbl_PhoneNumberMessage, tntlbl_SMSLength}) {
        message->setMinimumWidth(kFieldColumnWidth);
    }
}

void SendSmsDialog::BuildModemGroup(QVBoxLayout* outer) {
    auto* group = Named(new QGroupBox(English(sendsms::kModemGroup), this), "tntgrp_Modem");
    auto* grid = new QGridLayout(group);
    outer->addWidget(group);

    grid->addWidget(Label(group, "tntlbl_Modem", sendsms::kModemLabel), 0, 0);
    tntcomb_Modem = Named(new ModemList(group), "tntcomb_Modem");
    // A port that the search does not list (a modem plugged in later, a COM port) can be typed.
    tntcomb_Modem->setEditable(true);
    tntcomb_Modem->setInsertPolicy(QComboBox::NoInsert);
    tntcomb_Modem->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tntcomb_Modem->setMinimumContentsLength(36);
    grid->addWidget(tntcomb_Modem, 0, 1, 1, 2);
    tntbtn_SearchModems = Button(group, "tntbtn_SearchModems", sendsms::kSearchModems);
    grid->addWidget(tntbtn_SearchModems, 0, 3);

    grid->addWidget(Label(group, "tntlbl_SMSC", sendsms::kSmscLabel), 1, 0);
    tntedt_SMSC = Named(new QLineEdit(group), "tntedt_SMSC");
    grid->addWidget(tntedt_SMSC, 1, 1);
    grid->addWidget(Label(group, "tntlbl_SMSCNote", sendsms::kSmscNote), 1, 2, 1, 2);

    tntchk_WaitReply = Named(new QCheckBox(English(sendsms::kWaitForReply), group), "tntchk_WaitReply");
    tntchk_WaitReply->setChecked(true);
    grid->addWidget(tntchk_WaitReply, 2, 0, 1, 4);

    auto* actions = new QHBoxLayout;
    tntbtn_Send = Button(group, "tntbtn_Send", sendsms::kSend);
    tntbtn_CancelSend = Button(group, "tntbtn_CancelSend", sendsms::kCancel);
    tntprg_Send = Named(new QProgressBar(group), "tntprg_Send");
    tntprg_Send->setTextVisible(false);
    QSizePolicy keepRoom = tntprg_Send->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    tntprg_Send->setSizePolicy(keepRoom);
    tntprg_Send->setVisible(false);
    actions->addWidget(tntbtn_Send);
    actions->addWidget(tntbtn_CancelSend);
    actions->addWidget(tntprg_Send, 1);
    grid->addLayout(actions, 3, 0, 1, 4);

    tntlbl_Progress = MessageLabel(group, "tntlbl_Progress");
    grid->addWidget(tntlbl_Progress, 4, 0, 1, 4);
    tntlbl_Outcome = MessageLabel(group, "tntlbl_Outcome");
    tntlbl_Outcome->setMinimumHeight(2 * tntlbl_Outcome->fontMetrics().lineSpacing());
    tntlbl_Outcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(tntlbl_Outcome, 5, 0, 1, 4);

    grid->addWidget(Label(group, "tntlbl_Reply", sendsms::kReplyLabel), 6, 0, Qt::AlignTop);
    tntmemo_Reply = ReadOnlyText(group, "tntmemo_Reply");
    tntmemo_Reply->setFixedHeight(kReplyLines * tntmemo_Reply->fontMetrics().lineSpacing() + 12);
    grid->addWidget(tntmemo_Reply, 6, 1, 1, 3);
    grid->setColumnStretch(1, 1);
}

}  // namespace app
