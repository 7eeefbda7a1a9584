#include "fleet/CsvReader.h"

#include <array>
#include <cstring>
#include <string_view>

namespace fleet {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
constexpr int kEnd = -1;

// Bytes that end a run of ordinary text outside quotes, and inside quotes.
constexpr std::array<bool, 256> MakeStops(std::string_view stops) {
    std::array<bool, 256> table{};
    for (const char c : stops) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kQuotedStops = MakeStops(std::string_view("\"\0", 2));

// The first stop byte in [from, to), or `to`; ORs every byte passed over into `seen`, which tells
// at no extra pass whether the record holds any byte above 0x7F.
const char* FindStop(const char* from, const char* to, const std::array<bool, 256>& stops,
                     unsigned char& seen) {
    unsigned char bits = 0;
    while (from < to && !stops[static_cast<unsigned char>(*from)]) {
        bits |= static_cast<unsigned char>(*from);
        ++from;
    }
    seen |= bits;
    return from;
}

// The separator of the first line of `text`: the one of ',', ';' and tab found most often outside
// quotes, ',' when none is or on a tie with it.
char DetectSeparator(std::string_view text) {
    std::size_t commas = 0;
    std::size_t semicolons = 0;
    std::size_t tabs = 0;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\r' || c == '\n')) {
            break;
        } else if (!quoted) {
            commas += c == ',' ? 1 : 0;
            semicolons += c == ';' ? 1 : 0;
            tabs += c == '\t' ? 1 : 0;
        }
    }
    if (semicolons > commas && semicolons >= tabs) {
        return ';';
    }
    return tabs > commas && tabs > semicolons ? '\t' : ',';
}

}  // namespace

std::size_t CountLineBreaks(std::string_view text) {
    // Most fields hold no line break; memchr finds that out far faster than a loop over the bytes.
    if (std::memchr(text.data(), '\n', text.size()) == nullptr &&
        std::memchr(text.data(), '\r', text.size()) == nullptr) {
        return 0;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++count;
        }
    }
    return count;
}

CsvReader::CsvReader(std::istream& in, CsvLimits limits)
    : in_(in), limits_(limits), buffer_(kChunkBytes), unquotedStops_(UnquotedStops(',')) {}

std::array<bool, 256> CsvReader::UnquotedStops(char separator) {
    const char stops[] = {separator, '\r', '\n', '"', '\0'};
    return MakeStops(std::string_view(stops, sizeof(stops)));
}

bool CsvReader::Refill() {
    pos_ = 0;
    end_ = 0;
    if (!in_.good()) {
        return false;
    }
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (in_.bad()) {
        Fail(CsvError::Kind::ReadFailed, line_, "the file could not be read to its end");
    }
    end_ = static_cast<std::size_t>(in_.gcount());
    if (!started_) {
        started_ = true;
        if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) {
            mark_ = Mark::Utf8;
            pos_ = 3;
        } else if (end_ >= 4 && std::memcmp(buffer_.data(), "\x84\x31\x95\x33", 4) == 0) {
            mark_ = Mark::Gb18030;
            pos_ = 4;
        }
        separator_ = DetectSeparator(std::string_view(buffer_.data() + pos_, end_ - pos_));
        unquotedStops_ = UnquotedStops(separator_);
    }
    return pos_ < end_;
}

void CsvReader::Fail(CsvError::Kind kind, std::size_t line, const std::string& reason,
                     std::vector<base::FormatArg> args) {
    throw CsvError(kind, line, reason, std::move(args));
}

void CsvReader::Append(std::string& field, const char* from, std::size_t count, std::size_t fieldLine) {
    if (field.size() + count > limits_.maxFieldBytes) {
        Fail(CsvError::Kind::FieldTooLong, fieldLine, "a field is longer than %d bytes",
             {static_cast<long long>(limits_.maxFieldBytes)});
    }
    recordBytes_ += count;
    if (recordBytes_ > limits_.maxRecordBytes) {
        Fail(CsvError::Kind::RecordTooLong, recordLine_, "a record is longer than %d bytes",
             {static_cast<long long>(limits_.maxRecordBytes)});
    }
    field.append(from, count);
}

