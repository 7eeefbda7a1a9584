#pragma once

// A PNG file from its pixel rows, written by hand (signature, IHDR, one zlib-compressed IDAT, IEND):
// the QR codes are 1-bit greyscale and the window's pictures 8-bit RGB, which need nothing of a
// general PNG library.

#include <cstdint>
#include <string>

namespace qr {

enum class PngPixels {
    kGrey1,  // one bit per pixel, most significant first, 0 black and 1 white
    kRgb8,   // three bytes per pixel: red, green, blue
};

// `scanlines` holds `height` rows, each a filter-type byte (0: none) followed by `width` pixels packed
// as `pixels` says. Throws QrError with kEncoderFailure when compression fails.
std::string EncodePng(std::uint32_t width, std::uint32_t height, PngPixels pixels,
                      const std::string& scanlines);

}  // namespace qr
