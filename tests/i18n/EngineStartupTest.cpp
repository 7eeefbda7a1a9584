#include "i18n/EngineStartup.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "i18n/BuiltInTextHooks.h"
#include "i18n/DomainLists.h"
#include "i18n/Errors.h"
#include "i18n/WindowTranslation.h"
#include "sms/BuiltInTexts.h"
#include "tests/i18n/EngineFixture.h"

namespace i18n::test {
namespace {

constexpr unsigned kPromptId = 100;
constexpr unsigned kFailedId = 101;
constexpr unsigned kLongId = 102;

const std::string& LongText() {
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < 300; ++i) {
            t += "abcdefgh字" + std::to_string(i % 10);
        }
        return t;
    }();
    return text;
}

// A second module of string resources, searched after the program's own.
const sms::StringModule& TestModule() {
    static const sms::StringModule module(
        {{kPromptId, "Prompt"},
         {kFailedId, "With IP =%s, port =%d of server connection is failed!"},
         {kLongId, LongText()}});
    return module;
}

class BuiltInTexts : public RunningEngine {
protected:
    void SetUp() override {
        sms::ResourceModules().push_back(&TestModule());
        RunningEngine::SetUp();
    }
    void TearDown() override {
        RunningEngine::TearDown();
        sms::ResourceModules().pop_back();
    }
};

TEST(EngineLifetime, LookupsReturnTheirInputBeforeStartAndAfterShutdown) {
    FixedLocale locale;
    RecordedMessages messages;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "before start-up" : "after shutdown");
        EXPECT_FALSE(EngineRunning());
        EXPECT_FALSE(WindowTextDomains().Exists());
        EXPECT_FALSE(BuiltInTextDomains().Exists());
        EXPECT_EQ(LookupBuiltInText("Prompt"), "Prompt");
        EXPECT_EQ(LookupWindowText("Prompt", nullptr), "Prompt");
        EXPECT_EQ(Translate("Prompt"), "Prompt");
        EXPECT_EQ(ProgramFileName(), "");
        EXPECT_EQ(sms::ResStringLoaderSlot().load(), &sms::DefaultLoadResString);
        EXPECT_EQ(sms::StringLoaderSlot().load(), &sms::DefaultLoadStr);
        EXPECT_EQ(sms::FormatStringLoaderSlot().load(), &sms::DefaultFmtLoadStr);
        EXPECT_THROW(DefaultInstance(), EGGProgrammingError);
        if (round == 0) {
            StartEngine("/opt/dtusms/dtusms", locale, messages);
            EXPECT_THROW(StartEngine("/opt/dtusms/dtusms", locale, messages), EGGProgrammingError);
            TGnuGettextInstance& engine = DefaultInstance();
            EXPECT_EQ(engine.DefaultDirectory(), "/opt/dtusms/locale");
            EXPECT_EQ(engine.CurrentDomain(), "default");
            EXPECT_EQ(engine.CurrentLanguage(), "en");
            EXPECT_EQ(engine.GlobalClassRules.size(), 2u);
            EXPECT_EQ(EngineCreatorThread(), std::this_thread::get_id());
            EXPECT_EQ(sms::StringLoaderSlot().load(), &ReplacementLoadStr);
            engine.SelectLanguage("zh_cn");
            EXPECT_EQ(LookupBuiltInText("Prompt"), "提示");
            EXPECT_EQ(LookupWindowText("Prompt", nullptr), "提示");
            // The empty identifier would find the catalog header.
            EXPECT_EQ(LookupBuiltInText(""), "");
            EXPECT_EQ(LookupWindowText("", nullptr), "");
            EXPECT_EQ(LookupWindowText("", &engine), "");
            ShutdownEngine();
            ShutdownEngine();
        }
    }
}

TEST_F(BuiltInTexts, ResourceStringLoaderRules) {
    Engine().SelectLanguage("zh_cn");
    struct Row {
        const char* what;
        sms::ResStringRec rec;
        std::string expected;
    };
    const Row rows[] = {
        {"identifier 65536 is no string", {&TestModule(), 65536}, "ERROR"},
        {"identifier far above", {&TestModule(), 70000}, "ERROR"},
        {"translated on the creator thread", {&TestModule(), kPromptId}, "提示"},
        {"longer than the first buffer, whole", {&TestModule(), kLongId}, LongText()},
        {"missing identifier", {&TestModule(), 4242}, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(sms::LoadResString(row.rec), row.expected) << row.what;
    }
    EXPECT_GT(LongText().size(), 3000u);
}

TEST_F(BuiltInTexts, ResourceStringsOnOtherThreadsAreNotLookedUp) {
    Engine().SelectLanguage("zh_cn");
    std::string resourceString;
    std::string byIdentifier;
    std::thread worker([&] {
        resourceString = sms::LoadResString({&TestModule(), kPromptId});
        byIdentifier = sms::LoadStr(kPromptId);
    });
    worker.join();
    EXPECT_EQ(resourceString, "Prompt");
    EXPECT_EQ(byIdentifier, "提示");
}

TEST_F(BuiltInTexts, FormattingLoaderTranslatesBeforeFormatting) {
    Engine().SelectLanguage("zh_cn");
    EXPECT_EQ(sms::FmtLoadStr(kFailedId, {std::string("10.0.0.7"), 6000LL}),
              "与IP=10.0.0.7，端口=6000的服务器连接失败！");
    // The catalogs have no entry for the runtime's own texts: their wording stays.
    EXPECT_EQ(sms::UnableToWriteText("/tmp/x/GPRSInfo.ini"), "Unable to write to /tmp/x/GPRSInfo.ini");
    EXPECT_EQ(sms::LoadStr(kLongId).size(), 1023u);
    Engine().SelectLanguage("en");
    EXPECT_EQ(sms::FmtLoadStr(kFailedId, {std::string("10.0.0.7"), 6000LL}),
              "With IP =10.0.0.7, port =6000 of server connection is failed!");
}

std::string Marked(unsigned id) {
    return "marked " + std::to_string(id);
}
std::string Other(unsigned id) {
    return "other " + std::to_string(id);
}

TEST(Hook, PutsTheReplacedLoaderBack) {
    std::atomic<sms::StringLoader> slot{&Other};
    {
        THook<sms::StringLoader> hook(slot, &Marked);
        EXPECT_EQ(slot.load()(1), "other 1");
        hook.Enable();
        EXPECT_EQ(slot.load()(2), "marked 2");
        hook.Disable();
        EXPECT_EQ(slot.load()(3), "other 3");
        hook.Enable();
    }
    EXPECT_EQ(slot.load()(4), "other 4");
}

}  // namespace
}  // namespace i18n::test
