#include "tests/windows/ProfileShapeMaker.h"

namespace winprofile {
namespace {

const std::vector<std::string> kChineseWords = {"端口", "固定IP", "设置", "名称"};
const std::vector<std::string> kChineseCharacters = {"端", "口", "固", "定", "设", "置"};
const std::vector<std::string> kInvalidUtf8 = {"\xC3(",    "\xFF",     "\x80",
                                               "\xE4\xB8", "\xC0\xAF", "\xED\xA0\x80"};
const std::vector<std::string> kPlainValues = {
    "192.168.1.100", "TQ-GP000001",       "CMNET", "my host", "a b  c", "x", "6000 ; the port",
    "a=b",           "http://h/?a=1;b=2",
};
const std::vector<std::string> kDecimals = {"6000", "+8000", "-1",         "-0",          "+0",   "007",
                                            "0",    "65535", "2147483647", "-2147483648", "99999"};
const std::vector<std::string> kDollarHex = {"$1F40", "$1f40", "$0", "$7FFFFFFF", "$-1", "+$10", "-$10", "$"};
const std::vector<std::string> kZeroXHex = {"0x1F40", "0X1f40", "0x0", "-0x10", "0x7fffffff", "0x"};
const std::vector<std::string> kOverflows = {"2147483648",  "-2147483649", "4294967296", "4294967297",
                                             "-4294967297", "99999999999", "0x80000000", "$FFFFFFFF"};
const std::vector<std::string> kJunk = {"123abc", "12 34", "6000 ; port", "6000;port",
                                        "1e3",    "12.5",  "--5",         "+-5",
                                        "6000x",  "0x1G",  "42A94967297", "B4294967297"};

}  // namespace

ShapeMaker::ShapeMaker(std::uint32_t seed, std::size_t index) {
    std::seed_seq sequence{seed, static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(index >> 32)};
    rng_.seed(sequence);
}

std::string ShapeMaker::Blanks(int percent) {
    std::string blanks;
    if (Chance(percent)) {
        for (int i = Uniform(1, 3); i > 0; --i) {
            blanks += Chance(60) ? ' ' : '\t';
        }
    }
    return blanks;
}

std::string ShapeMaker::SomeCase(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && Chance(50)) {
            c = static_cast<char>(c ^ 0x20);
        }
    }
    return out;
}

// Text outside ASCII as the file's encoding holds it: Chinese in UTF-8 files, any bytes >= 0x80 in
// files of the ANSI code page.
std::string ShapeMaker::HighText() {
    Mark(Shape::HighBytes);
    if (utf8_) {
        return Pick(kChineseWords);
    }
    std::string bytes;
    for (int i = Uniform(1, 4); i > 0; --i) {
        bytes += static_cast<char>(Uniform(0x80, 0xFF));
    }
    return bytes;
}

// A name that starts with a letter, so that no file starts with a byte >= 0x80, and never holds
// characters that end a name ("=", "]") or start a comment or header, nor blanks at either end.
std::string ShapeMaker::RandomName() {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr std::string_view kTail =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _-.()";
    std::string name(1,
                     kLetters[static_cast<std::size_t>(Uniform(0, static_cast<int>(kLetters.size()) - 1))]);
    for (int i = Uniform(0, 10); i > 0; --i) {
        name += kTail[static_cast<std::size_t>(Uniform(0, static_cast<int>(kTail.size()) - 1))];
    }
    if (Chance(15)) {
        name.insert(static_cast<std::size_t>(Uniform(1, static_cast<int>(name.size()))), HighText());
    }
    while (name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string ShapeMaker::Value() {
    const int pick = Uniform(0, 99);
    if (pick < 25) {
        return Pick(kPlainValues);
    }
    if (pick < 31) {
        Mark(Shape::EmptyValue);
        return "";
    }
    if (pick < 45) {
        return QuotedValue();
    }
    if (pick < 60) {
        return IntegerValue();
    }
    if (pick < 72) {
        return "ab" + HighText() + (Chance(50) ? " cd" : "");
    }
    if (pick < 80) {
        Mark(Shape::InvalidUtf8);
        Mark(Shape::HighBytes);
        return "ab" + Pick(kInvalidUtf8) + (Chance(50) ? "cd" : "");
    }
    if (pick < 88) {
        return LongValue();
    }
    return RandomName();
}

std::string ShapeMaker::QuotedValue() {
    std::string inner = Pick(std::vector<std::string>{"my host", "", " padded ", "6000", "a'b", "x\"y"});
    if (Chance(20)) {
        inner += HighText();
    }
    switch (Uniform(0, 5)) {
        case 0:
            Mark(Shape::DoubleQuoted);
            return "\"" + inner + "\"";
        case 1:
            Mark(Shape::SingleQuoted);
            return "'" + inner + "'";
        case 2:
            Mark(Shape::MismatchedQuotes);
            return Chance(50) ? "\"" + inner + "'" : "'" + inner + "\"";
        case 3:
            Mark(Shape::MismatchedQuotes);
            return Chance(50) ? "\"" + inner : inner + "\"";
        case 4:
            Mark(Shape::InnerQuotes);
            return Chance(50) ? "a\"b\"c" : "\"a\"b\"";
        default:
            Mark(Shape::LoneQuote);
            return Chance(50) ? "\"" : "'";
    }
}

std::string ShapeMaker::IntegerValue() {
    switch (Uniform(0, 5)) {
        case 0:
            Mark(Shape::SignedDecimal);
            return Pick(kDecimals);
        case 1:
            Mark(Shape::DollarHex);
            return Pick(kDollarHex);
        case 2:
            Mark(Shape::ZeroXHex);
            return Pick(kZeroXHex);
        case 3:
            Mark(Shape::Overflow);
            return Pick(kOverflows);
        case 4:
            Mark(Shape::TrailingJunk);
            return Pick(kJunk);
        default:
            Mark(Shape::SignedDecimal);
            Mark(Shape::DoubleQuoted);
            return "\"" + Pick(kDecimals) + "\"";
    }
}

// A value of a length in characters around and over the read limit, quoted or not; in UTF-8 files
// often of Chinese characters (three bytes, one UTF-16 unit each).
std::string ShapeMaker::LongValue() {
    Mark(Shape::LongValue);
    const int characters = Pick(std::vector<int>{2045, 2046, 2047, 2048, 2049, 2100, 4096});
    const bool chinese = utf8_ && Chance(50);
    const bool high = !utf8_ && Chance(30);
    std::string value;
    for (int i = 0; i < characters; ++i) {
        if (chinese && Chance(50)) {
            value += Pick(kChineseCharacters);
        } else if (high && Chance(20)) {
            value += static_cast<char>(Uniform(0x80, 0xFF));
        } else {
            value += static_cast<char>('a' + i % 26);
        }
    }
    if (chinese || high) {
        Mark(Shape::HighBytes);
    }
    if (Chance(40)) {
        const bool single = Chance(50);
        Mark(single ? Shape::SingleQuoted : Shape::DoubleQuoted);
        const char quote = single ? '\'' : '"';
        value = quote + value + quote;
    }
    return value;
}

}  // namespace winprofile
