// The controls of the "Send SMS" dialog: texts in English (the window translation records them and
// shows them translated), arranged by layouts so that every text keeps the room it needs in each
// language with no room to spare, and the tab order.

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

// The reply asks for a few lines and the log for a screenful; both give up lines down to their
// minimum (and scroll) before anything else of the dialog is squeezed.
constexpr int kReplyLines = 3;
constexpr int kReplyMinimumLines = 2;
constexpr int kLogLines = 12;
constexpr int kLogMinimumLines = 4;
// Characters the closed modem list shows; longer entries are elided, the list drops down wider.
constexpr int kModemListCharacters = 16;

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

// A read-only text box that asks for `lines` lines of its font (Qt's own box asks for a fixed 192
// pixels) and can shrink to `minimumLines`.
class TextBox final : public QPlainTextEdit {
public:
    TextBox(QWidget* parent, int lines, int minimumLines)
        : QPlainTextEdit(parent), lines_(lines), minimumLines_(minimumLines) {
        setReadOnly(true);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    QSize sizeHint() const override { return {QPlainTextEdit::sizeHint().width(), HeightOf(lines_)}; }
    QSize minimumSizeHint() const override {
        return {QPlainTextEdit::minimumSizeHint().width(), HeightOf(minimumLines_)};
    }

private:
    int HeightOf(int lines) const {
        return lines * fontMetrics().lineSpacing() +
               2 * (frameWidth() + static_cast<int>(document()->documentMargin()));
    }

    int lines_;
    int minimumLines_;
};

QPlainTextEdit* ReadOnlyText(QWidget* parent, const char* name, int lines, int minimumLines) {
    return Named(new TextBox(parent, lines, minimumLines), name);
}

void Colour(QLabel* label, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(role, colour);
    label->setPalette(palette);
}

}  // namespace

void SendSmsDialog::BuildControls() {
    setObjectName(QStringLiteral("tntfrm_SendSMS"));
    setWindowTitle(English(sendsms::kTitle));
    // A window does not take its parent's font unless asked to; the dialog speaks in the main window's.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(parentWidget() != nullptr ? parentWidget()->font() : font());
    setSizeGripEnabled(false);

    // The number, the command and the modem on the left; the QR code beside them on the right.
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top, 1);
    auto* column = new QVBoxLayout;
    top->addLayout(column, 1);
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    BuildNumberAndCode(grid);
    BuildModemGroup(column);

    auto* code = new QVBoxLayout;
    tntimg_QRCode = Named(new QrCodeView(this), "tntimg_QRCode");
    code->addWidget(tntimg_QRCode);
    QLabel* hint = MessageLabel(this, "tntlbl_QRCodeHint");
    hint->setText(English(sendsms::kQrHint));
    hint->setFixedWidth(QrCodeView::kSide);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    code->addWidget(hint);
    code->addStretch(1);
    top->addLayout(code);

    auto* bottom = new QHBoxLayout;
    tntbtn_Details = Button(this, "tntbtn_Details", sendsms::kDetails);
    tntbtn_Details->setCheckable(true);
    tntbtn_DialogClose = Button(this, "tntbtn_DialogClose", sendsms::kClose);
    bottom->addWidget(tntbtn_Details);
    bottom->addStretch(1);
    bottom->addWidget(tntbtn_DialogClose);
    outer->addLayout(bottom);

    tntmemo_Log = ReadOnlyText(this, "tntmemo_Log", kLogLines, kLogMinimumLines);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    tntmemo_Log->setFont(mono);
    tntmemo_Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    tntmemo_Log->setVisible(false);
    outer->addWidget(tntmemo_Log, 2);

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
    tntlbl_PhoneNumberRule = Label(this, "tntlbl_PhoneNumberRule", sendsms::kPhoneRule);
    Colour(tntlbl_PhoneNumberRule, QPalette::WindowText, palette().color(QPalette::PlaceholderText));
    grid->addWidget(tntlbl_PhoneNumberRule, 1, 1);
    tntlbl_PhoneNumberMessage = MessageLabel(this, "tntlbl_PhoneNumberMessage");
    Colour(tntlbl_PhoneNumberMessage, QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    tntlbl_PhoneNumberMessage->setVisible(false);
    grid->addWidget(tntlbl_PhoneNumberMessage, 2, 1);

    grid->addWidget(Label(this, "tntlbl_SMSCommand", sendsms::kCommandLabel), 3, 0);
    tntedt_SMSCommand = Named(new QLineEdit(this), "tntedt_SMSCommand");
    tntedt_SMSCommand->setReadOnly(true);
    grid->addWidget(tntedt_SMSCommand, 3, 1);
    tntlbl_SMSLength = MessageLabel(this, "tntlbl_SMSLength");
    grid->addWidget(tntlbl_SMSLength, 4, 1);
    grid->setColumnStretch(1, 1);
}

void SendSmsDialog::BuildModemGroup(QVBoxLayout* column) {
    auto* group = Named(new QGroupBox(English(sendsms::kModemGroup), this), "tntgrp_Modem");
    auto* grid = new QGridLayout(group);
    column->addWidget(group, 1);

    grid->addWidget(Label(group, "tntlbl_Modem", sendsms::kModemLabel), 0, 0);
    tntcomb_Modem = Named(new ModemList(group), "tntcomb_Modem");
    // A port that the search does not list (a modem plugged in later, a COM port) can be typed.
    tntcomb_Modem->setEditable(true);
    tntcomb_Modem->setInsertPolicy(QComboBox::NoInsert);
    tntcomb_Modem->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tntcomb_Modem->setMinimumContentsLength(kModemListCharacters);
    grid->addWidget(tntcomb_Modem, 0, 1);
    tntbtn_SearchModems = Button(group, "tntbtn_SearchModems", sendsms::kSearchModems);
    grid->addWidget(tntbtn_SearchModems, 0, 2);

    grid->addWidget(Label(group, "tntlbl_SMSC", sendsms::kSmscLabel), 1, 0);
    tntedt_SMSC = Named(new QLineEdit(group), "tntedt_SMSC");
    grid->addWidget(tntedt_SMSC, 1, 1, 1, 2);
    grid->addWidget(Label(group, "tntlbl_SMSCNote", sendsms::kSmscNote), 2, 1, 1, 2);

    tntchk_WaitReply = Named(new QCheckBox(English(sendsms::kWaitForReply), group), "tntchk_WaitReply");
    tntchk_WaitReply->setChecked(true);
    grid->addWidget(tntchk_WaitReply, 3, 0, 1, 3);

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
    grid->addLayout(actions, 4, 0, 1, 3);

    tntlbl_Progress = MessageLabel(group, "tntlbl_Progress");
    grid->addWidget(tntlbl_Progress, 5, 0, 1, 3);
    tntlbl_Outcome = MessageLabel(group, "tntlbl_Outcome");
    tntlbl_Outcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(tntlbl_Outcome, 6, 0, 1, 3);

    grid->addWidget(Label(group, "tntlbl_Reply", sendsms::kReplyLabel), 7, 0, Qt::AlignTop);
    tntmemo_Reply = ReadOnlyText(group, "tntmemo_Reply", kReplyLines, kReplyMinimumLines);
    grid->addWidget(tntmemo_Reply, 7, 1, 1, 2);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
}

}  // namespace app
