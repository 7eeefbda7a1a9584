#include "app/KeyboardLimitedEdit.h"

#include <algorithm>

namespace app {

KeyboardLimitedEdit::KeyboardLimitedEdit(int keyboardLimit, QWidget* parent)
    : QLineEdit(parent), keyboardLimit_(keyboardLimit) {
    setMaxLength(keyboardLimit_);
    // Connected before any other receiver, so the limit fits the new text before anyone sees it.
    connect(this, &QLineEdit::textChanged, this, &KeyboardLimitedEdit::FitLimitToText);
}

void KeyboardLimitedEdit::setText(const QString& text) {
    // QLineEdit cuts a text at its maximum length, so a longer text from the program raises the
    // maximum first; it falls back as the user shortens the text.
    if (text.size() > maxLength()) {
        setMaxLength(static_cast<int>(text.size()));
    }
    QLineEdit::setText(text);
    FitLimitToText();
}

void KeyboardLimitedEdit::FitLimitToText() {
    const int fitted = std::max(keyboardLimit_, static_cast<int>(text().size()));
    if (fitted != maxLength()) {
        setMaxLength(fitted);
    }
}

}  // namespace app
