// The window program's application object: how window titles reach the window system, and the
// error box for an exception that escapes an event.

#include "app/WindowApplication.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QString>

#include "tests/app/WindowTestSupport.h"

namespace {

class ThrowingObject final : public QObject {
public:
    bool event(QEvent*) override { throw std::runtime_error("Unable to write to /x/GPRSInfo.ini"); }
};

class WindowApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "dtusms";
        static char* argv[] = {name, nullptr};
        application = new app::WindowApplication(argc, argv, presenter);
    }
    static void TearDownTestSuite() {
        delete application;
        application = nullptr;
    }

    static inline apptest::RecordingPresenter presenter;
    static inline app::WindowApplication* application = nullptr;
};

// The application's icon, which every window takes, is the program's own drawing.
TEST_F(WindowApplicationTest, WindowsShowTheProgramsIcon) {
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(64, 64).toImage();
    EXPECT_EQ(image.size(), QSize(64, 64));
    // Not a blank square: the drawing has more than one colour.
    EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2), image.pixel(0, 0));
}

// Qt appends a set display name to every top-level title it hands to the window system ("Prompt —
// <title>"); the window caption and the prompt caption must reach it unchanged.
TEST_F(WindowApplicationTest, WindowTitlesReachTheWindowSystemWithoutAnApplicationSuffix) {
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
}

TEST_F(WindowApplicationTest, ExceptionLeavingAnEventShowsTheErrorBoxWithTheApplicationTitle) {
    presenter.boxes.clear();
    ThrowingObject target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_TRUE(presenter.boxes[0].error);
    EXPECT_EQ(presenter.boxes[0].caption, "TQ-3VOVE SMS configuration tool");
    EXPECT_EQ(presenter.boxes[0].text, "Unable to write to /x/GPRSInfo.ini.");
}

}  // namespace
