#pragma once

// UTF-8 (the program's texts) to and from UTF-16 (what the Windows controls hold).

#include <windows.h>

#include <string>

namespace app::win32 {

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

// The text of a window or control.
std::wstring WindowText(HWND window);

}  // namespace app::win32
