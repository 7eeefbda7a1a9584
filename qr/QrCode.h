#pragma once

// QR codes for handing the SMS command to a phone: the `SMSTO:<phone>:<command>` payload that phone
// camera apps open as a new text message, and its encoding into a module matrix at error-correction
// level M. Standard C++; the encoder library stays behind the .cpp file.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qr {

// Every failure of this module is reported by throwing QrError; nothing returns a half-made code.
class QrError final : public std::runtime_error {
public:
    enum class Reason {
        kPayloadTooLong,  // more bytes than the largest symbol (version 40) holds at level M
        kInvalidPhone,    // a phone number that cannot stand in an SMSTO payload
        kEncoderFailure,  // the encoder library failed for another reason (memory, internal error)
    };

    QrError(Reason reason, const std::string& message) : std::runtime_error(message), reason_(reason) {}

    Reason reason() const noexcept { return reason_; }

private:
    Reason reason_;
};

// The modules of one QR symbol, without its quiet zone. Row-major, (0, 0) is the top-left module.
class QrCode final {
public:
    // Encodes `bytes` (normally UTF-8 text) as 8-bit data, so that letter case and every character
    // survive as they are, at error-correction level M in the smallest version that holds them.
    // Text with a byte above 127 is preceded by the ECI designator for UTF-8, so that readers
    // decode it as UTF-8 rather than guessing between Latin-1, Shift JIS and UTF-8; plain ASCII
    // gets none and stays as small and as widely readable as possible.
    // Throws QrError: kPayloadTooLong when no version holds the bytes, kEncoderFailure otherwise.
    static QrCode Encode(std::string_view bytes);

    // Modules per side (21 for version 1, then 4 more per version up to 177 for version 40).
    int size() const noexcept { return size_; }
    // The symbol version, 1 to 40.
    int version() const noexcept { return version_; }
    // Whether the module in column `x`, row `y` is dark. Any position outside the symbol is light,
    // so renderers can draw the quiet zone by simply asking beyond the edges.
    bool IsDark(int x, int y) const noexcept;

private:
    QrCode(int version, int size, std::vector<std::uint8_t> modules)
        : version_(version), size_(size), modules_(std::move(modules)) {}

    int version_ = 0;
    int size_ = 0;
    std::vector<std::uint8_t> modules_;  // size_ * size_ entries, 1 for dark
};

// Light modules around the symbol on every side, the minimum that readers need to find it.
inline constexpr int kQuietZoneModules = 4;

// `SMSTO:<phone>:<command>`, with the phone number exactly as given (a leading `+` included) and the
// command unchanged. Readers split at the first `:` after the prefix, so the command may hold any
// character, but the phone cannot: an empty phone, or one holding a `:` or a control character
// (which would move part of the number into the message or break the reader's parsing), throws
// QrError with kInvalidPhone.
std::string SmsToPayload(std::string_view phone, std::string_view command);

}  // namespace qr
