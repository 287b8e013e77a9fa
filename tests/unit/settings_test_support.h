// What the settings tests share: a fixture that enters a fresh temporary folder (the settings file
// lives in the current folder) and builds a window with the eleven check boxes and the two edit
// boxes, like the main window's, plus helpers for files and for comparing whole records.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"
#include "tests/file_contents.h"

namespace settings_test {

// The eleven check boxes in the order they mirror their flags.
inline std::vector<HWND*> checkBoxHandles() {
  return {&enableLogBox,    &rewriteLogBox,       &printProgressBox, &printDetailBox,
          &verifyDataBox,   &recognizeBox,        &enableConsoleBox, &enableFasterCopyBox,
          &saveSettingsBox, &haltOnFirstErrorBox, &forceAccessBox};
}

// The 22 flags of the record.
inline std::vector<bool Settings::*> everyFlag() {
  return {&Settings::enableLog,
          &Settings::rewriteLog,
          &Settings::printProgress,
          &Settings::verifyData,
          &Settings::printDetail,
          &Settings::enableConsole,
          &Settings::enableFasterCopy,
          &Settings::recognize,
          &Settings::saveSettings,
          &Settings::haltOnFirstError,
          &Settings::updateTitle,
          &Settings::saveSourceFile,
          &Settings::saveDestinyFolder,
          &Settings::logStats,
          &Settings::forceAccess,
          &Settings::showProgressBar,
          &Settings::showLogWhenDone,
          &Settings::watchProductVersion,
          &Settings::waitEnterAfterEachCopy,
          &Settings::proceedMinimized,
          &Settings::logSettings,
          &Settings::subDamagedBitByZero,
          &Settings::logDamagedRanges,
          &Settings::saveDamageMap};
}

// The flags the eleven boxes mirror, in the boxes' order.
inline std::vector<bool Settings::*> mirroredFlags() {
  return {&Settings::enableLog,        &Settings::rewriteLog,       &Settings::printProgress,
          &Settings::printDetail,      &Settings::verifyData,       &Settings::recognize,
          &Settings::enableConsole,    &Settings::enableFasterCopy, &Settings::saveSettings,
          &Settings::haltOnFirstError, &Settings::forceAccess};
}

// The whole file as bytes.
inline std::string readWholeFile(const std::filesystem::path& path) {
  return test_files::readWhole(path);
}

// Writes a new file in place of any old one. The old one is removed first rather than truncated:
// truncating a file that holds data makes some file systems flush it at once, which is slow.
inline void writeWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The byte a flag field holds, read without assuming it is a valid bool.
inline int rawFlag(const bool& flag) {
  std::uint8_t raw;
  std::memcpy(&raw, &flag, 1);
  return raw;
}

// Every field of a record, one "name=value" line each, written out field by field so that a
// comparison shows which fields differ.
inline std::string describe(const Settings& record) {
  std::ostringstream out;
#define SETTINGS_TEST_FLAG(name) out << #name "=" << rawFlag(record.name) << '\n';
#define SETTINGS_TEST_NUMBER(name) out << #name "=" << static_cast<long long>(record.name) << '\n';
#define SETTINGS_TEST_TEXT(name) out << #name "=[" << view(record.name) << "]\n";
  SETTINGS_TEST_FLAG(enableLog)
  SETTINGS_TEST_FLAG(rewriteLog)
  SETTINGS_TEST_FLAG(printProgress)
  SETTINGS_TEST_FLAG(verifyData)
  SETTINGS_TEST_FLAG(printDetail)
  SETTINGS_TEST_FLAG(enableConsole)
  SETTINGS_TEST_FLAG(enableFasterCopy)
  SETTINGS_TEST_FLAG(recognize)
  SETTINGS_TEST_FLAG(saveSettings)
  SETTINGS_TEST_FLAG(haltOnFirstError)
  SETTINGS_TEST_FLAG(updateTitle)
  SETTINGS_TEST_FLAG(saveSourceFile)
  SETTINGS_TEST_FLAG(saveDestinyFolder)
  SETTINGS_TEST_FLAG(logStats)
  SETTINGS_TEST_FLAG(forceAccess)
  SETTINGS_TEST_FLAG(showProgressBar)
  SETTINGS_TEST_FLAG(showLogWhenDone)
  SETTINGS_TEST_FLAG(watchProductVersion)
  SETTINGS_TEST_FLAG(waitEnterAfterEachCopy)
  SETTINGS_TEST_FLAG(proceedMinimized)
  SETTINGS_TEST_FLAG(logSettings)
  SETTINGS_TEST_FLAG(subDamagedBitByZero)
  SETTINGS_TEST_FLAG(logDamagedRanges)
  SETTINGS_TEST_FLAG(saveDamageMap)
  SETTINGS_TEST_FLAG(copySubfolders)
  SETTINGS_TEST_FLAG(retryDamagedLast)
  SETTINGS_TEST_NUMBER(depthRead)
  SETTINGS_TEST_NUMBER(depthWrite)
  SETTINGS_TEST_NUMBER(depthAccess)
  SETTINGS_TEST_NUMBER(depthClose)
  SETTINGS_TEST_NUMBER(depthVerify)
  SETTINGS_TEST_NUMBER(fontSizeHtmlLog)
  SETTINGS_TEST_NUMBER(progressBarLatency)
  SETTINGS_TEST_NUMBER(sectorSize)
  SETTINGS_TEST_TEXT(backgroundColorHtmlLog)
  SETTINGS_TEST_TEXT(fontColorHtmlLog)
  SETTINGS_TEST_TEXT(linkColorHtmlLog)
  SETTINGS_TEST_TEXT(errorColorHtmlLog)
  SETTINGS_TEST_TEXT(warningColorHtmlLog)
  SETTINGS_TEST_TEXT(noticeColorHtmlLog)
  SETTINGS_TEST_TEXT(htmlFont)
  SETTINGS_TEST_TEXT(lastSourceFile)
  SETTINGS_TEST_TEXT(lastDestinyFolder)
  SETTINGS_TEST_TEXT(logFileName)
  SETTINGS_TEST_TEXT(browserPath)
#undef SETTINGS_TEST_FLAG
#undef SETTINGS_TEST_NUMBER
#undef SETTINGS_TEST_TEXT
  return out.str();
}

// The record as setDefaultSettings leaves it.
inline Settings defaultRecord() {
  Settings saved = settings;
  setDefaultSettings();
  Settings defaults = settings;
  settings = saved;
  return defaults;
}

// The parent of the test controls reads the check boxes back on every button click and every
// edit change, as the main window does.
inline LRESULT CALLBACK mirroringParentProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_COMMAND && (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == EN_CHANGE)) {
    readCheckBoxes();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A fresh temporary current folder, and a window with the eleven check boxes and the two edit
// boxes stored in the program's handles; settings at their defaults, both paths empty.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousFolder_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvel-settings-XXXXXX");
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    std::filesystem::current_path(pattern);
    // The folder as the current folder names it, so that paths given to the fault injection match.
    folder_ = std::filesystem::current_path();
    headless::install();
    faults::reset();
    createWindow();
    setDefaultSettings();
    sourcePath = ShortText{};
    destinationPath = ShortText{};
    settingsFileUnread = false;
  }

  void TearDown() override {
    faults::disarm();
    headless::reset();
    for (HWND* box : checkBoxHandles()) *box = nullptr;
    mainWindow = sourceEdit = destinationEdit = nullptr;
    std::filesystem::current_path(previousFolder_);
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(folder_, ignored);
  }

  // The absolute path of a name in the temporary folder.
  std::string pathOf(const std::string& name) const { return (folder_ / name).string(); }

  void writeSettingsFile(const std::string& bytes) {
    writeWholeFile(folder_ / kSettingsFileName, bytes);
  }
  std::string settingsFileBytes() const { return readWholeFile(folder_ / kSettingsFileName); }

  // Writes `bytes` as the settings file and loads it.
  void load(const std::string& bytes) {
    writeSettingsFile(bytes);
    loadSettings();
  }

  // The names in the temporary folder, sorted.
  std::vector<std::string> folderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string windowText(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
  }

  static bool isChecked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  // Which of the eleven boxes are checked, in their order, as a string of 0 and 1.
  static std::string checkedBoxes() {
    std::string states;
    for (HWND* box : checkBoxHandles()) states += isChecked(*box) ? '1' : '0';
    return states;
  }

  std::filesystem::path folder_;

 private:
  void createWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = mirroringParentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "settingsTestWindow";
    RegisterClassA(&windowClass);
    mainWindow =
        CreateWindowExA(0, "settingsTestWindow", "sorvel", WS_VISIBLE | WS_CAPTION, CW_USEDEFAULT,
                        CW_USEDEFAULT, 530, 472, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(nullptr, mainWindow);
    int y = 0;
    for (HWND* box : checkBoxHandles()) {
      *box = CreateWindowExA(0, "BUTTON", "box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 400, y,
                             240, 20, mainWindow, nullptr, instance, nullptr);
      ASSERT_NE(nullptr, *box);
      y += 20;
    }
    sourceEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 300,
                                 20, mainWindow, nullptr, instance, nullptr);
    destinationEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 40,
                                      300, 20, mainWindow, nullptr, instance, nullptr);
    ASSERT_NE(nullptr, sourceEdit);
    ASSERT_NE(nullptr, destinationEdit);
  }

  std::filesystem::path previousFolder_;
};

}  // namespace settings_test
