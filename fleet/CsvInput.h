#pragma once

// A CSV file read as UTF-8 records, whatever encoding it was saved in.
//
// Encoding: a named choice is used as it is. Detect reads a stream that can seek twice: the first
// pass checks that every byte is valid UTF-8 (in chunks, bounded memory), which makes it UTF-8,
// otherwise GB18030; the second pass reads the records. A file that begins with a UTF-8 byte-order
// mark is UTF-8 without the first pass. A stream that cannot seek (a pipe) is read once, as UTF-8,
// unless GB18030 is named. A byte-order mark is never part of the first field: a UTF-8 one is
// dropped whichever encoding is read, a GB18030 one makes Detect choose GB18030 and is an error
// (InvalidText, line 1) when UTF-8 is named. A seekable stream that begins with a UTF-16 byte-order
// mark (FF FE or FE FF, as spreadsheet programs save "Unicode text") is UTF-16 whatever the choice:
// it is converted whole (at most 64 MiB, else RecordTooLong) and read as UTF-8; an unpaired
// surrogate or an odd last byte is InvalidText.
//
// Bytes that are not text of the chosen encoding are an error (CsvError InvalidText naming the
// line where the field began), never replaced: a DTU number or an address with a replacement
// character in it would configure a unit wrongly. ASCII reads the same in both encodings.

#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "fleet/CsvReader.h"
#include "fleet/TextEncoding.h"

namespace fleet {

class CsvInput final {
public:
    // Reads `in`, which must outlive this object. With Detect on a seekable stream the first pass
    // runs here. Throws CsvError ReadFailed when the stream cannot be read.
    CsvInput(std::istream& in, EncodingChoice choice, CsvLimits limits = {});
    // Opens and reads the file at `path`. Throws CsvError CannotOpen ("cannot open <path>: <reason>")
    // when it is missing, a folder or unreadable.
    CsvInput(const std::string& path, EncodingChoice choice, CsvLimits limits = {});
    ~CsvInput();
    CsvInput(const CsvInput&) = delete;
    CsvInput& operator=(const CsvInput&) = delete;

    // The next record, each field UTF-8; false at the end. Throws CsvError (see CsvReader, and
    // InvalidText for bytes that are not text of the encoding).
    bool Next(std::vector<std::string>& fields);

    std::size_t RecordLine() const { return reader_->RecordLine(); }
    TextEncoding encoding() const { return encoding_; }
    // True when the input began with a UTF-8 byte-order mark (known after the first Next).
    bool HadUtf8ByteOrderMark() const { return reader_->ByteOrderMark() == CsvReader::Mark::Utf8; }
    // True when the input was UTF-16 (it began with a UTF-16 byte-order mark).
    bool WasUtf16() const { return utf16_; }

private:
    void Start(std::istream& in, EncodingChoice choice, CsvLimits limits);
    void Decode(std::vector<std::string>& fields);

    std::unique_ptr<std::istream> owned_;
    std::unique_ptr<CsvReader> reader_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    bool detected_ = false;
    bool utf16_ = false;
};

// Detect's first pass on its own: tells whether `in` is UTF-8 or else GB18030, reading it to its end
// (only its first chunk when it begins with a UTF-8 byte-order mark, which decides at once). Throws
// CsvError ReadFailed on a read error.
TextEncoding DetectEncoding(std::istream& in);

}  // namespace fleet
