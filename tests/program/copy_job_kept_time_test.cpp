// Whole copy jobs and the copies' last-write time: a finished copy keeps its source's, to the 100
// nanoseconds a FILETIME holds, in the source folder and in subfolders, also with bytes that could
// not be read; a copy cut short keeps the time it was written.
#include <fcntl.h>
#include <sys/stat.h>

#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

// A time in 2003, to the nanosecond; a FILETIME keeps it to the 100 nanoseconds.
constexpr timespec kWritten = {1'046'239'508, 123'456'789};
constexpr long kKeptNanoseconds = 123'456'700;

class CopyJobKeptTime : public CopyJobTest {
 protected:
  void SetUp() override {
    CopyJobTest::SetUp();
    fs::create_directories(folder_ / "in" / "sub");
    fs::create_directory(folder_ / "out");
  }

  // Writes `content` into in/`name` and gives it the last-write time kWritten.
  void writeSource(const std::string& name, const std::string& content) {
    writeFile(folder_ / "in" / name, content);
    const timespec times[2] = {{0, UTIME_OMIT}, kWritten};
    ASSERT_EQ(0, utimensat(AT_FDCWD, (folder_ / "in" / name).c_str(), times, 0));
  }

  // Returns the last-write time of out/`name`.
  timespec copyTime(const std::string& name) {
    struct stat copy {};
    EXPECT_EQ(0, stat((folder_ / "out" / name).c_str(), &copy)) << name;
    return copy.st_mtim;
  }
};

TEST_F(CopyJobKeptTime, CopiesKeepTheirSourcesTimeInEveryFolder) {
  settings.copySubfolders = true;
  writeSource("top.txt", "top");
  writeSource("sub/photo.jpg", "photo");
  runJob("in/*", "out");
  for (const char* name : {"top.txt", "sub/photo.jpg"}) {
    EXPECT_EQ(kWritten.tv_sec, copyTime(name).tv_sec) << name;
    EXPECT_EQ(kKeptNanoseconds, copyTime(name).tv_nsec) << name;
  }
  EXPECT_EQ(std::string::npos, log().find("time not kept"));
}

// Substituted bytes keep the source's size, so the copy keeps its time; a copy that stopped
// after its first unreadable byte holds only part of the source and keeps the time it was written.
TEST_F(CopyJobKeptTime, OnlyACopyCutShortKeepsTheTimeItWasWritten) {
  for (bool halt : {false, true}) {
    SCOPED_TRACE(halt);
    setOption(&Settings::haltOnFirstError, halt);
    const std::string name = halt ? "halted.bin" : "damaged.bin";
    writeSource(name, "0123456789");
    faults::failReads((folder_ / "in" / name).string(), 4, -1);
    const std::time_t before = std::time(nullptr);
    runJob("in/" + name, "out");
    EXPECT_EQ(halt ? 5u : 10u, fs::file_size(folder_ / "out" / name));
    if (halt) {
      EXPECT_GE(copyTime(name).tv_sec, before);
    } else {
      EXPECT_EQ(kWritten.tv_sec, copyTime(name).tv_sec);
      EXPECT_EQ(kKeptNanoseconds, copyTime(name).tv_nsec);
    }
  }
}

}  // namespace
}  // namespace copy_job_test
