#pragma once

// A right-aligned label whose width follows its text, keeping its right edge where it was placed.
// The "text" property is declared again so that writes through the meta-object system resize it too.
// QLabel::setText is not virtual: whoever sets the text through a QLabel pointer (the window
// translation does) calls FitWidth afterwards.

#include <QLabel>
#include <QString>

namespace app {

class AutoWidthLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    // `rightEdge` is the x coordinate, in the parent, of the label's right edge.
    AutoWidthLabel(int rightEdge, QWidget* parent = nullptr);

    // Gives the label the width of its text, at most the room left of its right edge.
    void FitWidth();

public Q_SLOTS:
    void setText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    int rightEdge_;
};

}  // namespace app
