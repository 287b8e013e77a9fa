// The log file and the header of each run: creating, rewriting and appending, the header's bytes,
// the version-age notice, and the time stamp.
#include <string>

#include "tests/unit/html_log_fixture.h"

namespace html_log_test {
namespace {

const fs::path kDataFolder = SORVEL_TEST_DATA;

// Options unlike the defaults, so that every colour, the face and the size are told apart.
void useDistinctOptions() {
  settings.rewriteLog = false;
  settings.htmlFont = text("Tahoma");
  settings.fontSizeHtmlLog = 3;
  settings.backgroundColorHtmlLog = text("101010");
  settings.fontColorHtmlLog = text("202020");
  settings.linkColorHtmlLog = text("303030");
  settings.noticeColorHtmlLog = text("404040");
}

// The line of the notice as the default options write it.
const std::string kNotice =
    "<FONT FACE=Arial SIZE=1 COLOR=#00FFFF>Your version seems to be outdated</FONT><BR>\r\n";

using OpenLog = HtmlLogTest;

TEST_F(OpenLog, NewFileHeaderMatchesExpectedBytes) {
  openLog();
  EXPECT_EQ(readWhole(kDataFolder / "log_header_new.htm"), log());
  EXPECT_EQ("", console());
}

TEST_F(OpenLog, AppendedRunFollowsOldContentUnchanged) {
  const std::string previous = "<HTML><BODY>earlier run\r\nlast line without end";
  writeFile(logPath(), previous);
  useDistinctOptions();
  faults::setLocalTime(localTime(2027, 3, 15, 13, 5, 9, 40));
  openLog();
  EXPECT_EQ(previous + readWhole(kDataFolder / "log_header_append.htm"), log());
}

TEST_F(OpenLog, RewriteEmptiesExistingFile) {
  writeFile(logPath(), std::string(5000, 'x'));
  openLog();
  EXPECT_EQ(readWhole(kDataFolder / "log_header_new.htm"), log());
}

TEST_F(OpenLog, MissingFileIsCreatedWithHtmlLineWhenAppending) {
  settings.rewriteLog = false;
  openLog();
  EXPECT_EQ(readWhole(kDataFolder / "log_header_new.htm"), log());
}

TEST_F(OpenLog, SecondAppendedRunStartsWithLineBreak) {
  settings.rewriteLog = false;
  openLog();
  std::string first = log();
  openLog();
  EXPECT_EQ(first + "<BR>\r\n" + first.substr(first.find("\r\n") + 2), log());
}

TEST_F(OpenLog, OtherLogFileNameIsUsedForExistenceAndAppending) {
  fs::create_directory(folder_ / "runs");
  settings.logFileName = text("runs/copy log.htm");
  settings.rewriteLog = false;
  writeFile(folder_ / "runs" / "copy log.htm", "old\r\n");
  openLog();
  std::string content = readWhole(folder_ / "runs" / "copy log.htm");
  EXPECT_EQ("old\r\n<BR>\r\n", content.substr(0, 11));
  EXPECT_FALSE(fs::exists(logPath()));
}

TEST_F(OpenLog, HiddenExistingLogIsAppendedTo) {
  settings.logFileName = text(".hidden.htm");
  settings.rewriteLog = false;
  writeFile(folder_ / ".hidden.htm", "old\r\n");
  openLog();
  EXPECT_EQ("old\r\n<BR>\r\n", readWhole(folder_ / ".hidden.htm").substr(0, 11));
}

TEST_F(OpenLog, WildcardNameMatchingAnotherFileStillStartsNewLog) {
  settings.logFileName = text("log*.htm");
  settings.rewriteLog = false;
  writeFile(folder_ / "log1.htm", "other file");
  openLog();
  EXPECT_EQ(readWhole(kDataFolder / "log_header_new.htm"), readWhole(folder_ / "log*.htm"));
  EXPECT_EQ("other file", readWhole(folder_ / "log1.htm"));
}

TEST_F(OpenLog, NothingIsCreatedWhenLoggingIsOff) {
  settings.enableLog = false;
  openLog();
  EXPECT_TRUE(folderContent().empty());
}

TEST_F(OpenLog, ExistingLogIsUntouchedWhenLoggingIsOff) {
  settings.enableLog = false;
  writeFile(logPath(), "keep");
  fs::last_write_time(logPath(), fs::file_time_type::clock::now() - std::chrono::hours(2));
  auto before = fs::last_write_time(logPath());
  openLog();
  EXPECT_EQ("keep", log());
  EXPECT_EQ(before, fs::last_write_time(logPath()));
}

TEST_F(OpenLog, NoticeFollowsMonthRuleInEveryMonth) {
  for (int month = 1; month <= 12; ++month) {
    faults::setLocalTime(localTime(2026, month, 10, 12, 0, 0, 0));
    openLog();
    bool outdated = month == 1 || month >= 7;
    EXPECT_EQ(outdated, log().find(kNotice) != std::string::npos) << "month " << month;
  }
}

TEST_F(OpenLog, NoticeIsNeverWrittenWhenNotWatchingVersion) {
  settings.watchProductVersion = false;
  for (int month = 1; month <= 12; ++month) {
    faults::setLocalTime(localTime(2026, month, 10, 12, 0, 0, 0));
    openLog();
    EXPECT_EQ(std::string::npos, log().find("outdated")) << "month " << month;
    EXPECT_NE(std::string::npos,
              log().find("version 3.65</FONT><BR><FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>Download"))
        << "month " << month;
  }
}

TEST_F(OpenLog, TimeStampNamesEveryMonthAsListed) {
  const char* names[] = {"Janruary", "February", "March",     "April",   "May",      "June",
                         "July",     "August",   "September", "October", "November", "December"};
  for (int month = 1; month <= 12; ++month) {
    faults::setLocalTime(localTime(2027, month, 1, 0, 0, 0, 0));
    openLog();
    EXPECT_NE(std::string::npos, log().find("\r\nLogged 1st " + std::string(names[month - 1]) +
                                            " 2027 0:00:00:00\r\n"))
        << "month " << month;
  }
}

TEST(LogTimeStamp, DaysTakeTheirOrdinalSuffix) {
  const char* expected[] = {"1st",  "2nd",  "3rd",  "4th",  "5th",  "6th",  "7th",  "8th",
                            "9th",  "10th", "11th", "12th", "13th", "14th", "15th", "16th",
                            "17th", "18th", "19th", "20th", "21st", "22nd", "23rd", "24th",
                            "25th", "26th", "27th", "28th", "29th", "30th", "31st"};
  for (int day = 1; day <= 31; ++day) {
    EXPECT_EQ(std::string(expected[day - 1]) + " May 2026 10:10:10:10",
              logTimeStamp(localTime(2026, 5, day, 10, 10, 10, 100)));
  }
}

TEST(LogTimeStamp, HourHasNoLeadingZeroAndTheRestTwoDigits) {
  EXPECT_EQ("9th July 2026 7:05:09:04", logTimeStamp(localTime(2026, 7, 9, 7, 5, 9, 40)));
  EXPECT_EQ("9th July 2026 0:00:00:00", logTimeStamp(localTime(2026, 7, 9, 0, 0, 0, 9)));
  EXPECT_EQ("9th July 2026 23:59:59:99", logTimeStamp(localTime(2026, 7, 9, 23, 59, 59, 999)));
  EXPECT_EQ("9th July 2026 10:10:10:10", logTimeStamp(localTime(2026, 7, 9, 10, 10, 10, 109)));
}

TEST_F(OpenLog, EmptyColourLeavesNothingAfterHash) {
  settings.backgroundColorHtmlLog = text("");
  openLog();
  EXPECT_EQ("<HTML><HEAD><TITLE>sorvel Log</TITLE></HEAD><BODY BGCOLOR=#>\r\n",
            log().substr(0, log().find("\r\n") + 2));
}

}  // namespace
}  // namespace html_log_test
