// A log that cannot be created or written: the run goes on, the console says so once, and no
// further log operation is tried until the next run.
#include <string>

#include "tests/unit/html_log_fixture.h"

namespace html_log_test {
namespace {

using LogFailure = HtmlLogTest;

// Does what a run does with the log after openLog: the section, some entries, closeLog.
void restOfRun() {
  writeSettingsSection();
  writeLogEntry(text("Copying files a to b"), plain);
  writeLogEntry(text("Copy failed"), error);
  writeLogEntry(text("Bad byte"), warning);
  closeLog();
}

TEST_F(LogFailure, LogInMissingFolderIsReportedOnceAndNothingIsCreated) {
  settings.logFileName = text("missing/sorvel.log.htm");
  settings.logSettings = true;
  openLog();
  restOfRun();
  EXPECT_EQ(kUnableLine, console());
  EXPECT_TRUE(folderContent().empty());
}

TEST_F(LogFailure, LaterOperationsAreNotTriedAfterFailure) {
  settings.logFileName = text("missing/sorvel.log.htm");
  std::string path = (folder_ / "missing" / "sorvel.log.htm").string();
  openLog();
  restOfRun();
  EXPECT_EQ(1, faults::opens(path));
}

TEST_F(LogFailure, ReadOnlyLogIsReportedOnceAndLeftUnchanged) {
  settings.rewriteLog = false;
  writeFile(logPath(), "old run\r\n");
  fs::permissions(logPath(), fs::perms::owner_read | fs::perms::group_read);
  openLog();
  restOfRun();
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ("old run\r\n", log());
}

TEST_F(LogFailure, ReadOnlyLogIsNotEmptiedWhenRewriting) {
  writeFile(logPath(), "old run\r\n");
  fs::permissions(logPath(), fs::perms::owner_read | fs::perms::group_read);
  openLog();
  restOfRun();
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ("old run\r\n", log());
}

TEST_F(LogFailure, FolderNamedLikeLogIsReportedAndKept) {
  settings.rewriteLog = false;
  fs::create_directory(logPath());
  writeFile(logPath() / "inside", "kept");
  openLog();
  restOfRun();
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ("kept", readWhole(logPath() / "inside"));
}

TEST_F(LogFailure, FailedEntryStopsTheRestOfTheRun) {
  openLog();
  std::size_t headerSize = log().size();
  writeLogEntry(text("kept"), plain);
  std::size_t keptSize = log().size();
  faults::failWrites(logPath().string(), static_cast<std::int64_t>(keptSize), -1);
  writeLogEntry(text("lost"), plain);
  writeLogEntry(text("never tried"), plain);
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ(3, faults::opens(logPath().string()));
  EXPECT_LT(headerSize, keptSize);
  EXPECT_EQ(keptSize, log().size());
}

TEST_F(LogFailure, FailedCloseIsReported) {
  openLog();
  faults::failCloses(logPath().string(), 1);
  writeLogEntry(text("entry"), plain);
  writeLogEntry(text("next"), plain);
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ(std::string::npos, log().find("next"));
}

TEST_F(LogFailure, FailedHeaderIsReportedOnce) {
  faults::failWrites(logPath().string(), 10, 1);
  openLog();
  writeLogEntry(text("entry"), plain);
  EXPECT_EQ(kUnableLine, console());
  EXPECT_EQ(1, faults::opens(logPath().string()));
}

TEST_F(LogFailure, NextRunWritesAgainOnceCauseIsGone) {
  settings.logFileName = text("later/sorvel.log.htm");
  openLog();
  writeLogEntry(text("lost"), plain);
  fs::create_directory(folder_ / "later");
  openLog();
  writeLogEntry(text("second run"), plain);
  EXPECT_EQ(kUnableLine, console());
  EXPECT_NE(std::string::npos, readWhole(folder_ / "later" / "sorvel.log.htm").find("second run"));
}

TEST_F(LogFailure, EachFailingRunIsReportedOnce) {
  settings.logFileName = text("missing/sorvel.log.htm");
  openLog();
  restOfRun();
  openLog();
  restOfRun();
  EXPECT_EQ(kUnableLine + kUnableLine, console());
}

TEST_F(LogFailure, BrowserIsNotStartedAfterFailure) {
  fs::path marker = folder_ / "started";
  fs::path browser = folder_ / "browser.sh";
  writeFile(browser, "#!/bin/sh\necho \"$@\" > '" + marker.string() + "'\n");
  fs::permissions(browser, fs::perms::owner_all);
  settings.logFileName = text("missing/sorvel.log.htm");
  settings.showLogWhenDone = true;
  settings.browserPath = text(browser.string());
  openLog();
  restOfRun();
  // A started browser writes at once; give it ample time to show up before concluding.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(fs::exists(marker));
}

}  // namespace
}  // namespace html_log_test
