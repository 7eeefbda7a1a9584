// GB18030 to UTF-8 and back through Windows' own converter: code page 54936 is GB18030, from Windows XP on.

#include <windows.h>

#include "base/WideText.h"
#include "fleet/TextEncoding.h"

namespace fleet {

namespace {
constexpr UINT kGb18030CodePage = 54936;

void RequireGb18030() {
    if (::IsValidCodePage(kGb18030CodePage) == 0) {
        throw EncodingUnavailable("this system cannot convert GB18030 text (code page 54936 is missing)");
    }
}
}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    RequireGb18030();
    // Each GB18030 byte gives at most one UTF-16 unit; the flag makes an invalid or unfinished sequence
    // an error instead of a silent replacement character.
    const int length = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size(), L'\0');
    const int size = ::MultiByteToWideChar(kGb18030CodePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                           wide.data(), static_cast<int>(wide.size()));
    if (size <= 0) {
        return std::nullopt;
    }
    wide.resize(static_cast<std::size_t>(size));
    return base::ToUtf8(wide);
}

std::optional<std::string> Utf8ToGb18030(std::string_view text) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    if (!IsValidUtf8(text)) {
        return std::nullopt;
    }
    RequireGb18030();
    const std::wstring wide = base::ToWide(text);
    const int wideLength = static_cast<int>(wide.size());
    const int size =
        ::WideCharToMultiByte(kGb18030CodePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(kGb18030CodePage, 0, wide.data(), wideLength, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace fleet
