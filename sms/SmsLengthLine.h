#pragma once

// The length of an SMS in words, as the main window's status bar and the "Send SMS" dialog show it.
// Standard C++ only; pure, throws nothing beyond std::bad_alloc.

#include <string>
#include <string_view>

#include "base/Translate.h"
#include "sms/SmsLength.h"

namespace sms {

// English message identifiers, which the catalogs translate. "%d" is filled in order.
inline constexpr std::string_view kLengthOnePart = "1 SMS, %d of %d characters";
inline constexpr std::string_view kLengthParts =
    "Sent as %d SMS (%d characters, %d per SMS); many DTUs read only single messages";

// "1 SMS, 49 of 160 characters" for one part (70 characters for a text in UCS-2), otherwise how many
// parts it takes with a warning that many DTUs read only single messages. Translated by `translate`
// (English when it is empty).
std::string LengthLine(const SmsLength& length, const base::TranslateFn& translate);

}  // namespace sms
