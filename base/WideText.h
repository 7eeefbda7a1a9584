#pragma once

// Text at the boundary with the Windows API, which takes and gives UTF-16, while the program keeps
// every text and path in UTF-8. Windows builds only.

#include <string>
#include <string_view>

namespace base {

// `utf8` in UTF-16. Empty when `utf8` is not valid UTF-8 or holds a NUL character: a path or URL
// turned into another one by a replacement character or cut at a NUL would name something else,
// so it names nothing instead (and every open of it fails).
std::wstring ToWide(std::string_view utf8);

// `wide` in UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view wide);

// The system's text for the error code `code` (GetLastError's kind) without its final line break,
// or "error <code>" when the system has none. `module`, when given, is the DLL whose message table
// holds the text (for WinHTTP's codes, say).
std::string SystemErrorText(unsigned long code, const wchar_t* module = nullptr);

}  // namespace base
