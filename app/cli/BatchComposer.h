#pragma once

// The composition of one row of a batch file: its cells read as the field flags read their values
// (app/cli/CliOptions.h), on top of the fields of the settings file, then the command composed and
// measured as `dtusms sms` and `--length` do. Pure: no file, no modem.

#include <optional>
#include <string>

#include "base/Translate.h"
#include "fleet/BatchTable.h"
#include "settings/Settings.h"

namespace app {

struct BatchComposition {
    // command, parts and status ("ok" or why not, in the composer's language); sent and reply empty.
    fleet::BatchResult result;
    bool ok = false;
    bool skipped = false;   // an empty row: not composed, neither ok nor failed
    std::string phone;      // the DTU's phone number as dialled, when one is known and valid
    std::string dtuNumber;  // the DTU number the command carries (trimmed), for the QR file name
};

class BatchComposer final {
public:
    // `defaults`: the settings file's fields, taken by every cell that is absent or empty.
    // `phoneRequired`: a row without a valid phone number (its cell, else the stored one) is not ok,
    // since its QR code or its sending needs one; otherwise only a phone cell that is given must be
    // valid. `translate` gives the statuses' language (English when empty).
    BatchComposer(sms::TGPRSInfo defaults, bool phoneRequired, base::TranslateFn translate);

    // The row's composition. An empty row is skipped with the status "skipped: empty row". A row the
    // table refused (row.problem), a cell that its flag would refuse (a type, mode or APN that is no
    // choice, a port outside 1000 to 99999), a missing field of the command, a phone cell that is no
    // phone number and a missing or invalid stored phone number give a status that says so (a cell's
    // naming its column and value), checked in that order.
    BatchComposition Compose(const fleet::BatchRow& row) const;

private:
    std::optional<std::string> ApplyCells(const fleet::BatchRow& row, sms::TGPRSInfo& info) const;
    std::string Translated(const std::string& english) const;

    sms::TGPRSInfo defaults_;
    bool phoneRequired_;
    base::TranslateFn translate_;
};

}  // namespace app
