// The window's font: Wine's Tahoma registered only when the system has no Tahoma, only a file that
// holds that family kept, the stand-in faces when there is none, and the program as started drawing
// its window in Tahoma.

#include "app/WindowFont.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include "tests/app/WindowTestSupport.h"
#include "tests/app/cli/ProgramRunner.h"

namespace {

using app::TahomaSource;

TEST(WindowFontTest, WineTahomaIsRegisteredOnlyWhenTheSystemHasNoTahoma) {
    apptest::Application();
    QFontDatabase::removeAllApplicationFonts();
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        EXPECT_EQ(app::ProvideTahoma(), TahomaSource::Installed);
        GTEST_SKIP() << "the system has a Tahoma of its own; nothing is registered";
    }
    for (const QString& file : app::kWineTahomaFiles) {
        ASSERT_TRUE(QFile::exists(file))
            << file.toStdString() << ": install fonts-wine (scripts/install-deps.sh)";
    }
    apptest::TempDir dir;
    const std::string notAFont = dir.File("tahoma.ttf");
    apptest::WriteBytes(notAFont, std::string(4096, 'x'));

    const struct {
        const char* name;
        QStringList files;
        TahomaSource source;
        QString face;  // the face the window's font resolves to afterwards
    } steps[] = {
        {"no file",
         {QStringLiteral("/nonexistent/tahoma.ttf")},
         TahomaSource::Missing,
         QStringLiteral("DejaVu Sans Condensed")},
        {"a file that holds no font",
         {QString::fromStdString(notAFont)},
         TahomaSource::Missing,
         QStringLiteral("DejaVu Sans Condensed")},
        {"a font of another family",
         {QStringLiteral("/usr/share/wine/fonts/marlett.ttf")},
         TahomaSource::Missing,
         QStringLiteral("DejaVu Sans Condensed")},
        {"Wine's Tahoma", app::kWineTahomaFiles, TahomaSource::Registered, QStringLiteral("Tahoma")},
        {"Tahoma known already",
         {QStringLiteral("/nonexistent/tahoma.ttf")},
         TahomaSource::Installed,
         QStringLiteral("Tahoma")},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(app::ProvideTahoma(step.files), step.source);
        EXPECT_EQ(QFontInfo(app::WindowFont()).family(), step.face);
        EXPECT_FALSE(QFontDatabase::families().contains(QStringLiteral("Marlett")));
    }
}

// The pixels of every label of `window` as its grab shows them, in the window's coordinates.
std::vector<QImage> Labels(QWidget& window, const QImage& picture) {
    std::vector<QImage> labels;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            labels.push_back(picture.copy(QRect(label->mapTo(&window, QPoint(0, 0)), label->size())));
        }
    }
    return labels;
}

std::vector<QImage> LabelsOfAWindowIn(const apptest::WindowFixture& settings, const QImage& program) {
    apptest::WindowFixture fixture;
    app::Ttntfrm_Main& window = fixture.Show(settings.settingsPath);
    return Labels(window, program.isNull() ? window.grab().toImage() : program);
}

TEST(WindowFontTest, TheProgramDrawsItsWindowInTahoma) {
    apptest::Application();
    QFontDatabase::removeAllApplicationFonts();
    apptest::WindowFixture settings(apptest::MainSection({"nLanguageID=1"}), true);
    const std::string picture = settings.dir.File("window.png");
    const app::testing::Outcome run = app::testing::RunProgram(
        {"--settings", settings.settingsPath, "--screenshot", picture},
        {"QT_QPA_PLATFORM=offscreen", "LANG=C"}, app::testing::LocaleVariables::kDrop);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage program(QString::fromStdString(picture));
    ASSERT_EQ(program.size(), QSize(495, 305));

    // The same labels drawn here, first in the stand-in face, then in Tahoma as the program finds it.
    const bool systemTahoma = app::ProvideTahoma({}) == TahomaSource::Installed;
    const std::vector<QImage> standIn = LabelsOfAWindowIn(settings, QImage());
    app::ProvideTahoma();
    const std::vector<QImage> tahoma = LabelsOfAWindowIn(settings, QImage());
    const std::vector<QImage> drawn =
        LabelsOfAWindowIn(settings, program.convertToFormat(tahoma[0].format()));
    EXPECT_TRUE(drawn == tahoma);
    if (!systemTahoma) {
        EXPECT_FALSE(drawn == standIn);
    }
}

}  // namespace
