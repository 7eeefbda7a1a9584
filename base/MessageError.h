#pragma once

// An error whose text is a message for the user, kept as an English format with its arguments
// (base::FillPlaceholders) so that the format can be translated where the error is shown.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/Placeholders.h"

namespace base {

class MessageError : public std::runtime_error {
public:
    // what() is `format` filled with `args`: the message in English.
    explicit MessageError(const std::string& format, std::vector<FormatArg> args = {})
        : std::runtime_error(FillPlaceholders(format, args)), format_(format), args_(std::move(args)) {}

    const std::string& Format() const noexcept { return format_; }
    const std::vector<FormatArg>& Args() const noexcept { return args_; }

private:
    std::string format_;
    std::vector<FormatArg> args_;
};

}  // namespace base
