#pragma once

// Filling the address and port into a translated message without treating it as a printf format.

#include <string>
#include <string_view>

namespace net {

// Replaces the first "%s" of `text` with `address` and the first "%d" with `port` in decimal; "%%"
// becomes "%". Any other "%" sequence, a second "%s" or "%d", and the inserted texts themselves are
// left as they stand, so a translation that lacks a placeholder or holds unknown ones is harmless.
std::string FillAddressAndPort(std::string_view text, std::string_view address, long long port);

// `text` without the characters of code 32 or less at both ends (spaces, tabs, line breaks, ...).
std::string TrimControlAndSpace(std::string_view text);

}  // namespace net
