// Reading "sorvel.ini": line ends, the forms of flag, number and text lines, the 255-byte cut, and
// files that cannot be read.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings_test_support.h"

namespace {

using namespace std::string_literals;
using settings_test::defaultRecord;
using settings_test::describe;
using settings_test::writeWholeFile;

using SettingsLoad = settings_test::SettingsTest;

TEST_F(SettingsLoad, EmptyFileChangesNothing) {
  load("");
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  EXPECT_FALSE(settingsFileUnread);
}

TEST_F(SettingsLoad, FileOfBlankLinesAndUnknownKeysChangesNothing) {
  load("\r\n\r\n\n\r[sorvel]\r\n; depthRead: 5\r\nnoSuchKey: 3\r\n: yes\r\n \r\n");
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
}

TEST_F(SettingsLoad, EveryFlagIsSetByItsYesAndNoLines) {
  load(
      "enableLog: no\r\nrewriteLog: no\r\nprintProgress: no\r\nverifyData: yes\r\n"
      "printDetail: yes\r\nenableConsole: no\r\nenableFasterCopy: yes\r\nrecognize: yes\r\n"
      "saveSettings: no\r\nhaltOnFirstError: yes\r\nupdateTitle: yes\r\n"
      "saveSourceFile: yes\r\nsaveDestinyFolder: yes\r\nlogStats: no\r\nforceAccess: yes\r\n"
      "showProgressBar: no\r\nshowLogWhenDone: yes\r\nwatchProductVersion: no\r\n"
      "waitEnterAfterEachCopy: yes\r\nproceedMinimized: yes\r\nlogSettings: yes\r\n"
      "subDamagedBitByZero: yes\r\nlogDamagedRanges: yes\r\nsaveDamageMap: yes\r\n");
  Settings expected = defaultRecord();
  for (bool Settings::*flag : settings_test::everyFlag()) expected.*flag = !(expected.*flag);
  EXPECT_EQ(describe(expected), describe(settings));
}

TEST_F(SettingsLoad, FlagLineMustMatchWhole) {
  load(
      "verifyData: yes \r\nVerifyData: yes\r\nverifyData:yes\r\nverifyData: YES\r\n"
      "verifyData: Yes\r\n verifyData: yes\r\nverifyData:  yes\r\nverifyData: yess\r\n"
      "verifyData : yes\r\nenableLog: NO\r\nenableLog: no \r\nenableLog: n\r\n");
  EXPECT_FALSE(settings.verifyData);
  EXPECT_TRUE(settings.enableLog);
}

TEST_F(SettingsLoad, NumberLineStoresWholeNumbersAboveZero) {
  load(
      "depthRead: 5\r\ndepthWrite: 7\r\ndepthAccess: 2147483647\r\ndepthClose: +3\r\n"
      "depthVerify: 9\r\nprogressBarLatency: 100\r\nfontSizeHtmlLog: 4\r\n");
  EXPECT_EQ(5, settings.depthRead);
  EXPECT_EQ(7, settings.depthWrite);
  EXPECT_EQ(2147483647, settings.depthAccess);
  EXPECT_EQ(3, settings.depthClose);
  EXPECT_EQ(9, settings.depthVerify);
  EXPECT_EQ(100, settings.progressBarLatency);
  EXPECT_EQ(4, settings.fontSizeHtmlLog);
}

TEST_F(SettingsLoad, NumberThatIsZeroNegativeJunkOrEmptyIsIgnored) {
  for (const char* value : {"0", "-3", "16x", "",    " ",   "x16",  "1 6", "16 ", "-",   "+",
                            "$", "%",  "&",   "1.5", "1e3", "0x10", "--1", "+-1", "$-1", "\t"}) {
    setDefaultSettings();
    load(std::string("depthRead: ") + value + "\r\n");
    EXPECT_EQ(16, settings.depthRead) << "value [" << value << "]";
  }
}

TEST_F(SettingsLoad, NumberSkipsLeadingBlanksAndTabs) {
  load("depthRead:  20\r\ndepthWrite: \t 6\r\ndepthClose: \t+$A\r\n");
  EXPECT_EQ(20, settings.depthRead);
  EXPECT_EQ(6, settings.depthWrite);
  EXPECT_EQ(10, settings.depthClose);
}

TEST_F(SettingsLoad, NumberPrefixesChooseHexBinaryAndOctal) {
  load(
      "depthRead: $1F\r\ndepthWrite: %101\r\ndepthAccess: &17\r\ndepthClose: $ff\r\n"
      "depthVerify: $7FFFFFFF\r\n");
  EXPECT_EQ(31, settings.depthRead);
  EXPECT_EQ(5, settings.depthWrite);
  EXPECT_EQ(15, settings.depthAccess);
  EXPECT_EQ(255, settings.depthClose);
  EXPECT_EQ(2147483647, settings.depthVerify);
}

TEST_F(SettingsLoad, DigitOutsideItsBaseFailsTheNumber) {
  load(
      "depthRead: %102\r\ndepthWrite: &18\r\ndepthAccess: $1G\r\ndepthClose: 1F\r\n"
      "depthVerify: $$1\r\n");
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
}

TEST_F(SettingsLoad, NumberOutsideSigned32BitsFails) {
  // Each of these would wrap to a small positive number if the overflow went unnoticed.
  for (const char* value :
       {"4294967297", "-4294967295", "$100000005", "-$FFFFFFFF", "99999999999999999999",
        "%100000000000000000000000000000000011", "&40000000003"}) {
    setDefaultSettings();
    load(std::string("depthRead: ") + value + "\r\n");
    EXPECT_EQ(16, settings.depthRead) << "value [" << value << "]";
  }
}

TEST_F(SettingsLoad, NumberAtTheEdgesOfSigned32BitsConverts) {
  load("depthRead: 2147483647\r\ndepthWrite: -2147483648\r\ndepthAccess: $7FFFFFFF\r\n");
  EXPECT_EQ(2147483647, settings.depthRead);
  EXPECT_EQ(4, settings.depthWrite);  // converted, but not above 0
  EXPECT_EQ(2147483647, settings.depthAccess);
}

TEST_F(SettingsLoad, FontSizeKeepsTheLowEightBits) {
  load("fontSizeHtmlLog: 300\r\n");
  EXPECT_EQ(44, settings.fontSizeHtmlLog);
  load("fontSizeHtmlLog: 255\r\n");
  EXPECT_EQ(255, settings.fontSizeHtmlLog);
  load("fontSizeHtmlLog: 256\r\n");
  EXPECT_EQ(0, settings.fontSizeHtmlLog);
  load("fontSizeHtmlLog: -3\r\n");
  EXPECT_EQ(0, settings.fontSizeHtmlLog);
}

TEST_F(SettingsLoad, TextValueIsStoredUnchanged) {
  load("htmlFont: Courier New\r\n");
  EXPECT_EQ("Courier New", view(settings.htmlFont));
  load("htmlFont:  Courier\r\n");
  EXPECT_EQ(" Courier", view(settings.htmlFont));
  load("htmlFont: Times \t\r\n");
  EXPECT_EQ("Times \t", view(settings.htmlFont));
  load("htmlFont: \r\n");
  EXPECT_EQ("", view(settings.htmlFont));
}

TEST_F(SettingsLoad, TextValueKeepsZeroAndHighBytes) {
  load("fontColorHtmlLog: a\0b\xff\x01\r\n"s);
  EXPECT_EQ("a\0b\xff\x01"s, toString(settings.fontColorHtmlLog));
}

TEST_F(SettingsLoad, TextKeyWithoutItsBlankIsIgnored) {
  load("htmlFont:\r\nhtmlFont:Courier\r\nHtmlFont: Courier\r\n");
  EXPECT_EQ("Arial", view(settings.htmlFont));
}

TEST_F(SettingsLoad, LastValidLineWins) {
  load(
      "depthWrite: 2\r\ndepthWrite: 9\r\ndepthWrite: 0\r\ndepthWrite: x\r\n"
      "verifyData: yes\r\nverifyData: no\r\nverifyData: maybe\r\n"
      "htmlFont: Courier\r\nhtmlFont: Times\r\n");
  EXPECT_EQ(9, settings.depthWrite);
  EXPECT_FALSE(settings.verifyData);
  EXPECT_EQ("Times", view(settings.htmlFont));
}

TEST_F(SettingsLoad, EachLineEndAndMixesOfThemEndALine) {
  load(
      "depthRead: 3\rdepthWrite: 5\ndepthAccess: 7\r\ndepthClose: 2\n\rdepthVerify: 6\r\r\n"
      "htmlFont: Courier\n\nverifyData: yes");
  EXPECT_EQ(3, settings.depthRead);
  EXPECT_EQ(5, settings.depthWrite);
  EXPECT_EQ(7, settings.depthAccess);
  EXPECT_EQ(2, settings.depthClose);
  EXPECT_EQ(6, settings.depthVerify);
  EXPECT_EQ("Courier", view(settings.htmlFont));
  EXPECT_TRUE(settings.verifyData);
}

TEST_F(SettingsLoad, CarriageReturnIsNeverPartOfAValue) {
  load("htmlFont: Courier\r\r\nlogFileName: run.htm\r");
  EXPECT_EQ("Courier", view(settings.htmlFont));
  EXPECT_EQ("run.htm", view(settings.logFileName));
}

TEST_F(SettingsLoad, LineIsCutAfterIts255thByteAndTheRestSkipped) {
  std::string value(300, 'f');
  // What follows the 255th byte looks like a line of its own, but belongs to the long line.
  value.replace(260, 14, "\tdepthRead: 5");
  load("htmlFont: " + value + "\r\ndepthWrite: 7\r\n");
  EXPECT_EQ(std::string(245, 'f'), toString(settings.htmlFont));
  EXPECT_EQ(16, settings.depthRead);
  EXPECT_EQ(7, settings.depthWrite);
}

// A path that was cut when read names another file or folder: it is not taken, and the field
// keeps what it had (the default, or an earlier whole line). Other texts are taken cut.
TEST_F(SettingsLoad, PathLineCutWhenReadIsNotTaken) {
  const std::string path = "/media/" + std::string(243, 'p');  // 250 bytes
  // The browser's line cut after its 255th byte would name this file, another program.
  const std::string fragment(242, 'b');
  writeWholeFile(folder_ / fragment, "another program");
  load("lastDestinyFolder: " + path + "\r\nlastSourceFile: " + path + "/*.*\r\n" +
       "logFileName: whole.htm\r\nlogFileName: " + path + "\r\n" + "browserPath: " + fragment +
       "-real\r\nhtmlFont: " + path + "\r\nsaveSourceFile: yes\r\nsaveDestinyFolder: yes\r\n");
  EXPECT_EQ("", toString(settings.lastDestinyFolder));
  EXPECT_EQ("", toString(destinationPath));
  EXPECT_EQ("", windowText(destinationEdit));
  EXPECT_EQ("", toString(settings.lastSourceFile));
  EXPECT_EQ("", windowText(sourceEdit));
  EXPECT_EQ("", toString(settings.browserPath));
  EXPECT_EQ("whole.htm", toString(settings.logFileName));
  EXPECT_EQ(path.substr(0, 245), toString(settings.htmlFont));
  // A path whose line is exactly 255 bytes is whole and taken.
  const std::string fits(236, 'f');
  load("lastDestinyFolder: " + fits + "\r\nsaveDestinyFolder: yes\r\n");
  EXPECT_EQ(fits, toString(settings.lastDestinyFolder));
}

TEST_F(SettingsLoad, FlagLineLongerThan255BytesMatchesNothing) {
  load("verifyData: yes" + std::string(250, ' ') + "\r\n");
  EXPECT_FALSE(settings.verifyData);
}

TEST_F(SettingsLoad, LinesAcrossTheReadBlocksAreReadWhole) {
  std::string content;
  while (content.size() < 40000) content += "noSuchKey: " + std::string(100, 'n') + "\r\n";
  content += "htmlFont: Courier New\r\n";
  while (content.size() < 70000) content += "htmlFont: Times\r";
  content += "htmlFont: Verdana Bold\r\n";
  load(content);
  EXPECT_EQ("Verdana Bold", view(settings.htmlFont));
}

TEST_F(SettingsLoad, CrLfSplitAcrossTwoReadBlocksIsOneLineEnd) {
  // A CR on the last byte of a 16 KiB block and its LF at the start of the next: one line end,
  // not an empty line between; for each nearby split the lines read the same.
  for (std::size_t pad = 16370; pad < 16400; ++pad) {
    setDefaultSettings();
    std::string content = "noSuchKey: " + std::string(pad - 13, 'n') + "\r\n";
    content += "depthRead: 9\r\nhtmlFont: Courier\r\n";
    load(content);
    EXPECT_EQ(9, settings.depthRead) << pad;
    EXPECT_EQ("Courier", view(settings.htmlFont)) << pad;
  }
}

TEST_F(SettingsLoad, FileIsReadInBlocksNotBytePerCall) {
  load(std::string(100000, 'x') + "\r\ndepthRead: 9\r\n");
  EXPECT_EQ(9, settings.depthRead);
  EXPECT_EQ(1, faults::readsAt(pathOf(kSettingsFileName), 50000));
  EXPECT_EQ(0, faults::singleByteReadsAt(pathOf(kSettingsFileName), 50000));
}

TEST_F(SettingsLoad, FolderNamedLikeTheFileKeepsTheDefaults) {
  std::filesystem::create_directory(folder_ / kSettingsFileName);
  writeWholeFile(folder_ / kSettingsFileName / "inner", "depthRead: 5\r\n");
  loadSettings();
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  EXPECT_TRUE(settingsFileUnread);
  EXPECT_EQ("11100010100", checkedBoxes());
}

TEST_F(SettingsLoad, FileThatCannotBeOpenedKeepsTheDefaults) {
  writeSettingsFile("depthRead: 5\r\n");
  faults::failOpens(pathOf(kSettingsFileName), 1, ERROR_SHARING_VIOLATION);
  loadSettings();
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  EXPECT_TRUE(settingsFileUnread);
}

TEST_F(SettingsLoad, ReadFailureKeepsWhatWasReadAndDropsTheCutLine) {
  std::string content = "depthRead: 5\r\ndepthWrite: 123\r\ndepthAccess: 7\r\n";
  writeSettingsFile(content);
  // Fails at the "3" of 123: "depthWrite: 12" must not be taken for the value.
  faults::failReads(pathOf(kSettingsFileName), content.find("123") + 2, -1);
  loadSettings();
  EXPECT_EQ(5, settings.depthRead);
  EXPECT_EQ(4, settings.depthWrite);
  EXPECT_EQ(32, settings.depthAccess);
  EXPECT_TRUE(settingsFileUnread);
}

TEST_F(SettingsLoad, FileReadToItsEndIsMarkedRead) {
  settingsFileUnread = true;
  load("depthRead: 5\r\n");
  EXPECT_FALSE(settingsFileUnread);
}

TEST_F(SettingsLoad, MissingFileKeepsTheDefaultsAndChecksTheirBoxes) {
  loadSettings();
  EXPECT_EQ(describe(defaultRecord()), describe(settings));
  EXPECT_FALSE(settingsFileUnread);
  // enableLog, rewriteLog, printProgress, enableConsole and saveSettings.
  EXPECT_EQ("11100010100", checkedBoxes());
}

}  // namespace

