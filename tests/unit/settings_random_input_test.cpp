// loadSettings fed with garbage, a large file of junk, and many random and mutated files built
// from fixed seeds: it never fails, and every field stays within what its kind allows.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings_test_support.h"

namespace {

using settings_test::checkBoxHandles;
using settings_test::defaultRecord;
using settings_test::describe;
using settings_test::rawFlag;
using settings_test::writeWholeFile;

constexpr int kRandomFiles = 1500;
constexpr int kMutatedFiles = 1500;
// Every so many files the record read is also written and read back (each write is flushed to
// disk, which takes a while).
constexpr int kRoundTripEvery = 50;

const std::vector<std::string> kKeys = {"enableLog",
                                        "rewriteLog",
                                        "logFileName",
                                        "backgroundColorHtmlLog",
                                        "fontColorHtmlLog",
                                        "linkColorHtmlLog",
                                        "errorColorHtmlLog",
                                        "warningColorHtmlLog",
                                        "noticeColorHtmlLog",
                                        "htmlFont",
                                        "fontSizeHtmlLog",
                                        "logStats",
                                        "logSettings",
                                        "showLogWhenDone",
                                        "browserPath",
                                        "watchProductVersion",
                                        "updateTitle",
                                        "proceedMinimized",
                                        "printProgress",
                                        "printDetail",
                                        "enableConsole",
                                        "showProgressBar",
                                        "progressBarLatency",
                                        "recognize",
                                        "forceAccess",
                                        "subDamagedBitByZero",
                                        "depthRead",
                                        "depthWrite",
                                        "depthAccess",
                                        "depthClose",
                                        "depthVerify",
                                        "verifyData",
                                        "enableFasterCopy",
                                        "haltOnFirstError",
                                        "waitEnterAfterEachCopy",
                                        "saveSettings",
                                        "saveSourceFile",
                                        "lastSourceFile",
                                        "saveDestinyFolder",
                                        "lastDestinyFolder",
                                        "DepthRead",
                                        "depth",
                                        "enableLogs",
                                        ""};

const std::vector<std::string> kSeparators = {": ", ":", " : ", ":  ", ": \t", "", " "};

const std::vector<std::string> kValues = {"yes",
                                          "no",
                                          "YES",
                                          "No",
                                          "yes ",
                                          "0",
                                          "1",
                                          "-1",
                                          "16",
                                          "300",
                                          "256",
                                          "2147483647",
                                          "2147483648",
                                          "-2147483648",
                                          "4294967297",
                                          "$1F",
                                          "$ff",
                                          "$FFFFFFFF",
                                          "$7fffffff",
                                          "%101",
                                          "%2",
                                          "&17",
                                          "&8",
                                          "+5",
                                          "-$5",
                                          " 20",
                                          "\t7",
                                          "16x",
                                          "",
                                          " ",
                                          "Courier New",
                                          " Courier",
                                          "sorvel.log.htm",
                                          "run.htm",
                                          "missing\\run.htm",
                                          "browse",
                                          "browse --flag",
                                          ".",
                                          "..",
                                          "*",
                                          "?",
                                          "*.*",
                                          std::string(300, 'w'),
                                          std::string(240, '9'),
                                          "$",
                                          "%",
                                          "&",
                                          "\x01\x7f\xff"};

const std::vector<std::string> kLineEnds = {"\r\n", "\n", "\r", "\n\r", "\r\r\n", ""};

// Keeps every generated name inside the temporary folder: no "/" reaches the file checks.
void keepInsideFolder(std::string& bytes) { std::replace(bytes.begin(), bytes.end(), '/', '_'); }

template <typename T>
const T& pick(std::mt19937& random, const std::vector<T>& items) {
  return items[std::uniform_int_distribution<std::size_t>(0, items.size() - 1)(random)];
}

std::string randomFile(std::mt19937& random) {
  std::string content;
  int lines = std::uniform_int_distribution<int>(0, 30)(random);
  for (int line = 0; line < lines; ++line) {
    content += pick(random, kKeys) + pick(random, kSeparators) + pick(random, kValues);
    content += pick(random, kLineEnds);
  }
  keepInsideFolder(content);
  return content;
}

// A valid file with every field set, changed by a few random edits.
std::string mutatedFile(std::mt19937& random, const std::string& valid) {
  std::string content = valid;
  int edits = std::uniform_int_distribution<int>(1, 8)(random);
  for (int edit = 0; edit < edits && !content.empty(); ++edit) {
    std::size_t at = std::uniform_int_distribution<std::size_t>(0, content.size() - 1)(random);
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
      case 0:
        content[at] = static_cast<char>(random());
        break;
      case 1:
        content.erase(at, std::uniform_int_distribution<std::size_t>(1, 40)(random));
        break;
      case 2:
        content.insert(at, pick(random, kLineEnds));
        break;
      case 3:
        content.insert(at, pick(random, kValues));
        break;
      case 4:
        content.insert(at, content.substr(at, 300));
        break;
      default:
        content[at] ^= static_cast<char>(1 << (random() % 8));
        break;
    }
  }
  keepInsideFolder(content);
  return content;
}

