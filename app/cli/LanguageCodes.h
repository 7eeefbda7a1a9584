#pragma once

// The language numbers of the settings file and the language codes they select.
//
//   0 automatic ("" : the engine detects the language), 1 English ("en"), 2 Simplified Chinese
//   ("zh_cn"), 3 Traditional Chinese ("zh_tw").

#include <string>

namespace app {

// True for the numbers 0 to 3.
bool IsLanguageNumber(int number);

// The code of `number`. A number outside 0 to 3 (a hand-edited settings file) selects the automatic
// language, as 0 does.
std::string LanguageCodeOf(int number);

// The number that the Automatic menu item saves for the user's default language identifier: 1028
// (Chinese, Taiwan) gives 3, 1033 (English, United States) 1, 2052 (Chinese, PRC) 2, any other 0.
int LanguageNumberOfLangId(unsigned langId);

}  // namespace app
