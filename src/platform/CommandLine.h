#pragma once
#include <string>
#include <string_view>
#include <vector>

// Splits a parameter text into arguments by the Windows command-line rules: blanks and tabs
// separate arguments outside double quotes; backslashes are literal except before a double
// quote (2n backslashes and a quote give n backslashes and toggle quoting, 2n+1 give n and a
// literal quote); a doubled quote inside a quoted run is one literal quote.
std::vector<std::string> splitWindowsCommandLine(std::string_view text);

// One argument written so the Windows command-line rules give it back unchanged: as it is
// when nothing in it would split or unquote, else in double quotes with its quotes and the
// backslashes before them escaped. With `always`, in double quotes even when nothing needs them.
std::string quoteWindowsArgument(const std::string& argument, bool always = false);
