// The three server checks wired to the window, against peers on 127.0.0.1 that the tests start.

#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/MessageBoxes.h"
#include "net/WanAddress.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/net/LoopbackPeers.h"

namespace {

using apptest::MainSection;
using apptest::WindowFixture;

// Points "Obtain IP" at a loopback URL for one test.
class WanUrl {
public:
    explicit WanUrl(const std::string& url) { ::setenv(net::kWanIpUrlVariable, url.c_str(), 1); }
    ~WanUrl() { ::unsetenv(net::kWanIpUrlVariable); }
};

std::string Settings(int mode, const std::string& staticIp, const std::string& domain, int port) {
    return MainSection({"Server address mode=" + std::to_string(mode), "Port=" + std::to_string(port),
                        "Static IP=" + staticIp, "Domain address=" + domain, "DTU number=X"});
}

QString Filled(const char* format, const std::string& address, int port) {
    return QString::fromUtf8(format).arg(QString::fromStdString(address)).arg(port);
}

TEST(WindowChecksTest, TestServerPortReportsInStatusBarAndPrompt) {
    nettest::Listener listener;
    const int refused = nettest::RefusedPort();
    const struct {
        const char* name;
        int mode;
        std::string staticIp;
        std::string domain;
        int port;
        QString outcome;  // the prompt; the status bar when it is set
        bool statusSet;
        QString reason;  // after the outcome in the status bar
    } rows[] = {
        {"listener answers", 0, "127.0.0.1", "", listener.port(),
         Filled("With IP =%1, port =%2 of server connection is successful!", "127.0.0.1", listener.port()),
         true, ""},
        {"refused port", 0, "127.0.0.1", "", refused,
         Filled("With IP =%1, port =%2 of server connection is failed!", "127.0.0.1", refused), true,
         "Connection refused."},
        {"domain resolving to the listener", 1, "", "127.0.0.1", listener.port(),
         Filled("With IP =%1, port =%2 of server connection is successful!", "127.0.0.1", listener.port()),
         true, ""},
        {"blank static IP", 0, "  ", "", listener.port(), "Please enter valid \"Static IP\"", false, ""},
        {"blank domain", 1, "127.0.0.1", "", listener.port(), "Please enter valid \"Domain address\"", false,
         ""},
        {"no mode", 4, "127.0.0.1", "127.0.0.1", 6000,
         Filled("With IP =%1, port =%2 of server connection is failed!", "", 6000), true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(Settings(row.mode, row.staticIp, row.domain, row.port), true);
        app::Ttntfrm_Main& window = fixture.Show();
        auto* status = fixture.Find<QLabel>("tntstsbr_Status_Panel0");
        status->setText("previous");
        apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_TestServerPort"));
        const QString shown = row.reason.isEmpty() ? row.outcome : row.outcome + " " + row.reason;
        EXPECT_EQ(status->text(), row.statusSet ? shown : QString("previous"));
        ASSERT_EQ(fixture.messages.boxes.size(), 1u);
        EXPECT_FALSE(fixture.messages.boxes[0].error);
        EXPECT_EQ(fixture.messages.boxes[0].caption, "Prompt");
        EXPECT_EQ(fixture.messages.boxes[0].text, row.outcome);
        EXPECT_EQ(fixture.messages.boxes[0].owner, &window);
        // The check is over: the next click runs it again.
        apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_TestServerPort"));
        ASSERT_EQ(fixture.messages.boxes.size(), 2u);
        EXPECT_EQ(fixture.messages.boxes[1].text, row.outcome);
    }
}

TEST(WindowChecksTest, JudgeMappingComparesWithTheLocalAddress) {
    const QString same =
        "The local IP network segment with the WAN IP is identical, users do not need port mapping.";
    const QString different =
        "The local IP network segment with the WAN IP is different, you need to do port mapping in router.";
    const struct {
        const char* name;
        int mode;
        std::string staticIp;
        std::string domain;
        QString prompt;
    } rows[] = {
        {"static IP equals the local address", 0, apptest::kLocalAddress, "", same},
        {"static IP with a blank before it", 0, std::string(" ") + apptest::kLocalAddress, "", different},
        {"other static IP", 0, "127.0.0.1", "", different},
        {"domain resolving elsewhere", 1, "", "127.0.0.1", different},
        {"blank domain", 1, "", " ", "Please enter valid \"Domain address\""},
        {"no mode", 3, "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(Settings(row.mode, "", "", 6000), true);
        const app::Ttntfrm_Main& window = fixture.Show();
        // Set through the fields: the settings file would drop blanks around a value.
        fixture.Find<QLineEdit>("tntedt_StaticIP")->setText(QString::fromStdString(row.staticIp));
        fixture.Find<QLineEdit>("tntedt_DomainAddress")->setText(QString::fromStdString(row.domain));
        apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_JudgeMaping"));
        ASSERT_EQ(fixture.messages.boxes.size(), 1u);
        EXPECT_EQ(fixture.messages.boxes[0].caption, "Prompt");
        EXPECT_EQ(fixture.messages.boxes[0].text, row.prompt);
        EXPECT_EQ(fixture.Find<QLabel>("tntstsbr_Status_Panel0")->text(), "");
    }
}

TEST(WindowChecksTest, AnErrorOfAHandlerThatRunsWhileACheckRunsIsShown) {
    nettest::Listener listener;
    const struct {
        const char* name;
        const char* button;
        int mode;
    } rows[] = {
        {"port test", "tntbtn_TestServerPort", 0},
        {"mapping judgement of a domain", "tntbtn_JudgeMaping", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(Settings(row.mode, "127.0.0.1", "127.0.0.1", listener.port()), true);
        const app::Ttntfrm_Main& window = fixture.Show();
        // Every value is stored already, so the start writes nothing; from now on every write fails.
        std::filesystem::permissions(fixture.settingsPath, std::filesystem::perms::owner_read);
        // The user types while the check runs.
        QTimer::singleShot(0, [&] { QTest::keyClicks(fixture.Find<QLineEdit>("tntedt_Other"), "x"); });
        apptest::ClickAndWait(window, fixture.Find<QPushButton>(row.button));
        // Which of the two comes first depends on when the check's thread ends.
        ASSERT_EQ(fixture.messages.boxes.size(), 2u);
        const bool errorFirst = fixture.messages.boxes[0].error;
        const apptest::RecordedBox& error = fixture.messages.boxes[errorFirst ? 0 : 1];
        const apptest::RecordedBox& prompt = fixture.messages.boxes[errorFirst ? 1 : 0];
        EXPECT_TRUE(error.error);
        EXPECT_EQ(error.text, QString::fromStdString("Unable to write to " + fixture.settingsPath + "."));
        EXPECT_FALSE(prompt.error);
        EXPECT_EQ(prompt.caption, "Prompt");
    }
}

TEST(WindowChecksTest, ObtainIpPutsTheAddressIntoTheFieldWhichSavesIt) {
    nettest::HttpServer server("<html><h2>203.0.113.7, your address</h2></html>");
    WanUrl url(server.Url());
    WindowFixture fixture(Settings(0, "1.2.3.4", "", 6000), true);
    const app::Ttntfrm_Main& window = fixture.Show();
    apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_StaticIP"));
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), "203.0.113.7");
    EXPECT_EQ(fixture.File(), Settings(0, "203.0.113.7", "", 6000));
    EXPECT_TRUE(fixture.messages.boxes.empty());
}

TEST(WindowChecksTest, ObtainIpFailureShowsTheErrorBoxAndKeepsTheField) {
    WanUrl url("http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) +
               "/static/customercare/yourIP.asp");
    const std::string stored = Settings(0, "1.2.3.4", "", 6000);
    WindowFixture fixture(stored, true);
    app::Ttntfrm_Main& window = fixture.Show();
    apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_StaticIP"));
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), "1.2.3.4");
    EXPECT_EQ(fixture.File(), stored);
    ASSERT_EQ(fixture.messages.boxes.size(), 1u);
    EXPECT_TRUE(fixture.messages.boxes[0].error);
    EXPECT_EQ(fixture.messages.boxes[0].caption, "TQ-3VOVE SMS configuration tool");
    EXPECT_FALSE(fixture.messages.boxes[0].text.isEmpty());
    EXPECT_EQ(fixture.messages.boxes[0].owner, &window);
}

