#pragma once

// Shared pieces of the "Send SMS" dialog tests: opening it from the main window, reading its
// controls by name, decoding the QR code it paints, and the dialog on a fake modem.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/SendSmsDialog.h"
#include "settings/Settings.h"
#include "tests/app/LanguageTestSupport.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"

namespace apptest {

// A settings file whose fields compose a full configuration command; a line of `changes` replaces the
// line of its key or is added.
inline std::string ConfigurationFile(const std::vector<std::string>& changes = {}) {
    std::vector<std::string> lines = {"Server address mode=0",   "Port=6000",
                                      "Static IP=192.168.1.100", "SMS command type=0",
                                      "Service network(APN)=0",  "DTU number=TQ-GP000001"};
    for (const std::string& change : changes) {
        const std::string key = change.substr(0, change.find('=') + 1);
        auto same = std::find_if(lines.begin(), lines.end(),
                                 [&key](const std::string& line) { return line.rfind(key, 0) == 0; });
        if (same != lines.end()) {
            *same = change;
        } else {
            lines.push_back(change);
        }
    }
    return MainSection(lines);
}

inline constexpr const char* kConfigurationCommand = "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)";

// A message as it reads: without the joiners and no-break spaces that keep its quoted names on one
// line.
inline QString Plain(QString shown) {
    return shown.remove(QChar(0x2060)).replace(QChar(QChar::Nbsp), QLatin1Char(' '));
}

// The dialog the main window opened, or nullptr.
inline app::SendSmsDialog* OpenedDialog(QWidget& window) {
    return window.findChild<app::SendSmsDialog*>(QStringLiteral("tntfrm_SendSMS"));
}

// A user's click on "Send SMS…".
inline app::SendSmsDialog* ClickSendSms(QWidget& window) {
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("tntbtn_SendSMS")), Qt::LeftButton);
    return OpenedDialog(window);
}

template <typename Widget>
Widget* Control(QWidget* dialog, const char* name) {
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

// The text a control of the dialog shows: a label's, a button's, a group's title, an edit's text.
inline QString DialogText(QWidget* dialog, const char* name) {
    if (dialog->objectName() == QLatin1String(name)) {
        return dialog->windowTitle();
    }
    QObject* found = dialog->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* label = qobject_cast<QLabel*>(found)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(found)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(found)) {
        return group->title();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(found)) {
        return edit->text();
    }
    if (auto* text = qobject_cast<QPlainTextEdit*>(found)) {
        return text->toPlainText();
    }
    return QStringLiteral("<no such control %1>").arg(QLatin1String(name));
}

// Lets the worker finish whatever it is doing; false when it is still at work after `ms`.
inline bool WaitWhileBusy(const app::SendSmsDialog& dialog, int ms = 10000) {
    return QTest::qWaitFor([&] { return !dialog.Busy(); }, ms);
}

// What zbarimg reads from a picture of `widget`; nullopt when it finds no code.
inline std::optional<std::string> DecodeShownCode(QWidget* widget, const TempDir& dir) {
    const std::string picture = dir.File("code.png");
    if (!widget->grab().save(QString::fromStdString(picture))) {
        return std::string("<the picture could not be saved>");
    }
    const std::string command = "zbarimg --raw -q '" + picture + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::string("<zbarimg could not be started>");
    }
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = ::pclose(pipe);
    if (status != 0 || output.empty()) {
        return std::nullopt;
    }
    if (output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

// The window with a running engine and, beside it, the dialog on a fake modem on a pseudo-terminal
// (no ModemManager, short time-outs). The fake's script is set before Open().
class ModemDialogFixture {
public:
    explicit ModemDialogFixture(const std::string& settings) : window(settings, true) {
        window.locale.lang = "en";
        window.Show();
        options = modem_test::FastOptions({fake.path()});
    }

    // Makes the dialog (with `options`) and opens it on the window's fields.
    app::SendSmsDialog& Open() {
        dialog = new app::SendSmsDialog(window.fixture.messages, window.fixture.settingsPath, options,
                                        &window.Window());
        dialog->Open(settings::LoadSettings(window.fixture.settingsPath, {}));
        return *dialog;
    }

    // Presses "Search for modems" and waits for the search to end.
    void Search() {
        Click("tntbtn_SearchModems");
        EXPECT_TRUE(WaitWhileBusy(*dialog)) << "the search for modems did not end";
    }

    // Picks the fake modem in the list after a search, as a user would.
    void ChooseFakeModem() {
        Search();
        auto* list = Control<QComboBox>(dialog, "tntcomb_Modem");
        const int index = list->findData(QString::fromStdString(fake.path()));
        ASSERT_GE(index, 0) << "the search did not list " << fake.path();
        list->setCurrentIndex(index);
    }

    void Click(const char* button) {
        QTest::mouseClick(Control<QPushButton>(dialog, button), Qt::LeftButton);
    }

    QString Text(const char* name) { return DialogText(dialog, name); }

    modem_test::FakeModem fake;
    LanguageFixture window;
    modem::TransportOptions options;
    app::SendSmsDialog* dialog = nullptr;  // owned by the window
};

}  // namespace apptest