class SettingsRandomInput : public settings_test::SettingsTest {
 protected:
  // Start-up as the program does it: defaults, unchecked boxes, empty edit boxes, then the file.
  void startUpWith(const std::string& content) {
    for (HWND* box : checkBoxHandles()) SendMessageA(*box, BM_SETCHECK, BST_UNCHECKED, 0);
    SetWindowTextA(sourceEdit, "");
    SetWindowTextA(destinationEdit, "");
    setDefaultSettings();
    sourcePath = ShortText{};
    destinationPath = ShortText{};
    load(content);
  }

  // Every field within its kind's range, the boxes agreeing with their flags, the saved paths
  // restored, and nothing left on disk beside the settings file.
  void expectConsistent(const std::string& content) {
    SCOPED_TRACE(::testing::PrintToString(content));
    for (bool Settings::*flag : settings_test::everyFlag()) ASSERT_LE(rawFlag(settings.*flag), 1);
    for (std::int32_t number :
         {settings.depthRead, settings.depthWrite, settings.depthAccess, settings.depthClose,
          settings.depthVerify, settings.progressBarLatency}) {
      ASSERT_GT(number, 0);
    }
    std::string expectedBoxes;
    for (bool Settings::*flag : settings_test::mirroredFlags()) {
      expectedBoxes += settings.*flag ? '1' : '0';
    }
    ASSERT_EQ(expectedBoxes, checkedBoxes());
    if (settings.saveSourceFile) {
      ASSERT_EQ(toString(settings.lastSourceFile), toString(sourcePath));
    }
    if (settings.saveDestinyFolder) {
      ASSERT_EQ(toString(settings.lastDestinyFolder), toString(destinationPath));
    }
    ASSERT_EQ(expectedNames_, folderNames());
  }

  // The names the folder holds after each start-up, sorted.
  std::vector<std::string> expectedNames_ = {kSettingsFileName};

  // What a second start-up reads back after the record is written: the same record, except for
  // what the file does not carry (the saved paths when not asked, a font size of 0).
  void expectWrittenRecordReadsBack() {
    Settings expected = settings;
    if (!expected.saveSourceFile) expected.lastSourceFile = ShortText{};
    if (!expected.saveDestinyFolder) expected.lastDestinyFolder = ShortText{};
    if (expected.fontSizeHtmlLog == 0) expected.fontSizeHtmlLog = 1;
    saveSettingsFile();
    startUpWith(settingsFileBytes());
    ASSERT_EQ(describe(expected), describe(settings));
  }
};

TEST_F(SettingsRandomInput, BinaryGarbageKeepsTheDefaults) {
  std::mt19937 random(20240611);
  std::string garbage(65536, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());
  startUpWith(garbage);
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  EXPECT_EQ("11100010100", checkedBoxes());
}

// Reading stops at 1 MiB, far beyond any settings file.
TEST_F(SettingsRandomInput, TenMegabytesOfJunkKeepTheDefaultsAndAreReadInBlocksUpToTheBound) {
  std::mt19937 random(7);
  std::string junk(10 * 1024 * 1024, '\0');
  for (char& byte : junk) byte = static_cast<char>(random());
  startUpWith(junk);
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  std::string path = pathOf(kSettingsFileName);
  EXPECT_EQ(1, faults::readsAt(path, 512 * 1024 + 17));
  EXPECT_EQ(0, faults::singleByteReadsAt(path, 512 * 1024 + 17));
  EXPECT_EQ(0, faults::readsAt(path, 5 * 1024 * 1024 + 17));
}

TEST_F(SettingsRandomInput, RandomLinesKeepEveryFieldInRange) {
  std::mt19937 random(1234);
  for (int round = 0; round < kRandomFiles; ++round) {
    std::string content = randomFile(random);
    startUpWith(content);
    expectConsistent(content);
    if (HasFatalFailure()) return;
    if (round % kRoundTripEvery == 0) expectWrittenRecordReadsBack();
    if (HasFatalFailure()) return;
  }
}

TEST_F(SettingsRandomInput, MutatedFilesKeepEveryFieldInRange) {
  std::mt19937 random(99);
  writeWholeFile(folder_ / "browse", "#!/bin/sh\n");
  expectedNames_ = {"browse", kSettingsFileName};
  std::string valid =
      "enableLog: no\r\nlogFileName: run.htm\r\nhtmlFont: Courier New\r\nfontSizeHtmlLog: 3\r\n"
      "browserPath: browse\r\nprogressBarLatency: 5\r\ndepthRead: 20\r\ndepthWrite: 9\r\n"
      "depthAccess: 2\r\ndepthClose: 3\r\ndepthVerify: 2\r\nverifyData: yes\r\n"
      "forceAccess: yes\r\nsaveSourceFile: yes\r\nlastSourceFile: E:\\*.*\r\n"
      "saveDestinyFolder: yes\r\nlastDestinyFolder: C:\\saved\r\n";
  for (int round = 0; round < kMutatedFiles; ++round) {
    std::string content = mutatedFile(random, valid);
    startUpWith(content);
    expectConsistent(content);
    if (HasFatalFailure()) return;
    if (round % kRoundTripEvery == 0) expectWrittenRecordReadsBack();
    if (HasFatalFailure()) return;
  }
}

}  // namespace
