// Splitting a Windows command line into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kernel32 {

// Returns the arguments of `commandLine` as Windows splits a command line (CommandLineToArgvW):
// blanks and tabs separate arguments; double quotes group, and may start or end inside an
// argument; 2n backslashes before a double quote give n backslashes and the quote groups, 2n+1
// give n backslashes and a literal quote; other backslashes are literal; inside quotes, two
// double quotes give one literal quote. The first argument, the program, is read apart: up to the
// next double quote when it starts with one, otherwise up to the first blank or tab, with no
// backslash rule.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace kernel32
