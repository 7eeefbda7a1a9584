#include "app/AutoWidthLabel.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetricsF>

namespace app {

AutoWidthLabel::AutoWidthLabel(int rightEdge, int rightLimit, QWidget* parent)
    : QLabel(parent), rightEdge_(rightEdge), rightLimit_(std::max(rightEdge, rightLimit)) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void AutoWidthLabel::SetTextAndWidth(const QString& text) {
    setText(text);
    FitWidth();
}

void AutoWidthLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitWidth();
    }
}

void AutoWidthLabel::FitWidth() {
    // Rounded up: a fractional advance rounded down would cost the first letter a column.
    const int textWidth = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    const int contentsLeft = parentWidget() != nullptr ? parentWidget()->contentsRect().left() : 0;
    const int right = std::clamp(contentsLeft + textWidth, rightEdge_, rightLimit_);
    const int width = std::min(textWidth, right);
    setGeometry(right - width, y(), width, height());
}

}  // namespace app