void CsvReader::ReadUnquoted(std::string& field) {
    const std::size_t fieldLine = line_;
    while (Fill()) {
        const char* from = buffer_.data() + pos_;
        const char* stop = FindStop(from, buffer_.data() + end_, unquotedStops_, seenBits_);
        Append(field, from, static_cast<std::size_t>(stop - from), fieldLine);
        pos_ += static_cast<std::size_t>(stop - from);
        if (pos_ == end_) {
            continue;
        }
        if (*stop == '"') {
            Fail(CsvError::Kind::QuoteInUnquotedField, line_,
                 "a quote inside a field that does not begin with one (put the whole field in quotes "
                 "and write the quote twice)");
        }
        if (*stop == '\0') {
            Fail(
                CsvError::Kind::NulByte, line_,
                "not a CSV file (it holds NUL bytes: binary data, or UTF-16 text without a byte-order mark)");
        }
        return;
    }
}

void CsvReader::ReadQuoted(std::string& field) {
    const std::size_t fieldLine = line_;
    for (;;) {
        if (!Fill()) {
            Fail(CsvError::Kind::UnbalancedQuote, fieldLine,
                 "a quoted field begins here and is never closed (the file ends inside the quotes)");
        }
        const char* from = buffer_.data() + pos_;
        const char* stop = FindStop(from, buffer_.data() + end_, kQuotedStops, seenBits_);
        Append(field, from, static_cast<std::size_t>(stop - from), fieldLine);
        pos_ += static_cast<std::size_t>(stop - from);
        if (pos_ == end_) {
            continue;
        }
        if (*stop == '\0') {
            Fail(
                CsvError::Kind::NulByte, fieldLine + CountLineBreaks(field),
                "not a CSV file (it holds NUL bytes: binary data, or UTF-16 text without a byte-order mark)");
        }
        ++pos_;
        if (Peek() == '"') {
            ++pos_;
            Append(field, "\"", 1, fieldLine);
            continue;
        }
        line_ += CountLineBreaks(field);
        return;
    }
}

void CsvReader::TakeLineEnd(int c) {
    ++pos_;
    if (c == '\r' && Peek() == '\n') {
        ++pos_;
    }
    ++line_;
}

bool CsvReader::Next(std::vector<std::string>& fields) {
    std::size_t used = 0;
    fieldLines_.clear();
    recordBytes_ = 0;
    seenBits_ = 0;
    // Empty lines carry no record; spreadsheet exports and hand edits leave them at the end.
    for (int c = Peek(); c == '\r' || c == '\n'; c = Peek()) {
        TakeLineEnd(c);
    }
    if (Peek() == kEnd) {
        fields.clear();
        return false;
    }
    recordLine_ = line_;
    for (;;) {
        if (used == limits_.maxFields) {
            Fail(CsvError::Kind::TooManyFields, recordLine_, "a record has more than %d fields",
                 {static_cast<long long>(limits_.maxFields)});
        }
        if (used == fields.size()) {
            fields.emplace_back();
        }
        std::string& field = fields[used++];
        field.clear();
        fieldLines_.push_back(line_);
        if (Peek() == '"') {
            ++pos_;
            ReadQuoted(field);
            const int after = Peek();
            if (after != separator_ && after != '\r' && after != '\n' && after != kEnd) {
                Fail(CsvError::Kind::TextAfterClosingQuote, line_,
                     "text after the closing quote of a field (a separator or a line end must follow it)");
            }
        } else {
            ReadUnquoted(field);
        }
        const int separator = Peek();
        if (separator == separator_) {
            ++pos_;
            continue;
        }
        if (separator != kEnd) {
            TakeLineEnd(separator);
        }
        fields.resize(used);
        return true;
    }
}

}  // namespace fleet
