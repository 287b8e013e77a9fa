// The fixture of the main window's program tests: a fresh temporary current folder, the headless
// display driver, and the whole program run by its main block while the test plays the user
// (each action runs when the program's loop waits for input).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "tests/file_contents.h"
#include "tests/program/check_boxes.h"

namespace main_window_test {

namespace fs = std::filesystem;

using test_files::readWhole;
using test_files::writeFile;

// Writes a settings file of the given lines, each ended by CR LF.
inline void writeSettings(const fs::path& path, const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) content += line + "\r\n";
  writeFile(path, content);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "main_window_XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    folder_ = pattern;
    fs::current_path(folder_);
    sourcePath = ShortText{};
    destinationPath = ShortText{};
    headless::install();
  }

  void TearDown() override {
    headless::reset();
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  // Runs the whole program once: start-up, the loop while `actions` play the user, the end.
  // Returns the exit code of the main block. The window system starts afresh.
  int runProgram(std::vector<std::function<void()>> actions) {
    headless::reset();
    headless::script(std::move(actions));
    return runMainBlock(GetModuleHandleA(nullptr));
  }

  // The action that ends a run the way the user does: the window's close button.
  static std::function<void()> closeWindow() {
    return [] { EXPECT_TRUE(headless::requestClose(mainWindow)); };
  }

  // Sets every box to the state opposite to its option, without a notification (BM_SETCHECK),
  // so that only a fresh reading of the boxes brings the options in line again.
  static void flipBoxesQuietly() {
    for (const auto& [box, flag] : checkBoxes()) {
      SendMessageA(*box, BM_SETCHECK, settings.*flag ? BST_UNCHECKED : BST_CHECKED, 0);
    }
  }

  // Expects every option to match its box.
  static void expectOptionsMatchBoxes() {
    for (const auto& [box, flag] : checkBoxes()) {
      EXPECT_EQ(headless::isChecked(*box), settings.*flag) << headless::text(*box);
    }
  }

  fs::path folder_;
  fs::path previous_;
};

}  // namespace main_window_test
