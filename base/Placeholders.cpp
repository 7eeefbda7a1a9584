#include "base/Placeholders.h"

#include <cstddef>

namespace base {
namespace {

// The index in `args` of the next argument of type `Kind` at or after `from`; args.size() when none.
template <typename Kind>
std::size_t NextOfKind(const std::vector<FormatArg>& args, std::size_t from) {
    while (from < args.size() && !std::holds_alternative<Kind>(args[from])) {
        ++from;
    }
    return from;
}

}  // namespace

std::string FillPlaceholders(std::string_view format, const std::vector<FormatArg>& args) {
    std::string out;
    out.reserve(format.size() + 16);
    std::size_t nextText = NextOfKind<std::string>(args, 0);
    std::size_t nextNumber = NextOfKind<long long>(args, 0);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char kind = i + 1 < format.size() && format[i] == '%' ? format[i + 1] : '\0';
        if (kind == '%') {
            out += '%';
        } else if (kind == 's' && nextText < args.size()) {
            out += std::get<std::string>(args[nextText]);
            nextText = NextOfKind<std::string>(args, nextText + 1);
        } else if (kind == 'd' && nextNumber < args.size()) {
            out += std::to_string(std::get<long long>(args[nextNumber]));
            nextNumber = NextOfKind<long long>(args, nextNumber + 1);
        } else {
            out += format[i];
            continue;
        }
        ++i;
    }
    return out;
}

}  // namespace base
