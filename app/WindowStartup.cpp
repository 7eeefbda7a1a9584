#include "app/WindowStartup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include "app/EngineMessages.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/WindowApplication.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/BuiltInTextTranslator.h"

namespace app {

namespace {

struct WindowOptions {
    bool exitAfterPaint = false;
    std::optional<std::string> screenshotFile;
    std::string settingsPath;
    std::vector<char*> qtArguments;  // argv for QApplication, without the program's own options
    bool platformGiven = false;
    // An argument that is no window option: the arguments are for the command line instead.
    bool foreignArgument = false;
    std::string error;
};

// Qt's own command-line options (one or two leading dashes), and whether each takes a value.
std::optional<bool> QtOptionTakesValue(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-') {
        return std::nullopt;
    }
    std::string_view name = argument.substr(argument[1] == '-' ? 2 : 1);
    if (const auto equals = name.find('='); equals != std::string_view::npos) {
        name = name.substr(0, equals);
        argument = {};
    }
    static constexpr std::string_view kWithValue[] = {
        "platform",      "platformpluginpath",
        "platformtheme", "plugin",
        "style",         "stylesheet",
        "session",       "display",
        "geometry",      "qwindowgeometry",
        "qwindowicon",   "qwindowtitle",
        "title",         "name",
        "visual",        "fontengine",
        "qmljsdebugger",
    };
    static constexpr std::string_view kFlags[] = {"reverse", "nograb",      "dograb",
                                                  "sync",    "widgetcount", "testability"};
    for (std::string_view option : kWithValue) {
        if (name == option) {
            return !argument.empty();
        }
    }
    for (std::string_view option : kFlags) {
        if (name == option) {
            return false;
        }
    }
    return std::nullopt;
}

bool IsPlatformOption(std::string_view argument) {
    return argument == "-platform" || argument == "--platform" || argument.starts_with("-platform=") ||
           argument.starts_with("--platform=");
}

// The value of "--name=VALUE" when `argument` has that form for one of the window's file options.
std::optional<std::string_view> AttachedFileValue(std::string_view argument, std::string_view& name) {
    for (std::string_view option : {std::string_view("--screenshot"), std::string_view("--settings")}) {
        if (argument.size() > option.size() && argument.starts_with(option) &&
            argument[option.size()] == '=') {
            name = option;
            return argument.substr(option.size() + 1);
        }
    }
    return std::nullopt;
}

WindowOptions ParseWindowOptions(int argc, char** argv) {
    WindowOptions options;
    options.qtArguments.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view attachedName;
        if (argument == "--exit-after-paint") {
            options.exitAfterPaint = true;
        } else if (const std::optional<std::string_view> value = AttachedFileValue(argument, attachedName)) {
            (attachedName == "--screenshot" ? options.screenshotFile.emplace() : options.settingsPath) =
                std::string(*value);
        } else if (argument == "--screenshot" || argument == "--settings") {
            if (i + 1 >= argc) {
                options.error = std::string(argument) + " needs a file name";
                return options;
            }
            (argument == "--screenshot" ? options.screenshotFile.emplace() : options.settingsPath) =
                argv[++i];
        } else if (const std::optional<bool> takesValue = QtOptionTakesValue(argument)) {
            options.platformGiven = options.platformGiven || IsPlatformOption(argument);
            options.qtArguments.push_back(argv[i]);
            if (*takesValue && i + 1 < argc) {
                options.qtArguments.push_back(argv[++i]);
            }
        } else {
            options.foreignArgument = true;
            options.error = "unknown window option " + std::string(argument);
            return options;
        }
    }
    options.qtArguments.push_back(nullptr);
    return options;
}

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

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

}  // namespace

bool IsWindowInvocation(int argc, char** argv) {
    return !ParseWindowOptions(argc, argv).foreignArgument;
}

int RunWindow(int argc, char** argv) {
    WindowOptions options = ParseWindowOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "dtusms: %s\n", options.error.c_str());
        return 2;
    }
    if (!options.platformGiven && !EnvironmentSet("QT_QPA_PLATFORM") && !EnvironmentSet("DISPLAY") &&
        !EnvironmentSet("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "dtusms: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "set QT_QPA_PLATFORM=offscreen to run it without one, or use a command-line "
                     "subcommand (dtusms --help).\n");
        return 2;
    }

    QMessageBoxPresenter messages;
    int qtArgc = static_cast<int>(options.qtArguments.size()) - 1;
    WindowApplication application(qtArgc, options.qtArguments.data(), messages);
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
            application.quit();
        });
    }
    window.show();
    const int loopCode = application.exec();
    return exitCode != 0 ? exitCode : loopCode;
}

}  // namespace app
