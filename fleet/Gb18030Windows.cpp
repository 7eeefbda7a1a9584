// GB18030 to UTF-8 through Windows' own converter: code page 54936 is GB18030, from Windows XP on.

#include <windows.h>

#include "base/WideText.h"
#include "fleet/TextEncoding.h"

namespace fleet {

namespace {
constexpr UINT kGb18030CodePage = 54936;
}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    if (::IsValidCodePage(kGb18030CodePage) == 0) {
        throw EncodingUnavailable("this system cannot convert GB18030 text (code page 54936 is missing)");
    }
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

}  // namespace fleet
