#pragma once

// A QTranslator that passes Qt's own texts (button texts of standard dialogs, error messages, ...)
// through LookupBuiltInText, on the thread that started the engine only. It answers a null string (no
// translation) when the engine does not translate the text, on any other thread, when the engine
// is not running, and when the catalog cannot be read (the error is not passed on into Qt), so Qt
// keeps its own wording then.

#include <QTranslator>

namespace i18n::qt {

class BuiltInTextTranslator final : public QTranslator {
public:
    explicit BuiltInTextTranslator(QObject* parent = nullptr) : QTranslator(parent) {}
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Creates a BuiltInTextTranslator owned by the application and installs it.
BuiltInTextTranslator* InstallBuiltInTextTranslator();

}  // namespace i18n::qt
