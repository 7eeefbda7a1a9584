#pragma once

// The meanings of the error codes a modem reports, as short English phrases that are message
// identifiers of the catalogs (the caller translates them).

#include <string_view>

namespace modem {

// The meaning of "+CMS ERROR: <code>" (the message service's errors: network causes 0-127, the
// service centre's 128-255, the modem's 300-511); empty for a code without a known meaning.
std::string_view CmsErrorMeaning(int code);

// The meaning of "+CME ERROR: <code>" (the modem's general errors); empty for an unknown code.
std::string_view CmeErrorMeaning(int code);

}  // namespace modem
