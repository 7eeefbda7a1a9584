#include "app/Translate.h"

#include <utility>

#include "i18n/qt/QtObjectAccess.h"

namespace app {

namespace {

TranslationFunction& CurrentTranslation() {
    static TranslationFunction translation;
    return translation;
}

}  // namespace

QString Translate(const QString& english) {
    const TranslationFunction& translation = CurrentTranslation();
    return translation ? translation(english) : i18n::qt::Translate(english);
}

QString Translate(const char* englishUtf8) {
    return Translate(QString::fromUtf8(englishUtf8));
}

std::string TranslateUtf8(const std::string& englishUtf8) {
    return Translate(QString::fromStdString(englishUtf8)).toStdString();
}

void InstallTranslation(TranslationFunction translation) {
    CurrentTranslation() = std::move(translation);
}

}  // namespace app
