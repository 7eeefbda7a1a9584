#pragma once

// The main window with a running localization engine: a locale the test sets, the engine's messages
// recorded as the window's boxes, and readers of every text the window shows.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include "app/EngineMessages.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "tests/app/WindowTestSupport.h"

namespace apptest {

class SettableLocale final : public i18n::LocaleSource {
public:
    std::string lang;
    std::string language = "en";
    std::string country = "US";
    unsigned userLangId = 1033;

    std::string LangVariable() override { return lang; }
    std::string UserLanguageName() override { return language; }
    std::string UserCountryName() override { return country; }
    unsigned ThreadLocaleId() override { return userLangId; }
    unsigned UserDefaultLangId() override { return userLangId; }
};

// One text of the window: the object's name and its English source.
struct WindowText {
    const char* object;
    const char* english;
};

// Every caption, title and menu text of the window (the list items are in kListItems).
inline const std::vector<WindowText> kWindowTexts = {
    {"tntfrm_Main", "TQ-3VOVE configuration tool"},
    {"tntgrp_NetWork", "Network configuration"},
    {"tntgrp_SMSCommandFormat", "SMS command format"},
    {"tntlbl_ServerNetMode", "Server address mode"},
    {"tntlbl_Port", "Port"},
    {"tntlbl_StaticIP", "Static IP"},
    {"tntlbl_DomainAddress", "Domain address"},
    {"tntlbl_ServiceNetwork", "Service network(APN)"},
    {"tntlbl_Ohter", "Other"},
    {"tntlbl_DTUNumber", "DTU number"},
    {"tntlbl1", "SMS command type"},
    {"tntlbl_SMSCommandFormat", "SMS command format"},
    {"tntbtn_StaticIP", "Obtain IP"},
    {"tntbtn_TestServerPort", "Test server port"},
    {"tntbtn_JudgeMaping", "Judge whether the server port mapping"},
    {"tntbtn_Close", "Close"},
    {"tntbtn_GenerationSMS", "Generation SMS"},
    {"tntbtn_SendSMS", "Send SMS\u2026"},
    {"rzMenubtn_Language", " Language"},
    {"tntmntm_Automatic", "Automatic"},
    {"tntmntm_English", "English"},
    {"tntmntm_SimplifiedChinese", "Simplified Chinese"},
    {"tntmntm_TraditionalChinese", "Traditional Chinese"},
};

struct ListItems {
    const char* list;
    std::vector<const char*> english;
};

inline const std::vector<ListItems> kListItems = {
    {"tntcomb_ServerNetMode", {"Static IP", "Domain resolution"}},
    {"tntcomb_ServiceNetwork",
     {"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"}},
    {"tntcomb_SMSCommandType", {"DTU configuration parameters", "DTU running query"}},
};

inline const char* const kLanguageItems[] = {"tntmntm_Automatic", "tntmntm_English",
                                             "tntmntm_SimplifiedChinese", "tntmntm_TraditionalChinese"};

// The text `object` shows: a window's title, a group box's title, a label's, button's or menu item's
// text.
inline QString ShownText(QWidget& window, const char* object) {
    QObject* found = window.objectName() == QLatin1String(object)
                         ? &window
                         : window.findChild<QObject*>(QString::fromLatin1(object));
    if (found == &window) {
        return window.windowTitle();
    }
    if (auto* group = qobject_cast<QGroupBox*>(found)) {
        return group->title();
    }
    if (auto* label = qobject_cast<QLabel*>(found)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(found)) {
        return button->text();
    }
    if (auto* action = qobject_cast<QAction*>(found)) {
        return action->text();
    }
    return QStringLiteral("<no such object %1>").arg(QLatin1String(object));
}

// The engine's translation of `english` in its current language.
inline QString EngineText(const char* english) {
    return QString::fromStdString(i18n::DefaultInstance().Translate(english));
}

// The window on a temporary settings file with an engine started before it and shut down after it.
class LanguageFixture {
public:
    explicit LanguageFixture(const std::string& initialFile = {}, bool writeFile = false)
        : fixture(initialFile, writeFile), sink(fixture.messages) {}
    ~LanguageFixture() {
        fixture.window.reset();
        StopEngine();
    }

    void StartEngine() { engine.emplace(programFile, locale, sink); }
    void StopEngine() { engine.reset(); }

    app::Ttntfrm_Main& Show() {
        if (!engine) {
            StartEngine();
        }
        return fixture.Show();
    }

    // Destroys the window and the engine, then starts both again as a new run of the program would.
    app::Ttntfrm_Main& Restart() {
        fixture.window.reset();
        StopEngine();
        StartEngine();
        return fixture.Show();
    }

    app::Ttntfrm_Main& Window() { return *fixture.window; }

    QAction* Item(int languageNumber) const { return fixture.Find<QAction>(kLanguageItems[languageNumber]); }

    // A user's click on the item of `languageNumber`.
    void Choose(int languageNumber) { Item(languageNumber)->trigger(); }

    // The menu about to open, as the language button does before showing it.
    void OpenMenu() { emit fixture.Find<QMenu>("tntpmn_Language")->aboutToShow(); }

    // Which of the four items carry a check mark, e.g. "0010".
    std::string Marks() const {
        std::string marks;
        for (int number = 0; number < 4; ++number) {
            marks += Item(number)->isChecked() ? '1' : '0';
        }
        return marks;
    }

    QString Shown(const char* object) { return ShownText(Window(), object); }

    SettableLocale locale;
    // The engine looks for catalog files in the locale folder beside this file.
    std::string programFile = base::ProgramFilePath();
    WindowFixture fixture;
    app::WindowEngineMessages sink;
    std::optional<i18n::EngineSession> engine;
};

}  // namespace apptest
