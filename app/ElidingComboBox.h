#pragma once

// A drop-down list whose closed box shows a current item that is too wide for it elided at the right
// ("DTU configuration param…") and answers a tool-tip request with the whole text, and whose open
// list is wide enough for its widest item. A text that fits is shown and painted as QComboBox does.
//
// The whole text is given as a tool tip only while it is elided, and only when asked for: the
// "toolTip" property is never written, because the window translation treats that property as a
// text of the window's own.

#include <QComboBox>
#include <QString>

namespace app {

class ElidingComboBox final : public QComboBox {
    Q_OBJECT

public:
    explicit ElidingComboBox(QWidget* parent = nullptr);

    // The text the closed box shows: the current item's, elided at the right where it is wider than
    // TextRoom(); empty without a current item.
    QString ShownText() const;
    // Pixels the style gives the closed box's text: its edit field less the pixel the label keeps
    // from each side of it.
    int TextRoom() const;
    // The width an item of the open list needs for `text` in this style and font: the text's advance
    // (rounded up) with the style's margins and check column around it.
    int ListItemWidth(const QString& text) const;

    // Widens the list to its widest item (ListItemWidth, plus the list's frame) before it opens.
    void showPopup() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace app
