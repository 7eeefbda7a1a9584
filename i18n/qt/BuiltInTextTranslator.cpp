#include "i18n/qt/BuiltInTextTranslator.h"

#include <exception>
#include <thread>

#include <QCoreApplication>

#include "i18n/DomainLists.h"
#include "i18n/EngineStartup.h"

namespace i18n::qt {

QString BuiltInTextTranslator::translate(const char* context, const char* sourceText,
                                         const char* disambiguation, int n) const {
    if (sourceText == nullptr || *sourceText == '\0' || !EngineRunning() ||
        std::this_thread::get_id() != EngineCreatorThread()) {
        return {};
    }
    const std::string source(sourceText);
    try {
        const std::string result = LookupBuiltInText(source);
        if (result != source) {
            return QString::fromStdString(result);
        }
        return qtOwn_.Translate(DefaultInstance().CurrentLanguage(), context, sourceText, disambiguation, n);
    } catch (const std::exception&) {
        // Qt calls this from deep inside its own code (even from installTranslator), which an
        // exception must never cross. A catalog that cannot be read leaves Qt's wording; the
        // program's own lookups report the error.
        return {};
    }
}

BuiltInTextTranslator* InstallBuiltInTextTranslator() {
    auto* translator = new BuiltInTextTranslator(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator);
    return translator;
}

}  // namespace i18n::qt
