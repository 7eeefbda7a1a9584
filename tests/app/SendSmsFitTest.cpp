// Every text of the "Send SMS" dialog, and of the button that opens it, fits the room its control
// gives it in English, Simplified and Traditional Chinese, measured with the font actually used.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLayout>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextLayout>

#include "app/PortSpinEdit.h"
#include "app/QrCodeView.h"
#include "base/Placeholders.h"
#include "net/ServerChecks.h"
#include "tests/app/SendDialogTestSupport.h"

namespace apptest {
namespace {

double TextWidth(const QWidget* widget, const QString& text) {
    return QFontMetricsF(widget->font()).horizontalAdvance(text);
}

// The width a button's text may take: the button less the style's margins and, for a check box, its
// indicator.
int ButtonTextRoom(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (qobject_cast<const QCheckBox*>(button) != nullptr) {
        return button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    }
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

int GroupTitleRoom(const QGroupBox* group) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    return group->style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group)
        .width();
}

// Every text of `root`'s visible labels (one-line ones), buttons and group titles that is wider than
// its room, as "name: needed > room".
QStringList TextsThatDoNotFit(QWidget* root) {
    QStringList cut;
    const auto check = [&cut](const QWidget* widget, const QString& text, int room) {
        const double needed = TextWidth(widget, text);
        if (!text.isEmpty() && needed > room) {
            cut << QStringLiteral("%1 \"%2\": %3 px > %4 px")
                       .arg(widget->objectName(), text)
                       .arg(needed, 0, 'f', 1)
                       .arg(room);
        }
    };
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root) || widget->objectName().isEmpty()) {
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->wordWrap()) {
            check(label, label->text(), label->contentsRect().width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            check(button, button->text(), ButtonTextRoom(button));
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            check(group, group->title(), GroupTitleRoom(group));
        }
    }
    return cut;
}

TEST(SendSmsFitTest, EveryTextFitsInEachLanguage) {
    LanguageFixture f(ConfigurationFile({"DTU phone number=13800138000"}), true);
    f.locale.lang = "en";
    f.Show();
    for (int language : {1, 2, 3}) {
        SCOPED_TRACE(language);
        f.Choose(language);
        app::SendSmsDialog* dialog = ClickSendSms(f.Window());
        ASSERT_NE(dialog, nullptr);
        dialog->layout()->activate();
        EXPECT_EQ(TextsThatDoNotFit(dialog), QStringList());

        const auto* opener = f.fixture.Find<QPushButton>("tntbtn_SendSMS");
        EXPECT_LE(TextWidth(opener, opener->text()), ButtonTextRoom(opener)) << opener->text().toStdString();

        // Texts the dialog writes wrap in their labels; a long outcome or reply never widens the
        // dialog beyond the screen.
        EXPECT_LE(dialog->width(), 800);
        dialog->reject();
        ASSERT_TRUE(WaitWhileBusy(*dialog));
    }
}

// The status bar's lines in each language: the length line for its longest wording (many parts,
// four-digit counts), and the port test's failure for the longest address and port followed by each
// reason it may give.
TEST(SendSmsFitTest, TheStatusBarsLinesFitInEachLanguage) {
    LanguageFixture f(ConfigurationFile({"Server address mode=1"}), true);
    f.locale.lang = "en";
    app::Ttntfrm_Main& window = f.Show();
    auto* status = f.fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    const auto expectFits = [status](const QString& text) {
        EXPECT_LE(TextWidth(status, text), status->contentsRect().width()) << text.toStdString();
    };
    for (int language : {1, 2, 3}) {
        SCOPED_TRACE(language);
        f.Choose(language);
        f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->setCurrentIndex(1);
        for (int domainLength : {150, 3000}) {
            f.fixture.Find<QLineEdit>("tntedt_DomainAddress")
                ->setText(QString(domainLength, QLatin1Char('d')));
            QTest::mouseClick(f.fixture.Find<QPushButton>("tntbtn_GenerationSMS"), Qt::LeftButton);
            ASSERT_FALSE(status->text().isEmpty());
            expectFits(status->text());
        }

        // A port above the range fails before any connection is tried, with its reason.
        f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->setCurrentIndex(0);
        f.fixture.Find<QLineEdit>("tntedt_StaticIP")->setText(QStringLiteral("255.255.255.255"));
        f.fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->SetValue(app::PortSpinEdit::kMaximum);
        f.fixture.messages.boxes.clear();
        apptest::ClickAndWait(window, f.fixture.Find<QPushButton>("tntbtn_TestServerPort"));
        ASSERT_EQ(f.fixture.messages.boxes.size(), 1u);
        net::PortTestResult result;
        result.outcomeText = f.fixture.messages.boxes[0].text.toStdString();
        result.reason = i18n::Translate(net::kReasonPortOutOfRange);
        EXPECT_EQ(status->text(), QString::fromStdString(net::OutcomeWithReason(result)));
        const int timeoutSeconds = static_cast<int>(net::kConnectTimeout.count() / 1000);
        for (const std::string& reason :
             {i18n::Translate(net::kReasonRefused), i18n::Translate(net::kReasonNoSuchHost),
              base::FillPlaceholders(i18n::Translate(net::kReasonTimedOut), {timeoutSeconds}),
              i18n::Translate(net::kReasonPortOutOfRange)}) {
            result.reason = reason;
            expectFits(QString::fromStdString(net::OutcomeWithReason(result)));
        }
    }
}

