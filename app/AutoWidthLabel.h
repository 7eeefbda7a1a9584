#pragma once

// A right-aligned label whose width follows its text. Its right edge stays where it was placed while
// the text fits between the parent's contents edge (inside a group box's frame) and that edge; a
// wider text moves the right edge into the free room on its right, as far as a given limit, so that
// it is not drawn over the frame. A text wider still is cut on the left at the parent's edge.
//
// The width follows every write of the "text" property through Qt's property system (QObject::
// setProperty, which the window translation uses), every SetTextAndWidth and every change of the
// font. QLabel::setText is not virtual: called directly, it changes the text but not the width.

#include <QLabel>
#include <QString>

namespace app {

class AutoWidthLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE SetTextAndWidth)

public:
    // `rightEdge` is the x coordinate, in the parent, of the label's right edge (exclusive);
    // `rightLimit` the furthest that edge may move to the right for a wide text (at most
    // `rightEdge` keeps it in place).
    AutoWidthLabel(int rightEdge, int rightLimit, QWidget* parent = nullptr);

    // Shows `text` and gives the label its width.
    void SetTextAndWidth(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitWidth();

    int rightEdge_;
    int rightLimit_;
};

}  // namespace app
