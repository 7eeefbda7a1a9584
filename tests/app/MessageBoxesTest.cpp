// The text of the error box.

#include "app/MessageBoxes.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/app/WindowTestSupport.h"

namespace {

TEST(MessageBoxesTest, ErrorBoxTextGetsAFullStopAfterLettersAndDigitsOnly) {
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
    EXPECT_EQ(app::ErrorBoxText(std::make_exception_ptr(42)), "An unexpected error occurred.");
}

}  // namespace
