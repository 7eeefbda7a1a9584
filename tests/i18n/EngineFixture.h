#pragma once

// A running engine for tests: started with a fixed locale (LANG=en) and a sink that records the
// engine's message boxes; shut down at the end of each test.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "i18n/EngineStartup.h"
#include "tests/i18n/EnglishLocale.h"

namespace i18n::test {

using FixedLocale = EnglishLocale;

class RecordedMessages final : public MessageSink {
public:
    void ShowMessage(const std::string& caption, const std::string& text) override {
        Boxes.emplace_back(caption, text);
    }
    std::vector<std::pair<std::string, std::string>> Boxes;
};

class RunningEngine : public ::testing::Test {
protected:
    void SetUp() override { StartEngine("/nonexistent/dtusms/dtusms", locale_, messages_); }
    void TearDown() override { ShutdownEngine(); }

    TGnuGettextInstance& Engine() { return DefaultInstance(); }

    FixedLocale locale_;
    RecordedMessages messages_;
};

}  // namespace i18n::test
