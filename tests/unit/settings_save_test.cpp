// Writing "sorvel.ini": the lines and their order, the round trips through the file, and the
// safe replacement of the old file (temporary file, read-only file, failures part-way).
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/faults/system_call_faults.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"
#include "settings_test_support.h"

namespace {

using settings_test::defaultRecord;
using settings_test::describe;
using settings_test::readWholeFile;
using settings_test::writeWholeFile;

using SettingsSave = settings_test::SettingsTest;

const char kDefaultFile[] =
    "enableLog: yes\r\n"
    "rewriteLog: yes\r\n"
    "logFileName: sorvel.log.htm\r\n"
    "backgroundColorHtmlLog: 0000FF\r\n"
    "fontColorHtmlLog: FFFFFF\r\n"
    "linkColorHtmlLog: FFAA00\r\n"
    "errorColorHtmlLog: FF0000\r\n"
    "warningColorHtmlLog: FFFF00\r\n"
    "noticeColorHtmlLog: 00FFFF\r\n"
    "htmlFont: Arial\r\n"
    "fontSizeHtmlLog: 1\r\n"
    "logStats: yes\r\n"
    "logSettings: no\r\n"
    "showLogWhenDone: no\r\n"
    "watchProductVersion: yes\r\n"
    "updateTitle: no\r\n"
    "proceedMinimized: no\r\n"
    "printProgress: yes\r\n"
    "printDetail: no\r\n"
    "enableConsole: yes\r\n"
    "showProgressBar: yes\r\n"
    "progressBarLatency: 1\r\n"
    "recognize: no\r\n"
    "forceAccess: no\r\n"
    "subDamagedBitByZero: no\r\n"
    "depthRead: 16\r\n"
    "depthWrite: 4\r\n"
    "depthAccess: 32\r\n"
    "depthClose: 8\r\n"
    "depthVerify: 1\r\n"
    "verifyData: no\r\n"
    "enableFasterCopy: no\r\n"
    "haltOnFirstError: no\r\n"
    "waitEnterAfterEachCopy: no\r\n"
    "saveSettings: yes\r\n"
    "saveSourceFile: no\r\n"
    "saveDestinyFolder: no\r\n";

// Every field away from its default; the browser and the log name name files that exist, so that
// the start-up checks keep them.
void changeEveryField(const std::string& browser) {
  for (bool Settings::*flag : settings_test::everyFlag()) settings.*flag = !(settings.*flag);
  settings.depthRead = 1000;
  settings.depthWrite = 2147483647;
  settings.depthAccess = 3;
  settings.depthClose = 77;
  settings.depthVerify = 5;
  settings.fontSizeHtmlLog = 255;
  settings.progressBarLatency = 20;
  settings.sectorSize = 2048;
  settings.copySubfolders = true;
  settings.backgroundColorHtmlLog = text("000000");
  settings.fontColorHtmlLog = text("C0C0C0");
  settings.linkColorHtmlLog = text("00ff00");
  settings.errorColorHtmlLog = text("ff00ff");
  settings.warningColorHtmlLog = text("808000");
  settings.noticeColorHtmlLog = text("008080");
  settings.htmlFont = text(" Courier  New ");
  settings.logFileName = text("run log.htm");
  settings.browserPath = text(browser);
  sourcePath = text("E:\\damaged\\*.*");
  destinationPath = text("C:\\saved: copies ");
  settings.lastSourceFile = sourcePath;
  settings.lastDestinyFolder = destinationPath;
}

std::vector<std::string> linesOf(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find("\r\n", start);
    if (end == std::string::npos) end = content.size();
    lines.push_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST_F(SettingsSave, DefaultsGiveExactly37LinesInOrder) {
  saveSettingsFile();
  EXPECT_EQ(kDefaultFile, settingsFileBytes());
  EXPECT_EQ(37u, linesOf(settingsFileBytes()).size());
}

TEST_F(SettingsSave, ConditionalLinesStandAtTheirPlaces) {
  settings.browserPath = text("C:\\Browser\\browse.exe");
  settings.saveSourceFile = true;
  settings.saveDestinyFolder = true;
  sourcePath = text("A:\\*.*");
  destinationPath = text("C:\\floppy");
  saveSettingsFile();
  std::vector<std::string> lines = linesOf(settingsFileBytes());
  ASSERT_EQ(40u, lines.size());
  EXPECT_EQ("showLogWhenDone: no", lines[13]);
  EXPECT_EQ("browserPath: C:\\Browser\\browse.exe", lines[14]);
  EXPECT_EQ("watchProductVersion: yes", lines[15]);
  EXPECT_EQ("saveSourceFile: yes", lines[36]);
  EXPECT_EQ("lastSourceFile: A:\\*.*", lines[37]);
  EXPECT_EQ("saveDestinyFolder: yes", lines[38]);
  EXPECT_EQ("lastDestinyFolder: C:\\floppy", lines[39]);
}

TEST_F(SettingsSave, SectorSizeLineIsReadLikeANumberAndWrittenLastOnlyWhenSet) {
  // The value after "sectorSize: ", the sectorSize it leaves when it was 512, and the last line
  // then written.
  struct Row {
    const char* value;
    std::int32_t sectorSize;
    const char* lastLine;
  };
  const Row kRows[] = {{"4096", 4096, "sectorSize: 4096"},
                       {"1", 1, "sectorSize: 1"},
                       {" $800", 2048, "sectorSize: 2048"},
                       {"0", 512, "sectorSize: 512"},
                       {"-512", 512, "sectorSize: 512"},
                       {"4k", 512, "sectorSize: 512"},
                       {"", 512, "sectorSize: 512"},
                       {"99999999999", 512, "sectorSize: 512"},
                       {"2147483647", 2147483647, "sectorSize: 2147483647"}};
  for (const Row& row : kRows) {
    settings.sectorSize = 512;
    applySettingLine(text(std::string("sectorSize: ") + row.value));
    EXPECT_EQ(row.sectorSize, settings.sectorSize) << row.value;
    saveSettingsFile();
    std::vector<std::string> lines = linesOf(settingsFileBytes());
    EXPECT_EQ(38u, lines.size()) << row.value;
    EXPECT_EQ(row.lastLine, lines.back()) << row.value;
  }
}

TEST_F(SettingsSave, CopySubfoldersLineIsAFlagLineWrittenLastOnlyWhenSet) {
  // The line read, whether copySubfolders is set afterwards (it was set before each), and the
  // last lines then written; sectorSize, when written, comes before it.
  struct Row {
    const char* line;
    std::int32_t sectorSize;
    bool copySubfolders;
    std::vector<std::string> lastLines;
  };
  const Row kRows[] = {
      {"copySubfolders: yes", 0, true, {"saveDestinyFolder: no", "copySubfolders: yes"}},
      {"copySubfolders: no", 0, false, {"saveSourceFile: no", "saveDestinyFolder: no"}},
      {"copySubfolders: YES", 512, true, {"sectorSize: 512", "copySubfolders: yes"}},
      {"copySubfolders: no ", 512, true, {"sectorSize: 512", "copySubfolders: yes"}},
      {"copySubfolders: no", 512, false, {"saveDestinyFolder: no", "sectorSize: 512"}}};
  for (const Row& row : kRows) {
    settings.copySubfolders = true;
    settings.sectorSize = row.sectorSize;
    applySettingLine(text(row.line));
    EXPECT_EQ(row.copySubfolders, settings.copySubfolders) << row.line;
    saveSettingsFile();
    std::vector<std::string> lines = linesOf(settingsFileBytes());
    std::size_t expected = 37 + (row.sectorSize != 0 ? 1 : 0) + (row.copySubfolders ? 1 : 0);
    ASSERT_EQ(expected, lines.size()) << row.line;
    EXPECT_EQ(row.lastLines, std::vector<std::string>(lines.end() - 2, lines.end())) << row.line;
  }
}

TEST_F(SettingsSave, SavedSourceAndDestinationComeFromThePathsNotTheFields) {
  settings.saveSourceFile = true;
  settings.saveDestinyFolder = true;
  settings.lastSourceFile = text("old source");
  settings.lastDestinyFolder = text("old destination");
  sourcePath = text("new source");
  SetWindowTextA(sourceEdit, "typed but never copied");
  saveSettingsFile();
  std::vector<std::string> lines = linesOf(settingsFileBytes());
  ASSERT_EQ(39u, lines.size());
  EXPECT_EQ("lastSourceFile: new source", lines[36]);
  EXPECT_EQ("lastDestinyFolder: ", lines[38]);
}

// A saved path is read back as itself or, when its line would not be read back whole, as the
// empty text: never as another path. "lastSourceFile: " is 16 bytes, "lastDestinyFolder: " 19,
// and the reader keeps 255 bytes of a line.
TEST_F(SettingsSave, SavedPathIsReadBackWholeOrEmptyNeverCut) {
  struct Case {
    std::string path;
    bool sourceKept;
    bool destinationKept;
  };
  const std::vector<Case> cases = {
      {std::string(236, 'd'), true, true},   {std::string(237, 'd'), true, false},
      {std::string(239, 's'), true, false},  {std::string(240, 's'), false, false},
      {std::string(255, 'f'), false, false}, {"/media/a\nb", false, false},
      {"/media/a\rb", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.size());
    settings.saveSourceFile = true;
    settings.saveDestinyFolder = true;
    sourcePath = text(c.path);
    destinationPath = text(c.path);
    saveSettingsFile();
    setDefaultSettings();
    sourcePath = text("stale");
    destinationPath = text("stale");
    loadSettings();
    EXPECT_EQ(c.sourceKept ? c.path : "", toString(sourcePath));
    EXPECT_EQ(c.destinationKept ? c.path : "", toString(destinationPath));
  }
}

TEST_F(SettingsSave, DefaultsSurviveARoundTrip) {
  saveSettingsFile();
  // Every field the file carries is changed; the six it leaves out are set to their defaults.
  changeEveryField("");
  settings.sectorSize = 0;
  settings.logDamagedRanges = false;
  settings.saveDamageMap = false;
  settings.copySubfolders = false;
  settings.lastSourceFile = ShortText{};
  settings.lastDestinyFolder = ShortText{};
  loadSettings();
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
}

TEST_F(SettingsSave, EveryChangedFieldSurvivesARoundTrip) {
  writeWholeFile(folder_ / "browse", "#!/bin/sh\n");
  changeEveryField(pathOf("browse"));
  Settings expected = settings;
  saveSettingsFile();
  setDefaultSettings();
  sourcePath = ShortText{};
  destinationPath = ShortText{};
  loadSettings();
  EXPECT_EQ(describe(expected), describe(settings));
  EXPECT_EQ("E:\\damaged\\*.*", view(sourcePath));
  EXPECT_EQ("C:\\saved: copies ", view(destinationPath));
  EXPECT_EQ("E:\\damaged\\*.*", windowText(sourceEdit));
  EXPECT_EQ("C:\\saved: copies ", windowText(destinationEdit));
}

TEST_F(SettingsSave, LongLineIsWrittenWholeAndReadBackCut) {
  settings.htmlFont = text(std::string(255, 'F'));
  saveSettingsFile();
  std::vector<std::string> lines = linesOf(settingsFileBytes());
  EXPECT_EQ("htmlFont: " + std::string(255, 'F'), lines[9]);
  setDefaultSettings();
  loadSettings();
  EXPECT_EQ(std::string(245, 'F'), toString(settings.htmlFont));
  EXPECT_EQ(1, settings.fontSizeHtmlLog);  // the next line is read as a line of its own
}

TEST_F(SettingsSave, OldFileIsReplacedAndNoTemporaryFileStays) {
  writeSettingsFile("depthRead: 5\r\nsomething the user wrote\r\n");
  saveSettingsFile();
  EXPECT_EQ(kDefaultFile, settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

// A settings file kept elsewhere (a dotfiles folder) through a link, directly or through a chain
// of relative links: the file at the end receives the settings, and every link stays a link.
TEST_F(SettingsSave, LinkedSettingsFileIsReplacedWhereItLivesAndTheLinksStay) {
  namespace fs = std::filesystem;
  const std::vector<std::vector<std::string>> chains = {
      {"dotfiles/shared.ini"}, {"dotfiles/middle", "../dotfiles/shared.ini"}};
  for (const std::vector<std::string>& chain : chains) {
    SCOPED_TRACE(chain.front());
    fs::create_directory(folder_ / "dotfiles");
    writeWholeFile(folder_ / "dotfiles" / "shared.ini", "depthRead: 5\r\n");
    fs::path link = folder_ / kSettingsFileName;
    for (const std::string& target : chain) {
      fs::create_symlink(target, link);
      link = link.parent_path() / target;
    }
    loadSettings();
    EXPECT_EQ(5, settings.depthRead);
    settings.depthRead = 16;
    saveSettingsFile();
    EXPECT_EQ(kDefaultFile, readWholeFile(folder_ / "dotfiles" / "shared.ini"));
    EXPECT_TRUE(fs::is_symlink(folder_ / kSettingsFileName));
    EXPECT_EQ(chain.front(), fs::read_symlink(folder_ / kSettingsFileName).string());
    std::vector<std::string> expected{"shared.ini"};
    if (chain.size() > 1) expected.insert(expected.begin(), "middle");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_ / "dotfiles")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(expected, names);
    EXPECT_EQ((std::vector<std::string>{"dotfiles", kSettingsFileName}), folderNames());
    fs::remove(folder_ / kSettingsFileName);
    fs::remove_all(folder_ / "dotfiles");
  }
}

TEST_F(SettingsSave, ReadOnlySettingsFileIsLeftAsItWas) {
  writeSettingsFile("depthRead: 5\r\n");
  std::filesystem::permissions(folder_ / kSettingsFileName, std::filesystem::perms::owner_read);
  loadSettings();
  EXPECT_EQ(5, settings.depthRead);
  settings.depthRead = 6;
  saveSettingsFile();
  EXPECT_EQ("depthRead: 5\r\n", settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
  EXPECT_EQ(0, faults::opens(pathOf("sorvel.ini.tmp")));  // not even tried
}

TEST_F(SettingsSave, FolderNamedLikeTheFileIsLeftAsItWas) {
  std::filesystem::create_directory(folder_ / kSettingsFileName);
  writeWholeFile(folder_ / kSettingsFileName / "inner", "kept");
  loadSettings();
  saveSettingsFile();
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / kSettingsFileName));
  EXPECT_EQ("kept", readWholeFile(folder_ / kSettingsFileName / "inner"));
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
  EXPECT_EQ(0, faults::opens(pathOf("sorvel.ini.tmp")));
}

TEST_F(SettingsSave, FolderNamedLikeTheFileIsLeftAloneAlsoWithoutStartUp) {
  std::filesystem::create_directory(folder_ / kSettingsFileName);
  saveSettingsFile();
  EXPECT_TRUE(std::filesystem::is_empty(folder_ / kSettingsFileName));
  EXPECT_EQ(0, faults::opens(pathOf("sorvel.ini.tmp")));
}

TEST_F(SettingsSave, FileThatCouldNotBeReadAtStartIsNotReplaced) {
  writeSettingsFile("depthRead: 5\r\nhtmlFont: Courier\r\n");
  faults::failReads(pathOf(kSettingsFileName), 3, -1);
  loadSettings();
  faults::reset();
  saveSettingsFile();
  EXPECT_EQ("depthRead: 5\r\nhtmlFont: Courier\r\n", settingsFileBytes());
}

TEST_F(SettingsSave, WriteFailureKeepsTheOldFileAndRemovesTheTemporary) {
  writeSettingsFile("depthRead: 5\r\n");
  faults::failWrites(pathOf("sorvel.ini.tmp"), 200, -1, ERROR_DISK_FULL);
  saveSettingsFile();
  EXPECT_EQ("depthRead: 5\r\n", settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

TEST_F(SettingsSave, FlushFailureKeepsTheOldFileAndRemovesTheTemporary) {
  writeSettingsFile("depthRead: 5\r\n");
  faults::failFlushes(pathOf("sorvel.ini.tmp"), 1, EIO);
  saveSettingsFile();
  EXPECT_EQ(1, faults::flushes(pathOf("sorvel.ini.tmp")));
  faults::clearSystemCallFaults();
  EXPECT_EQ("depthRead: 5\r\n", settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

// The new file takes the old one's permission bits: a private settings file stays private, one
// shared with a group stays shared. A file that is new gets the usual ones.
TEST_F(SettingsSave, ReplacedFileKeepsThePermissionsOfTheOldOne) {
  namespace fs = std::filesystem;
  for (fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                         fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::group_write}) {
    SCOPED_TRACE(static_cast<int>(mode));
    writeSettingsFile("depthRead: 5\r\n");
    fs::permissions(folder_ / kSettingsFileName, mode);
    saveSettingsFile();
    EXPECT_EQ(kDefaultFile, settingsFileBytes());
    EXPECT_EQ(mode, fs::status(folder_ / kSettingsFileName).permissions() & fs::perms::mask);
    EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
  }
  fs::remove(folder_ / kSettingsFileName);
  saveSettingsFile();
  EXPECT_EQ(kDefaultFile, settingsFileBytes());
}

TEST_F(SettingsSave, CloseFailureKeepsTheOldFileAndRemovesTheTemporary) {
  writeSettingsFile("depthRead: 5\r\n");
  faults::failCloses(pathOf("sorvel.ini.tmp"), 1);
  saveSettingsFile();
  EXPECT_EQ("depthRead: 5\r\n", settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

TEST_F(SettingsSave, TemporaryThatCannotBeCreatedLeavesTheOldFile) {
  writeSettingsFile("depthRead: 5\r\n");
  faults::failOpens(pathOf("sorvel.ini.tmp"), 1, ERROR_ACCESS_DENIED);
  saveSettingsFile();
  EXPECT_EQ("depthRead: 5\r\n", settingsFileBytes());
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

TEST_F(SettingsSave, UsersFileOfTheTemporaryNameIsNeverTouched) {
  writeWholeFile(folder_ / "sorvel.ini.tmp", "the user's own file");
  saveSettingsFile();
  EXPECT_EQ(kDefaultFile, settingsFileBytes());
  EXPECT_EQ("the user's own file", readWholeFile(folder_ / "sorvel.ini.tmp"));
  EXPECT_EQ((std::vector<std::string>{kSettingsFileName, "sorvel.ini.tmp"}), folderNames());
}

TEST_F(SettingsSave, SettingsSurviveARestartOfTheStartUpSequence) {
  loadSettings();
  ASSERT_TRUE(headless::click(verifyDataBox));
  headless::dispatchPending();
  saveSettingsFile();
  setDefaultSettings();
  for (HWND* box : settings_test::checkBoxHandles()) {
    SendMessageA(*box, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  loadSettings();
  EXPECT_TRUE(settings.verifyData);
  EXPECT_TRUE(isChecked(verifyDataBox));
  EXPECT_EQ("11101010100", checkedBoxes());
}

}  // namespace
