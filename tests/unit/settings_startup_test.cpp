// What loadSettings does after reading the file: the check boxes, the saved source and destination,
// and the checks of the log name and the browser path, which leave the disk as it was.
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "settings_test_support.h"

namespace {

using settings_test::describe;
using settings_test::readWholeFile;
using settings_test::writeWholeFile;

using SettingsStartup = settings_test::SettingsTest;

TEST_F(SettingsStartup, LoadedFlagsAreShownInTheirBoxes) {
  load(
      "enableLog: no\r\nverifyData: yes\r\nrecognize: yes\r\nhaltOnFirstError: yes\r\n"
      "saveSettings: no\r\n");
  // enableLog, rewriteLog, printProgress, printDetail, verifyData, recognize, enableConsole,
  // enableFasterCopy, saveSettings, haltOnFirstError, forceAccess.
  EXPECT_EQ("01101110010", checkedBoxes());
}

TEST_F(SettingsStartup, BoxOfAFlagThatIsNoIsLeftAsItWas) {
  SendMessageA(enableFasterCopyBox, BM_SETCHECK, BST_CHECKED, 0);
  load("enableFasterCopy: no\r\n");
  EXPECT_TRUE(isChecked(enableFasterCopyBox));
}

TEST_F(SettingsStartup, SavedSourceAndDestinationGoIntoPathsAndEditBoxes) {
  load(
      "saveSourceFile: yes\r\nlastSourceFile: E:\\photos\\*.jpg\r\n"
      "saveDestinyFolder: yes\r\nlastDestinyFolder: C:\\rescued photos\r\n");
  EXPECT_EQ("E:\\photos\\*.jpg", view(sourcePath));
  EXPECT_EQ("E:\\photos\\*.jpg", windowText(sourceEdit));
  EXPECT_EQ("C:\\rescued photos", view(destinationPath));
  EXPECT_EQ("C:\\rescued photos", windowText(destinationEdit));
}

TEST_F(SettingsStartup, SavedPathsAreIgnoredWhenNotAsked) {
  sourcePath = text("keep");
  SetWindowTextA(sourceEdit, "keep");
  load("lastSourceFile: E:\\x\r\nlastDestinyFolder: C:\\y\r\nsaveDestinyFolder: no\r\n");
  EXPECT_EQ("keep", view(sourcePath));
  EXPECT_EQ("keep", windowText(sourceEdit));
  EXPECT_EQ(0, destinationPath.length);
  EXPECT_EQ("", windowText(destinationEdit));
  EXPECT_EQ("E:\\x", view(settings.lastSourceFile));
}

TEST_F(SettingsStartup, SaveSourceFileWithoutSavedSourceEmptiesPathAndEditBox) {
  sourcePath = text("D:\\old\\*.*");
  SetWindowTextA(sourceEdit, "D:\\old\\*.*");
  load("saveSourceFile: yes\r\n");
  EXPECT_EQ(0, sourcePath.length);
  EXPECT_EQ("", windowText(sourceEdit));
}

TEST_F(SettingsStartup, BoxesAreCheckedBeforeTheEditBoxesReportTheirChange) {
  // Giving an edit box its text makes the window re-read every box into its flag; the loaded
  // flags survive only if their boxes were checked first.
  load(
      "verifyData: yes\r\nforceAccess: yes\r\nsaveSourceFile: yes\r\n"
      "lastSourceFile: E:\\a.txt\r\nsaveDestinyFolder: yes\r\nlastDestinyFolder: C:\\b\r\n");
  EXPECT_TRUE(settings.verifyData);
  EXPECT_TRUE(settings.forceAccess);
  EXPECT_TRUE(settings.enableLog);
  EXPECT_TRUE(settings.saveSettings);
}

TEST_F(SettingsStartup, StepsAfterTheFileRunAlsoWithoutAFile) {
  settings.browserPath = text("missing-browser");
  settings.logFileName = text("no-such-folder/run.htm");
  settings.saveSourceFile = true;
  settings.lastSourceFile = text("F:\\*.*");
  loadSettings();
  EXPECT_EQ(0, settings.browserPath.length);
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
  EXPECT_EQ("F:\\*.*", windowText(sourceEdit));
  EXPECT_EQ("11100010100", checkedBoxes());
}

TEST_F(SettingsStartup, WritableMissingLogNameIsKeptAndNoFileIsLeftBehind) {
  load("logFileName: copies.htm\r\n");
  EXPECT_EQ("copies.htm", view(settings.logFileName));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "copies.htm"));
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

