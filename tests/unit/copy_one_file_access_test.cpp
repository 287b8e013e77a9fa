// copyOneFile around the byte loop: opening the source (retries, forceAccess, read-only sources,
// a source that never opens), creating the destination, and closing it (retries, a destination
// that never closes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

// Sets the three counters to values a copy must replace.
void scribbleCounters() {
  fileBytesRead = 7;
  fileBytesWritten = 8;
  fileBytesVerified = 9;
}

TEST_F(CopyOneFile, OpensSourceDepthAccessPlusTwoTimesWhenItNeverOpens) {
  settings.depthAccess = 1;
  writeSource("locked.bin", patternBytes(10));
  faults::failOpens(sourcePathOf("locked.bin"), 1000);
  copy("locked.bin");
  EXPECT_EQ(3, faults::opens(sourcePathOf("locked.bin")));
}

TEST_F(CopyOneFile, ReportsSourceThatCannotBeOpenedAndCreatesNothing) {
  settings.depthAccess = 2;
  settings.verifyData = true;
  writeSource("locked.bin", patternBytes(10));
  faults::failOpens(sourcePathOf("locked.bin"), 1000);
  std::string barBefore = barRow();
  scribbleCounters();
  copy("locked.bin");
  EXPECT_EQ(4, faults::opens(sourcePathOf("locked.bin")));
  EXPECT_EQ("Unable open file\r\n", console());
  std::vector<LogLine> expected = {{LogEntryKind::error, "Copy \"locked.bin\", unable open file"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ(0, fileBytesRead);
  EXPECT_EQ(0, fileBytesWritten);
  EXPECT_EQ(0, fileBytesVerified);
  EXPECT_FALSE(std::filesystem::exists(destinationPathOf("locked.bin")));
  EXPECT_EQ(0, faults::opens(partPathOf("locked.bin")));
  EXPECT_TRUE(recorded.stateTexts.empty());
  EXPECT_EQ(barBefore, barRow());
}

TEST_F(CopyOneFile, EscapesNameInLogEntries) {
  const std::string name = "<b>&\"x\".bin";
  writeSource(name, patternBytes(3));
  faults::failOpens(sourcePathOf(name), 1000);
  copy(name);
  std::vector<LogLine> expected = {
      {LogEntryKind::error, "Copy \"&lt;b&gt;&amp;&quot;x&quot;.bin\", unable open file"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, CopiesSourceThatOpensOnLastRetry) {
  settings.depthAccess = 3;
  std::string bytes = patternBytes(10);
  writeSource("late.bin", bytes);
  faults::failOpens(sourcePathOf("late.bin"), 4);
  copy("late.bin");
  EXPECT_EQ(5, faults::opens(sourcePathOf("late.bin")));
  EXPECT_EQ(bytes, destinationContent("late.bin"));
  EXPECT_EQ("Copied late.bin\r\n", console());
}

TEST_F(CopyOneFile, CopiesReadOnlySourceAndLeavesItReadOnly) {
  std::string bytes = patternBytes(10);
  writeSource("cd.bin", bytes);
  ASSERT_TRUE(SetFileAttributesA(sourcePathOf("cd.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  settings.forceAccess = true;
  copy("cd.bin");
  EXPECT_EQ(1, faults::opens(sourcePathOf("cd.bin")));
  EXPECT_EQ(bytes, destinationContent("cd.bin"));
  EXPECT_EQ(FILE_ATTRIBUTE_READONLY,
            GetFileAttributesA(sourcePathOf("cd.bin").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(CopyOneFile, ClearsReadOnlyAttributeBeforeRetryWhenForceAccessIsSet) {
  settings.forceAccess = true;
  std::string bytes = patternBytes(10);
  writeSource("force.bin", bytes);
  ASSERT_TRUE(SetFileAttributesA(sourcePathOf("force.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  faults::failOpens(sourcePathOf("force.bin"), 1);
  copy("force.bin");
  EXPECT_EQ(bytes, destinationContent("force.bin"));
  EXPECT_EQ(0u, GetFileAttributesA(sourcePathOf("force.bin").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(CopyOneFile, KeepsReadOnlyAttributeOnRetryWhenForceAccessIsOff) {
  std::string bytes = patternBytes(10);
  writeSource("kept.bin", bytes);
  ASSERT_TRUE(SetFileAttributesA(sourcePathOf("kept.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  faults::failOpens(sourcePathOf("kept.bin"), 1);
  copy("kept.bin");
  EXPECT_EQ(2, faults::opens(sourcePathOf("kept.bin")));
  EXPECT_EQ(bytes, destinationContent("kept.bin"));
  EXPECT_EQ(FILE_ATTRIBUTE_READONLY,
            GetFileAttributesA(sourcePathOf("kept.bin").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(CopyOneFile, KeepsTemporaryNameWhenRealNameAppearedDuringTheCopy) {
  std::string bytes = patternBytes(10);
  writeSource("race.bin", bytes);
  // Another program takes the real name while the copy is being written.
  onStateText = [this] {
    if (!std::filesystem::exists(destinationPathOf("race.bin"))) {
      std::ofstream(destinationPathOf("race.bin"), std::ios::binary) << "someone else's";
    }
  };
  copy("race.bin");
  onStateText = nullptr;
  EXPECT_EQ("someone else's", destinationContent("race.bin"));
  EXPECT_EQ(bytes, contentOf(partPathOf("race.bin")));
  EXPECT_EQ("Unable create file\r\nCopied race.bin\r\n", console());
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes"},
      {LogEntryKind::error, "Copy \"race.bin\", unable create file"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ(1, faults::closes(sourcePathOf("race.bin")));
}

TEST_F(CopyOneFile, ClosesEachFileOnceWhenClosesSucceed) {
  copy("tidy.bin", patternBytes(10));
  EXPECT_EQ(1, faults::closes(sourcePathOf("tidy.bin")));
  EXPECT_EQ(1, faults::closes(partPathOf("tidy.bin")));
}

TEST_F(CopyOneFile, ClosesDestinationAgainUntilItCloses) {
  settings.depthClose = 8;
  faults::failCloses(partPathOf("sticky.bin"), 2);
  copy("sticky.bin", patternBytes(10));
  EXPECT_EQ(3, faults::closes(partPathOf("sticky.bin")));
  EXPECT_EQ("Copied sticky.bin\r\n", console());
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, ClosesDestinationDepthClosePlusTwoTimesThenReportsIt) {
  settings.depthClose = 1;
  faults::failCloses(partPathOf("open.bin"), 1000);
  copy("open.bin", patternBytes(10));
  EXPECT_EQ(3, faults::closes(partPathOf("open.bin")));
  EXPECT_EQ("Unable close file\r\nCopied open.bin\r\n", console());
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes"},
      {LogEntryKind::error, "Copy \"open.bin\", unable close file"}};
  EXPECT_EQ(expected, logEntries());
}

}  // namespace
}  // namespace copytest
