#include "fleet/CsvWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fleet {
namespace {

constexpr std::size_t kFlushBytes = std::size_t{64} * 1024;
constexpr std::string_view kStandardOutput = "standard output";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether any of the eight bytes in `word` is `c` (the classic test for a zero byte in a word).
constexpr bool HasByte(std::uint64_t word, unsigned char c) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::uint64_t x = word ^ (kOnes * c);
    return ((x - kOnes) & ~x & 0x8080808080808080ULL) != 0;
}

bool NeedsQuoteFor(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n' || c == ';' || c == '\t';
}

}  // namespace

bool NeedsQuotes(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    if (IsBlank(field.front()) || IsBlank(field.back())) {
        return true;
    }
    // Eight bytes at a time: this runs on every field of every row, and find_first_of would search
    // the set once per byte.
    std::size_t i = 0;
    for (; i + 8 <= field.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, field.data() + i, sizeof(word));
        if (HasByte(word, ',') || HasByte(word, '"') || HasByte(word, '\r') || HasByte(word, '\n') ||
            HasByte(word, ';') || HasByte(word, '\t')) {
            return true;
        }
    }
    return std::any_of(field.begin() + static_cast<std::ptrdiff_t>(i), field.end(), NeedsQuoteFor);
}

void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields, bool atStart) {
    if (fields.size() == 1 && fields[0].empty()) {
        out += "\"\"\r\n";
        return;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& field = fields[i];
        const bool markAtStart = atStart && i == 0 && field.starts_with(kByteOrderMark);
        if (!markAtStart && !NeedsQuotes(field)) {
            out += field;
            continue;
        }
        out += '"';
        std::size_t from = 0;
        for (std::size_t quote = field.find('"'); quote != std::string::npos; quote = field.find('"', from)) {
            out.append(field, from, quote + 1 - from);
            out += '"';
            from = quote + 1;
        }
        out.append(std::string_view(field).substr(from));
        out += '"';
    }
    out += "\r\n";
}

CsvWriter::CsvWriter(std::ostream& out, bool byteOrderMark) : stream_(&out) {
    if (byteOrderMark) {
        buffer_ = kByteOrderMark;
        atStart_ = false;
    }
}

CsvWriter::CsvWriter(const std::string& path, bool byteOrderMark)
    : file_(std::make_unique<OutputFile>(path)) {
    if (byteOrderMark) {
        buffer_ = "\xEF\xBB\xBF";
    }
}

CsvWriter::~CsvWriter() = default;

void CsvWriter::Write(const std::vector<std::string>& fields) {
    AppendCsvRecord(buffer_, fields, atStart_);
    atStart_ = false;
    if (buffer_.size() >= kFlushBytes) {
        Flush();
    }
}

void CsvWriter::Flush() {
    if (file_) {
        file_->Write(buffer_);
    } else {
        stream_->write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        if (!*stream_) {
            throw OutputError(std::string(kStandardOutput), "the stream refused the bytes");
        }
    }
    buffer_.clear();
}

void CsvWriter::Finish() {
    Flush();
    if (file_) {
        file_->Commit();
        return;
    }
    if (!stream_->flush()) {
        throw OutputError(std::string(kStandardOutput), "the stream refused the bytes");
    }
}

}  // namespace fleet
