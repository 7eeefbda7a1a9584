#pragma once

// A streaming reader of RFC 4180 CSV: one record at a time from a byte stream, in bounded memory.
//
// Accepted: fields separated by commas, or by semicolons or tabs when the first line (the header)
// holds more of those than of commas outside quotes (spreadsheet programs set to European
// conventions save with ';', "text" exports with tabs); records ended by CR LF, LF or a lone CR (as older
// spreadsheet programs on the Mac write them) or by the end of the input, with or without a final
// line end; fields in double quotes, which may hold commas, line breaks and quotes written twice
// (""). A line break inside quotes is kept as it stands. Empty lines between records are skipped
// (a record of one empty field is written as "" so that it survives). A byte-order mark at the very
// start (UTF-8 EF BB BF, or GB18030 84 31 95 33) is dropped and reported by ByteOrderMark().
//
// Refused, as CsvError naming the line: the input ending inside quotes (the line where the field
// began); a quote inside an unquoted field, or anything but the separator or a line end after a closing
// quote (strict RFC 4180: blanks are not skipped either); a NUL byte ("not a CSV file"); a field,
// record or field count over the limits below. A read error of the stream is CsvError ReadFailed.
//
// The fields are the bytes of the file; converting them to UTF-8 is CsvInput's job.

#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/CsvError.h"

namespace fleet {

struct CsvLimits {
    std::size_t maxFieldBytes = 1 << 20;    // 1 MiB
    std::size_t maxFields = 100'000;        // per record
    std::size_t maxRecordBytes = 16 << 20;  // 16 MiB, the fields' bytes together
};

class CsvReader final {
public:
    explicit CsvReader(std::istream& in, CsvLimits limits = {});

    // Reads the next record into `fields` (which keeps its strings' capacity from call to call).
    // False at the end of the input, with `fields` empty. Throws CsvError.
    bool Next(std::vector<std::string>& fields);

    // The 1-based line where the record that Next read began, and where each of its fields began.
    std::size_t RecordLine() const { return recordLine_; }
    std::size_t FieldLine(std::size_t index) const { return fieldLines_.at(index); }

    // True when every byte of the record that Next read is below 0x80 (it reads the same in every
    // encoding the program takes).
    bool RecordIsAscii() const { return (seenBits_ & 0x80) == 0; }

    enum class Mark { None, Utf8, Gb18030 };
    // The byte-order mark the input began with (known after the first Next).
    Mark ByteOrderMark() const { return mark_; }
    // The separator found in the first line: ',', ';' or tab (known after the first Next).
    char Separator() const { return separator_; }

private:
    // Whether a byte is there to read, refilling the buffer when it is used up.
    bool Fill() { return pos_ < end_ || Refill(); }
    // The next byte, or -1 at the end of the input.
    int Peek() { return Fill() ? static_cast<unsigned char>(buffer_[pos_]) : -1; }
    bool Refill();
    void ReadUnquoted(std::string& field);
    void ReadQuoted(std::string& field);
    void Append(std::string& field, const char* from, std::size_t count, std::size_t fieldLine);
    // Moves past the line end `c` (CR, LF, or the CR of CR LF, whose LF goes too) just peeked.
    void TakeLineEnd(int c);
    static std::array<bool, 256> UnquotedStops(char separator);
    [[noreturn]] static void Fail(CsvError::Kind kind, std::size_t line, const std::string& reason,
                                  std::vector<base::FormatArg> args = {});

    std::istream& in_;
    CsvLimits limits_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    Mark mark_ = Mark::None;
    char separator_ = ',';
    std::array<bool, 256> unquotedStops_;  // the bytes that end a run of text outside quotes
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
    std::size_t recordBytes_ = 0;
    unsigned char seenBits_ = 0;
    std::vector<std::size_t> fieldLines_;
};

// The number of line breaks in `text`: CR LF, LF and a lone CR count one each.
std::size_t CountLineBreaks(std::string_view text);

}  // namespace fleet
