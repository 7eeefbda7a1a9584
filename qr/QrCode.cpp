#include "qr/QrCode.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include <qrencode.h>

namespace qr {
namespace {

// Assignment number of UTF-8 in the ECI registry.
constexpr unsigned int kEciUtf8 = 26;

// No symbol holds more than 2953 bytes (version 40 at level L); anything far beyond is refused
// before it reaches the library, whose sizes are plain ints.
constexpr std::size_t kMaxBytesEverEncodable = 2953;

struct InputDeleter {
    void operator()(QRinput* input) const { QRinput_free(input); }
};
struct CodeDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

QrError TooLong(std::size_t bytes) {
    return {QrError::Reason::kPayloadTooLong,
            "The text (" + std::to_string(bytes) + " bytes) is too long for a QR code."};
}

QrError EncoderFailure(const char* step) {
    return {QrError::Reason::kEncoderFailure, std::string("The QR code encoder failed (") + step +
                                                  "): " + std::generic_category().message(errno)};
}

bool HasNonAscii(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) > 127; });
}

}  // namespace

QrCode QrCode::Encode(std::string_view bytes) {
    if (bytes.size() > kMaxBytesEverEncodable) {
        throw TooLong(bytes.size());
    }
    std::unique_ptr<QRinput, InputDeleter> input(QRinput_new2(0, QR_ECLEVEL_M));
    if (!input) {
        throw EncoderFailure("input");
    }
    if (HasNonAscii(bytes) && QRinput_appendECIheader(input.get(), kEciUtf8) != 0) {
        throw EncoderFailure("ECI");
    }
    // An empty 8-bit segment is refused by the library; an empty symbol is still a valid code.
    if (!bytes.empty() && QRinput_append(input.get(), QR_MODE_8, static_cast<int>(bytes.size()),
                                         reinterpret_cast<const unsigned char*>(bytes.data())) != 0) {
        throw EncoderFailure("data");
    }
    errno = 0;
    std::unique_ptr<QRcode, CodeDeleter> code(QRcode_encodeInput(input.get()));
    if (!code) {
        if (errno == ERANGE) {
            throw TooLong(bytes.size());
        }
        throw EncoderFailure("symbol");
    }
    const int size = code->width;
    std::vector<std::uint8_t> modules(static_cast<std::size_t>(size) * size);
    // The library packs several flags into each byte; only the lowest bit says dark.
    std::transform(code->data, code->data + modules.size(), modules.begin(),
                   [](unsigned char module) { return static_cast<std::uint8_t>(module & 1U); });
    return {code->version, size, std::move(modules)};
}

bool QrCode::IsDark(int x, int y) const noexcept {
    if (x < 0 || y < 0 || x >= size_ || y >= size_) {
        return false;
    }
    return modules_[static_cast<std::size_t>(y) * size_ + x] != 0;
}

std::string SmsToPayload(std::string_view phone, std::string_view command) {
    if (phone.empty()) {
        throw QrError(QrError::Reason::kInvalidPhone, "The phone number is empty.");
    }
    const bool unusable = std::any_of(phone.begin(), phone.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == ':' || byte < 0x20 || byte == 0x7F;
    });
    if (unusable) {
        throw QrError(QrError::Reason::kInvalidPhone,
                      "The phone number holds a character that cannot stand in an SMS link (a colon or "
                      "a control character).");
    }
    std::string payload = "SMSTO:";
    payload.append(phone).append(":").append(command);
    return payload;
}

}  // namespace qr
