// The two faults of the test layer that the copy in blocks is checked against: a medium that reads
// back wrong bytes, and a driver that gives up long reads.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"

namespace {

class FastPathFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sorvel-faults-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    root_ = pattern;
    path_ = root_ + "/data";
    std::ofstream(path_, std::ios::binary) << "0123456789";
    faults::reset();
    file_ = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file_);
  }

  void TearDown() override {
    CloseHandle(file_);
    faults::disarm();
    std::filesystem::remove_all(root_);
  }

  // Reads `length` bytes at `offset`: what arrived, or "<FALSE n>" with the last error n.
  std::string readAt(LONG offset, DWORD length) {
    SetFilePointer(file_, offset, nullptr, FILE_BEGIN);
    char buffer[16] = {};
    DWORD count = 99;
    if (!ReadFile(file_, buffer, length, &count, nullptr)) {
      return "<FALSE " + std::to_string(GetLastError()) + ">";
    }
    return std::string(buffer, count);
  }

  static std::string inverted(const std::string& bytes) {
    std::string result;
    for (char byte : bytes) result += static_cast<char>(~byte);
    return result;
  }

  std::string root_;
  std::string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

TEST_F(FastPathFaults, WrongBytesReadBackInvertedAloneInsideLongerReadsAndAgain) {
  faults::corruptReadRange(path_, 3, 4);
  EXPECT_EQ(inverted("3"), readAt(3, 1));
  EXPECT_EQ("012" + inverted("34") + "56789", readAt(0, 10));
  EXPECT_EQ("012" + inverted("34") + "56789", readAt(0, 10));
  EXPECT_EQ("5", readAt(5, 1));
}

TEST_F(FastPathFaults, WrongBytesUseUpNoFailureAndStopNoRead) {
  faults::corruptReadRange(path_, 2, 2);
  faults::failReads(path_, 6, 1);
  EXPECT_EQ("01" + inverted("2") + "345", readAt(0, 10));
  EXPECT_EQ("<FALSE " + std::to_string(ERROR_CRC) + ">", readAt(6, 1));
  EXPECT_EQ("6789", readAt(6, 4));
}

TEST_F(FastPathFaults, LongReadsFailWholeTheChosenNumberOfTimesWhileSingleBytesArrive) {
  faults::failLongReads(path_, 2);
  faults::failReads(path_, 5, 1);
  EXPECT_EQ("<FALSE " + std::to_string(ERROR_CRC) + ">", readAt(0, 4));
  EXPECT_EQ("1", readAt(1, 1));
  EXPECT_EQ("<FALSE " + std::to_string(ERROR_CRC) + ">", readAt(4, 3));
  // The failure of byte 5 is still there: the long reads used up nothing.
  EXPECT_EQ("01234", readAt(0, 10));
  EXPECT_EQ(3, faults::readsAt(path_, 1));
  EXPECT_EQ(1, faults::singleByteReadsAt(path_, 1));
}

TEST_F(FastPathFaults, LongReadsFailForeverWithMinusOne) {
  faults::failLongReads(path_, -1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_EQ("<FALSE " + std::to_string(ERROR_CRC) + ">", readAt(0, 2));
  }
  EXPECT_EQ("0", readAt(0, 1));
}

}  // namespace
