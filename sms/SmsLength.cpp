#include "sms/SmsLength.h"

#include "sms/Gsm7Alphabet.h"
#include "sms/UnicodeText.h"

namespace sms {
namespace {

// The units of the text, with the number of units of each character so that parts can be filled
// without splitting one.
struct Characters {
    std::vector<std::uint16_t> units;
    std::vector<std::uint8_t> sizes;
};

bool ToGsm7(const std::u32string& codePoints, Characters& characters) {
    for (const char32_t codePoint : codePoints) {
        const Gsm7Character encoded = EncodeGsm7(codePoint);
        if (encoded.count == 0) {
            return false;
        }
        characters.units.insert(characters.units.end(), encoded.septets, encoded.septets + encoded.count);
        characters.sizes.push_back(static_cast<std::uint8_t>(encoded.count));
    }
    return true;
}

Characters ToUtf16(const std::u32string& codePoints) {
    Characters characters;
    std::u16string units;
    for (const char32_t codePoint : codePoints) {
        units.clear();
        AppendUtf16(units, codePoint);
        characters.units.insert(characters.units.end(), units.begin(), units.end());
        characters.sizes.push_back(static_cast<std::uint8_t>(units.size()));
    }
    return characters;
}

}  // namespace

SmsSplit SplitSms(std::string_view utf8) {
    const std::u32string codePoints = DecodeUtf8(utf8);
    SmsSplit split;
    Characters characters;
    if (!ToGsm7(codePoints, characters)) {
        split.encoding = SmsEncoding::ucs2;
        characters = ToUtf16(codePoints);
    }
    split.units = static_cast<int>(characters.units.size());
    const bool gsm7 = split.encoding == SmsEncoding::gsm7;
    const int single = gsm7 ? kGsm7SinglePartUnits : kUcs2SinglePartUnits;
    const std::size_t perPart =
        split.units <= single ? single : (gsm7 ? kGsm7MultiPartUnits : kUcs2MultiPartUnits);
    split.parts.emplace_back();
    auto next = characters.units.begin();
    for (const std::uint8_t size : characters.sizes) {
        if (split.parts.back().size() + size > perPart) {
            split.parts.emplace_back();
        }
        split.parts.back().insert(split.parts.back().end(), next, next + size);
        next += size;
    }
    return split;
}

SmsLength MeasureSms(std::string_view utf8) {
    return MeasureSplit(SplitSms(utf8));
}

SmsLength MeasureSplit(const SmsSplit& split) {
    SmsLength length;
    length.parts = static_cast<int>(split.parts.size());
    length.encoding = split.encoding;
    length.units = split.units;
    const bool gsm7 = split.encoding == SmsEncoding::gsm7;
    if (length.parts == 1) {
        length.limit = gsm7 ? kGsm7SinglePartUnits : kUcs2SinglePartUnits;
    } else {
        length.limit = gsm7 ? kGsm7MultiPartUnits : kUcs2MultiPartUnits;
    }
    return length;
}

std::string_view EncodingName(SmsEncoding encoding) {
    return encoding == SmsEncoding::gsm7 ? "gsm7" : "ucs2";
}

std::string FormatSmsLength(const SmsLength& length) {
    return "parts=" + std::to_string(length.parts) +
           " encoding=" + std::string(EncodingName(length.encoding)) +
           " units=" + std::to_string(length.units) + " limit=" + std::to_string(length.limit);
}

}  // namespace sms
