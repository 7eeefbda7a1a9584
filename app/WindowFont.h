#pragma once

// The window's font: Tahoma at 11 pixels, the face and size the window's geometry was drawn for.
//
// Most Linux systems have no Tahoma that fontconfig knows of. Debian's fonts-wine ships one with the
// same character widths, but in Wine's own folder, outside fontconfig's search path, so the program
// registers that file with Qt when the family is missing (ProvideTahoma). Where neither exists, a
// face of similar width stands in (WindowFont), so that texts still keep inside their boxes.

#include <QFont>
#include <QString>
#include <QStringList>

namespace app {

// The window draws no bold text, so the regular face is all it needs.
inline const QStringList kWineTahomaFiles = {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")};

enum class TahomaSource {
    Installed,   // the font database listed the family already; nothing was registered
    Registered,  // the family came from `files`
    Missing,     // no Tahoma: the window's font falls back to its substitutes
};

// Makes the family "Tahoma" known to the application's font database. When the database lists it
// already, nothing is read. Otherwise each of `files` that exists is added with
// QFontDatabase::addApplicationFont; a missing file, or one that holds no font of the family
// "Tahoma", is skipped (a font of another family is not kept). Never throws.
// Needs the QGuiApplication; call it before the first widget is created, so that no widget has
// resolved its font to a stand-in face yet.
TahomaSource ProvideTahoma(const QStringList& files = kWineTahomaFiles);

// The window's font: family Tahoma, pixel size 11. Also installs the application-wide substitutes
// that Qt uses when no Tahoma exists: faces of similar width, narrowest first.
QFont WindowFont();

}  // namespace app
