#include "app/WindowStartup.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QEvent>
#include <QMessageLogContext>
#include <QPixmap>
#include <QTimer>

#include "app/EngineMessages.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/WindowApplication.h"
#include "app/WindowFont.h"
#include "app/cli/WindowArguments.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/BuiltInTextTranslator.h"

namespace app {

namespace {

// Acts once, after the window's first paint has been handled.
class FirstPaintAction final : public QObject {
public:
    FirstPaintAction(QWidget& window, std::function<void()> action)
        : QObject(&window), window_(window), action_(std::move(action)) {
        window_.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint && action_) {
            window_.removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(action_, {}));
        }
        return false;
    }

private:
    QWidget& window_;
    std::function<void()> action_;
};

// Qt tells of a display that does not answer in several lines and then aborts. While the application
// connects, its messages are held back: a fatal one becomes one line naming the display and exit
// status 1; otherwise they are written out afterwards, as they came.
class ConnectingMessages final {
public:
    ConnectingMessages() : previous_(qInstallMessageHandler(&Hold)) {}
    ~ConnectingMessages() {
        qInstallMessageHandler(previous_);
        for (const std::string& message : Held()) {
            std::fprintf(stderr, "%s\n", message.c_str());
        }
        Held().clear();
    }
    ConnectingMessages(const ConnectingMessages&) = delete;
    ConnectingMessages& operator=(const ConnectingMessages&) = delete;

private:
    static std::vector<std::string>& Held() {
        static std::vector<std::string> held;
        return held;
    }

    static void Hold(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
        if (type != QtFatalMsg) {
            Held().push_back(message.toStdString());
            return;
        }
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const std::string name = wayland != nullptr && *wayland != '\0' ? wayland
                                 : display != nullptr                   ? display
                                                                        : "";
        const std::string reason = Held().empty() ? message.toStdString() : Held().front();
        std::fprintf(stderr, "dtusms: the window cannot open on display \"%s\": %s\n", name.c_str(),
                     reason.c_str());
        std::fflush(stderr);
        // Qt would abort after this handler; nothing has been written yet that an exit could cut short.
        std::_Exit(1);
    }

    QtMessageHandler previous_;
};

}  // namespace

int RunWindow(int argc, char** argv) {
    WindowOptions options = ParseWindowOptions(argc, argv);
    if (!CanOpenWindow(options)) {
        return 2;
    }

    QMessageBoxPresenter messages;
    int qtArgc = static_cast<int>(options.qtArguments.size()) - 1;
    std::optional<ConnectingMessages> connecting(std::in_place);
    WindowApplication application(qtArgc, options.qtArguments.data(), messages);
    connecting.reset();
    // Before the first widget, which would otherwise resolve its font to a stand-in face.
    ProvideTahoma();
    // The engine starts once the toolkit can show its message boxes and before any window exists;
    // it shuts down after the window is gone (objects die in reverse order).
    WindowEngineMessages engineMessages(messages);
    const i18n::EngineSession engine(base::ProgramFilePath(), i18n::SystemLocaleSource(), engineMessages);
    i18n::qt::InstallBuiltInTextTranslator();
    Ttntfrm_Main window(messages, options.settingsPath);

    int exitCode = 0;
    if (options.exitAfterPaint || options.screenshotFile) {
        new FirstPaintAction(window, [&] {
            if (options.screenshotFile &&
                !window.grab().save(QString::fromStdString(*options.screenshotFile))) {
                std::fprintf(stderr, "dtusms: cannot save the screenshot to %s\n",
                             options.screenshotFile->c_str());
                exitCode = 1;
            }
            WindowApplication::quit();
        });
    }
    window.show();
    const int loopCode = WindowApplication::exec();
    return exitCode != 0 ? exitCode : loopCode;
}

}  // namespace app
