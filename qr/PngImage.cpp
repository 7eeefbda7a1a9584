// PNG drawing of a QR code: signature, IHDR, one zlib-compressed IDAT and IEND, written by hand
// because a 1-bit greyscale image needs nothing of a general PNG library.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <zlib.h>

#include "qr/QrImage.h"

namespace qr {
namespace {

void AppendBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFFU));
    }
}

void AppendChunk(std::string& png, std::string_view type, std::string_view data) {
    AppendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.append(type).append(data);
    // The checksum covers the chunk type and data, not the length.
    const auto* covered = reinterpret_cast<const Bytef*>(png.data() + typeAt);
    AppendBigEndian32(png, static_cast<std::uint32_t>(
                               crc32(crc32(0L, Z_NULL, 0), covered, static_cast<uInt>(png.size() - typeAt))));
}

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

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) {
        throw QrError(QrError::Reason::kEncoderFailure, "Compressing the PNG image failed.");
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string RenderPng(const QrCode& code, int scale) {
    if (scale < kMinScale || scale > kMaxScale) {
        throw std::invalid_argument("PNG scale " + std::to_string(scale) + " is outside " +
                                    std::to_string(kMinScale) + " to " + std::to_string(kMaxScale) + ".");
    }
    const auto side = static_cast<std::uint32_t>((code.size() + 2 * kQuietZoneModules) * scale);
    std::string header;
    AppendBigEndian32(header, side);
    AppendBigEndian32(header, side);
    // Bit depth 1, colour type 0 (greyscale), deflate, adaptive filtering, no interlace.
    header.append({'\x01', '\x00', '\x00', '\x00', '\x00'});

    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", Deflate(Scanlines(code, scale)));
    AppendChunk(png, "IEND", "");
    return png;
}

}  // namespace qr
