#pragma once

// A right-aligned label whose width follows its text, keeping its right edge where it was placed; a
// text wider than the room left of that edge is cut on the left.
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
    // `rightEdge` is the x coordinate, in the parent, of the label's right edge.
    explicit AutoWidthLabel(int rightEdge, QWidget* parent = nullptr);

    // Shows `text` and gives the label its width.
    void SetTextAndWidth(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitWidth();

    int rightEdge_;
};

}  // namespace app