// Where a text wrapped at `width` pixels of `font` breaks its lines: the index of each line's first
// character after the first line.
QList<int> LineStarts(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QList<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (line.textStart() > 0) {
            starts << line.textStart();
        }
    }
    layout.endLayout();
    return starts;
}

// Whether a line of `text` starts inside a pair of quotation marks ("", “”, 「」).
bool BreaksInsideQuotes(const QString& text, const QList<int>& starts) {
    for (const int start : starts) {
        const QString before = text.left(start);
        const qsizetype opened = before.lastIndexOf(QRegularExpression(QStringLiteral("[\"“「]")));
        if (opened < 0) {
            continue;
        }
        const bool straight = before.at(opened) == QLatin1Char('"');
        if (straight ? before.count(QLatin1Char('"')) % 2 == 1
                     : !before.mid(opened).contains(QRegularExpression(QStringLiteral("[”」]")))) {
            return true;
        }
    }
    return false;
}

// The dialog on the screen the test runs on: with the run's screen set up as 1280 × 1024 at 100 %,
// 150 % and 200 % (see tests/app/CMakeLists.txt), it stays inside the screen's available area, with
// the Details log open too, and every caption still fits. DTUSMS_EXPECT_SCREEN ("640x512") makes
// sure the screen really is the one the run asked for.
TEST(SendSmsScreenFitTest, TheDialogStaysInsideTheScreenInEachLanguage) {
    LanguageFixture f(ConfigurationFile({"DTU phone number=13800138000"}), true);
    f.locale.lang = "en";
    app::Ttntfrm_Main& window = f.Show();
    const QRect area = window.screen()->availableGeometry();
    if (const char* expected = std::getenv("DTUSMS_EXPECT_SCREEN")) {
        EXPECT_EQ(QStringLiteral("%1x%2").arg(area.width()).arg(area.height()).toStdString(), expected);
    }
    // The main window where a user may have left it: in a corner, which the dialog must not cross.
    window.move(area.topLeft());
    for (int language : {1, 2, 3}) {
        SCOPED_TRACE(language);
        f.Choose(language);
        app::SendSmsDialog* dialog = ClickSendSms(window);
        ASSERT_NE(dialog, nullptr);
        for (const bool details : {false, true}) {
            SCOPED_TRACE(details ? "with the log" : "without the log");
            auto* log = Control<QPlainTextEdit>(dialog, "tntmemo_Log");
            for (int line = 0; details && line < 200; ++line) {
                log->appendPlainText(QStringLiteral("12:00:00.000 > AT+CMGS=%1 ").arg(line).repeated(4));
            }
            auto* toggle = Control<QPushButton>(dialog, "tntbtn_Details");
            if (toggle->isChecked() != details) {
                QTest::mouseClick(toggle, Qt::LeftButton);
            }
            QApplication::processEvents();
            EXPECT_TRUE(area.contains(dialog->frameGeometry()))
                << dialog->frameGeometry().x() << "," << dialog->frameGeometry().y() << " "
                << dialog->frameGeometry().width() << "x" << dialog->frameGeometry().height() << " on "
                << area.width() << "x" << area.height();
            EXPECT_EQ(TextsThatDoNotFit(dialog), QStringList());
            if (details) {
                EXPECT_TRUE(log->isVisible());
                // The log shows the start of its lines and follows the last one.
                EXPECT_EQ(log->horizontalScrollBar()->value(), log->horizontalScrollBar()->minimum());
                EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
            }
        }
        dialog->reject();
        ASSERT_TRUE(WaitWhileBusy(*dialog));
    }
}

// The QR code's place says what is missing; a quoted field name there is never broken over two
// lines, in any language, for the longest names.
TEST(SendSmsFitTest, TheCodesPlaceNeverBreaksInsideQuotes) {
    for (const char* settings : {"DTU phone number=", "Service network(APN)=3"}) {
        LanguageFixture f(ConfigurationFile({settings}), true);
        f.locale.lang = "en";
        f.Show();
        for (int language : {1, 2, 3}) {
            SCOPED_TRACE(std::string(settings) + " in language " + std::to_string(language));
            f.Choose(language);
            app::SendSmsDialog* dialog = ClickSendSms(f.Window());
            ASSERT_NE(dialog, nullptr);
            const auto* code = Control<app::QrCodeView>(dialog, "tntimg_QRCode");
            ASSERT_FALSE(code->HasCode());
            const QString reason = code->Reason();
            ASSERT_TRUE(reason.contains(QRegularExpression(QStringLiteral("[\"“「]"))))
                << reason.toStdString();
            // The view's inner width and a narrower one, where the message takes several lines.
            for (const int width : {code->width() - 16, 90}) {
                const QList<int> starts = LineStarts(reason, code->font(), width);
                EXPECT_FALSE(BreaksInsideQuotes(reason, starts)) << width << ": " << reason.toStdString();
            }
            dialog->reject();
            ASSERT_TRUE(WaitWhileBusy(*dialog));
        }
    }
}

}  // namespace
}  // namespace apptest
