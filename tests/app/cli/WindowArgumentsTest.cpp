#include "app/cli/WindowArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool OpensWindow(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "dtusms");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return app::IsWindowInvocation(static_cast<int>(arguments.size()), argv.data());
}

TEST(WindowArgumentsTest, WindowOptionsOpenTheWindowAndAnythingElseGoesToTheCommandLine) {
    struct Row {
        std::vector<std::string> arguments;
        bool window;
    };
    const Row rows[] = {
        {{}, true},
        {{"--exit-after-paint"}, true},
        {{"--settings", "a.ini"}, true},
        {{"--settings=a.ini"}, true},
        {{"--screenshot=shot.png", "--settings=a.ini", "--exit-after-paint"}, true},
        {{"-platform", "offscreen", "--settings", "a.ini"}, true},
        {{"sms"}, false},
        {{"--settings=a.ini", "sms"}, false},
        {{"--help"}, false},
        {{"--version"}, false},
        {{"--settingsfoo=a.ini"}, false},
    };
    for (const Row& row : rows) {
        std::string joined;
        for (const std::string& argument : row.arguments) {
            joined += argument + ' ';
        }
        SCOPED_TRACE(joined);
        EXPECT_EQ(row.window, OpensWindow(row.arguments));
    }
}

}  // namespace
