// The window's font: Wine's Tahoma registered only when the system has no Tahoma, only a file that
// holds that family kept, and the stand-in faces when there is none.

#include "app/WindowFont.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

#include "tests/app/WindowTestSupport.h"

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

}  // namespace
