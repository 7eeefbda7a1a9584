// Terminal drawing of a QR code with Unicode half blocks, two module rows to a character cell.

#include <string>

#include "qr/QrImage.h"

namespace qr {
namespace {

// Black foreground on white background. 47 is the eight-colour white, which many themes show as light
// grey; the bright white 107 that follows overrides it where the terminal knows it.
constexpr const char* kBlackOnWhite = "\x1b[30;47;107m";
// Reset before the line break, so that the white background never floods the rest of the line when
// the terminal scrolls or is resized.
constexpr const char* kReset = "\x1b[0m";

const char* HalfBlock(bool upperDark, bool lowerDark) {
    if (upperDark) {
        return lowerDark ? "\u2588" : "\u2580";
    }
    return lowerDark ? "\u2584" : " ";
}

}  // namespace

std::string RenderTerminal(const QrCode& code, TerminalStyle style) {
    const int first = -kQuietZoneModules;
    const int end = code.size() + kQuietZoneModules;
    std::string text;
    for (int y = first; y < end; y += 2) {
        if (style == TerminalStyle::kAnsiColours) {
            text += kBlackOnWhite;
        }
        for (int x = first; x < end; ++x) {
            // Beyond the lower quiet zone IsDark answers light, so an odd row count needs no case.
            text += HalfBlock(code.IsDark(x, y), code.IsDark(x, y + 1));
        }
        if (style == TerminalStyle::kAnsiColours) {
            text += kReset;
        }
        text += '\n';
    }
    return text;
}

}  // namespace qr