namespace {

// Settings files that never end or never answer: a link to an endless device, a character
// device, a pipe with no writer, and a file past any real settings file's size. Each is read no
// further than the bound (or not at all), keeps the defaults and is left as it is at exit.
TEST_F(SettingsLoad, FileThatIsNoFileOrNeverEndsIsNotReadAndNotReplaced) {
  namespace fs = std::filesystem;
  const fs::path file = folder_ / kSettingsFileName;
  const std::vector<std::function<void()>> makers = {
      [&] { fs::create_symlink("/dev/zero", file); },
      [&] { fs::create_symlink("/dev/urandom", file); },
      [&] { fs::create_symlink("/dev/null", file); },
      [&] { ASSERT_EQ(0, mkfifo(file.c_str(), 0600)); },
      [&] { writeWholeFile(file, std::string(3 << 20, 'x') + "\r\ndepthRead: 5\r\n"); },
  };
  for (std::size_t index = 0; index < makers.size(); ++index) {
    SCOPED_TRACE(index);
    fs::remove(file);
    makers[index]();
    const fs::file_status before = fs::symlink_status(file);
    setDefaultSettings();
    loadSettings();
    EXPECT_EQ(describe(defaultRecord()), describe(settings));
    EXPECT_TRUE(settingsFileUnread);
    saveSettingsFile();
    EXPECT_EQ(before.type(), fs::symlink_status(file).type());
  }
  EXPECT_EQ(0, faults::readsAt(file.string(), 2 << 20));
}

}  // namespace
