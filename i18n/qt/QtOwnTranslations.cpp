#include "i18n/qt/QtOwnTranslations.h"

#include <QLibraryInfo>
#include <QLocale>

namespace i18n::qt {

QString QtOwnTranslations::QtLanguageName(std::string_view languageCode) {
    const std::string_view code = languageCode.substr(0, languageCode.find_first_of(".@"));
    const std::size_t separator = code.find_first_of("_-");
    QString language = QString::fromLatin1(code.substr(0, separator)).toLower();
    if (language.isEmpty() || language == QLatin1String("c") || language == QLatin1String("en")) {
        return {};
    }
    if (separator == std::string_view::npos) {
        return language;
    }
    return language + QLatin1Char('_') + QString::fromLatin1(code.substr(separator + 1)).toUpper();
}

QString QtOwnTranslations::Translate(std::string_view languageCode, const char* context,
                                     const char* sourceText, const char* disambiguation, int n) {
    const QString language = QtLanguageName(languageCode);
    if (language.isEmpty()) {
        return {};
    }
    if (language != loadedLanguage_) {
        loadedLanguage_ = language;
        // QLocale's own fallbacks find qtbase_zh_TW.qm for zh_TW and qtbase_de.qm for de_AT.
        loaded_ = translator_.load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    return loaded_ ? translator_.translate(context, sourceText, disambiguation, n) : QString();
}

}  // namespace i18n::qt
