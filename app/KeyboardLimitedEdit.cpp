#include "app/KeyboardLimitedEdit.h"

#include <algorithm>

namespace app {

KeyboardLimitedEdit::KeyboardLimitedEdit(int keyboardLimit, QWidget* parent)
    : QLineEdit(parent), keyboardLimit_(keyboardLimit) {
    setMaxLength(keyboardLimit_);
    // Connected before any other receiver, so the limit fits a text the user shortened before anyone
    // sees it.
    connect(this, &QLineEdit::textChanged, this, &KeyboardLimitedEdit::FitLimitToText);
}

void KeyboardLimitedEdit::ShowWhole(const QString& text) {
    // QLineEdit cuts a text at its maximum length, so a longer text raises the maximum first. A lower
    // maximum would cut the text shown now, so the limit falls back only once the new text is in; not
    // left to the signal, which the caller may have blocked.
    if (text.size() > maxLength()) {
        setMaxLength(static_cast<int>(text.size()));
    }
    setText(text);
    FitLimitToText();
}

void KeyboardLimitedEdit::FitLimitToText() {
    const int fitted = std::max(keyboardLimit_, static_cast<int>(text().size()));
    if (fitted != maxLength()) {
        setMaxLength(fitted);
    }
}

}  // namespace app
