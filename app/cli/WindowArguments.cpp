#include "app/cli/WindowArguments.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace app {
namespace {

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

[[maybe_unused]] bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

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

bool IsWindowInvocation(int argc, char** argv) {
    return !ParseWindowOptions(argc, argv).foreignArgument;
}

bool HasDisplay(const WindowOptions& options) {
#ifdef _WIN32
    // Windows always has a desktop to open the window on.
    static_cast<void>(options);
    return true;
#else
    return options.platformGiven || EnvironmentSet("QT_QPA_PLATFORM") || EnvironmentSet("DISPLAY") ||
           EnvironmentSet("WAYLAND_DISPLAY");
#endif
}

bool CanOpenWindow(const WindowOptions& options) {
    if (!options.error.empty()) {
        std::fprintf(stderr, "dtusms: %s\n", options.error.c_str());
        return false;
    }
    if (!HasDisplay(options)) {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return false;
    }
    return true;
}

}  // namespace app
