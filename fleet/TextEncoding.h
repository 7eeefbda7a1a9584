#pragma once

// The text encodings a fleet CSV file may come in: UTF-8 (with or without a byte-order mark) and
// GB18030, which covers GBK and GB2312 as Chinese spreadsheet programs save CSV files. Everything
// the program handles afterwards is UTF-8.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fleet {

enum class TextEncoding { Utf8, Gb18030 };

// The user's choice: a named encoding, or Detect (valid UTF-8 throughout means UTF-8, else GB18030).
enum class EncodingChoice { Detect, Utf8, Gb18030 };

// "utf-8" / "utf8" and "gb18030" (also "gbk" and "gb2312", which it covers), ignoring ASCII case;
// nullopt for any other name. Detect has no name: it is what an absent choice means.
std::optional<EncodingChoice> ParseEncodingName(std::string_view name);

// "utf-8" or "gb18030".
std::string_view EncodingName(TextEncoding encoding);

// Validates UTF-8 fed in pieces of any size, so that a whole file can be checked in bounded memory:
// shortest forms only, no surrogates, nothing above U+10FFFF.
class Utf8Validator final {
public:
    // Takes the next bytes; false once any byte so far broke the rules (and from then on).
    bool Feed(std::string_view bytes);
    // True when every byte fed was valid and no character is left unfinished.
    bool Complete() const { return valid_ && pending_ == 0; }

private:
    bool valid_ = true;
    int pending_ = 0;          // continuation bytes still expected
    std::uint8_t low_ = 0x80;  // allowed range of the next continuation byte
    std::uint8_t high_ = 0xBF;
};

// True when `bytes` is whole, valid UTF-8.
bool IsValidUtf8(std::string_view bytes);

// True when every byte is below 0x80 (text that reads the same in UTF-8 and GB18030).
bool IsAscii(std::string_view bytes);

// GB18030 conversion is missing on this system (no iconv module for it). what() says so.
class EncodingUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The GB18030 bytes converted to UTF-8, or nullopt when they are not valid GB18030 (an invalid or
// unfinished sequence). A GB18030 byte-order mark comes out as U+FEFF; dropping it is the caller's
// choice. Throws EncodingUnavailable when the system cannot convert GB18030 at all. This is the only
// function that calls the platform's converter (glibc iconv here).
std::optional<std::string> Gb18030ToUtf8(std::string_view bytes);

// The reverse: UTF-8 text as GB18030 bytes (ASCII stays as it is), or nullopt when `text` is not
// valid UTF-8. Throws EncodingUnavailable like Gb18030ToUtf8.
std::optional<std::string> Utf8ToGb18030(std::string_view text);

}  // namespace fleet
