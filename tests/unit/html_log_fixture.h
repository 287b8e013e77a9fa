// The fixture of the HTML log's tests: a fresh temporary current folder, a result box on the
// headless driver to read the console from, fixed log options and a fixed local clock.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "log/html_log.h"
#include "log/log_internal.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "tests/file_contents.h"

namespace html_log_test {

namespace fs = std::filesystem;

inline constexpr const char* kConsoleClass = "html_log_test_window";

// The console line of a log that cannot be written, as the result box shows it.
inline const std::string kUnableLine = "Unable write log\r\n";

using test_files::readWhole;
using test_files::writeFile;

// Returns a local time: year, month, day, hour, minute, second, milliseconds.
inline SYSTEMTIME localTime(int year, int month, int day, int hour, int minute, int second,
                            int milliseconds) {
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  time.wMilliseconds = static_cast<WORD>(milliseconds);
  return time;
}

// Gives `settings` the options the expected texts were made with: the program's defaults.
inline void useDefaultOptions() { setDefaultSettings(); }

class HtmlLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "html_log_XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    folder_ = pattern;
    fs::current_path(folder_);
    faults::reset();
    faults::setLocalTime(localTime(2026, 12, 6, 7, 25, 52, 347));
    useDefaultOptions();
    headless::install();
    createConsole();
  }

  void TearDown() override {
    headless::reset();
    mainWindow = resultBox = nullptr;
    faults::disarm();
    fs::current_path(previous_);
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder_);
  }

  // Creates a window and, inside it, a disabled multi-line edit control as the result box.
  void createConsole() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kConsoleClass;
    ASSERT_NE(0, RegisterClassA(&windowClass));
    mainWindow = CreateWindowExA(0, kConsoleClass, "sorvel", WS_OVERLAPPEDWINDOW, 0, 0, 530, 472,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, mainWindow);
    resultBox = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10, 300,
                                100, mainWindow, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, resultBox);
    EnableWindow(resultBox, FALSE);
  }

  // The text of the result box.
  std::string console() {
    char buffer[4096] = {};
    GetWindowTextA(resultBox, buffer, sizeof buffer);
    return buffer;
  }

  // The log under its default name, and its full path.
  fs::path logPath() { return folder_ / kDefaultLogFileName; }
  std::string log() { return readWhole(logPath()); }

  // Returns what the log holds after the header of its last run.
  std::string logAfterHeader() {
    std::string whole = log();
    std::size_t stamp = whole.rfind("\r\nLogged ");
    if (stamp == std::string::npos) return whole;
    std::size_t end = whole.find("\r\n", whole.find("\r\n", stamp + 2) + 2);
    return whole.substr(end + 2);
  }

  // Returns the files and folders of the test's folder, by name.
  std::vector<std::string> folderContent() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path previous_;
  fs::path folder_;
};

}  // namespace html_log_test
