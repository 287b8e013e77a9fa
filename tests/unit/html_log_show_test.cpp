// The settings section of the log and showing the log in a browser when a run is done.
#include <string>
#include <vector>

#include "tests/unit/html_log_fixture.h"

namespace html_log_test {
namespace {

// Options unlike the defaults and unlike each other, so that a swapped or missing row shows.
void useDistinctOptions() {
  settings.rewriteLog = false;
  settings.logFileName = text("run&log.htm");
  settings.backgroundColorHtmlLog = text("B00001");
  settings.fontColorHtmlLog = text("B00002");
  settings.linkColorHtmlLog = text("B00003");
  settings.errorColorHtmlLog = text("B00004");
  settings.warningColorHtmlLog = text("B00005");
  settings.noticeColorHtmlLog = text("B00006");
  settings.htmlFont = text("Verdana");
  settings.fontSizeHtmlLog = 2;
  settings.logStats = false;
  settings.logSettings = true;
  settings.showLogWhenDone = true;
  settings.browserPath = text("\"/opt/my viewer/view\" --new");
  settings.watchProductVersion = false;
  settings.updateTitle = settings.proceedMinimized = true;
  settings.printProgress = false;
  settings.printDetail = settings.enableConsole = true;
  settings.showProgressBar = false;
  settings.recognize = settings.forceAccess = true;
  settings.depthRead = 11;
  settings.depthWrite = 12;
  settings.depthAccess = 13;
  settings.depthClose = 14;
  settings.depthVerify = -15;
  settings.verifyData = true;
  settings.enableFasterCopy = false;
  settings.haltOnFirstError = settings.waitEnterAfterEachCopy = true;
  settings.saveSettings = false;
  // Options the section never lists.
  settings.subDamagedBitByZero = settings.saveSourceFile = settings.saveDestinyFolder = true;
  settings.progressBarLatency = 77;
  settings.sectorSize = 4096;
  settings.copySubfolders = true;
  settings.lastSourceFile = text("last source");
  settings.lastDestinyFolder = text("last destination");
}

// Returns the plain entry lines of `texts` in the given face, size and colour.
std::string plainLines(const std::vector<std::string>& texts, const std::string& tag) {
  std::string lines;
  for (const std::string& entry : texts) lines += tag + entry + "</FONT><BR>\r\n";
  return lines;
}

using SettingsSection = HtmlLogTest;

TEST_F(SettingsSection, ListsEveryEntryInOrderWithBrowserPathThenSectorSizeAndCopySubfoldersLast) {
  useDistinctOptions();
  openLog();
  writeSettingsSection();
  std::vector<std::string> expected = {"<U>Settings</U>",
                                       "enableLog: yes",
                                       "rewriteLog: no",
                                       "logFileName: run&amp;log.htm",
                                       "backgroundColorHtmlLog: B00001",
                                       "fontColorHtmlLog: B00002",
                                       "linkColorHtmlLog: B00003",
                                       "errorColorHtmlLog: B00004",
                                       "warningColorHtmlLog: B00005",
                                       "noticeColorHtmlLog: B00006",
                                       "htmlFont: Verdana",
                                       "fontSizeHtmlLog: 2",
                                       "logStats: no",
                                       "logSettings: yes",
                                       "showLogWhenDone: yes",
                                       "browserPath: &quot;/opt/my viewer/view&quot; --new",
                                       "watchProductVersion: no",
                                       "updateTitle: yes",
                                       "proceedMinimized: yes",
                                       "printProgress: no",
                                       "printDetail: yes",
                                       "enableConsole: yes",
                                       "showProgressBar: no",
                                       "recognize: yes",
                                       "forceAccess: yes",
                                       "depthRead: 11",
                                       "depthWrite: 12",
                                       "depthAccess: 13",
                                       "depthClose: 14",
                                       "depthVerify: -15",
                                       "verifyData: yes",
                                       "enableFasterCopy: no",
                                       "haltOnFirstError: yes",
                                       "waitEnterAfterEachCopy: yes",
                                       "saveSettings: no",
                                       "sectorSize: 4096",
                                       "copySubfolders: yes"};
  ASSERT_EQ(37u, expected.size());
  std::string whole = readWhole(folder_ / "run&log.htm");
  std::string section = whole.substr(whole.find("</FONT><BR>\r\n", whole.find("Logged ")) + 13);
  EXPECT_EQ(plainLines(expected, "<FONT FACE=Verdana SIZE=2 COLOR=#B00002>"), section);
}

TEST_F(SettingsSection, LeavesOutBrowserPathWhenEmpty) {
  settings.logSettings = true;
  openLog();
  writeSettingsSection();
  std::vector<std::string> expected = {"<U>Settings</U>",
                                       "enableLog: yes",
                                       "rewriteLog: yes",
                                       "logFileName: sorvel.log.htm",
                                       "backgroundColorHtmlLog: 0000FF",
                                       "fontColorHtmlLog: FFFFFF",
                                       "linkColorHtmlLog: FFAA00",
                                       "errorColorHtmlLog: FF0000",
                                       "warningColorHtmlLog: FFFF00",
                                       "noticeColorHtmlLog: 00FFFF",
                                       "htmlFont: Arial",
                                       "fontSizeHtmlLog: 1",
                                       "logStats: yes",
                                       "logSettings: yes",
                                       "showLogWhenDone: no",
                                       "watchProductVersion: yes",
                                       "updateTitle: no",
                                       "proceedMinimized: no",
                                       "printProgress: yes",
                                       "printDetail: no",
                                       "enableConsole: yes",
                                       "showProgressBar: yes",
                                       "recognize: no",
                                       "forceAccess: no",
                                       "depthRead: 16",
                                       "depthWrite: 4",
                                       "depthAccess: 32",
                                       "depthClose: 8",
                                       "depthVerify: 1",
                                       "verifyData: no",
                                       "enableFasterCopy: no",
                                       "haltOnFirstError: no",
                                       "waitEnterAfterEachCopy: no",
                                       "saveSettings: yes"};
  ASSERT_EQ(34u, expected.size());
  EXPECT_EQ(plainLines(expected, "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>"), logAfterHeader());
}

TEST_F(SettingsSection, NothingIsWrittenWhenLogSettingsIsOff) {
  settings.logSettings = false;
  openLog();
  writeSettingsSection();
  EXPECT_EQ("", logAfterHeader());
}

// A stand-in for the browser: a shell script that writes each of its arguments on a line of
// `output`, after waiting `delay` seconds. It writes a scratch file first and renames it, so the
// output appears whole.
void makeBrowser(const fs::path& script, const fs::path& output, const std::string& delay) {
  writeFile(script, "#!/bin/sh\nsleep " + delay +
                        "\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + output.string() +
                        ".part'\nmv '" + output.string() + ".part' '" + output.string() + "'\n");
  fs::permissions(script, fs::perms::owner_all);
}

// Waits up to `seconds` for `path` to exist.
bool appears(const fs::path& path, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return fs::exists(path);
}

using CloseLog = HtmlLogTest;

TEST_F(CloseLog, StartsBrowserOnLogWithoutWaitingForIt) {
  fs::path output = folder_ / "arguments";
  makeBrowser(folder_ / "browser.sh", output, "1");
  settings.browserPath = text((folder_ / "browser.sh").string());
  settings.showLogWhenDone = true;
  openLog();
  std::string before = log();
  closeLog();
  EXPECT_FALSE(fs::exists(output)) << "closeLog waited for the browser";
  ASSERT_TRUE(appears(output, 20));
  EXPECT_EQ(fs::current_path().string() + "/sorvel.log.htm\n", readWhole(output));
  EXPECT_EQ(before, log());
}

TEST_F(CloseLog, BrowserPathWithBlanksInQuotesIsOneProgram) {
  fs::create_directory(folder_ / "my browser");
  fs::path script = folder_ / "my browser" / "show log.sh";
  fs::path output = folder_ / "arguments";
  makeBrowser(script, output, "0");
  settings.browserPath = text("\"" + script.string() + "\"");
  settings.showLogWhenDone = true;
  openLog();
  closeLog();
  ASSERT_TRUE(appears(output, 20));
  EXPECT_EQ(fs::current_path().string() + "/sorvel.log.htm\n", readWhole(output));
}

TEST_F(CloseLog, NoBrowserWhenShowLogWhenDoneIsOff) {
  fs::path output = folder_ / "arguments";
  makeBrowser(folder_ / "browser.sh", output, "0");
  settings.browserPath = text((folder_ / "browser.sh").string());
  settings.showLogWhenDone = false;
  openLog();
  closeLog();
  // The stand-in writes at once when started; give it ample time before concluding.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(CloseLog, NoSectionAndNoBrowserWhenLoggingIsOff) {
  fs::path output = folder_ / "arguments";
  makeBrowser(folder_ / "browser.sh", output, "0");
  settings.browserPath = text((folder_ / "browser.sh").string());
  settings.showLogWhenDone = settings.logSettings = true;
  settings.enableLog = false;
  openLog();
  writeSettingsSection();
  closeLog();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(fs::exists(output));
  EXPECT_FALSE(fs::exists(logPath()));
}

TEST(BrowserCommandLine, JoinsBrowserDirectoryAndLogWithForwardSlash) {
  EXPECT_EQ("C:\\Browser\\browse.exe C:\\Copies/sorvel.log.htm",
            browserCommandLine("C:\\Browser\\browse.exe", "C:\\Copies", "sorvel.log.htm"));
}

TEST(BrowserCommandLine, DriveRootKeepsItsBackslashBeforeSlash) {
  EXPECT_EQ("C:\\Browser\\browse.exe C:\\/sorvel.log.htm",
            browserCommandLine("C:\\Browser\\browse.exe", "C:\\", "sorvel.log.htm"));
  EXPECT_EQ("/usr/bin/viewer //sorvel.log.htm",
            browserCommandLine("/usr/bin/viewer", "/", "sorvel.log.htm"));
}

TEST(BrowserCommandLine, AbsoluteLogNameStillGetsDirectoryInFront) {
  EXPECT_EQ("viewer /home/user//var/logs/copy.htm",
            browserCommandLine("viewer", "/home/user", "/var/logs/copy.htm"));
  EXPECT_EQ("b.exe C:\\Copies/D:\\logs\\copy.htm",
            browserCommandLine("b.exe", "C:\\Copies", "D:\\logs\\copy.htm"));
}

TEST(BrowserCommandLine, LongCommandIsNotCut) {
  std::string browser = "\"" + std::string(200, 'b') + "\"";
  std::string directory = "/" + std::string(300, 'd');
  std::string logName(255, 'l');
  std::string command = browserCommandLine(browser, directory, logName);
  EXPECT_EQ(browser + " " + directory + "/" + logName, command);
}

TEST_F(CloseLog, CurrentDirectoryLongerThanMaxPathIsReadWhole) {
  fs::path deep = folder_;
  while (deep.string().size() <= 2 * MAX_PATH) deep /= std::string(60, 'f');
  fs::create_directories(deep);
  fs::current_path(deep);
  EXPECT_EQ(deep.string(), currentDirectoryText());
  fs::current_path(folder_);
  EXPECT_EQ(folder_.string(), currentDirectoryText());
}

}  // namespace
}  // namespace html_log_test
