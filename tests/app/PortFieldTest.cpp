// The port field as the user edits it, and what each edit stores.

#include "app/PortSpinEdit.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWheelEvent>

#include "tests/app/WindowTestSupport.h"

namespace {

using apptest::MainSection;
using apptest::WindowFixture;

std::string Stored(const WindowFixture& fixture) {
    const std::string file = fixture.File();
    const auto start = file.find("Port=");
    return start == std::string::npos ? "" : file.substr(start + 5, file.find('\r', start) - start - 5);
}

void Wheel(QWidget* widget, int notches, Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

TEST(PortFieldTest, EditsShowAndStoreTheLimitedValue) {
    const struct {
        const char* name;
        const char* storedPort;
        std::function<void(app::PortSpinEdit*)> edit;
        QString shown;
        std::string stored;
        int beeps;
    } rows[] = {
        {"a sixth digit cuts to the maximum at once", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->selectAll();
             QTest::keyClicks(port, "123456");
         },
         "99999", "99999", 0},
        {"values below the minimum stay while typing", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->selectAll();
             QTest::keyClicks(port, "50");
         },
         "50", "50", 0},
        {"emptying the field shows and stores 1000", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->selectAll();
             QTest::keyClick(port, Qt::Key_Delete);
         },
         "1000", "1000", 0},
        {"a lone sign reads as 1000 and stays", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->selectAll();
             QTest::keyClick(port, Qt::Key_Minus);
         },
         "-", "1000", 0},
        {"a letter beeps and changes nothing", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->end(false);
             QTest::keyClicks(port, "a ");
         },
         "6000", "6000", 2},
        {"a sign after the first character beeps", "6000",
         [](app::PortSpinEdit* port) {
             port->findChild<QLineEdit*>()->end(false);
             QTest::keyClick(port, Qt::Key_Plus);
         },
         "6000", "6000", 1},
        {"Up at the maximum stays", "99999",
         [](app::PortSpinEdit* port) { QTest::keyClick(port, Qt::Key_Up); }, "99999", "99999", 0},
        {"Down at the minimum stays", "1000",
         [](app::PortSpinEdit* port) { QTest::keyClick(port, Qt::Key_Down); }, "1000", "1000", 0},
        {"Up steps by one", "6000", [](app::PortSpinEdit* port) { QTest::keyClick(port, Qt::Key_Up); },
         "6001", "6001", 0},
        {"Page Up steps by ten", "6000",
         [](app::PortSpinEdit* port) { QTest::keyClick(port, Qt::Key_PageUp); }, "6010", "6010", 0},
        {"Page Down near the minimum stops at it", "1005",
         [](app::PortSpinEdit* port) { QTest::keyClick(port, Qt::Key_PageDown); }, "1000", "1000", 0},
        {"wheel steps by one", "6000", [](app::PortSpinEdit* port) { Wheel(port, -1); }, "5999", "5999", 0},
        {"Ctrl+wheel steps by ten", "6000",
         [](app::PortSpinEdit* port) { Wheel(port, 1, Qt::ControlModifier); }, "6010", "6010", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(MainSection({std::string("Port=") + row.storedPort}), true);
        fixture.Show();
        auto* port = fixture.Find<app::PortSpinEdit>("rzspnedt_Port");
        row.edit(port);
        EXPECT_EQ(port->text(), row.shown);
        EXPECT_EQ(Stored(fixture), row.stored);
        EXPECT_EQ(fixture.messages.beeps, row.beeps);
        EXPECT_TRUE(fixture.messages.boxes.empty());
    }
}

TEST(PortFieldTest, TypingWritesEveryValueAndLeavingTheFieldCorrectsIt) {
    const struct {
        const char* typed;
        QString shownAfterTab;
        std::string storedAfterTab;
    } rows[] = {
        {"500", "1000", "1000"},
        {"-", "1000", "1000"},
        {"+7000", "7000", "7000"},
        {"8000", "8000", "8000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        WindowFixture fixture(MainSection({"Port=6000"}), true);
        app::Ttntfrm_Main& window = fixture.Show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto* port = fixture.Find<app::PortSpinEdit>("rzspnedt_Port");
        port->setFocus();
        port->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(port, row.typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(port->hasFocus());
        EXPECT_EQ(port->text(), row.shownAfterTab);
        EXPECT_EQ(Stored(fixture), row.storedAfterTab);
    }
}

TEST(PortFieldTest, ParsesSignedDigitsAndFallsBackForOtherText) {
    const struct {
        QString text;
        int value;
    } rows[] = {
        {"6000", 6000}, {"+6000", 6000}, {"-12", -12},  {"007", 7},
        {"", 1000},     {"-", 1000},     {"12a", 1000}, {"99999999999999999999", INT_MAX},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(app::PortSpinEdit::ParseValue(row.text, 1000), row.value) << row.text.toStdString();
    }
}

}  // namespace
