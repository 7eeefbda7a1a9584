// The drop-down list that elides a current item too wide for its closed box: what it paints, the
// tool tip with the whole text, and the width of its open list.

#include "app/ElidingComboBox.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>

#include <gtest/gtest.h>

#include "tests/app/WindowTestSupport.h"

namespace {

const QString kShort = QStringLiteral("Static IP");
const QString kLong = QStringLiteral("DTU configuration parameters of a rather long name");

struct Lists {
    Lists() {
        apptest::Application();
        for (QComboBox* combo : {static_cast<QComboBox*>(&eliding), &plain}) {
            combo->setParent(&window);
            combo->resize(162, 21);
        }
        plain.move(0, 30);
        window.resize(400, 60);
        window.show();
    }
    QImage Paint(QComboBox& combo) { return combo.grab().toImage(); }

    QWidget window;
    app::ElidingComboBox eliding;
    QComboBox plain;
};

// The tool tip the list answers at its centre; empty when it answers none.
QString AskToolTip(QWidget& widget) {
    QToolTip::hideText();
    const QPoint centre = widget.rect().center();
    QHelpEvent event(QEvent::ToolTip, centre, widget.mapToGlobal(centre));
    QApplication::sendEvent(&widget, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(ElidingComboBoxTest, ClosedBoxShowsTheTextOrItsElisionWithTheWholeTextAsToolTip) {
    const struct {
        const char* name;
        QString text;
        bool elided;
    } rows[] = {
        {"a text that fits", kShort, false},
        {"a text too wide", kLong, true},
        {"no current item", QString(), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Lists lists;
        if (!row.text.isNull()) {
            lists.eliding.addItem(row.text);
        }
        const QString shown = lists.eliding.ShownText();
        EXPECT_LE(QFontMetricsF(lists.eliding.font()).horizontalAdvance(shown), lists.eliding.TextRoom());
        EXPECT_EQ(shown != row.text, row.elided) << shown.toStdString();
        if (row.elided) {
            EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
            EXPECT_TRUE(row.text.startsWith(shown.chopped(1))) << shown.toStdString();
        }
        // Painted exactly as Qt's own list paints the shown text.
        lists.plain.addItem(shown);
        EXPECT_EQ(lists.Paint(lists.eliding), lists.Paint(lists.plain));

        EXPECT_EQ(AskToolTip(lists.eliding), row.elided ? row.text : QString());
        // Never stored: the window translation would take it for a text of the window.
        EXPECT_TRUE(lists.eliding.toolTip().isEmpty());
    }
}

TEST(ElidingComboBoxTest, ToolTipSetByTheProgramWins) {
    Lists lists;
    lists.eliding.addItem(kLong);
    lists.eliding.setToolTip(QStringLiteral("Command type"));
    EXPECT_EQ(AskToolTip(lists.eliding), QStringLiteral("Command type"));
}

TEST(ElidingComboBoxTest, OpenListIsWideEnoughForItsWidestItem) {
    const struct {
        const char* name;
        QStringList items;
        bool widened;
    } rows[] = {
        {"short items", {kShort, QStringLiteral("Other")}, false},
        {"a long item", {kShort, kLong}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Lists lists;
        lists.eliding.addItems(row.items);
        lists.eliding.showPopup();
        const QAbstractItemView& view = *lists.eliding.view();
        for (int i = 0; i < lists.eliding.count(); ++i) {
            EXPECT_GE(view.viewport()->width(), lists.eliding.ListItemWidth(row.items[i])) << i;
        }
        EXPECT_EQ(view.window()->width() > lists.eliding.width(), row.widened) << view.window()->width();
        lists.eliding.hidePopup();
    }
}

}  // namespace
