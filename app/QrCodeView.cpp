#include "app/QrCodeView.h"

#include <algorithm>
#include <utility>

#include <QPainter>

namespace app {

namespace {

int ModulesWithQuietZone(const qr::QrCode& code) {
    return code.size() + 2 * qr::kQuietZoneModules;
}

}  // namespace

QrCodeView::QrCodeView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void QrCodeView::ShowCode(qr::QrCode code) {
    code_ = std::move(code);
    reason_.clear();
    updateGeometry();
    update();
}

void QrCodeView::ShowReason(const QString& reason) {
    code_.reset();
    reason_ = reason;
    updateGeometry();
    update();
}

QSize QrCodeView::sizeHint() const {
    const int side = code_ ? std::max(kSide, ModulesWithQuietZone(*code_) * kMinModulePixels) : kSide;
    return {side, side};
}

int QrCodeView::ModulePixels() const {
    if (!code_) {
        return 0;
    }
    // Whole pixels only: a module of 4.6 pixels would be drawn 4 or 5 wide, and readers stumble on
    // modules of uneven width.
    return std::max(1, std::min(width(), height()) / ModulesWithQuietZone(*code_));
}

void QrCodeView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!code_) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, reason_);
        return;
    }
    const int module = ModulePixels();
    const int modules = ModulesWithQuietZone(*code_);
    const int side = module * modules;
    const int left = (width() - side) / 2;
    const int top = (height() - side) / 2;
    // The quiet zone is part of the white square, so the code reads on any background.
    painter.fillRect(left, top, side, side, Qt::white);
    const int origin = qr::kQuietZoneModules;
    for (int y = 0; y < code_->size(); ++y) {
        for (int x = 0; x < code_->size(); ++x) {
            if (code_->IsDark(x, y)) {
                painter.fillRect(left + (origin + x) * module, top + (origin + y) * module, module, module,
                                 Qt::black);
            }
        }
    }
}

}  // namespace app
