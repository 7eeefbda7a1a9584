#pragma once

// The server port field's rules that hold in every window: its range and how its text reads.

#include <string_view>

namespace app::logic {

inline constexpr int kPortMinimum = 1000;
inline constexpr int kPortMaximum = 99999;

// The integer value of the port field's text: an optional sign and at least one ASCII digit,
// saturated to the int range; `fallback` for any other text, the empty text included.
int PortValueOfText(std::string_view text, int fallback = kPortMinimum);

}  // namespace app::logic
