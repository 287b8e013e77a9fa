// Splitting a Windows command line into arguments.
#include "platform/posix/kernel32/command_line.h"

namespace kernel32 {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the program name from the start of `line`; returns it and moves `at` past it.
std::string readProgram(std::string_view line, std::size_t& at) {
  std::string program;
  if (at < line.size() && line[at] == '"') {
    std::size_t close = line.find('"', at + 1);
    std::size_t end = close == std::string_view::npos ? line.size() : close;
    program = std::string(line.substr(at + 1, end - at - 1));
    at = close == std::string_view::npos ? line.size() : close + 1;
    return program;
  }
  while (at < line.size() && !isBlank(line[at])) program += line[at++];
  return program;
}

// Reads one argument after the program from `line` at `at` (which stands on no blank); returns
// it and moves `at` past it.
std::string readArgument(std::string_view line, std::size_t& at) {
  std::string argument;
  bool quoted = false;
  while (at < line.size() && (quoted || !isBlank(line[at]))) {
    std::size_t backslashes = 0;
    while (at < line.size() && line[at] == '\\') {
      ++backslashes;
      ++at;
    }
    if (at < line.size() && line[at] == '"') {
      argument.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        argument += '"';
      } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
        argument += '"';  // "" inside quotes: one literal quote, still quoted
        ++at;
      } else {
        quoted = !quoted;
      }
      ++at;
      continue;
    }
    argument.append(backslashes, '\\');
    if (backslashes == 0 && at < line.size()) {
      if (!quoted && isBlank(line[at])) break;
      argument += line[at++];
    }
  }
  return argument;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  std::size_t at = 0;
  while (at < commandLine.size() && isBlank(commandLine[at])) ++at;
  if (at == commandLine.size()) return arguments;
  arguments.push_back(readProgram(commandLine, at));
  while (true) {
    while (at < commandLine.size() && isBlank(commandLine[at])) ++at;
    if (at == commandLine.size()) break;
    arguments.push_back(readArgument(commandLine, at));
  }
  return arguments;
}

}  // namespace kernel32
