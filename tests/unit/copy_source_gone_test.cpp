// copyOneFile on a source that goes away or shrinks during the copy: the rest of the file is given
// up at once (counted and filled as unreadable, a notice says why), never read byte by byte; a
// read that fails with EIO on a device that is still there stays a bad spot and is retried.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/faults/system_call_faults.h"
#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

class CopySourceGone : public CopyOneFile {
 protected:
  void TearDown() override {
    faults::clearSystemCallFaults();
    CopyOneFile::TearDown();
  }

  // Starts the log entries of the next copy afresh.
  void forgetLogEntries() { logStart_ = std::filesystem::file_size(root_ + "/log.htm"); }
};

// In blocks and byte by byte: the reads of the source fail from byte 4000 on as a device that has
// gone fails them. The byte at 4000 is read once, no byte after it at all.
TEST_F(CopySourceGone, DeviceGoneGivesUpTheRestOfTheFileAtOnce) {
  settings.subDamagedBitByZero = true;
  readDepth = 16;
  const std::string bytes = patternBytes(10000);
  for (bool byteByByte : {false, true}) {
    SCOPED_TRACE(byteByByte ? "byte by byte" : "in blocks");
    copyByteByByte = byteByByte;
    const std::string name = byteByByte ? "bytes.bin" : "blocks.bin";
    writeSource(name, bytes);
    faults::failReadsFrom(sourcePathOf(name), 4000, ENOTCONN);
    forgetLogEntries();
    copy(name);
    EXPECT_EQ(bytes.substr(0, 4000) + std::string(6000, '\0'), destinationContent(name));
    EXPECT_EQ(4000, fileBytesRead);
    EXPECT_EQ(10000, fileBytesWritten);
    std::vector<LogLine> expected = {
        {LogEntryKind::notice, "source gone at 4000bytes"},
        {LogEntryKind::warning, "unable read 6000bytes"},
        {LogEntryKind::plain, "Read 4000bytes of 10000bytes, written 10000bytes"}};
    EXPECT_EQ(expected, logEntries());
    EXPECT_EQ(1, faults::singleByteReadsAt(sourcePathOf(name), 4000));
    // Only the block read that stopped short before byte 4000 covered the bytes after it.
    EXPECT_LE(faults::readsAt(sourcePathOf(name), 4001), 1);
    EXPECT_EQ(0, faults::readsAt(sourcePathOf(name), 9999));
  }
}

// The rest of a gone source is filled in blocks, with the byte steps' results: the same
// substitutes drawn in the same order, the same counters (verification included), the same log.
TEST_F(CopySourceGone, RestFilledInBlocksIsWhatTheByteStepsGive) {
  settings.verifyData = true;
  textLike = true;
  copyBlockBytes = 1000;  // several blocks of substitutes
  const std::string bytes = patternBytes(5000);
  struct Result {
    std::string copy;
    std::int64_t read, written, verified;
    std::vector<LogLine> log;
    std::uint32_t nextDraw;
  };
  std::vector<Result> results;
  for (bool byteByByte : {true, false}) {
    copyByteByByte = byteByByte;
    copyRandom.seed(kSeed);
    const std::string name = byteByByte ? "bytes.txt" : "blocks.txt";
    writeSource(name, bytes);
    faults::failReadsFrom(sourcePathOf(name), 1234, ENODEV);
    forgetLogEntries();
    copy(name);
    results.push_back({destinationContent(name), fileBytesRead, fileBytesWritten, fileBytesVerified,
                       logEntries(), static_cast<std::uint32_t>(copyRandom())});
  }
  EXPECT_EQ(results[0].copy, results[1].copy);
  EXPECT_EQ(bytes.substr(0, 1234), results[1].copy.substr(0, 1234));
  EXPECT_EQ(5000u, results[1].copy.size());
  EXPECT_EQ(results[0].read, results[1].read);
  EXPECT_EQ(results[0].written, results[1].written);
  EXPECT_EQ(results[0].verified, results[1].verified);
  EXPECT_EQ(5000, results[1].verified);
  EXPECT_EQ(results[0].log, results[1].log);
  EXPECT_EQ(results[0].nextDraw, results[1].nextDraw);
}

// A source cut short after the job listed it: the read at its new end delivers nothing, and the
// rest up to the listed size is given up with the new size in the notice.
TEST_F(CopySourceGone, SourceShrunkBelowTheOffsetGivesUpTheRest) {
  settings.subDamagedBitByZero = true;
  readDepth = 16;
  const std::string bytes = patternBytes(3000);
  for (bool byteByByte : {false, true}) {
    SCOPED_TRACE(byteByByte ? "byte by byte" : "in blocks");
    copyByteByByte = byteByByte;
    const std::string name = byteByByte ? "bytes.bin" : "blocks.bin";
    writeSource(name, bytes);
    forgetLogEntries();
    currentName = text(name);
    currentSize = 10000;  // the size the directory search reported before the file shrank
    copyOneFile();
    EXPECT_EQ(bytes + std::string(7000, '\0'), destinationContent(name));
    std::vector<LogLine> expected = {
        {LogEntryKind::notice, "source shrank to 3000bytes"},
        {LogEntryKind::warning, "unable read 7000bytes"},
        {LogEntryKind::plain, "Read 3000bytes of 10000bytes, written 10000bytes"}};
    EXPECT_EQ(expected, logEntries());
    // One read reached the new end, alone or as the end of a block; none went on after it.
    EXPECT_EQ(1, faults::readsAt(sourcePathOf(name), 3000));
    EXPECT_LE(faults::readsAt(sourcePathOf(name), 3001), 1);
  }
}

// EIO from a device that is still there is a bad spot: every byte is read readDepth + 1 times and
// no notice is written, as before.
TEST_F(CopySourceGone, InputOutputErrorOfAPresentDeviceIsRetried) {
  settings.subDamagedBitByZero = true;
  readDepth = 2;
  const std::string bytes = patternBytes(600);
  writeSource("bad.bin", bytes);
  faults::failReadsFrom(sourcePathOf("bad.bin"), 500, EIO);
  copy("bad.bin");
  EXPECT_EQ(bytes.substr(0, 500) + std::string(100, '\0'), destinationContent("bad.bin"));
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable read 100bytes"},
      {LogEntryKind::plain, "Read 500bytes of 600bytes, written 600bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ(3, faults::singleByteReadsAt(sourcePathOf("bad.bin"), 599));
}

}  // namespace
}  // namespace copytest
