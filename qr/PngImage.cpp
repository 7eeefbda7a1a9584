// PNG drawing of a QR code: one bit per pixel, greyscale (qr/PngFile.h writes the file).

#include <cstdint>
#include <stdexcept>
#include <string>

#include "qr/PngFile.h"
#include "qr/QrImage.h"

namespace qr {
namespace {

// The filtered scanlines: each starts with filter type 0 (none), then one bit per pixel, most
// significant first, 0 black and 1 white; the unused bits of a row's last byte stay white.
std::string Scanlines(const QrCode& code, int scale) {
    const int modules = code.size() + 2 * kQuietZoneModules;
    const std::size_t pixels = static_cast<std::size_t>(modules) * scale;
    const std::size_t rowBytes = 1 + (pixels + 7) / 8;
    std::string raw;
    raw.reserve(rowBytes * pixels);
    std::string row(rowBytes, '\0');
    for (int my = 0; my < modules; ++my) {
        row.assign(rowBytes, static_cast<char>(0xFF));
        row[0] = '\0';
        for (std::size_t px = 0; px < pixels; ++px) {
            const int mx = static_cast<int>(px / scale);
            if (code.IsDark(mx - kQuietZoneModules, my - kQuietZoneModules)) {
                row[1 + px / 8] = static_cast<char>(row[1 + px / 8] & ~(0x80 >> (px % 8)));
            }
        }
        for (int repeat = 0; repeat < scale; ++repeat) {
            raw += row;
        }
    }
    return raw;
}

}  // namespace

std::string RenderPng(const QrCode& code, int scale) {
    if (scale < kMinScale || scale > kMaxScale) {
        throw std::invalid_argument("PNG scale " + std::to_string(scale) + " is outside " +
                                    std::to_string(kMinScale) + " to " + std::to_string(kMaxScale) + ".");
    }
    const auto side = static_cast<std::uint32_t>((code.size() + 2 * kQuietZoneModules) * scale);
    return EncodePng(side, side, PngPixels::kGrey1, Scanlines(code, scale));
}

}  // namespace qr
