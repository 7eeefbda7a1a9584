#pragma once

// An edit line that takes at most a given number of characters from the user (typing, pasting,
// dropping) but shows a longer text set by the program whole. The user may shorten such a text and
// edit inside it; input never makes the text longer than the limit or than it already is.
// The "text" property is declared again so that writes through the meta-object system take the same
// path as setText.

#include <QLineEdit>
#include <QString>

namespace app {

class KeyboardLimitedEdit final : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText USER true)

public:
    KeyboardLimitedEdit(int keyboardLimit, QWidget* parent = nullptr);

    int KeyboardLimit() const { return keyboardLimit_; }

public Q_SLOTS:
    // Shows `text` whole; textChanged fires only when it differs from the text shown.
    void setText(const QString& text);

private:
    void FitLimitToText();

    int keyboardLimit_;
};

}  // namespace app
