#pragma once

// The server port field: an integer spin field whose text the user may edit freely within a few
// rules, with the value kept in 1000..99999.
//
// - The text shows the value as plain decimal digits. From the keyboard it accepts digits, one "+" or
//   "-" as first character and editing keys; any other character is refused with a beep and changes
//   nothing. Pasted text that breaks these rules is refused as a whole.
// - Up/Down, the spin buttons and the mouse wheel step by 1; Page Up/Down and Ctrl+wheel by 10. The
//   stepped value is limited to the range.
// - While the user types, any number stays in the field, also one below 1000 or above 99999; the
//   window's change handler cuts values above 99999 back and puts 1000 into an emptied field.
// - When the field loses the keyboard focus, its text is read as a number (text that is no number
//   reads as 1000), limited to the range and shown again.
// - textChanged fires on every change of the text, typed or set by the program, and never for a text
//   equal to the one shown.

#include <functional>

#include <QAbstractSpinBox>
#include <QString>

#include "app/logic/PortValue.h"

namespace app {

class PortSpinEdit final : public QAbstractSpinBox {
    Q_OBJECT

public:
    static constexpr int kMinimum = logic::kPortMinimum;
    static constexpr int kMaximum = logic::kPortMaximum;

    // `beep` sounds for every key the field refuses (the window passes the system's default beep);
    // empty, a refused key makes no sound.
    explicit PortSpinEdit(std::function<void()> beep, QWidget* parent = nullptr);

    // The integer value of the text; text that is no number (the empty text too) reads as 1000.
    // Values outside the range are returned as they stand, saturated to the int range.
    int Value() const;

    // Shows `value` limited to the range; no change (and no signal) when that text is shown already.
    void SetValue(int value);

    // The value of `text` (an optional sign and at least one digit), saturated to the int range;
    // `fallback` for text that is no number.
    static int ParseValue(const QString& text, int fallback);

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;

private:
    std::function<void()> beep_;
};

}  // namespace app
