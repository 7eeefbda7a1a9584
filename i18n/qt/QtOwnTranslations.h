#pragma once

// Qt's own translations of its own texts (the standard buttons, the edit lines' context menu, the spin
// box), read from the qtbase_<language>.qm files of Qt's translations folder, in the language the
// engine shows. The file of a language is read the first time a text of that language is asked for
// and kept until another language is asked for.

#include <string>
#include <string_view>

#include <QString>
#include <QTranslator>

namespace i18n::qt {

class QtOwnTranslations final {
public:
    // Qt's translation of `sourceText` (in `context`, with `disambiguation` and plural count `n` as
    // QTranslator takes them) into `languageCode` (an engine code such as "zh_cn", "zh_TW.UTF-8",
    // "en"), or a null string when Qt has no file for the language or no entry for the text. English,
    // "C" and the empty code always give a null string. Never throws beyond std::bad_alloc.
    QString Translate(std::string_view languageCode, const char* context, const char* sourceText,
                      const char* disambiguation, int n);

    // Qt's name of the language of an engine code: "zh_cn" gives "zh_CN", "zh_TW.UTF-8" gives "zh_TW";
    // empty for English, "C" and the empty code, which Qt's texts are written in.
    static QString QtLanguageName(std::string_view languageCode);

private:
    QString loadedLanguage_;
    bool loaded_ = false;
    QTranslator translator_;
};

}  // namespace i18n::qt
