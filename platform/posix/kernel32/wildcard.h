// Win32 wildcard matching of directory-search patterns.
#pragma once

#include <string_view>

namespace kernel32 {

// Returns true when `pattern` holds "*" or "?".
bool hasWildcard(std::string_view pattern);

// Returns true when `name` matches `pattern`: "*" matches any run of characters (none included),
// "?" exactly one character, any other character itself (case-sensitive, as the file system
// compares names). Dots and stars at the end of the pattern may also match the end of the name,
// so "*.*" matches every name, with or without a dot, and "report.*" matches "report".
bool matchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace kernel32
