#pragma once

// The pieces of an HTTP query string: percent-encoding of values and the split of a query into its
// fields. Pure functions; none throws (beyond std::bad_alloc).

#include <map>
#include <string>
#include <string_view>

namespace modem::gateway {

// Every byte outside A-Z a-z 0-9 - . _ ~ written as %XX (upper-case hex), so that any bytes, UTF-8
// or binary, travel as one query value.
std::string PercentEncode(std::string_view bytes);

// The bytes of an encoded query value: %XX gives its byte, '+' a space; a '%' not followed by two
// hex digits stays as it is.
std::string PercentDecode(std::string_view encoded);

// The fields of "a=1&b=x%20y": names and values decoded. A field without '=' has an empty value; of
// a name given twice the first value counts; empty fields are skipped.
std::map<std::string, std::string> ParseQuery(std::string_view query);

}  // namespace modem::gateway
