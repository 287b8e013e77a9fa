// copyOneFile on a source with bytes that read badly: read retries, substitute bytes in their
// ranges, the generator's sequence, and haltOnFirstError.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

// Returns the substitutes that `count` unreadable bytes get from a generator seeded like the
// fixture's: one draw from 0 to 254 each, or for a text-like file a draw from 65 to 99, a draw of
// 0 or 1, and on 1 a draw from 97 to 131.
std::string expectedSubstitutes(int count, bool textLikeFile) {
  std::mt19937 replay(kSeed);
  std::string bytes;
  for (int index = 0; index < count; ++index) {
    if (!textLikeFile) {
      bytes += static_cast<char>(std::uniform_int_distribution<int>(0, 254)(replay));
      continue;
    }
    int value = std::uniform_int_distribution<int>(65, 99)(replay);
    if (std::uniform_int_distribution<int>(0, 1)(replay) == 1) {
      value = std::uniform_int_distribution<int>(97, 131)(replay);
    }
    bytes += static_cast<char>(value);
  }
  return bytes;
}

TEST_F(CopyOneFile, ReadsUnreadableByteReadDepthPlusOneTimesThenWritesZeroWhenAsked) {
  settings.subDamagedBitByZero = true;
  readDepth = 3;
  std::string bytes = patternBytes(100);
  writeSource("zero.bin", bytes);
  faults::failReads(sourcePathOf("zero.bin"), 37, -1);
  copy("zero.bin");
  EXPECT_EQ(4, faults::singleByteReadsAt(sourcePathOf("zero.bin"), 37));
  std::string expected = bytes;
  expected[37] = '\0';
  EXPECT_EQ(expected, destinationContent("zero.bin"));
  EXPECT_EQ(99, fileBytesRead);
  EXPECT_EQ(100, fileBytesWritten);
}

