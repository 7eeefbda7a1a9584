#include "fleet/CsvError.h"

#include <utility>

namespace fleet {
namespace {

constexpr const char* kOnLine = "line %d: %s";

std::string Said(const base::TranslateFn& translate, std::size_t line, const std::string& reason,
                 const std::vector<base::FormatArg>& args) {
    std::string text = base::FillPlaceholders(base::TranslateOrKeep(translate, reason), args);
    if (line == 0) {
        return text;
    }
    return base::FillPlaceholders(base::TranslateOrKeep(translate, kOnLine),
                                  {static_cast<long long>(line), std::move(text)});
}

}  // namespace

CsvError::CsvError(Kind kind, std::size_t line, const std::string& reason, std::vector<base::FormatArg> args)
    : std::runtime_error(Said({}, line, reason, args)),
      kind_(kind),
      line_(line),
      reason_(reason),
      args_(std::move(args)) {}

std::string CsvError::Text(const base::TranslateFn& translate) const {
    return Said(translate, line_, reason_, args_);
}

}  // namespace fleet
