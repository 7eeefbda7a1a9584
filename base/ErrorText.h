#pragma once

// The wording rule for an error shown to the user on its own (an error box, a line on standard error).

#include <string>

namespace base {

// `message` with a full stop added when its last byte sorts after "." (a letter, a digit, and every
// byte of a non-ASCII character); a message that already ends in punctuation such as "!", ")" or "."
// keeps its own ending, and an empty one stays empty.
std::string WithFullStop(std::string message);

}  // namespace base
