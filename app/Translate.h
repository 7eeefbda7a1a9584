#pragma once

// The one translation function of the window: every text the user sees passes through it when it is
// shown. English texts are their own message identifiers. It asks the running localization engine for
// the text in the current language; with no engine running it returns its argument unchanged.

#include <functional>
#include <string>

#include <QString>

namespace app {

// Gives the text of an English message identifier in the current language.
using TranslationFunction = std::function<QString(const QString& english)>;

// `englishUtf8` is UTF-8; the result is the installed translation's answer, else the engine's, else the
// text itself.
QString Translate(const char* englishUtf8);
QString Translate(const QString& english);

// The same for the cores, which speak UTF-8.
std::string TranslateUtf8(const std::string& englishUtf8);

// Replaces the translation used from now on; an empty function restores the engine's.
void InstallTranslation(TranslationFunction translation);

}  // namespace app
