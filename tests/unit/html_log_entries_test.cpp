// The entries of a run: their lines for every kind, text written unchanged, and escapeHtml for
// names and paths that callers put into them.
#include <string>

#include "tests/unit/html_log_fixture.h"

namespace html_log_test {
namespace {

// The report link that follows error, warning and notice entries with the default options.
const std::string kReportLink =
    " </FONT><A HREF=mailto:support@sorvel.example TITLE=\"Click to report this\">"
    "<FONT FACE=Arial SIZE=1 COLOR=#FFAA00>Is it bug?</FONT></A><BR>\r\n";

using WriteLogEntry = HtmlLogTest;

TEST_F(WriteLogEntry, PlainEntryIsTextInFontColourWithoutLink) {
  openLog();
  writeLogEntry(text("Processed 3 files"), plain);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>Processed 3 files</FONT><BR>\r\n",
            logAfterHeader());
}

TEST_F(WriteLogEntry, ErrorEntryIsInErrorColourWithReportLink) {
  openLog();
  writeLogEntry(text("Copy failed"), error);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#FF0000>Copy failed" + kReportLink, logAfterHeader());
}

TEST_F(WriteLogEntry, WarningEntryIsInWarningColourWithReportLink) {
  openLog();
  writeLogEntry(text("Bad byte"), warning);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#FFFF00>Bad byte" + kReportLink, logAfterHeader());
}

TEST_F(WriteLogEntry, NoticeEntryIsInNoticeColourWithReportLink) {
  openLog();
  writeLogEntry(text("Note"), notice);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#00FFFF>Note" + kReportLink, logAfterHeader());
}

TEST_F(WriteLogEntry, EmptyTextLeavesTagFollowedByItsEnd) {
  openLog();
  writeLogEntry(text(""), plain);
  writeLogEntry(text(""), warning);
  EXPECT_EQ(
      "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF></FONT><BR>\r\n"
      "<FONT FACE=Arial SIZE=1 COLOR=#FFFF00>" +
          kReportLink,
      logAfterHeader());
}

TEST_F(WriteLogEntry, MarkupInTextReachesFileUnchanged) {
  openLog();
  writeLogEntry(text("<U>Settings</U> <B>a&b</B> \"q\""), plain);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF><U>Settings</U> <B>a&b</B> \"q\"</FONT><BR>\r\n",
            logAfterHeader());
}

TEST_F(WriteLogEntry, EntriesFollowHeaderOneLineEachInCallOrder) {
  openLog();
  writeLogEntry(text("one"), plain);
  writeLogEntry(text("two"), error);
  writeLogEntry(text("three"), plain);
  EXPECT_EQ(
      "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>one</FONT><BR>\r\n"
      "<FONT FACE=Arial SIZE=1 COLOR=#FF0000>two" +
          kReportLink + "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>three</FONT><BR>\r\n",
      logAfterHeader());
}

TEST_F(WriteLogEntry, FontSizeAndFaceComeFromOptions) {
  settings.fontSizeHtmlLog = 255;
  settings.htmlFont = text("Courier New");
  settings.linkColorHtmlLog = text("ABCDEF");
  openLog();
  writeLogEntry(text("x"), warning);
  EXPECT_EQ(
      "<FONT FACE=Courier New SIZE=255 COLOR=#FFFF00>x </FONT><A HREF=mailto:"
      "support@sorvel.example TITLE=\"Click to report this\"><FONT FACE=Courier New "
      "SIZE=255 COLOR=#ABCDEF>Is it bug?</FONT></A><BR>\r\n",
      logAfterHeader());
}

TEST_F(WriteLogEntry, LineLongerThanShortTextIsWrittenWhole) {
  openLog();
  std::string longest(kShortTextCapacity, 'n');
  writeLogEntry(text(longest), error);
  EXPECT_EQ("<FONT FACE=Arial SIZE=1 COLOR=#FF0000>" + longest + kReportLink, logAfterHeader());
}

TEST_F(WriteLogEntry, EntryIsOnDiskBeforeNextCall) {
  openLog();
  writeLogEntry(text("first"), plain);
  std::string afterFirst = log();
  EXPECT_NE(std::string::npos, afterFirst.find("first</FONT><BR>\r\n"));
  EXPECT_EQ(faults::opens(logPath().string()), faults::closes(logPath().string()));
}

TEST_F(WriteLogEntry, NothingChangesWhenLoggingIsOff) {
  openLog();
  std::string before = log();
  settings.enableLog = false;
  for (LogEntryKind kind : {plain, error, warning, notice}) writeLogEntry(text("x"), kind);
  EXPECT_EQ(before, log());
  EXPECT_EQ(1, faults::opens(logPath().string()));
}

TEST(EscapeHtml, ReplacesTheFourMarkupCharacters) {
  EXPECT_EQ(text("a&amp;b&lt;c&gt;d&quot;e'f"), escapeHtml("a&b<c>d\"e'f"));
}

TEST(EscapeHtml, KeepsAnEntryOnOneLineWhenTheNameHasLineBreaks) {
  EXPECT_EQ(text("new&#10;line&#13;.bin"), escapeHtml("new\nline\r.bin"));
}

TEST(EscapeHtml, KeepsOtherBytesUnchanged) {
  std::string bytes = "name \x01\x7f\xe9\xff.txt";
  EXPECT_EQ(text(bytes), escapeHtml(bytes));
}

TEST(EscapeHtml, CutAtShortTextLeavesNoHalfReference) {
  std::string name(252, 'a');
  ShortText escaped = escapeHtml(name + "&b");
  EXPECT_EQ(text(name), escaped);
  EXPECT_EQ(text(std::string(255, 'a')), escapeHtml(std::string(300, 'a')));
  EXPECT_EQ(text(std::string(251, 'a') + "&lt;"), escapeHtml(std::string(251, 'a') + "<<"));
}

}  // namespace
}  // namespace html_log_test
