#include "fleet/CsvInput.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

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
        throw CsvError(CsvError::Kind::CannotOpen, 0, path + " is a folder, not a CSV file");
    }
    auto stream = std::make_unique<std::ifstream>(file, std::ios::binary);
    if (!stream->is_open()) {
        const int saved = errno;
        throw CsvError(CsvError::Kind::CannotOpen, 0,
                       "cannot open " + path + ": " + std::generic_category().message(saved));
    }
    return stream;
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