TEST(WindowChecksTest, ObtainIpAsksTheNextServiceAndNeverPlacesAnythingButAnAddress) {
    nettest::HttpServer portal("<html><body><form>Log in to the hotel Wi-Fi</form></body></html>");
    nettest::HttpServer hostile("<h2><b>x</b></h2>");
    nettest::HttpServer good("203.0.113.8\n");
    const std::string stored = Settings(0, "1.2.3.4", "", 6000);
    {
        WanUrl url(portal.Url() + " " + good.Url());
        WindowFixture fixture(stored, true);
        const app::Ttntfrm_Main& window = fixture.Show();
        apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_StaticIP"));
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), "203.0.113.8");
        EXPECT_EQ(fixture.File(), Settings(0, "203.0.113.8", "", 6000));
        EXPECT_TRUE(fixture.messages.boxes.empty());
    }
    WanUrl url(portal.Url() + " " + hostile.Url());
    WindowFixture fixture(stored, true);
    const app::Ttntfrm_Main& window = fixture.Show();
    apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_StaticIP"));
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), "1.2.3.4");
    EXPECT_EQ(fixture.File(), stored);
    ASSERT_EQ(fixture.messages.boxes.size(), 1u);
    EXPECT_TRUE(fixture.messages.boxes[0].error);
    EXPECT_EQ(fixture.messages.boxes[0].text,
              QString::fromStdString("No service gave the public address. Last failure: " + hostile.Url() +
                                     ": The reply holds no IPv4 address."));
}

