#include "i18n/WindowTranslation.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "i18n/Errors.h"
#include "tests/i18n/EngineFixture.h"
#include "tests/i18n/FakeObjects.h"

namespace i18n::test {
namespace {

using Recorded = std::vector<std::pair<std::string, std::string>>;

Recorded RecordedTexts(const ObjectPtr& component) {
    Recorded out;
    for (const TTP_RetranslatorItem& e : FindMarker(component)->Retranslation->Entries) {
        out.emplace_back(e.PropertyName, e.UntranslatedText);
    }
    return out;
}

class WindowTranslation : public RunningEngine {
protected:
    // A window owning a label and a combo box; window and label share one font, which the window also
    // refers to through a property; the combo's items are a line list with an empty line.
    void SetUp() override {
        RunningEngine::SetUp();
        font = FakeObject::Make("font", FakeFontClass());
        font->Props[0].Text = "Tahoma";
        items = FakeObject::Make("items", FakeFontClass());
        items->Props.clear();
        items->IsLineList = true;
        items->LineValues = {"Static IP", "", "Domain resolution"};
        label = FakeObject::Make("tntlbl_Port");
        label->Text("Caption", "Port").Object("Font", font).Text("Hint", "");
        combo = FakeObject::Make("tntcomb_ServerNetMode");
        combo->Text("Text", "").Object("Items", items);
        edit = FakeObject::Make("tntedt_Other");
        edit->Text("Text", "");
        window = FakeObject::Make("tntfrm_Main");
        window->Text("Caption", "TQ-3VOVE configuration tool").Object("Font", font);
        window->Owned = {label, combo, edit};
    }

