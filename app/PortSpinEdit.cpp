#include "app/PortSpinEdit.h"

#include <algorithm>
#include <climits>
#include <utility>

#include <QKeyEvent>
#include <QLineEdit>

#include "app/logic/PortValue.h"

namespace app {

namespace {

// An optional leading sign followed by digits only; empty text and a lone sign are allowed while
// typing.
bool IsEditableText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool sign = c == u'+' || c == u'-';
        if (!(c >= u'0' && c <= u'9') && !(sign && i == 0)) {
            return false;
        }
    }
    return true;
}

}  // namespace

PortSpinEdit::PortSpinEdit(std::function<void()> beep, QWidget* parent)
    : QAbstractSpinBox(parent), beep_(std::move(beep)) {
    // The base class has no value type of its own here; keyboard tracking off keeps it from trying to
    // interpret the text at every keystroke, which this class does itself.
    setKeyboardTracking(false);
    setAccelerated(false);
    lineEdit()->setText(QString::number(kMinimum));
    connect(lineEdit(), &QLineEdit::textChanged, this, &PortSpinEdit::textChanged);
}

int PortSpinEdit::ParseValue(const QString& text, int fallback) {
    return logic::PortValueOfText(text.toStdString(), fallback);
}

int PortSpinEdit::Value() const {
    return ParseValue(lineEdit()->text(), kMinimum);
}

void PortSpinEdit::SetValue(int value) {
    const QString text = QString::number(std::clamp(value, kMinimum, kMaximum));
    // Setting the same text would still reset the cursor and the selection.
    if (lineEdit()->text() != text) {
        lineEdit()->setText(text);
    }
}

void PortSpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool command =
        event->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !typed.isEmpty() && typed.at(0).isPrint()) {
        QLineEdit* edit = lineEdit();
        QString candidate = edit->text();
        if (edit->hasSelectedText()) {
            candidate.replace(edit->selectionStart(), edit->selectedText().size(), typed);
        } else {
            candidate.insert(edit->cursorPosition(), typed);
        }
        if (!IsEditableText(candidate)) {
            if (beep_) {
                beep_();
            }
            event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void PortSpinEdit::focusOutEvent(QFocusEvent* event) {
    SetValue(Value());
    QAbstractSpinBox::focusOutEvent(event);
}

QValidator::State PortSpinEdit::validate(QString& input, int& /*pos*/) const {
    return IsEditableText(input) ? QValidator::Acceptable : QValidator::Invalid;
}

void PortSpinEdit::fixup(QString& /*input*/) const {}

void PortSpinEdit::stepBy(int steps) {
    const long long stepped = static_cast<long long>(Value()) + steps;
    SetValue(static_cast<int>(std::clamp<long long>(stepped, kMinimum, kMaximum)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled PortSpinEdit::stepEnabled() const {
    if (isReadOnly()) {
        return StepNone;
    }
    return StepUpEnabled | StepDownEnabled;
}

}  // namespace app