TEST_F(CopyOneFile, ReportsUnreadableBytesAndKeepsPercentageBelow100) {
  settings.subDamagedBitByZero = true;
  readDepth = 1;
  writeSource("holes.bin", patternBytes(100));
  faults::failReadRange(sourcePathOf("holes.bin"), 50, 54, -1);
  copy("holes.bin");
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable read 5bytes"},
      {LogEntryKind::plain, "Read 95bytes of 100bytes, written 100bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ("95%", headless::text(stateLine3));
  EXPECT_EQ(std::string(kProgressBarRight - kProgressBarLeft, 'B'), barRow());
  EXPECT_EQ("Copied holes.bin\r\n", console());
}

TEST_F(CopyOneFile, GivesUpByteThatDeliversNothingAfterEveryRetry) {
  settings.subDamagedBitByZero = true;
  readDepth = 2;
  writeSource("short.bin", patternBytes(10));
  faults::failReads(sourcePathOf("short.bin"), 9, -1, faults::ReadFailure::noByte);
  copy("short.bin");
  EXPECT_EQ(3, faults::singleByteReadsAt(sourcePathOf("short.bin"), 9));
  EXPECT_EQ(patternBytes(9) + std::string(1, '\0'), destinationContent("short.bin"));
  EXPECT_EQ(9, fileBytesRead);
}

TEST_F(CopyOneFile, SubstitutesBytesFrom0To254WhenFileIsNotTextLike) {
  readDepth = 1;
  writeSource("binary.bin", patternBytes(400));
  faults::failReadRange(sourcePathOf("binary.bin"), 0, 399, -1);
  copy("binary.bin");
  std::string copied = destinationContent("binary.bin");
  ASSERT_EQ(400u, copied.size());
  for (char byte : copied) ASSERT_NE(255, static_cast<unsigned char>(byte));
  EXPECT_EQ(expectedSubstitutes(400, false), copied);
  EXPECT_EQ(0, fileBytesRead);
  EXPECT_EQ(400, fileBytesWritten);
}

TEST_F(CopyOneFile, SubstitutesLetterLikeBytesFrom65To131WhenFileIsTextLike) {
  readDepth = 1;
  textLike = true;
  writeSource("notes.txt", patternBytes(400));
  faults::failReadRange(sourcePathOf("notes.txt"), 0, 399, -1);
  copy("notes.txt");
  std::string copied = destinationContent("notes.txt");
  ASSERT_EQ(400u, copied.size());
  bool belowLowerRange = false;
  bool aboveUpperRange = false;
  for (char byte : copied) {
    int value = static_cast<unsigned char>(byte);
    ASSERT_GE(value, 65);
    ASSERT_LE(value, 131);
    belowLowerRange |= value < 97;
    aboveUpperRange |= value > 99;
  }
  EXPECT_TRUE(belowLowerRange);
  EXPECT_TRUE(aboveUpperRange);
  EXPECT_EQ(expectedSubstitutes(400, true), copied);
}

TEST_F(CopyOneFile, KeepsGeneratorSequenceWhenSubstitutingZero) {
  settings.subDamagedBitByZero = true;
  readDepth = 1;
  textLike = true;
  writeSource("zeros.txt", patternBytes(20));
  faults::failReadRange(sourcePathOf("zeros.txt"), 0, 19, -1);
  copy("zeros.txt");
  EXPECT_EQ(std::string(20, '\0'), destinationContent("zeros.txt"));
  // The draws are made whatever the option says: the generator stands where the fillers left it.
  std::mt19937 replay(kSeed);
  for (int index = 0; index < 20; ++index) {
    std::uniform_int_distribution<int>(65, 99)(replay);
    if (std::uniform_int_distribution<int>(0, 1)(replay) == 1) {
      std::uniform_int_distribution<int>(97, 131)(replay);
    }
  }
  EXPECT_EQ(replay, copyRandom);
}

TEST_F(CopyOneFile, CopiesByteThatReadsOnTheThirdTry) {
  std::string bytes = patternBytes(64);
  writeSource("third.bin", bytes);
  faults::failReads(sourcePathOf("third.bin"), 20, 2);
  copy("third.bin");
  EXPECT_EQ(3, faults::singleByteReadsAt(sourcePathOf("third.bin"), 20));
  EXPECT_EQ(bytes, destinationContent("third.bin"));
  EXPECT_EQ(64, fileBytesRead);
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 64bytes of 64bytes, written 64bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, StopsAfterFirstSubstituteWhenHaltOnFirstErrorIsSet) {
  settings.haltOnFirstError = true;
  settings.subDamagedBitByZero = true;
  settings.verifyData = true;
  readDepth = 1;
  std::string bytes = patternBytes(100);
  writeSource("halt.bin", bytes);
  faults::failReads(sourcePathOf("halt.bin"), 40, -1);
  copy("halt.bin");
  EXPECT_EQ(bytes.substr(0, 40) + std::string(1, '\0'), destinationContent("halt.bin"));
  EXPECT_EQ(0, faults::singleByteReadsAt(sourcePathOf("halt.bin"), 41));
  EXPECT_EQ(40, fileBytesRead);
  EXPECT_EQ(41, fileBytesWritten);
  // The substitute is written but not read back: the copy already counts as failed.
  EXPECT_EQ(40, fileBytesVerified);
  // The 40 bytes before it are read back by one read of their sector; the substitute adds none.
  EXPECT_EQ(1, faults::readsAt(partPathOf("halt.bin"), 0));
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable read 1bytes"},
      {LogEntryKind::error, "Copy \"halt.bin\", unable copy"},
      {LogEntryKind::warning, "unable verify 1bytes"},
      {LogEntryKind::plain, "Read 40bytes of 100bytes, written 41bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ(std::string(kProgressBarRight - kProgressBarLeft, 'B'), barRow());
}

TEST_F(CopyOneFile, GoesOnAfterSubstituteWhenHaltOnFirstErrorIsOff) {
  settings.subDamagedBitByZero = true;
  readDepth = 1;
  std::string bytes = patternBytes(100);
  writeSource("onward.bin", bytes);
  faults::failReads(sourcePathOf("onward.bin"), 40, -1);
  faults::failReads(sourcePathOf("onward.bin"), 41, -1);
  copy("onward.bin");
  std::string expected = bytes;
  expected[40] = expected[41] = '\0';
  EXPECT_EQ(expected, destinationContent("onward.bin"));
  EXPECT_EQ(98, fileBytesRead);
}

// Unless the user sets sectorSize, a byte that fails every read gives up the rest of the unit in
// which its medium fails: nothing more where no disk lies under the file system (a memory or FUSE
// file system may fail in any unit), the rest of its volume sector on a disk, read past the cache.
TEST_F(CopyOneFile, DefaultSectorIsTheUnitOfTheSourcesMedium) {
  settings.subDamagedBitByZero = true;
  settings.sectorSize = 0;
  readDepth = 2;
  std::string bytes = patternBytes(3000);
  // The end of the bytes given up with the bad byte at 700.
  auto zerosEnd = [](std::int64_t sector) {
    return std::max<std::int64_t>(701, (700 / sector + 1) * sector);
  };
  struct Row {
    bool onDisk;
    std::int64_t zerosFrom;
  };
  for (Row row : {Row{false, 700}, Row{true, 700}}) {
    if (row.onDisk && !useSourceOnDisk()) GTEST_SKIP() << "no folder on a disk";
    std::filesystem::remove(destinationPathOf("bad.bin"));
    writeSource("bad.bin", bytes);
    faults::reset();
    faults::failReads(sourcePathOf("bad.bin"), 700, -1);
    copy("bad.bin");
    std::int64_t sector = 1;
    if (row.onDisk) {
      DWORD perCluster = 0, bytesPerSector = 0, free = 0, total = 0;
      ASSERT_TRUE(
          GetDiskFreeSpaceA(sourceFolderPath.c_str(), &perCluster, &bytesPerSector, &free, &total));
      sector = bytesPerSector;
      // The bad sector was read whole past the cache, readDepth + 1 times, never byte by byte;
      // then each sector after it once, up to the end of the file.
      EXPECT_EQ(0, faults::singleByteReadsAt(sourcePathOf("bad.bin"), 700));
      std::int64_t after = (3000 - zerosEnd(sector) + sector - 1) / sector;
      EXPECT_EQ(readDepth + 1 + after, faults::unbufferedReads(sourcePathOf("bad.bin")));
    }
    std::int64_t zerosUntil = zerosEnd(sector);
    std::string expected = bytes;
    for (std::int64_t at = row.zerosFrom; at < zerosUntil; ++at) expected[at] = '\0';
    EXPECT_EQ(expected, destinationContent("bad.bin")) << "on a disk: " << row.onDisk;
    EXPECT_EQ(3000 - (zerosUntil - row.zerosFrom), fileBytesRead);
  }
}

}  // namespace
}  // namespace copytest
