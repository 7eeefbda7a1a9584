#pragma once

// A QTranslator that passes Qt's own texts (button texts of standard dialogs, error messages, ...)
// through LookupBuiltInText, on the thread that started the engine only. A text the engine does not
// translate gets Qt's own translation into the engine's present language (QtOwnTranslations), so
// Qt's texts follow the window's language, switched with it. It answers a null string (no
// translation) when neither translates the text, on any other thread, when the engine is not
// running, and when the catalog cannot be read (the error is not passed on into Qt), so Qt keeps its
// own wording then.

#include <QTranslator>

#include "i18n/qt/QtOwnTranslations.h"

namespace i18n::qt {

class BuiltInTextTranslator final : public QTranslator {
public:
    explicit BuiltInTextTranslator(QObject* parent = nullptr) : QTranslator(parent) {}
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }

private:
    // Loaded on the engine's thread only, as the language asks; translate() is const for Qt.
    mutable QtOwnTranslations qtOwn_;
};

// Creates a BuiltInTextTranslator owned by the application and installs it.
BuiltInTextTranslator* InstallBuiltInTextTranslator();

}  // namespace i18n::qt