    std::shared_ptr<FakeObject> window, label, combo, edit, font, items;
};

TEST_F(WindowTranslation, FirstPassRecordsEnglishInQueueOrderVisitingEachObjectOnce) {
    Engine().SelectLanguage("zh_cn");
    Engine().TranslateComponent(window);

    // FIFO: the window's font is queued before its owned components.
    const Recorded expected{{"Caption", "TQ-3VOVE configuration tool"},
                            {"Name", "Tahoma"},
                            {"Caption", "Port"},
                            {"Text", "Static IP\r\n\r\nDomain resolution\r\n"}};
    EXPECT_EQ(RecordedTexts(window), expected);
    EXPECT_EQ(window->Get("Caption"), "TQ-3VOVE配置工具");
    EXPECT_EQ(label->Get("Caption"), "端口");
    EXPECT_EQ(window->Get("Name"), "tntfrm_Main");
    EXPECT_EQ(font->Get("Name"), "Tahoma");
    EXPECT_EQ(items->LineValues, (std::vector<std::string>{"固定IP", "", "域名解析"}));
    EXPECT_EQ(items->UpdateDepth, 0);
    EXPECT_EQ(Engine().PassRetranslator, nullptr);
    ASSERT_NE(window->FindComponent(kMarkerName), nullptr);
    EXPECT_EQ(FindMarker(window)->LanguageOfLastPass, "zh_cn");
    EXPECT_EQ(FindMarker(window)->Retranslation->DomainName, "default");
}

TEST_F(WindowTranslation, ReplayStartsFromEnglishAndLeavesLaterTextsAlone) {
    Engine().TranslateComponent(window);  // automatic language "en": texts stay English, all recorded
    EXPECT_EQ(label->Get("Caption"), "Port");
    EXPECT_EQ(RecordedTexts(window).size(), 4u);
    edit->Prop("Text").Text = "typed by the user";

    struct Step {
        const char* language;
        const char* caption;
        std::vector<std::string> lines;
    };
    const Step steps[] = {{"zh_cn", "端口", {"固定IP", "", "域名解析"}},
                          {"en", "Port", {"Static IP", "", "Domain resolution"}},
                          {"zh_cn", "端口", {"固定IP", "", "域名解析"}},
                          {"zh_tw", "端口", {"固定IP", "", "域名解析"}}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.language);
        Engine().SelectLanguage(step.language);
        Engine().RetranslateComponent(window);
        EXPECT_EQ(label->Get("Caption"), step.caption);
        EXPECT_EQ(items->LineValues, step.lines);
        EXPECT_EQ(edit->Get("Text"), "typed by the user");
        EXPECT_EQ(FindMarker(window)->LanguageOfLastPass, step.language);
    }
}

TEST_F(WindowTranslation, SameLanguageCodeRewritesNothingButAnotherSpellingReplays) {
    Engine().SelectLanguage("zh_cn");
    Engine().TranslateComponent(window);
    label->Prop("Caption").Text = "changed by the program";
    Engine().SelectLanguage("zh_cn");
    Engine().RetranslateComponent(window);
    EXPECT_EQ(label->Get("Caption"), "changed by the program");
    Engine().SelectLanguage("zh_CN");
    Engine().RetranslateComponent(window);
    EXPECT_EQ(label->Get("Caption"), "端口");
}

TEST_F(WindowTranslation, SecondTranslateComponentNeverWalksAgainAndComplainsInAnotherLanguage) {
    Engine().TranslateComponent(window);
    Engine().TranslateComponent(window);
    EXPECT_TRUE(messages_.Boxes.empty());
    Engine().SelectLanguage("zh_cn");
    Engine().TranslateComponent(window);
    ASSERT_EQ(messages_.Boxes.size(), 1u);
    EXPECT_EQ(messages_.Boxes[0].first, "Error");
    EXPECT_EQ(messages_.Boxes[0].second, kSecondTranslateMessage);
    EXPECT_EQ(label->Get("Caption"), "Port");
    EXPECT_EQ(FindMarker(window)->LanguageOfLastPass, "zh_cn");
    EXPECT_EQ(RecordedTexts(window).size(), 4u);
}

TEST_F(WindowTranslation, UnwritableAndVanishingPropertiesAreSkipped) {
    label->Text("ReadOnly", "Close", false);
    label->Text("Vanishing", "Other");
    label->Prop("Vanishing").Gone = true;
    Engine().SelectLanguage("zh_cn");
    Engine().TranslateComponent(window);
    EXPECT_EQ(label->Get("ReadOnly"), "Close");
    EXPECT_EQ(label->Get("Vanishing"), "Other");
    const Recorded recorded = RecordedTexts(window);
    EXPECT_EQ(recorded[3], (std::pair<std::string, std::string>{"Vanishing", "Other"}));
    EXPECT_EQ(recorded.size(), 5u);
    Engine().SelectLanguage("en");
    Engine().RetranslateComponent(window);
    EXPECT_EQ(label->Get("Vanishing"), "Other");
}

TEST_F(WindowTranslation, FailingPropertyEndsThePassWithoutMarker) {
    label->Prop("Hint").FailsOnRead = true;
    Engine().SelectLanguage("zh_cn");
    try {
        Engine().TranslateComponent(window);
        FAIL() << "no EGGComponentError";
    } catch (const EGGComponentError& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "Property cannot be translated.\r\nAdd TP_GlobalIgnoreClassProperty(TFakeControl,'Hint') to "
            "your source code or use\r\nTP_Ignore (self,'.Hint') to prevent this message.\r\nReason: "
            "read failed");
    }
    EXPECT_EQ(window->FindComponent(kMarkerName), nullptr);
    EXPECT_EQ(Engine().PassRetranslator, nullptr);
    try {
        Engine().RetranslateComponent(window);
        FAIL() << "no EGGProgrammingError";
    } catch (const EGGProgrammingError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Retranslate was called on an object that has not been translated before. Please use "
                  "TranslateComponent() before RetranslateComponent().");
    }
}

