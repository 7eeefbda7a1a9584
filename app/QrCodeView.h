#pragma once

// A QR code on screen, crisp: every module is a square of whole pixels (as many as fit), dark on
// white with the quiet zone around it, centred in the widget. The view asks for kSide pixels each way,
// more for a code so large that its modules would come out smaller than kMinModulePixels. When there
// is no code to show, the view says why in its place.

#include <optional>

#include <QString>
#include <QWidget>

#include "qr/QrCode.h"

namespace app {

class QrCodeView final : public QWidget {
    Q_OBJECT

public:
    // Pixels each way the view asks for: a configuration command's code (37 modules and the quiet
    // zone) comes out at 4 pixels a module, which a phone reads from a screen.
    static constexpr int kSide = 196;
    // Below two pixels a module, a phone's camera no longer tells the modules of a screen apart.
    static constexpr int kMinModulePixels = 2;

    explicit QrCodeView(QWidget* parent = nullptr);

    void ShowCode(qr::QrCode code);
    // No code; `reason` is shown in its place.
    void ShowReason(const QString& reason);

    bool HasCode() const { return code_.has_value(); }
    const QString& Reason() const { return reason_; }
    // Pixels per module at the view's present size; 0 without a code.
    int ModulePixels() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<qr::QrCode> code_;
    QString reason_;
};

}  // namespace app
