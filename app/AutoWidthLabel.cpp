#include "app/AutoWidthLabel.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>

namespace app {

AutoWidthLabel::AutoWidthLabel(int rightEdge, QWidget* parent) : QLabel(parent), rightEdge_(rightEdge) {
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
    const int width = std::min(fontMetrics().horizontalAdvance(text()), rightEdge_);
    setGeometry(rightEdge_ - width, y(), width, height());
}

}  // namespace app
