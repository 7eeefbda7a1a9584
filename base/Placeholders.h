#pragma once

// Filling arguments into a message that may have been translated, without treating it as a printf
// format: a translation can hold any "%" sequence and still never read a missing argument.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace base {

// One argument: a text for "%s" or a number for "%d".
using FormatArg = std::variant<std::string, long long>;

// `format` with its placeholders filled:
// - "%s" takes the next text argument and "%d" the next number argument (in decimal); each kind is
//   counted on its own, in order, so a translation may put "%d" before "%s";
// - "%%" gives "%";
// - a placeholder with no argument of its kind left, and any other "%" sequence (a lone "%" at the end
//   included), stays as written;
// - inserted texts are never scanned again, so a "%s" inside an argument is copied as it stands.
// Arguments left over are ignored.
std::string FillPlaceholders(std::string_view format, const std::vector<FormatArg>& args);

}  // namespace base
