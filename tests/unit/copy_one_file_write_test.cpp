// copyOneFile on a destination that writes or reads back badly: write retries, a byte that cannot
// be written, and verification with failed and differing read-backs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

TEST_F(CopyOneFile, WritesByteAgainAtSamePlaceUntilItIsWritten) {
  writeDepth = 4;
  std::string bytes = patternBytes(50);
  faults::failWrites(partPathOf("retry.bin"), 7, 3);
  copy("retry.bin", bytes);
  EXPECT_EQ(4, faults::writesAt(partPathOf("retry.bin"), 7));
  EXPECT_EQ(bytes, destinationContent("retry.bin"));
  EXPECT_EQ(50, fileBytesWritten);
  EXPECT_EQ("Copied retry.bin\r\n", console());
}

TEST_F(CopyOneFile, StopsAfterByteThatCannotBeWritten) {
  writeDepth = 2;
  std::string bytes = patternBytes(100);
  faults::failWrites(partPathOf("stuck.bin"), 30, -1);
  copy("stuck.bin", bytes);
  EXPECT_EQ(3, faults::writesAt(partPathOf("stuck.bin"), 30));
  EXPECT_EQ(0, faults::singleByteReadsAt(sourcePathOf("stuck.bin"), 31));
  EXPECT_EQ(bytes.substr(0, 30), destinationContent("stuck.bin"));
  EXPECT_EQ(31, fileBytesRead);
  EXPECT_EQ(30, fileBytesWritten);
  EXPECT_EQ("31%", headless::text(stateLine3));
}

TEST_F(CopyOneFile, ReportsByteThatCannotBeWrittenInConsoleAndLog) {
  settings.printDetail = true;
  writeDepth = 1;
  faults::failWrites(partPathOf("stuck.bin"), 30, -1);
  copy("stuck.bin", patternBytes(100));
  EXPECT_EQ("Unable write to file\r\nCopied stuck.bin: 31bytes, written 30bytes\r\n", console());
  std::vector<LogLine> expected = {
      {LogEntryKind::error, "Copy \"stuck.bin\", unable write file"},
      {LogEntryKind::error, "Copy \"stuck.bin\", unable copy"},
      {LogEntryKind::plain, "Read 31bytes of 100bytes, written 30bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, StopsOnUnwritableByteEvenWhenHaltOnFirstErrorIsOff) {
  settings.haltOnFirstError = false;
  settings.verifyData = true;
  writeDepth = 1;
  faults::failWrites(partPathOf("end.bin"), 0, -1);
  copy("end.bin", patternBytes(10));
  EXPECT_EQ("", destinationContent("end.bin"));
  EXPECT_EQ(1, fileBytesRead);
  EXPECT_EQ(0, fileBytesWritten);
  EXPECT_EQ(0, fileBytesVerified);
  // Nothing written, nothing left unverified: the summary keeps its verified part.
  std::vector<LogLine> expected = {
      {LogEntryKind::error, "Copy \"end.bin\", unable write file"},
      {LogEntryKind::error, "Copy \"end.bin\", unable copy"},
      {LogEntryKind::plain, "Read 1bytes of 10bytes, written 0bytes, verified 0bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, CountsByteUnverifiedWhenItsReadBackFails) {
  copyByteByByte = true;
  settings.verifyData = true;
  settings.printDetail = true;
  settings.depthVerify = 2;
  // Byte 0 begins the file's only sector: the first two reads of that sector fail.
  faults::failReads(partPathOf("check.bin"), 0, 2);
  copy("check.bin", patternBytes(10));
  // Each of the ten bytes has its sector read twice.
  EXPECT_EQ(20, faults::readsAt(partPathOf("check.bin"), 0));
  EXPECT_EQ(10, fileBytesWritten);
  EXPECT_EQ(9, fileBytesVerified);
  EXPECT_EQ(patternBytes(10), destinationContent("check.bin"));
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable verify 1bytes"},
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ("Copied check.bin: 10bytes, written 10bytes, verified 9bytes\r\n", console());
}

TEST_F(CopyOneFile, CountsWholeSectorUnverifiedWhenOneOfItsBytesCannotBeReadBack) {
  settings.verifyData = true;
  // The read-back reads the sector past the cache, and a disk fails such a read whole: byte 4
  // fails every read, so no byte of its sector arrives.
  faults::failReads(partPathOf("stop.bin"), 4, -1);
  copy("stop.bin", patternBytes(10));
  EXPECT_EQ(0, fileBytesVerified);
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable verify 10bytes"},
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, LetsLastReadBackDecideVerification) {
  copyByteByByte = true;
  settings.verifyData = true;
  settings.depthVerify = 3;
  faults::failReads(partPathOf("last.bin"), 0, 2, faults::ReadFailure::noByte);
  copy("last.bin", patternBytes(10));
  // Byte 0 arrives at its third read; the failures are used up by then.
  EXPECT_EQ(3 * 10, faults::readsAt(partPathOf("last.bin"), 0));
  EXPECT_EQ(10, fileBytesVerified);
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 10bytes of 10bytes, written 10bytes, verified 10bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, CountsByteUnverifiedWhenItsReadBackDiffers) {
  settings.verifyData = true;
  settings.printDetail = true;
  // A destination that does not hold byte 10 as written: it reads back with its bits inverted.
  const std::string name = "slip.bin";
  faults::corruptReadRange(partPathOf(name), 10, 10);
  copy(name, patternBytes(100));
  EXPECT_EQ(100, fileBytesWritten);
  EXPECT_EQ(99, fileBytesVerified);
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable verify 1bytes"},
      {LogEntryKind::plain, "Read 100bytes of 100bytes, written 100bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ("Copied slip.bin: 100bytes, written 100bytes, verified 99bytes\r\n", console());
}

TEST_F(CopyOneFile, ReadsNothingBackWhenVerifyDataIsOff) {
  settings.depthVerify = 3;
  copy("plain.bin", patternBytes(10));
  for (std::int64_t offset = 0; offset < 10; ++offset) {
    EXPECT_EQ(0, faults::readsAt(partPathOf("plain.bin"), offset));
  }
  EXPECT_EQ(0, fileBytesVerified);
}

}  // namespace
}  // namespace copytest
