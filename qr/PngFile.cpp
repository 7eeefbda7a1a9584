#include "qr/PngFile.h"

#include <string_view>

#include <zlib.h>

#include "qr/QrCode.h"

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

std::string EncodePng(std::uint32_t width, std::uint32_t height, PngPixels pixels,
                      const std::string& scanlines) {
    std::string header;
    AppendBigEndian32(header, width);
    AppendBigEndian32(header, height);
    // Bit depth and colour type (0 greyscale, 2 RGB), then deflate, adaptive filtering, no interlace.
    if (pixels == PngPixels::kGrey1) {
        header.append({'\x01', '\x00'});
    } else {
        header.append({'\x08', '\x02'});
    }
    header.append({'\x00', '\x00', '\x00'});

    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", Deflate(scanlines));
    AppendChunk(png, "IEND", "");
    return png;
}

}  // namespace qr
