#pragma once

// File names for the QR code pictures of a batch, one per valid row, named after the DTU number.
//
// Letters and digits of every script stay ("北京-01" gives "北京-01"); only what Linux or Windows
// forbids in a file name becomes '_': / \ : * ? " < > |, control characters, bytes that are no
// UTF-8, and a final dot or blank (which Windows would drop). The name is cut to 100 characters
// (and 200 bytes). A name that Windows reserves for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// in any case, with or without an extension) gets a '_' in front, so that the same pictures can be
// made on every system. An empty DTU number gives "row-<n>", n being the row's
// 1-based number among the data rows. A name already given, compared without case (so that it also
// works on file systems that ignore case), gets "-2", "-3" ... appended, the first free one.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace fleet {

class QrFileNames final {
public:
    // The next file name, with ".png", for a row with this DTU number (UTF-8, as it will be used).
    std::string Next(std::string_view dtuNumber, std::size_t rowNumber);

private:
    std::unordered_set<std::string> given_;                    // lower-case, without ".png"
    std::unordered_map<std::string, std::size_t> nextSuffix_;  // per lower-case base name
};

// The name before clashes are resolved, without ".png".
std::string QrBaseName(std::string_view dtuNumber, std::size_t rowNumber);

}  // namespace fleet
