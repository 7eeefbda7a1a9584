// The controls of the main window: positions and sizes in pixels relative to their container, texts
// in English (the window translation records them in English and shows them translated), tab order.

#include "app/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "app/AutoWidthLabel.h"
#include "app/ElidingComboBox.h"
#include "app/KeyboardLimitedEdit.h"
#include "app/MessageBoxes.h"
#include "app/PortSpinEdit.h"
#include "app/SendSmsTexts.h"
#include "app/WindowFont.h"

namespace app {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A label whose text is right-aligned to the edge at `left` + `width`. Its box reaches up to
// `leftMargin` pixels further left, into the gap before it, so that a face a little wider than Tahoma
// does not cut the first letter; where the text fits, nothing moves.
QLabel* RightAlignedLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width,
                          int leftMargin) {
    auto* label = Place(new QLabel(QString::fromUtf8(text), parent), name, left - leftMargin, top,
                        width + leftMargin, 13);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

constexpr int kClientWidth = 495;
constexpr int kClientHeight = 305;
constexpr int kDtuNumberKeyboardLimit = 11;

// Labels of the first column may reach to the container's edge, those of the second to the control
// before them.
constexpr int kFirstColumnMargin = 5;
constexpr int kSecondColumnMargin = 4;

QComboBox* DropDownList(QWidget* parent, const char* name, int left, int top, int width,
                        std::initializer_list<const char*> items) {
    auto* combo = Place(new ElidingComboBox(parent), name, left, top, width, 21);
    combo->setEditable(false);
    for (const char* item : items) {
        combo->addItem(QString::fromUtf8(item));
    }
    // Qt selects the first item it is given; these lists start without a selection.
    combo->setCurrentIndex(-1);
    return combo;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text, int left, int top, int width,
                    int height) {
    auto* button = Place(new QPushButton(QString::fromUtf8(text), parent), name, left, top, width, height);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

void Ttntfrm_Main::BuildControls() {
    setObjectName(QStringLiteral("tntfrm_Main"));
    setWindowTitle(QStringLiteral("TQ-3VOVE configuration tool"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(WindowFont());

    BuildNetworkGroup();
    BuildSmsGroup();
    BuildPanelAndStatusBar();
    BuildLanguageMenu();
    SetTabOrder();
}

void Ttntfrm_Main::BuildNetworkGroup() {
    auto* group =
        Place(new QGroupBox(QStringLiteral("Network configuration"), this), "tntgrp_NetWork", 0, 0, 495, 109);
    RightAlignedLabel(group, "tntlbl_ServerNetMode", "Server address mode", 5, 21, 105, kFirstColumnMargin);
    tntcomb_ServerNetMode =
        DropDownList(group, "tntcomb_ServerNetMode", 111, 17, 162, {"Static IP", "Domain resolution"});
    RightAlignedLabel(group, "tntlbl_Port", "Port", 278, 22, 76, kSecondColumnMargin);
    rzspnedt_Port =
        Place(new PortSpinEdit([this] { messages_.Beep(); }, group), "rzspnedt_Port", 356, 17, 119, 21);
    tntlbl_StaticIP =
        RightAlignedLabel(group, "tntlbl_StaticIP", "Static IP", 5, 51, 105, kFirstColumnMargin);
    tntedt_StaticIP = Place(new QLineEdit(group), "tntedt_StaticIP", 111, 47, 110, 21);
    tntbtn_StaticIP = Button(group, "tntbtn_StaticIP", "Obtain IP", 224, 47, 49, 21);
    tntlbl_DomainAddress =
        RightAlignedLabel(group, "tntlbl_DomainAddress", "Domain address", 278, 51, 76, kSecondColumnMargin);
    tntedt_DomainAddress = Place(new QLineEdit(group), "tntedt_DomainAddress", 356, 47, 119, 21);
    tntbtn_TestServerPort = Button(group, "tntbtn_TestServerPort", "Test server port", 356, 77, 119, 25);
    tntbtn_JudgeMaping =
        Button(group, "tntbtn_JudgeMaping", "Judge whether the server port mapping", 24, 77, 249, 25);
}

void Ttntfrm_Main::BuildSmsGroup() {
    auto* group = Place(new QGroupBox(QStringLiteral("SMS command format"), this), "tntgrp_SMSCommandFormat",
                        0, 109, 495, 142);
    RightAlignedLabel(group, "tntlbl_ServiceNetwork", "Service network(APN)", 5, 21, 105, kFirstColumnMargin);
    tntcomb_ServiceNetwork =
        DropDownList(group, "tntcomb_ServiceNetwork", 111, 17, 162,
                     {"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"});
    RightAlignedLabel(group, "tntlbl_Ohter", "Other", 278, 21, 76, kSecondColumnMargin);
    tntedt_Other = Place(new QLineEdit(group), "tntedt_Other", 356, 17, 119, 21);
    RightAlignedLabel(group, "tntlbl_DTUNumber", "DTU number", 5, 51, 105, kFirstColumnMargin);
    tntedt_DTUNumber =
        Place(new KeyboardLimitedEdit(kDtuNumberKeyboardLimit, group), "tntedt_DTUNumber", 111, 47, 162, 21);
    RightAlignedLabel(group, "tntlbl1", "SMS command type", 5, 82, 105, kFirstColumnMargin);
    tntcomb_SMSCommandType = DropDownList(group, "tntcomb_SMSCommandType", 111, 78, 162,
                                          {"DTU configuration parameters", "DTU running query"});
    tntcomb_SMSCommandType->setCurrentIndex(0);
    // Its right side is free up to the command line, as far as the first column's labels reach.
    Place(new AutoWidthLabel(5 + 103, 5 + 105, group), "tntlbl_SMSCommandFormat", 5, 112, 103, 13)
        ->SetTextAndWidth(QStringLiteral("SMS command format"));
    tntedt_SMSCommandFormat = Place(new QLineEdit(group), "tntedt_SMSCommandFormat", 111, 108, 364, 21);
}

void Ttntfrm_Main::BuildPanelAndStatusBar() {
    auto* panel = Place(new QFrame(this), "TntPanel1", 0, 251, 495, 35);
    panel->setFrameShape(QFrame::NoFrame);
    rzMenubtn_Language = Place(new QToolButton(panel), "rzMenubtn_Language", 19, 5, 90, 25);
    rzMenubtn_Language->setText(QStringLiteral(" Language"));
    rzMenubtn_Language->setPopupMode(QToolButton::InstantPopup);
    rzMenubtn_Language->setToolButtonStyle(Qt::ToolButtonTextOnly);
    rzMenubtn_Language->setFocusPolicy(Qt::StrongFocus);
    tntbtn_Close = Button(panel, "tntbtn_Close", "Close", 400, 5, 75, 25);
    tntbtn_GenerationSMS = Button(panel, "tntbtn_GenerationSMS", "Generation SMS", 287, 5, 90, 25);
    // Centred in the free space between the language button and "Generation SMS", as wide as the
    // latter.
    tntbtn_SendSMS = Button(panel, "tntbtn_SendSMS", sendsms::kSendSmsButton.data(), 153, 5, 90, 25);

    auto* statusBar = Place(new QStatusBar(this), "tntstsbr_Status", 0, 286, 495, 19);
    statusBar->setSizeGripEnabled(false);
    tntstsbr_StatusPanel = new QLabel(statusBar);
    tntstsbr_StatusPanel->setObjectName(QStringLiteral("tntstsbr_Status_Panel0"));
    // The status shows addresses as typed: never read as markup.
    tntstsbr_StatusPanel->setTextFormat(Qt::PlainText);
    statusBar->addWidget(tntstsbr_StatusPanel, 1);
}

void Ttntfrm_Main::BuildLanguageMenu() {
    tntpmn_Language = new QMenu(this);
    tntpmn_Language->setObjectName(QStringLiteral("tntpmn_Language"));
    // In the order of their language numbers, which each item carries as its data.
    const struct {
        const char* name;
        const char* text;
    } items[] = {
        {"tntmntm_Automatic", "Automatic"},
        {"tntmntm_English", "English"},
        {"tntmntm_SimplifiedChinese", "Simplified Chinese"},
        {"tntmntm_TraditionalChinese", "Traditional Chinese"},
    };
    int tag = 0;
    for (const auto& item : items) {
        auto* action = new QAction(QString::fromUtf8(item.text), tntpmn_Language);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        action->setData(tag++);
        tntpmn_Language->addAction(action);
    }
    tntmntm_Automatic = tntpmn_Language->actions().front();
    rzMenubtn_Language->setMenu(tntpmn_Language);
}

void Ttntfrm_Main::SetTabOrder() {
    QWidget* const order[] = {
        tntcomb_ServerNetMode, rzspnedt_Port,         tntedt_StaticIP,        tntbtn_StaticIP,
        tntedt_DomainAddress,  tntbtn_TestServerPort, tntbtn_JudgeMaping,     tntcomb_ServiceNetwork,
        tntedt_Other,          tntedt_DTUNumber,      tntcomb_SMSCommandType, tntedt_SMSCommandFormat,
        rzMenubtn_Language,    tntbtn_Close,          tntbtn_GenerationSMS,   tntbtn_SendSMS,
    };
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace app
