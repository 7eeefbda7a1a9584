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
    // Raised before the text is set, which would cut the text, and not left to the signal, which the
    // caller may have blocked.
    setMaxLength(std::max(keyboardLimit_, static_cast<int>(text.size())));
    setText(text);
}

void KeyboardLimitedEdit::FitLimitToText() {
    const int fitted = std::max(keyboardLimit_, static_cast<int>(text().size()));
    if (fitted != maxLength()) {
        setMaxLength(fitted);
    }
}

}  // namespace app
