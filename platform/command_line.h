#pragma once
// Splitting a Windows-style parameter text into arguments, so the game's command
// line means on POSIX what it means on Windows: blanks and tabs separate, double
// quotes group, 2n backslashes before a quote give n backslashes and a quote
// that groups, 2n+1 give n backslashes and a literal quote; other backslashes
// are literal. Inside quotes, "" gives a literal quote.

#include <string>
#include <vector>

std::vector<std::u16string> SplitWindowsCommandLine(const std::u16string& text);
