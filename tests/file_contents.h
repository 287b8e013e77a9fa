// Reading and writing whole files in the tests, with the standard library, byte for byte, and
// the local times that files are stamped with.
#pragma once

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace test_files {

// Returns the whole content of `path`; empty when it cannot be read.
inline std::string readWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `content` as the whole file.
inline void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Returns the seconds since 1970 of a local date and time, in the zone the test process runs in.
inline std::time_t localSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm local = {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

}  // namespace test_files
