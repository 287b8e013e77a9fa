// Test fixture for the kernel32 conformance tests: each test runs inside a fresh, empty temporary
// folder that it has entered, and that is removed with everything in it afterwards. Set up and
// torn down with the standard library only, so the tests build against the real Win32 API too.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/winapi.h"

class ScopedTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    previous_ = std::filesystem::current_path();
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = std::filesystem::temp_directory_path() /
              ("k32-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    ASSERT_TRUE(std::filesystem::create_directory(folder_));
    std::filesystem::current_path(folder_);
  }

  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    // Read-only entries would stop the removal on Windows: give write permission back first.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(folder_, ignored);
  }

 public:
  // Returns the absolute path of `name` inside the test's folder, with the platform's separator.
  std::string absolute(const std::string& name) const {
    return (folder_ / name).make_preferred().string();
  }

  // Creates `name` holding `content`; returns false when that fails.
  static bool writeFile(const std::string& name, const std::string& content) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL wrote =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return CloseHandle(file) && wrote && written == content.size();
  }

  // Returns the content of `name`, or "<unreadable>" when it cannot be read.
  static std::string readFile(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string content;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
      content.append(buffer, count);
    }
    CloseHandle(file);
    return content;
  }

 protected:
  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

// Returns `attributes` as the tests compare them. On POSIX every bit is compared. On Windows the
// archive bit is left out: Windows sets it on every new or changed file, and Wine reports it on
// every file whatever was stored; a value left with no bit reads as FILE_ATTRIBUTE_NORMAL, which
// is what Windows reports for a file with no other attribute.
inline DWORD comparedAttributes(DWORD attributes) {
#ifdef _WIN32
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
  return attributes == 0 ? static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL) : attributes;
#else
  return attributes;
#endif
}
