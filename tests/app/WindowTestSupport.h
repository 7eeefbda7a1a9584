#pragma once

// Shared pieces of the window tests: the application object, a recording message presenter, a
// temporary settings folder, a made-up local address, and user actions on the real window.

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "tests/net/FakeResolver.h"
#include "tests/sms/TempDir.h"

// Lets GoogleTest print both sides of a failed QString comparison.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace apptest {

// The one QApplication of a test program (the offscreen platform is set by CTest). It is created
// before the first test and destroyed after the last one, while Qt's own globals still live.
QApplication& Application();

struct RecordedBox {
    bool error = false;
    QWidget* owner = nullptr;
    QString caption;
    QString text;
};

// Records every box instead of showing it, and counts the beeps.
class RecordingPresenter final : public app::MessagePresenter {
public:
    void ShowPrompt(QWidget* owner, const QString& caption, const QString& text) override {
        boxes.push_back({false, owner, caption, text});
    }
    void ShowError(QWidget* owner, const QString& caption, const QString& text) override {
        boxes.push_back({true, owner, caption, text});
    }
    void Beep() override { ++beeps; }
    std::vector<RecordedBox> boxes;
    int beeps = 0;
};

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

inline constexpr const char* kLocalAddress = "10.20.30.40";

// Handles the window's events until `done` holds (or 10 s have passed), then the events that this
// posted: the results of a check, a box that waits for the keys typed before it.
inline void HandleEventsUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::processEvents();
}

// The events that the window posted to itself, handled.
inline void Settle() {
    HandleEventsUntil([] { return true; });
}

// The window on a temporary settings file, with a resolver that gives the computer kLocalAddress and
// resolves dotted addresses to themselves.
class WindowFixture {
public:
    explicit WindowFixture(const std::string& initialFile = {}, bool writeFile = false) {
        Application();
        resolver.entries[resolver.hostName] = {kLocalAddress};
        resolver.entries["127.0.0.1"] = {"127.0.0.1"};
        settingsPath = dir.File("GPRSInfo.ini");
        if (writeFile) {
            WriteBytes(settingsPath, initialFile);
        }
    }

    // Creates and shows the window (the settings are loaded as it is shown).
    app::Ttntfrm_Main& Show(const std::string& path = {}) {
        window = std::make_unique<app::Ttntfrm_Main>(messages, path.empty() ? settingsPath : path, nullptr,
                                                     resolver);
        window->show();
        // A box about a refused write at the start comes once the start's events are handled.
        Settle();
        return *window;
    }

    template <typename Widget>
    Widget* Find(const char* name) const {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }

    std::string File() const { return ReadBytes(settingsPath); }

    TempDir dir;
    nettest::FakeResolver resolver;
    std::string settingsPath;
    RecordingPresenter messages;
    std::unique_ptr<app::Ttntfrm_Main> window;
};

// A user's pick of item `index` with the keyboard on the closed list: Home selects the first item,
// each Down the next, and every step that moves the selection is a pick (QComboBox::activated).
inline void PickItem(QComboBox* combo, int index) {
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i) {
        QTest::keyClick(combo, Qt::Key_Down);
    }
}

// A click on one of the window's buttons, and its check run to its end.
inline void ClickAndWait(const app::Ttntfrm_Main& window, QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    HandleEventsUntil([&window] { return !window.CheckRunning(); });
}

// The bytes of a settings file with the given key=value lines in section "Main".
inline std::string MainSection(const std::vector<std::string>& lines) {
    std::string bytes = "[Main]\r\n";
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

}  // namespace apptest
