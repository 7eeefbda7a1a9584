// The cost of the language on the real main window: the replay into another language, a whole switch
// from the language menu (with the write of "nLanguageID" and the reload of every field), and the
// first translation pass that start-up adds.

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QToolButton>

#include "app/EngineMessages.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "i18n/qt/QtObjectAccess.h"
#include "settings/Settings.h"
#include "tests/i18n/EnglishLocale.h"
#include "tests/sms/TempDir.h"

namespace {

using i18n::test::EnglishLocale;

class SilentPresenter final : public app::MessagePresenter {
public:
    void ShowPrompt(QWidget*, const QString&, const QString&) override {}
    void ShowError(QWidget*, const QString&, const QString&) override { ++errors; }
    void Beep() override {}
    int errors = 0;
};

QApplication& Application() {
    static int argc = 1;
    static char name[] = "LanguageSwitchBench";
    static char* argv[] = {name, nullptr};
    // The benchmark measures the window's own work, not a display server's: offscreen unless the
    // caller chose a platform.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication application(argc, argv);
    return application;
}

// The settings file in a fresh folder, removed at the end.
using SettingsFolder = sms::testing::TempDir;
constexpr const char* kSettingsFile = "GPRSInfo.ini";

struct Running {
    Running() : sink(messages), engine(base::ProgramFilePath(), locale, sink) {}
    EnglishLocale locale;
    SilentPresenter messages;
    app::WindowEngineMessages sink;
    i18n::EngineSession engine;
    SettingsFolder folder;
};

void BM_ReplayMainWindowIntoAnotherLanguage(benchmark::State& state) {
    Application();
    Running run;
    app::Ttntfrm_Main window(run.messages, run.folder.File(kSettingsFile));
    window.show();
    const char* const codes[] = {"zh_cn", "zh_tw"};
    int next = 0;
    for (auto _ : state) {
        i18n::DefaultInstance().SelectLanguage(codes[next]);
        i18n::qt::RetranslateComponent(&window);
        next ^= 1;
    }
    // The last replay must have rewritten the texts, or nothing was measured.
    const QString expected = QString::fromStdString(i18n::DefaultInstance().Translate(" Language"));
    if (window.findChild<QToolButton*>(QStringLiteral("rzMenubtn_Language"))->text() != expected ||
        expected == QStringLiteral(" Language")) {
        state.SkipWithError("the replay did not translate the window");
    }
}
BENCHMARK(BM_ReplayMainWindowIntoAnotherLanguage)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitchFromTheMenu(benchmark::State& state) {
    Application();
    Running run;
    app::Ttntfrm_Main window(run.messages, run.folder.File(kSettingsFile));
    window.show();
    QAction* const items[] = {
        window.findChild<QAction*>(QStringLiteral("tntmntm_SimplifiedChinese")),
        window.findChild<QAction*>(QStringLiteral("tntmntm_TraditionalChinese")),
    };
    int next = 0;
    for (auto _ : state) {
        items[next]->trigger();
        next ^= 1;
    }
    if (run.messages.errors != 0) {
        state.SkipWithError("a language switch failed");
    }
}
BENCHMARK(BM_LanguageSwitchFromTheMenu)->Unit(benchmark::kMillisecond);

// The part of a switch that waits for the disk: the atomic write of "nLanguageID" (flushed to disk
// before the rename, so a crash leaves the old file or the new one).
void BM_WriteOfTheLanguageNumber(benchmark::State& state) {
    SettingsFolder folder;
    int number = 2;
    for (auto _ : state) {
        settings::SaveSetting(folder.File(kSettingsFile), sms::keys::kLanguageId, number);
        number ^= 1;
    }
}
BENCHMARK(BM_WriteOfTheLanguageNumber)->Unit(benchmark::kMillisecond);

// The window built without an engine, so that only the pass itself is timed.
void BM_FirstTranslationPassOfTheMainWindow(benchmark::State& state) {
    Application();
    EnglishLocale locale;
    SilentPresenter messages;
    app::WindowEngineMessages sink(messages);
    SettingsFolder folder;
    for (auto _ : state) {
        auto window = std::make_unique<app::Ttntfrm_Main>(messages, folder.File(kSettingsFile));
        // Start-up selects the automatic language; a Chinese one makes every text a real lookup.
        std::optional<i18n::EngineSession> engine;
        engine.emplace(base::ProgramFilePath(), locale, sink);
        i18n::DefaultInstance().SelectLanguage("zh_cn");
        const auto start = std::chrono::steady_clock::now();
        i18n::qt::TranslateComponent(window.get());
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        window.reset();
        engine.reset();
    }
}
BENCHMARK(BM_FirstTranslationPassOfTheMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
