// Every text of the "Send SMS" dialog, and of the button that opens it, fits the room its control
// gives it in English, Simplified and Traditional Chinese, measured with the font actually used.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLayout>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

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

// The length line in the status bar, for the longest wording (many parts, four-digit counts).
TEST(SendSmsFitTest, TheStatusBarsLengthLineFitsInEachLanguage) {
    LanguageFixture f(ConfigurationFile({"Server address mode=1"}), true);
    f.locale.lang = "en";
    f.Show();
    auto* status = f.fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    for (int language : {1, 2, 3}) {
        SCOPED_TRACE(language);
        f.Choose(language);
        for (int domainLength : {150, 3000}) {
            f.fixture.Find<QLineEdit>("tntedt_DomainAddress")
                ->setText(QString(domainLength, QLatin1Char('d')));
            QTest::mouseClick(f.fixture.Find<QPushButton>("tntbtn_GenerationSMS"), Qt::LeftButton);
            ASSERT_FALSE(status->text().isEmpty());
            EXPECT_LE(TextWidth(status, status->text()), status->contentsRect().width())
                << status->text().toStdString();
        }
    }
}

}  // namespace
}  // namespace apptest
