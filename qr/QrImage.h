#pragma once

// Drawings of a QR code for files and terminals. Each returns the whole content as bytes so that the
// caller can write it to disk in one atomic step. Every drawing includes the quiet zone of
// kQuietZoneModules light modules on each side.

#include <string>

#include "qr/QrCode.h"

namespace qr {

// Pixels per module of the PNG drawing and of the SVG's nominal size: a configuration command makes a
// version 5 code (37 modules plus the quiet zone), which comes out at 360 pixels, large enough for a
// phone to read from a screen.
inline constexpr int kDefaultScale = 8;
// Fewer than 4 pixels per module blur on screens and printers; more than 32 only inflate the file.
inline constexpr int kMinScale = 4;
inline constexpr int kMaxScale = 32;

// A PNG image, 1-bit greyscale, of (size() + 8) * scale pixels each way: black modules on white.
// Throws std::invalid_argument when `scale` is outside kMinScale..kMaxScale, and QrError with
// kEncoderFailure when compression fails.
std::string RenderPng(const QrCode& code, int scale = kDefaultScale);

// An SVG document: a white background and one black path of the dark modules, the viewBox measured
// in modules (quiet zone included), crisp edges, and a nominal width and height of `scale` pixels
// per module. Throws std::invalid_argument when `scale` is outside kMinScale..kMaxScale.
std::string RenderSvg(const QrCode& code, int scale = kDefaultScale);

// How RenderTerminal draws.
enum class TerminalStyle {
    // For a terminal (the caller's output is a tty): each line sets black characters on a white
    // background with ANSI colour codes and resets them before its line break. A terminal's own
    // colours depend on its theme, and a code drawn in them would come out light on dark under a
    // dark theme, which many readers cannot decode; forcing the colours gives dark on light under
    // any theme.
    kAnsiColours,
    // For a file, a pipe or a page: the bare glyphs, each standing for its dark modules, meant to be
    // read as dark on light (paper, an editor, a light theme).
    kPlain,
};

// The code in Unicode half blocks, two module rows to a text line: "█" both dark, "▀" only the upper
// dark, "▄" only the lower dark, " " both light. Every line is size() + 8 characters wide and ends
// with "\n"; the last line's lower half lies below the quiet zone and is light.
std::string RenderTerminal(const QrCode& code, TerminalStyle style);

}  // namespace qr
