#pragma once

// Reading the caller's public address out of an IP-echo service's reply body.

#include <optional>
#include <string>
#include <string_view>

namespace net {

// The text of the first <h2> element cut by position (lower-case markers only), then cut at its
// first comma. Nothing is trimmed. With p and q the 1-based positions of the first "<h2>" and the
// first "</h2>" (0 when missing), the element is the q-p-4 characters from position p+4, empty when
// that count is not positive: so a body without "</h2>" gives empty text, and a body with "</h2>"
// but no "<h2>" gives the text from its fourth character up to "</h2>".
std::string CutH2Address(std::string_view body);

// Whether `text` is an IPv4 address in dotted decimal and nothing else: four parts of one to three
// digits, each 0 to 255, separated by single dots; no sign, no blank, no leading zero ("010" could be
// read as octal by whoever reads the address next).
bool IsDottedIPv4(std::string_view text);

// The address in a reply body: a body holding "<h2>" or "</h2>" is an HTML page, read by
// CutH2Address; any other body is the address as plain text. Either text, without the blanks, tabs
// and line breaks around it, is the address when IsDottedIPv4 says so; nullopt for anything else (a
// captive portal's login page, an error page, an empty reply).
std::optional<std::string> AddressInReply(std::string_view body);

}  // namespace net