TEST_F(SettingsStartup, ExistingLogKeepsItsNameAndItsContent) {
  writeWholeFile(folder_ / "old.htm", "<HTML>earlier runs</HTML>");
  std::filesystem::last_write_time(
      folder_ / "old.htm", std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
  auto before = std::filesystem::last_write_time(folder_ / "old.htm");
  load("logFileName: old.htm\r\n");
  EXPECT_EQ("old.htm", view(settings.logFileName));
  EXPECT_EQ("<HTML>earlier runs</HTML>", readWholeFile(folder_ / "old.htm"));
  EXPECT_EQ(before, std::filesystem::last_write_time(folder_ / "old.htm"));
}

TEST_F(SettingsStartup, LogNameInAMissingFolderFallsBackToTheDefault) {
  load("logFileName: missing/run.htm\r\n");
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
}

TEST_F(SettingsStartup, ReadOnlyLogFallsBackToTheDefaultAndKeepsItsContent) {
  writeWholeFile(folder_ / "locked.htm", "kept");
  std::filesystem::permissions(folder_ / "locked.htm", std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::group_read);
  load("logFileName: locked.htm\r\n");
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
  EXPECT_EQ("kept", readWholeFile(folder_ / "locked.htm"));
}

TEST_F(SettingsStartup, LogNameOfAFolderFallsBackToTheDefault) {
  std::filesystem::create_directory(folder_ / "logs");
  load("logFileName: logs\r\n");
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "logs"));
}

TEST_F(SettingsStartup, EmptyLogNameFallsBackToTheDefault) {
  load("logFileName: \r\n");
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
}

TEST_F(SettingsStartup, LogNameThatCannotBeOpenedFallsBackAndLeavesNothing) {
  faults::failOpens(pathOf("denied.htm"), 5, ERROR_ACCESS_DENIED);
  load("logFileName: denied.htm\r\n");
  EXPECT_EQ("sorvel.log.htm", view(settings.logFileName));
  EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, folderNames());
}

TEST_F(SettingsStartup, DefaultLogNameIsNotChecked) {
  load("logFileName: sorvel.log.htm\r\n");
  EXPECT_EQ(0, faults::opens(pathOf("sorvel.log.htm")));
}

TEST_F(SettingsStartup, LogNameCheckIsCaseSensitive) {
  load("logFileName: Sorvel.log.htm\r\n");
  EXPECT_EQ("Sorvel.log.htm", view(settings.logFileName));
  EXPECT_LT(0, faults::opens(pathOf("Sorvel.log.htm")));
}

TEST_F(SettingsStartup, BrowserPathOfAnExistingProgramIsKept) {
  writeWholeFile(folder_ / "browse", "#!/bin/sh\n");
  load("browserPath: " + pathOf("browse") + "\r\n");
  EXPECT_EQ(pathOf("browse"), toString(settings.browserPath));
}

TEST_F(SettingsStartup, BrowserPathMatchesEntriesOfAnyAttributes) {
  std::filesystem::create_directory(folder_ / "viewer");
  writeWholeFile(folder_ / ".hidden", "");
  load("browserPath: viewer\r\nnoSuchKey: x\r\n");
  EXPECT_EQ("viewer", view(settings.browserPath));
  load("browserPath: .hidden\r\n");
  EXPECT_EQ(".hidden", view(settings.browserPath));
}

TEST_F(SettingsStartup, BrowserPathWithArgumentsIsEmptied) {
  writeWholeFile(folder_ / "browse", "#!/bin/sh\n");
  load("browserPath: " + pathOf("browse") + " --new-window\r\n");
  EXPECT_EQ(0, settings.browserPath.length);
}

TEST_F(SettingsStartup, BrowserPathOfNothingIsEmptied) {
  load("browserPath: /no/such/browser\r\n");
  EXPECT_EQ(0, settings.browserPath.length);
}

}  // namespace
