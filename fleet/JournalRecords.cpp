#include "fleet/JournalRecords.h"

#include <array>
#include <optional>

namespace fleet {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1U) : c >> 1U;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::size_t kCrcDigits = 8;

void AppendEscaped(std::string& out, std::string_view field) {
    for (const char c : field) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
}

std::string CrcText(std::uint32_t crc) {
    std::string text(kCrcDigits, '0');
    for (std::size_t i = kCrcDigits; i-- > 0; crc >>= 4U) {
        text[i] = kHexDigits[crc & 0xFU];
    }
    return text;
}

// The fields of a record's body, or nothing when an escape is unknown or a raw CR is inside.
std::optional<JournalFields> SplitFields(std::string_view body) {
    JournalFields fields(1);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\t') {
            fields.emplace_back();
            continue;
        }
        if (c == '\r') {
            return std::nullopt;
        }
        if (c != '\\') {
            fields.back() += c;
        } else if (++i < body.size()) {
            switch (body[i]) {
                case '\\':
                    fields.back() += '\\';
                    break;
                case 't':
                    fields.back() += '\t';
                    break;
                case 'r':
                    fields.back() += '\r';
                    break;
                case 'n':
                    fields.back() += '\n';
                    break;
                default:
                    return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return fields;
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const char c : bytes) {
        crc = kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFFU] ^ (crc >> 8U);
    }
    return crc ^ 0xFFFFFFFFU;
}

std::string EncodeJournalRecord(const JournalFields& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            record += '\t';
        }
        AppendEscaped(record, fields[i]);
    }
    const std::string crc = CrcText(Crc32(record));
    record += '\t';
    record += crc;
    record += '\n';
    return record;
}

JournalRecords DecodeJournalRecords(std::string_view bytes) {
    JournalRecords read;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            break;
        }
        const std::string_view line = bytes.substr(start, end - start);
        if (line.size() < kCrcDigits + 1 || line[line.size() - kCrcDigits - 1] != '\t') {
            break;
        }
        const std::string_view body = line.substr(0, line.size() - kCrcDigits - 1);
        if (line.substr(line.size() - kCrcDigits) != CrcText(Crc32(body))) {
            break;
        }
        std::optional<JournalFields> fields = SplitFields(body);
        if (!fields) {
            break;
        }
        read.records.push_back(std::move(*fields));
        start = end + 1;
        read.wholeBytes = start;
    }
    return read;
}

}  // namespace fleet
