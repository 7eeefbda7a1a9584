#include "app/AutoWidthLabel.h"

#include <algorithm>

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
    // A text wider than the room left of the right edge stays inside the parent, cut on the left.
    const int width = std::min(fontMetrics().horizontalAdvance(text()), rightEdge_);
    setGeometry(rightEdge_ - width, y(), width, height());
}

}  // namespace app
