#include "app/ElidingComboBox.h"

#include <algorithm>
#include <cmath>

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionMenuItem>
#include <QStylePainter>
#include <QToolTip>

namespace app {

ElidingComboBox::ElidingComboBox(QWidget* parent) : QComboBox(parent) {}

int ElidingComboBox::TextRoom() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    return std::max(0, field.width() - 2);
}

QString ElidingComboBox::ShownText() const {
    // Fractional advances throughout: a text 0.4 pixels wider than the room would lose a column of
    // its last letter, yet integer metrics round it down to a fit.
    QString text = currentText();
    const QFontMetricsF metrics(font());
    const int room = TextRoom();
    if (metrics.horizontalAdvance(text) <= room) {
        return text;
    }
    return metrics.elidedText(text, Qt::ElideRight, room);
}

int ElidingComboBox::ListItemWidth(const QString& text) const {
    // Styles that draw the list as a menu (Fusion among them) put each item in a menu item of the
    // combo box's font, with a check column; for the others this asks a little more than they need.
    QStyleOptionMenuItem item;
    item.initFrom(view());
    item.font = font();
    item.fontMetrics = fontMetrics();
    item.text = text;
    item.menuItemType = QStyleOptionMenuItem::Normal;
    item.checkType = QStyleOptionMenuItem::NonExclusive;
    item.maxIconWidth = view()->iconSize().width() + 4;
    item.reservedShortcutWidth = 0;
    const QSize textSize(static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text))),
                         fontMetrics().height());
    return style()->sizeFromContents(QStyle::CT_MenuItem, &item, textSize, this).width();
}

void ElidingComboBox::showPopup() {
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, ListItemWidth(itemText(i)));
    }
    QAbstractItemView* list = view();
    list->setMinimumWidth(widest + 2 * list->frameWidth());
    QComboBox::showPopup();
}

bool ElidingComboBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString text = currentText();
        if (ShownText() != text) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QComboBox::event(event);
}

void ElidingComboBox::paintEvent(QPaintEvent* /*event*/) {
    // QComboBox::paintEvent with the shown text in place of the current one.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0 && !placeholderText().isEmpty()) {
        option.palette.setBrush(QPalette::ButtonText, option.palette.placeholderText());
        option.currentText = placeholderText();
    } else {
        option.currentText = ShownText();
    }
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace app
