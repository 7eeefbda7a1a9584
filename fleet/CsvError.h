#pragma once

// The one error type of the CSV reading: the input is no CSV the program can read.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Placeholders.h"
#include "base/Translate.h"

namespace fleet {

// Why a CSV input was refused. The command line reports these as "not a CSV file" problems (exit 2)
// with Text(), which names the line; CannotOpen is reported as Text() alone.
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

    // `line` is 1-based; 0 when the error belongs to no line (an unreadable file). `reason` is an
    // English message (base::FillPlaceholders) filled with `args`. what() is the reason in English,
    // prefixed with "line <n>: " when a line is given.
    CsvError(Kind kind, std::size_t line, const std::string& reason, std::vector<base::FormatArg> args = {});

    Kind kind() const { return kind_; }
    std::size_t line() const { return line_; }

    // what() in `translate`'s language (empty: English).
    std::string Text(const base::TranslateFn& translate) const;

private:
    Kind kind_;
    std::size_t line_;
    std::string reason_;
    std::vector<base::FormatArg> args_;
};

}  // namespace fleet
