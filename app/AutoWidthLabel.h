#pragma once

// A right-aligned label whose width follows its text, keeping its right edge where it was placed.
// The "text" property is declared again so that a retranslation through the meta-object system
// resizes it too.

#include <QLabel>
#include <QString>

namespace app {

class AutoWidthLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    // `rightEdge` is the x coordinate, in the parent, of the label's right edge.
    AutoWidthLabel(int rightEdge, QWidget* parent = nullptr);

public Q_SLOTS:
    void setText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitWidth();

    int rightEdge_;
};

}  // namespace app
