#include "fleet/CsvWriter.h"

namespace fleet {
namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;
constexpr std::string_view kStandardOutput = "standard output";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool NeedsQuotes(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    if (IsBlank(field.front()) || IsBlank(field.back())) {
        return true;
    }
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields) {
    if (fields.size() == 1 && fields[0].empty()) {
        out += "\"\"\r\n";
        return;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& field = fields[i];
        if (!NeedsQuotes(field)) {
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
        out.append(field, from, std::string::npos);
        out += '"';
    }
    out += "\r\n";
}

CsvWriter::CsvWriter(std::ostream& out, bool byteOrderMark) : stream_(&out) {
    if (byteOrderMark) {
        buffer_ = "\xEF\xBB\xBF";
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
    AppendCsvRecord(buffer_, fields);
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
