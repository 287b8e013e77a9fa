// How copyOneFile moves healthy stretches in blocks: front to back when it must stop at the first
// unreadable byte (reads that overlap by one byte, bad bytes read alone as the byte steps read
// them), writes and read-backs that stop inside a block, long reads that fail whole, and the
// percentage over blocks for every 64-bit size.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

using CopyInBlocks = CopyOneFile;

TEST_F(CopyInBlocks, ReadsHealthyFileInBlocksThatBeginOnTheLastByteReadBefore) {
  settings.haltOnFirstError = true;
  copyBlockBytes = 1000;
  firstCopyBlockBytes = 1000;
  settings.verifyData = true;
  std::string bytes = patternBytes(5000);
  copy("healthy.bin", bytes);
  EXPECT_EQ(bytes, destinationContent("healthy.bin"));
  std::string source = sourcePathOf("healthy.bin");
  // Byte 0 is read alone first, as the byte steps would; then blocks from 0, 999, 1999, ...
  EXPECT_EQ(1, faults::singleByteReadsAt(source, 0));
  EXPECT_EQ(2, faults::readsAt(source, 0));
  for (std::int64_t offset = 1; offset < 5000; ++offset) {
    ASSERT_EQ(0, faults::singleByteReadsAt(source, offset)) << offset;
    bool blockBegins = offset % 1000 == 999 && offset < 4999;
    ASSERT_EQ(blockBegins ? 2 : 1, faults::readsAt(source, offset)) << offset;
    ASSERT_EQ(1, faults::writesAt(partPathOf("healthy.bin"), offset)) << offset;
  }
  EXPECT_EQ(5000, fileBytesVerified);
}

TEST_F(CopyInBlocks, ReadsBadByteReadDepthPlusOneTimesInAllAcrossThePhases) {
  readDepth = 2;
  settings.subDamagedBitByZero = true;
  std::string bytes = patternBytes(300000);
  writeSource("bad.bin", bytes);
  std::string source = sourcePathOf("bad.bin");
  faults::failReads(source, 1500, -1);
  copy("bad.bin");
  bytes[1500] = '\0';
  EXPECT_EQ(bytes, destinationContent("bad.bin"));
  // Aimed at the bad byte: readDepth + 1 reads in all, the trim's and the retries'.
  EXPECT_EQ(3, faults::singleByteReadsAt(source, 1500));
  // The bytes after it were read in blocks, the skipped ones too, never one by one.
  EXPECT_EQ(0, faults::singleByteReadsAt(source, 1502));
  EXPECT_EQ(0, faults::singleByteReadsAt(source, 100000));
  EXPECT_EQ(299999, fileBytesRead);
}

TEST_F(CopyInBlocks, GoesOnByteByByteWhileBytesNeedRetries) {
  settings.haltOnFirstError = true;
  readDepth = 3;
  std::string bytes = patternBytes(400);
  writeSource("flaky.bin", bytes);
  std::string source = sourcePathOf("flaky.bin");
  faults::failReadRange(source, 200, 202, 1);
  copy("flaky.bin");
  EXPECT_EQ(bytes, destinationContent("flaky.bin"));
  for (std::int64_t offset = 200; offset <= 202; ++offset) {
    EXPECT_EQ(2, faults::singleByteReadsAt(source, offset)) << offset;
  }
  EXPECT_EQ(1, faults::singleByteReadsAt(source, 203));
  EXPECT_EQ(0, faults::singleByteReadsAt(source, 204));
}

TEST_F(CopyInBlocks, CountsWriteThatStopsInsideBlockAsFirstAttemptOfThatByte) {
  writeDepth = 2;
  std::string bytes = patternBytes(3000);
  faults::failWrites(partPathOf("write.bin"), 2000, 2);
  copy("write.bin", bytes);
  EXPECT_EQ(bytes, destinationContent("write.bin"));
  EXPECT_EQ(3, faults::writesAt(partPathOf("write.bin"), 2000));
  EXPECT_EQ(3000, fileBytesWritten);
}

TEST_F(CopyInBlocks, StopsAtByteThatCannotBeWrittenAfterShowingTheBytesBeforeIt) {
  writeDepth = 1;
  std::string bytes = patternBytes(1000);
  faults::failWrites(partPathOf("stuck.bin"), 600, -1);
  copy("stuck.bin", bytes);
  EXPECT_EQ(bytes.substr(0, 600), destinationContent("stuck.bin"));
  EXPECT_EQ(2, faults::writesAt(partPathOf("stuck.bin"), 600));
  ASSERT_EQ(60u, recorded.stateTexts.size());
  EXPECT_EQ("60%", recorded.stateTexts.back());
  EXPECT_EQ("Unable write to file\r\nCopied stuck.bin\r\n", console());
}

TEST_F(CopyInBlocks, ReadsBadDestinationSectorBackAloneDepthVerifyTimes) {
  settings.verifyData = true;
  settings.depthVerify = 3;
  std::string bytes = patternBytes(3000);
  std::string destination = partPathOf("check.bin");
  // The sector from 1024 fails its first two reads; every read of the sector from 2048 fails, as
  // its byte 2345 cannot be read back.
  faults::failReads(destination, 1024, 2);
  faults::failReads(destination, 2345, -1, faults::ReadFailure::noByte);
  copy("check.bin", bytes);
  EXPECT_EQ(0, faults::singleByteReadsAt(destination, 1024));
  // The sector from 1024 arrives whole at its last read and counts; the sector of byte 2345 never
  // arrives.
  EXPECT_EQ(3000 - 512, fileBytesVerified);
  EXPECT_EQ(bytes, destinationContent("check.bin"));
}

TEST_F(CopyInBlocks, FallsBackToByteStepsWhenLongReadsFailWhole) {
  settings.verifyData = true;
  std::string bytes = patternBytes(300);
  writeSource("refused.bin", bytes);
  faults::failLongReads(sourcePathOf("refused.bin"), -1);
  faults::failLongReads(partPathOf("refused.bin"), -1);
  copy("refused.bin");
  EXPECT_EQ(bytes, destinationContent("refused.bin"));
  EXPECT_EQ(300, fileBytesRead);
  // A sector is more than one byte: a destination that refuses long reads cannot be read back.
  EXPECT_EQ(0, fileBytesVerified);
  for (std::int64_t offset = 0; offset < 300; ++offset) {
    ASSERT_EQ(1, faults::singleByteReadsAt(sourcePathOf("refused.bin"), offset)) << offset;
  }
}

TEST_F(CopyInBlocks, FindsNextRiseOfPercentageForEverySize) {
  std::mt19937_64 random(kSeed);
  std::vector<std::int64_t> sizes;
  for (std::int64_t size = 1; size <= 250; ++size) sizes.push_back(size);
  for (int index = 0; index < 200; ++index) {
    sizes.push_back(static_cast<std::int64_t>(random() >> (1 + random() % 62)) + 1);
  }
  sizes.push_back(std::numeric_limits<std::int64_t>::max());
  fileBytesRead = 0;
  for (std::int64_t size : sizes) {
    currentSize = size;
    for (int last = 0; last < 100; ++last) {
      fileCopy.lastPercent = static_cast<std::uint8_t>(last);
      std::int64_t rise = nextRiseOfPercentage();
      ASSERT_GT(percentRead(rise, size), last) << size << " " << last;
      ASSERT_LE(percentRead(rise - 1, size), last) << size << " " << last;
    }
    fileCopy.lastPercent = 100;
    ASSERT_EQ(-1, nextRiseOfPercentage()) << size;
  }
}

}  // namespace
}  // namespace copytest
