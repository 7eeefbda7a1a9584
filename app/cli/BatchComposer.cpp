#include "app/cli/BatchComposer.h"

#include <array>
#include <utility>

#include "app/cli/CliFields.h"
#include "app/cli/CliOptions.h"
#include "base/AsciiText.h"
#include "base/Placeholders.h"
#include "sms/PhoneNumber.h"
#include "sms/SmsCommand.h"
#include "sms/SmsLength.h"

namespace app {
namespace {

using fleet::BatchColumn;

struct CellField {
    BatchColumn column;
    FieldName field;
};

constexpr std::array<CellField, 8> kCellFields{{
    {BatchColumn::Type, FieldName::Type},
    {BatchColumn::Mode, FieldName::Mode},
    {BatchColumn::Ip, FieldName::Ip},
    {BatchColumn::Domain, FieldName::Domain},
    {BatchColumn::Port, FieldName::Port},
    {BatchColumn::Apn, FieldName::Apn},
    {BatchColumn::OtherApn, FieldName::OtherApn},
    {BatchColumn::Dtu, FieldName::Dtu},
}};

}  // namespace

BatchComposer::BatchComposer(sms::TGPRSInfo defaults, bool phoneRequired, base::TranslateFn translate)
    : defaults_(std::move(defaults)), phoneRequired_(phoneRequired), translate_(std::move(translate)) {}

std::string BatchComposer::Translated(const std::string& english) const {
    return base::TranslateOrKeep(translate_, english);
}

std::optional<std::string> BatchComposer::ApplyCells(const fleet::BatchRow& row, sms::TGPRSInfo& info) const {
    CliFieldOverrides cells;
    for (const CellField& cell : kCellFields) {
        const std::optional<std::string_view> value = row.Cell(cell.column);
        if (!value) {
            continue;
        }
        // A spreadsheet cell often carries blanks around its value; the flags' own values are the
        // command line's words, so only cells are trimmed here.
        const std::string_view trimmed = base::TrimBlanks(*value);
        const std::optional<FieldValueError> error = ApplyFieldValue(cell.field, trimmed, cells);
        if (!error) {
            continue;
        }
        const std::string name(fleet::ColumnName(cell.column));
        if (error->kind == FieldValueError::Kind::NotAPort) {
            return base::FillPlaceholders(Translated("column %s: \"%s\" is not a number from 1000 to 99999"),
                                          {name, std::string(trimmed)});
        }
        return base::FillPlaceholders(Translated("column %s: \"%s\" is not one of %s"),
                                      {name, std::string(trimmed), error->accepted});
    }
    ApplyFieldOverrides(cells, info);
    return std::nullopt;
}

BatchComposition BatchComposer::Compose(const fleet::BatchRow& row) const {
    BatchComposition out;
    if (row.empty) {
        out.result.status = fleet::kStatusEmptyRow;
        out.skipped = true;
        return out;
    }
    if (row.problem) {
        out.result.status = Translated(*row.problem);
        return out;
    }
    sms::TGPRSInfo info = defaults_;
    if (std::optional<std::string> error = ApplyCells(row, info)) {
        out.result.status = std::move(*error);
        return out;
    }
    sms::SmsCommandResult composed = sms::GenerateSMSCommand(info);
    if (!composed.ok) {
        out.result.status = sms::FormatValidationMessage(translate_, composed.failedLabel);
        return out;
    }
    out.result.parts = std::to_string(sms::MeasureSms(composed.command).parts);
    out.result.command = std::move(composed.command);

    const std::optional<std::string_view> phoneCell = row.Cell(BatchColumn::Phone);
    if (phoneCell || phoneRequired_) {
        std::optional<std::string> phone =
            sms::NormalizePhoneNumber(phoneCell ? *phoneCell : std::string_view(info.DTUPhoneNumber));
        if (!phone && phoneCell) {
            out.result.status = base::FillPlaceholders(Translated("column %s: \"%s\" is not a phone number"),
                                                       {std::string(fleet::ColumnName(BatchColumn::Phone)),
                                                        std::string(base::TrimBlanks(*phoneCell))});
            return out;
        }
        if (!phone) {
            out.result.status =
                sms::FormatValidationMessage(translate_, std::string(sms::kLabelDtuPhoneNumber));
            return out;
        }
        out.phone = std::move(*phone);
    }
    out.dtuNumber = base::TrimBlanks(info.DTUNumber);
    out.result.status = fleet::kStatusOk;
    out.ok = true;
    return out;
}

}  // namespace app
