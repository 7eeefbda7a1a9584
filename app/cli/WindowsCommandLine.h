#pragma once

// The arguments of a Windows command line, split as CommandLineToArgvW splits them, without loading
// the shell's library for it (it brings two more with it into every start of the program).
//
// The program's name comes first: up to the next quotation mark when the line starts with one,
// otherwise up to the first blank, taken as it stands. Then, blanks (space, tab) outside quotation
// marks separate the arguments; 2n backslashes before a quotation mark give n backslashes and the
// mark opens or closes a quoted part, 2n+1 give n backslashes and a literal mark; other backslashes
// are themselves; inside a quoted part, two marks give a literal mark and close it, and outside one,
// three marks in a row give a literal mark.

#include <string>
#include <string_view>
#include <vector>

namespace app {

// Nothing for an empty line (the caller keeps the runtime's own arguments then).
std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view line);

}  // namespace app