TEST_F(WindowTranslation, NestedComponentKeepsItsOwnList) {
    auto frameLabel = FakeObject::Make("frameLabel");
    frameLabel->Text("Caption", "Close");
    auto frame = FakeObject::Make("frame");
    frame->Text("Caption", "Other");
    frame->Owned = {frameLabel};

    // Translated on its own first: the window's pass neither queues it nor reaches it by reference.
    window->Owned.push_back(frame);
    label->Object("Buddy", frame);
    Engine().TranslateComponent(frame);
    Engine().TranslateComponent(window);
    for (const auto& [property, text] : RecordedTexts(window)) {
        EXPECT_NE(text, "Close");
        EXPECT_NE(text, "Other");
    }
    EXPECT_EQ(RecordedTexts(frame), (Recorded{{"Caption", "Other"}, {"Caption", "Close"}}));

    // The window's replay hands an entry for the frame to the frame's own list.
    auto outer = FakeObject::Make("outer");
    outer->Text("Caption", "Port");
    auto inner = FakeObject::Make("inner");
    inner->Text("Caption", "Close");
    outer->Owned = {inner};
    Engine().TranslateComponent(outer);
    Engine().TranslateComponent(inner);
    Engine().SelectLanguage("zh_tw");
    Engine().RetranslateComponent(outer);
    EXPECT_EQ(outer->Get("Caption"), "端口");
    EXPECT_EQ(inner->Get("Caption"), "關閉");
}

TEST_F(WindowTranslation, CollectionItemsAreTranslated) {
    auto panel = FakeObject::Make("panel", FakeFontClass());
    panel->Props = {{"Text", PropertyKind::Text, true, "Other", nullptr}};
    auto panels = FakeObject::Make("panels", CollectionClass());
    panels->Props = {{"PropName", PropertyKind::Text, true, "Port", nullptr}};
    panels->IsCollection = true;
    panels->CollectionItems = {panel};
    label->Object("Panels", panels);
    Engine().SelectLanguage("zh_cn");
    Engine().TranslateComponent(window);
    EXPECT_EQ(panel->Get("Text"), "其它");
    EXPECT_EQ(panels->Get("PropName"), "Port");
}

TEST(ClassRules, GlobalIgnoreKeepsDescendantRulesBeforeTheirAncestors) {
    static const TClassInfo base{"TBase", &ComponentClass()};
    static const TClassInfo derived{"TDerived", &base};
    static const TClassInfo other{"TOther", nullptr};
    FixedLocale locale;
    RecordedMessages messages;
    StartEngine("/nonexistent/dtusms/dtusms", locale, messages);
    TGnuGettextInstance& engine = DefaultInstance();
    engine.TP_GlobalIgnoreClassProperty(base, "caption");
    engine.TP_GlobalIgnoreClassProperty(derived, "Hint");
    engine.TP_GlobalIgnoreClassProperty(other, "Text");
    engine.TP_GlobalIgnoreClassProperty(base, "CAPTION");
    engine.TP_GlobalIgnoreClassProperty(derived, "Caption");

    std::vector<std::pair<std::string, std::set<std::string>>> rules;
    for (const TClassMode& rule : engine.GlobalClassRules) {
        rules.emplace_back(rule.RuleClass->Name, rule.IgnoredProperties);
    }
    const std::vector<std::pair<std::string, std::set<std::string>>> expected{
        {"TDerived", {"CAPTION", "HINT"}},
        {"TBase", {"CAPTION"}},
        {"TComponent", {"NAME"}},
        {"TCollection", {"PROPNAME"}},
        {"TOther", {"TEXT"}}};
    EXPECT_EQ(rules, expected);

    auto object = FakeObject::Make("obj", derived);
    object->Text("Caption", "Port").Text("Hint", "Close").Text("Other", "Other");
    engine.SelectLanguage("zh_cn");
    engine.TranslateComponent(object);
    EXPECT_EQ(object->Get("Caption"), "Port");
    EXPECT_EQ(object->Get("Hint"), "Close");
    EXPECT_EQ(object->Get("Other"), "其它");
    ShutdownEngine();
}

TEST(BlockText, SplitsAtEveryLineBreakKind) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows{
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\rb\r\n\r\n", {"a", "b", ""}},
    };
    for (const auto& [text, lines] : rows) {
        EXPECT_EQ(SplitLines(text), lines) << text;
    }
    TStringLines list({"x", "", "y"});
    EXPECT_EQ(list.BlockText(), "x\r\n\r\ny\r\n");
}

}  // namespace
}  // namespace i18n::test
