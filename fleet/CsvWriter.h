#pragma once

// Writing CSV as RFC 4180 and spreadsheet programs expect it: UTF-8, CR LF after every record, a
// field in double quotes (its quotes written twice) only when it needs them: when it holds a comma,
// a quote, CR or LF, a semicolon or a tab (which spreadsheet programs set to European conventions
// take for separators), or begins or ends with a blank (space or tab), which some would drop.
// A record of a single empty field is written as "" so that it is no empty line. A first field of
// the file that begins with U+FEFF is quoted when no byte-order mark goes before it, since a reader
// would take those bytes for the mark and drop them.

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/OutputFile.h"

namespace fleet {

// True when `field` must be written in quotes.
bool NeedsQuotes(std::string_view field);

// Appends the record, with its CR LF, to `out`. `atStart`: the record is the first of a file that
// has no byte-order mark.
void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields, bool atStart = false);

class CsvWriter final {
public:
    // Writes to `out` (standard output); nothing is renamed. `out` must outlive the writer.
    explicit CsvWriter(std::ostream& out, bool byteOrderMark = false);
    // Writes to the file at `path` through an OutputFile: nothing appears there until Finish.
    // Throws OutputError when the temporary file cannot be created.
    explicit CsvWriter(const std::string& path, bool byteOrderMark = false);
    // Without Finish, a file target stays as it was.
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // Writes one record (buffered). Throws OutputError when a write fails.
    void Write(const std::vector<std::string>& fields);
    // Writes what is buffered and, for a file, commits it. Throws OutputError; a file target then
    // stays as it was. A stream target names itself "standard output" in the error.
    void Finish();

private:
    void Flush();

    std::ostream* stream_ = nullptr;
    std::unique_ptr<OutputFile> file_;
    std::string buffer_;
    bool atStart_ = true;
};

}  // namespace fleet
