#pragma once

// The one error type of the CSV reading: the input is no CSV the program can read.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace fleet {

// Why a CSV input was refused. The command line reports these as "not a CSV file" problems (exit 2)
// with what(), which names the line; CannotOpen is reported as what() alone.
class CsvError : public std::runtime_error {
public:
    enum class Kind {
        UnbalancedQuote,        // the input ends inside a quoted field
        QuoteInUnquotedField,   // a b"c
        TextAfterClosingQuote,  // "ab"c
        NulByte,                // binary data, or UTF-16 text
        FieldTooLong,           // more than CsvLimits::maxFieldBytes
        TooManyFields,          // more than CsvLimits::maxFields
        RecordTooLong,          // more than CsvLimits::maxRecordBytes
        InvalidText,            // bytes that are not text of the file's encoding
        ReadFailed,             // the file could not be read
        CannotOpen,             // the file is missing, a folder or unreadable: no CSV problem at all
    };

    // `line` is 1-based; 0 when the error belongs to no line (an unreadable file). The message is
    // prefixed with "line <n>: " when a line is given.
    CsvError(Kind kind, std::size_t line, const std::string& message)
        : std::runtime_error(line == 0 ? message : "line " + std::to_string(line) + ": " + message),
          kind_(kind),
          line_(line) {}

    Kind kind() const { return kind_; }
    std::size_t line() const { return line_; }

private:
    Kind kind_;
    std::size_t line_;
};

}  // namespace fleet