// The real message box, looked at while it is open.
TEST(WindowChecksTest, TheBoxAndTheStatusBarShowATypedAddressAsTyped) {
    const int refused = nettest::RefusedPort();
    WindowFixture fixture(Settings(0, "", "", refused), true);
    app::QMessageBoxPresenter boxes;
    app::Ttntfrm_Main window(boxes, fixture.settingsPath, nullptr, fixture.resolver);
    window.show();
    auto* field = window.findChild<QLineEdit*>("tntedt_StaticIP");
    field->clear();
    QTest::keyClicks(field, "<b>x</b>");
    ASSERT_EQ(field->text(), "<b>x</b>");

    struct Seen {
        bool shown = false;
        Qt::TextFormat format = Qt::AutoText;
        QString text;
    } seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || seen.shown) {
            return;
        }
        seen = {true, box->textFormat(), box->text()};
        box->accept();
    });
    watch.start(20);
    apptest::ClickAndWait(window, window.findChild<QPushButton*>("tntbtn_TestServerPort"));
    watch.stop();

    const QString outcome =
        Filled("With IP =%1, port =%2 of server connection is failed!", "<b>x</b>", refused);
    // Without a plain-text format, Qt would take this text for markup and show a bold "x".
    ASSERT_TRUE(Qt::mightBeRichText(outcome));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.text, outcome);
    auto* status = window.findChild<QLabel*>("tntstsbr_Status_Panel0");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    EXPECT_EQ(status->text(), outcome + " No such host.");
}

TEST(WindowChecksTest, OtherChecksAreIgnoredWhileOneRunsAndClosingStopsIt) {
    nettest::HttpServer silent("", true);
    WanUrl url(silent.Url());
    nettest::Listener listener;
    const std::string stored = Settings(0, "127.0.0.1", "", listener.port());
    WindowFixture fixture(stored, true);
    app::Ttntfrm_Main& window = fixture.Show();

    bool clickedWhileTheCheckRan = false;
    QTimer::singleShot(100, [&] {
        clickedWhileTheCheckRan = true;
        QTest::mouseClick(fixture.Find<QPushButton>("tntbtn_TestServerPort"), Qt::LeftButton);
        QTest::mouseClick(fixture.Find<QPushButton>("tntbtn_JudgeMaping"), Qt::LeftButton);
        QTest::mouseClick(fixture.Find<QPushButton>("tntbtn_StaticIP"), Qt::LeftButton);
    });
    QTimer::singleShot(300, [&] { window.close(); });
    apptest::ClickAndWait(window, fixture.Find<QPushButton>("tntbtn_StaticIP"));

    // The timers ran while the first check waited for the silent server, which never answers, and it
    // ended only when the window closed. A second check run then would have shown its outcome.
    EXPECT_TRUE(clickedWhileTheCheckRan);
    EXPECT_TRUE(fixture.messages.boxes.empty());
    EXPECT_EQ(fixture.Find<QLabel>("tntstsbr_Status_Panel0")->text(), "");
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), "127.0.0.1");
    EXPECT_EQ(fixture.File(), stored);
}

}  // namespace
