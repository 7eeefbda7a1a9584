#include "fleet/CsvInput.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/Utf8Append.h"
#include "base/Utf8Path.h"

namespace fleet {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void ReadChunk(std::istream& in, std::vector<char>& chunk, std::size_t& got) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    if (in.bad()) {
        throw CsvError(CsvError::Kind::ReadFailed, 0, "the file could not be read to its end");
    }
    got = static_cast<std::size_t>(in.gcount());
}

std::unique_ptr<std::istream> OpenFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = base::Utf8Path(path);
    if (std::filesystem::is_directory(file, error)) {
        throw CsvError(CsvError::Kind::CannotOpen, 0, "%s is a folder, not a CSV file", {path});
    }
    auto stream = std::make_unique<std::ifstream>(file, std::ios::binary);
    if (!stream->is_open()) {
        const int saved = errno;
        throw CsvError(CsvError::Kind::CannotOpen, 0, "cannot open %s: %s",
                       {path, std::generic_category().message(saved)});
    }
    return stream;
}

// A UTF-16 file is converted whole before it is read, so it is held in memory: this much of it.
constexpr std::size_t kMaxUtf16Bytes = std::size_t{64} << 20;

[[noreturn]] void FailUtf16(const std::string& converted) {
    const auto lines = static_cast<std::size_t>(std::count(converted.begin(), converted.end(), '\n'));
    throw CsvError(CsvError::Kind::InvalidText, lines + 1, "the text is not valid UTF-16");
}

// The rest of `in`, UTF-16 in the given byte order after its byte-order mark, as UTF-8. Refuses an
// unpaired surrogate or a last odd byte rather than replace them.
std::string ReadUtf16(std::istream& in, bool bigEndian) {
    std::string bytes;
    std::vector<char> chunk(std::size_t{64} * 1024);
    std::size_t got = 0;
    do {
        ReadChunk(in, chunk, got);
        bytes.append(chunk.data(), got);
        if (bytes.size() > kMaxUtf16Bytes) {
            throw CsvError(CsvError::Kind::RecordTooLong, 0,
                           "a UTF-16 file of more than 64 MiB (save it as UTF-8 CSV instead)");
        }
    } while (got > 0 && in.good());
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t at) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size()) {
            FailUtf16(out);
        }
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= bytes.size() || unit(i + 2) < 0xDC00 || unit(i + 2) > 0xDFFF) {
                FailUtf16(out);
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            FailUtf16(out);
        }
        base::AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

TextEncoding DetectEncoding(std::istream& in) {
    std::vector<char> chunk(std::size_t{64} * 1024);
    std::size_t got = 0;
    ReadChunk(in, chunk, got);
    const std::string_view first(chunk.data(), got);
    if (first.starts_with(kUtf8Mark)) {
        return TextEncoding::Utf8;
    }
    Utf8Validator validator;
    bool valid = validator.Feed(first);
    while (valid && in.good()) {
        ReadChunk(in, chunk, got);
        valid = validator.Feed(std::string_view(chunk.data(), got));
    }
    return valid && validator.Complete() ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

CsvInput::CsvInput(std::istream& in, EncodingChoice choice, CsvLimits limits) {
    Start(in, choice, limits);
}

CsvInput::CsvInput(const std::string& path, EncodingChoice choice, CsvLimits limits)
    : owned_(OpenFile(path)) {
    Start(*owned_, choice, limits);
}

CsvInput::~CsvInput() = default;

void CsvInput::Start(std::istream& in, EncodingChoice choice, CsvLimits limits) {
    // A spreadsheet's "Unicode text" is UTF-16 with a byte-order mark, which decides whatever encoding
    // was named. Only a stream that can seek is looked at: a pipe's first bytes cannot be put back.
    if (const std::istream::pos_type start = in.tellg(); start != std::istream::pos_type(-1)) {
        std::array<unsigned char, 2> mark{};
        in.read(reinterpret_cast<char*>(mark.data()), 2);
        const bool little = in.gcount() == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
        const bool big = in.gcount() == 2 && mark[0] == 0xFE && mark[1] == 0xFF;
        if (little || big) {
            std::string text = ReadUtf16(in, big);
            owned_ = std::make_unique<std::istringstream>(std::move(text));
            utf16_ = true;
            encoding_ = TextEncoding::Utf8;
            reader_ = std::make_unique<CsvReader>(*owned_, limits);
            return;
        }
        in.clear();
        if (!in.seekg(start)) {
            throw CsvError(CsvError::Kind::ReadFailed, 0, "the file could not be read a second time");
        }
    }
    encoding_ = choice == EncodingChoice::Gb18030 ? TextEncoding::Gb18030 : TextEncoding::Utf8;
    if (choice == EncodingChoice::Detect) {
        const std::istream::pos_type start = in.tellg();
        if (start != std::istream::pos_type(-1)) {
            encoding_ = DetectEncoding(in);
            in.clear();
            if (!in.seekg(start)) {
                throw CsvError(CsvError::Kind::ReadFailed, 0, "the file could not be read a second time");
            }
            detected_ = true;
        }
    }
    reader_ = std::make_unique<CsvReader>(in, limits);
}

bool CsvInput::Next(std::vector<std::string>& fields) {
    if (!reader_->Next(fields)) {
        return false;
    }
    if (encoding_ == TextEncoding::Utf8 && reader_->ByteOrderMark() == CsvReader::Mark::Gb18030) {
        throw CsvError(CsvError::Kind::InvalidText, 1,
                       "the file begins with a GB18030 byte-order mark, so it is not UTF-8");
    }
    if (!reader_->RecordIsAscii()) {
        Decode(fields);
    }
    return true;
}

void CsvInput::Decode(std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string& field = fields[i];
        if (IsAscii(field)) {
            continue;
        }
        if (encoding_ == TextEncoding::Utf8) {
            if (!IsValidUtf8(field)) {
                throw CsvError(CsvError::Kind::InvalidText, reader_->FieldLine(i),
                               "the text is not valid UTF-8 (name its encoding if it is GB18030)");
            }
            continue;
        }
        std::optional<std::string> converted = Gb18030ToUtf8(field);
        if (!converted) {
            throw CsvError(
                CsvError::Kind::InvalidText, reader_->FieldLine(i),
                detected_ ? "the text is neither UTF-8 nor GB18030" : "the text is not valid GB18030");
        }
        field = std::move(*converted);
    }
}

}  // namespace fleet
