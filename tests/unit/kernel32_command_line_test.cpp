// How WinExec splits a command line into the program and its arguments (Windows rules).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/kernel32/command_line.h"

namespace {

using Arguments = std::vector<std::string>;
using kernel32::splitCommandLine;

TEST(CommandLine, BlanksAndTabsSeparateArguments) {
  EXPECT_EQ((Arguments{"prog", "a", "b", "c"}), splitCommandLine("  prog a \t b   c  "));
  EXPECT_EQ(Arguments{}, splitCommandLine(" \t "));
}

TEST(CommandLine, QuotedProgramKeepsBlanksAndBackslashes) {
  EXPECT_EQ((Arguments{"/opt/my browser/run\\", "x"}),
            splitCommandLine("\"/opt/my browser/run\\\" x"));
  EXPECT_EQ((Arguments{"C:\\Browser\\browse.exe", "C:\\Copies/sorvel.log.htm"}),
            splitCommandLine("C:\\Browser\\browse.exe C:\\Copies/sorvel.log.htm"));
}

TEST(CommandLine, QuotesGroupAndMayStartInsideAnArgument) {
  EXPECT_EQ((Arguments{"p", "two words", "ab cd", ""}),
            splitCommandLine("p \"two words\" a\"b c\"d \"\""));
}

TEST(CommandLine, BackslashesCountOnlyBeforeAQuote) {
  // 2n backslashes + quote: n backslashes, the quote groups; 2n+1: n backslashes and a quote.
  EXPECT_EQ((Arguments{"p", "a\\\\b", "\\q", "\\\"q", "x\\"}),
            splitCommandLine("p a\\\\b \\\\\"q\" \\\\\\\"q x\\"));
}

TEST(CommandLine, TwoQuotesInsideQuotesGiveOneQuote) {
  EXPECT_EQ((Arguments{"p", "say \"hi\" now"}), splitCommandLine("p \"say \"\"hi\"\" now\""));
}

TEST(CommandLine, UnclosedQuoteRunsToTheEnd) {
  EXPECT_EQ((Arguments{"p", "open to the end "}), splitCommandLine("p \"open to the end "));
  EXPECT_EQ((Arguments{"unclosed program"}), splitCommandLine("\"unclosed program"));
}

}  // namespace
