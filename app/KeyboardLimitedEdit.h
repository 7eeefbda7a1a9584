#pragma once

// An edit line that takes at most a given number of characters from the user (typing, pasting,
// dropping) but shows a longer text that the program places whole. The user may shorten such a text
// and edit inside it; input never makes the text longer than the limit or than it already is.
//
// QLineEdit cuts every text at its maximum length, the program's too; this class keeps that maximum at
// the larger of the limit and the length of the text shown. A text longer than the maximum in force
// therefore comes through ShowWhole: QLineEdit::setText would cut it.

#include <QLineEdit>
#include <QString>

namespace app {

class KeyboardLimitedEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit KeyboardLimitedEdit(int keyboardLimit, QWidget* parent = nullptr);

    // Shows `text` whole, however long; textChanged fires when it differs from the text shown.
    void ShowWhole(const QString& text);

private:
    void FitLimitToText();

    int keyboardLimit_;
};

}  // namespace app
