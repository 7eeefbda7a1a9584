// The language of the main window: ApplyLanguage and the language menu.

#include "app/MainWindow.h"

#include <QAction>
#include <QMenu>

#include "app/SendSmsDialog.h"
#include "app/cli/LanguageCodes.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "sms/Settings.h"

namespace app {

namespace {

unsigned UserDefaultLangId() {
    // The engine's locale source is the one the automatic language comes from (tests replace it);
    // without an engine the process's own locale answers.
    i18n::TGnuGettextInstance* engine = i18n::DefaultInstancePointer();
    return (engine != nullptr ? engine->Locale() : i18n::SystemLocaleSource()).UserDefaultLangId();
}

}  // namespace

void Ttntfrm_Main::ApplyLanguage(int languageNumber) {
    if (!i18n::EngineRunning()) {
        return;
    }
    i18n::DefaultInstance().SelectLanguage(LanguageCodeOf(languageNumber));
    i18n::qt::RetranslateComponent(this);
    // The dialog keeps its own recorded texts; it follows the window's language like the rest.
    if (sendSmsDialog_ != nullptr) {
        sendSmsDialog_->Retranslate();
    }
}

void Ttntfrm_Main::MarkLanguage(int languageNumber) {
    const QList<QAction*> items = tntpmn_Language->actions();
    if (IsLanguageNumber(languageNumber) && languageNumber < items.size()) {
        items[languageNumber]->setChecked(true);
    }
}

void Ttntfrm_Main::tntmntm_AutomaticClick(QAction* sender) {
    // QAction has already toggled the clicked item's mark by itself; every mark is set here
    // explicitly, so that toggling never decides what the menu shows.
    for (QAction* item : tntpmn_Language->actions()) {
        item->setChecked(false);
    }
    sender->setChecked(true);
    const int tag = sender->data().toInt();
    int number = tag;
    if (tag == 0) {
        const int mapped = LanguageNumberOfLangId(UserDefaultLangId());
        if (mapped != 0) {
            MarkLanguage(mapped);
        }
        // The window follows the engine's detection (LANG first), which may differ from the number
        // saved for the next start.
        ApplyLanguage(0);
        tntmntm_Automatic->setChecked(false);
        number = mapped;
    } else {
        tntmntm_Automatic->setChecked(false);
        MarkLanguage(tag);
        ApplyLanguage(tag);
    }
    sysParameter_.nLanguageID = number;
    Save(sms::keys::kLanguageId, number);
    // The replay emptied the drop-down lists' selections; the file restores them with every other
    // field.
    LoadSettings();
}

void Ttntfrm_Main::tntpmn_LanguagePopup() {
    MarkLanguage(sysParameter_.nLanguageID);
}

}  // namespace app
