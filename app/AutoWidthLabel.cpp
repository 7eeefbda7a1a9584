#include "app/AutoWidthLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace app {

AutoWidthLabel::AutoWidthLabel(int rightEdge, QWidget* parent) : QLabel(parent), rightEdge_(rightEdge) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void AutoWidthLabel::setText(const QString& text) {
    QLabel::setText(text);
    FitWidth();
}

void AutoWidthLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitWidth();
    }
}

void AutoWidthLabel::FitWidth() {
    const int width = fontMetrics().horizontalAdvance(text());
    setGeometry(rightEdge_ - width, y(), width, height());
}

}  // namespace app
