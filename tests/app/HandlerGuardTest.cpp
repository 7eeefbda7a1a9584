// The guard that keeps exceptions inside the window's handlers, and the text of the error box.

#include "app/HandlerGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/MessageBoxes.h"

namespace {

TEST(HandlerGuardTest, OutermostHandlerReportsAndNestedFailureStopsTheOuterOneAtItsRethrow) {
    std::vector<std::string> reported;
    app::HandlerGuard guard([&](const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reported.push_back(e.what());
        }
    });
    std::vector<std::string> steps;
    guard.Run([&] {
        steps.push_back("outer starts");
        guard.Run([&] { throw std::runtime_error("inner failed"); });
        steps.push_back("outer goes on until it rethrows");
        guard.RethrowPending();
        steps.push_back("never reached");
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"outer starts", "outer goes on until it rethrows"}));
    EXPECT_EQ(reported, std::vector<std::string>{"inner failed"});

    // A pending failure that nobody rethrew is still reported once, when the outer handler ends.
    guard.Run([&] { guard.Run([&] { throw std::runtime_error("forgotten"); }); });
    EXPECT_EQ(reported, (std::vector<std::string>{"inner failed", "forgotten"}));
    EXPECT_FALSE(guard.InsideHandler());
}

TEST(HandlerGuardTest, ErrorBoxTextGetsAFullStopAfterLettersAndDigitsOnly) {
    const struct {
        QString message;
        QString shown;
    } rows[] = {
        {"Unable to write to /x/GPRSInfo.ini", "Unable to write to /x/GPRSInfo.ini."},
        {"Failed at step 3", "Failed at step 3."},
        {"Done.", "Done."},
        {"Refused!", "Refused!"},
        {"(closed)", "(closed)"},
        {"ends with a dash -", "ends with a dash -"},
        {"ends with a slash /", "ends with a slash /."},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(app::ErrorBoxText(row.message), row.shown);
    }
    EXPECT_EQ(app::ErrorBoxText(std::make_exception_ptr(std::runtime_error("No network"))), "No network.");
}

}  // namespace
