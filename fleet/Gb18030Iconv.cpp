// GB18030 to UTF-8 and back through glibc's iconv. A Windows build replaces this file with one that
// calls MultiByteToWideChar and WideCharToMultiByte with code page 54936.

#include <cerrno>

#include <iconv.h>

#include "fleet/TextEncoding.h"

namespace fleet {
namespace {

// Opening a converter loads a module and costs far more than converting one field, so each thread
// keeps one open for its lifetime.
class Converter final {
public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Usable()) {
            ::iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // iconv_open reports failure as the handle (iconv_t)-1; that value is only compared, never used.
    bool Usable() const {
        return handle_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// `bytes` converted by `converter`; nullopt on an invalid or unfinished sequence. `growth` bounds how
// many output bytes one input byte can give, so that the first buffer usually suffices.
std::optional<std::string> Convert(const Converter& converter, std::string_view bytes, std::size_t growth) {
    if (!converter.Usable()) {
        throw EncodingUnavailable("this system cannot convert GB18030 text (iconv has no GB18030 module)");
    }
    // A failed call can leave a half-read sequence in the converter's state.
    ::iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);

    std::string out(bytes.size() * growth + 4, '\0');
    // iconv takes its input through a pointer to non-const; a copy keeps the caller's bytes out of it.
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(converter.get(), &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno != E2BIG) {
            return std::nullopt;  // EILSEQ: an invalid sequence; EINVAL: one cut off at the end
        }
        const auto used = static_cast<std::size_t>(to - out.data());
        out.resize(out.size() * 2);
        to = out.data() + used;
        toLeft = out.size() - used;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    thread_local const Converter converter("UTF-8", "GB18030");
    // Every GB18030 sequence of n bytes becomes at most 2n bytes of UTF-8 (one byte may become two).
    return Convert(converter, bytes, 2);
}

std::optional<std::string> Utf8ToGb18030(std::string_view text) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    if (!IsValidUtf8(text)) {
        return std::nullopt;
    }
    thread_local const Converter converter("GB18030", "UTF-8");
    // A UTF-8 sequence becomes at most twice its length in GB18030 (two bytes may become four).
    return Convert(converter, text, 2);
}

}  // namespace fleet
