#include "app/WindowFont.h"

#include <QFile>
#include <QFontDatabase>

namespace app {

namespace {

const QString kTahoma = QStringLiteral("Tahoma");

// Asks the family list itself: QFontDatabase::hasFamily would first run the name through
// fontconfig's aliases, which may map "Tahoma" to whatever sans-serif face stands in for it.
bool DatabaseListsTahoma() {
    return QFontDatabase::families().contains(kTahoma, Qt::CaseInsensitive);
}

bool AddTahomaFile(const QString& file) {
    if (!QFile::exists(file)) {
        return false;
    }
    const int id = QFontDatabase::addApplicationFont(file);
    if (id < 0) {
        return false;
    }
    if (QFontDatabase::applicationFontFamilies(id).contains(kTahoma, Qt::CaseInsensitive)) {
        return true;
    }
    // A face of another family under that file name would change no text of the window but could
    // take the place of a family the user has.
    QFontDatabase::removeApplicationFont(id);
    return false;
}

}  // namespace

TahomaSource ProvideTahoma(const QStringList& files) {
    if (DatabaseListsTahoma()) {
        return TahomaSource::Installed;
    }
    bool added = false;
    for (const QString& file : files) {
        added = AddTahomaFile(file) || added;
    }
    return added ? TahomaSource::Registered : TahomaSource::Missing;
}

QFont WindowFont() {
    QFont::insertSubstitutions(kTahoma,
                               {QStringLiteral("Wine Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow")});
    QFont font(kTahoma);
    font.setPixelSize(11);
    return font;
}

}  // namespace app
