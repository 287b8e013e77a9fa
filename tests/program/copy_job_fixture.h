// The fixture of the copy job's program tests: a fresh temporary current folder, the real main
// window and controls on the headless driver, the default options mirrored into the check boxes,
// a fixed local clock for the log's time stamp, and helpers that act like the user.
#pragma once

#include <gtest/gtest.h>
#include <sys/time.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "copy/copy_job.h"
#include "log/html_log.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "tests/file_contents.h"
#include "tests/program/check_boxes.h"

namespace copy_job_test {

namespace fs = std::filesystem;

// The weight of bylineFont, which stateLine wears during a run.
constexpr LONG kBylineWeight = 900;

using test_files::readWhole;
using test_files::writeFile;

// Sets the last-write time of `path` to a local date and time.
inline void setModified(const fs::path& path, int year, int month, int day, int hour, int minute,
                        int second) {
  const std::time_t seconds = test_files::localSeconds(year, month, day, hour, minute, second);
  timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(0, utimes(path.c_str(), times));
}

// The windows a run disables, in their order, the main window last.
inline std::array<HWND, 17> runWindows() {
  return {sourceEdit,       destinationEdit,     enableLogBox,       rewriteLogBox,
          printProgressBox, printDetailBox,      verifyDataBox,      recognizeBox,
          enableConsoleBox, enableFasterCopyBox, saveSettingsBox,    haltOnFirstErrorBox,
          forceAccessBox,   copyButton,          browseSourceButton, browseDestinationButton,
          mainWindow};
}

class CopyJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A zone without summer time, so that local times of the tests exist exactly once.
    setenv("TZ", "XST-3", 1);
    tzset();
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "copy_job_XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    folder_ = pattern;
    fs::current_path(folder_);
    faults::reset();
    SYSTEMTIME now = {2024, 3, 5, 15, 10, 20, 30, 450};
    faults::setLocalTime(now);
    headless::install();
    ASSERT_TRUE(registerMainWindowClass());
    mainWindow = createMainWindow();
    ASSERT_NE(nullptr, mainWindow);
    setDefaultSettings();
    createControls();
    pushBoxes();
  }

  void TearDown() override {
    headless::reset();
    faults::disarm();
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  // Checks or unchecks every box as its option in `settings` says.
  void pushBoxes() {
    for (const auto& [box, flag] : checkBoxes()) {
      SendMessageA(*box, BM_SETCHECK, settings.*flag ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }

  // Sets a mirrored option in `settings` and in its check box.
  void setOption(bool Settings::*option, bool value) {
    settings.*option = value;
    pushBoxes();
  }

  // Types the source and the destination into their edit boxes as the user does.
  void enterPaths(const std::string& source, const std::string& destination) {
    ASSERT_TRUE(headless::replaceText(sourceEdit, source));
    ASSERT_TRUE(headless::replaceText(destinationEdit, destination));
    headless::dispatchPending();
  }

  // Clicks Copy and lets the click through: the whole run happens inside.
  void clickCopy() {
    ASSERT_TRUE(headless::click(copyButton));
    headless::dispatchPending();
  }

  // Enters the paths and runs one copy job.
  void runJob(const std::string& source, const std::string& destination) {
    enterPaths(source, destination);
    clickCopy();
  }

  // The log of the run, "" when there is none.
  std::string log() { return readWhole(folder_ / kDefaultLogFileName); }
  bool logExists() { return fs::exists(folder_ / kDefaultLogFileName); }

  // The text of the result box.
  std::string console() { return headless::text(resultBox); }

  // Returns the entry line of a plain entry as the log writes it with the default options.
  static std::string plainLine(const std::string& entry) {
    return "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>" + entry + "</FONT><BR>\r\n";
  }

  // Returns the entry line of a warning entry as the log writes it with the default options.
  static std::string warningLine(const std::string& entry) {
    return "<FONT FACE=Arial SIZE=1 COLOR=#FFFF00>" + entry +
           " </FONT><A HREF=mailto:support@sorvel.example TITLE=\"Click to report this\">"
           "<FONT FACE=Arial SIZE=1 COLOR=#FFAA00>Is it bug?</FONT></A><BR>\r\n";
  }

  // Returns the log after its header (which ends with the time stamp's "</FONT><BR>" line).
  std::string logAfterHeader() {
    std::string whole = log();
    std::size_t stamp = whole.find("Logged ");
    if (stamp == std::string::npos) return whole;
    std::size_t end = whole.find("\r\n", whole.find("\r\n", stamp) + 2);
    return whole.substr(end + 2);
  }

  fs::path previous_;
  fs::path folder_;
};

}  // namespace copy_job_test
