#pragma once

// A picture of a window's client area as it shows on the screen, for --screenshot.

#include <windows.h>

#include <string>

namespace app::win32 {

// The client area of `window`, children included, as a PNG file's bytes (8-bit RGB). The window
// must be shown and painted. Throws std::runtime_error when the system gives no picture.
std::string ClientAreaPng(HWND window);

// Writes ClientAreaPng(window) to `path` (UTF-8). False when the picture or the file cannot be made.
bool SaveClientArea(HWND window, const std::string& path);

}  // namespace app::win32
