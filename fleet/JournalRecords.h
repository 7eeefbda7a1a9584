#pragma once

// The byte format of a batch journal: a file of records appended one at a time, each a list of
// text fields. A record is one line:
//
//     field<TAB>field<TAB>...<TAB>crc<LF>
//
// where a backslash, tab, CR or LF inside a field is written as \\, \t, \r or \n, and crc is the
// CRC-32 (IEEE 802.3) of everything before its tab, as eight lower-case hexadecimal digits. The
// file can be read in a text editor, and a record that was cut short (the process or the power died
// while it was written) or changed afterwards fails its check.
//
// Reading stops at the first record that is not whole and correct: what follows it is never
// trusted, since a record that cannot be read may have been one that mattered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fleet {

using JournalFields = std::vector<std::string>;

// The record of `fields` (at least one), with its check and its line end.
std::string EncodeJournalRecord(const JournalFields& fields);

struct JournalRecords {
    std::vector<JournalFields> records;  // each with at least one field
    std::size_t wholeBytes = 0;          // the length of the part that was read; a writer that goes on
                                         // cuts the file here first, so that its records are read too
};

// The records at the start of `bytes`, up to the first one that is cut, altered or malformed.
// Never throws but std::bad_alloc.
JournalRecords DecodeJournalRecords(std::string_view bytes);

std::uint32_t Crc32(std::string_view bytes);

}  // namespace fleet
