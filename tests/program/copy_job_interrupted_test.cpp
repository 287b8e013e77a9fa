// A run that is ended from outside part-way through a copy, as when the program is killed or the
// machine switched off: what it leaves is never taken for a saved copy, and the next run copies
// the file whole.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <random>

#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

constexpr rlim_t kWrittenBeforeTheEnd = 64 * 1024;

// Returns `size` pseudo-random bytes.
std::string randomBytes(std::size_t size) {
  std::mt19937 random(18);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

class CopyJobInterrupted : public CopyJobTest {
 protected:
  // Runs one copy job with files limited to kWrittenBeforeTheEnd bytes: the write that goes past
  // it ends the process with SIGXFSZ, a fault the program cannot report.
  void runJobEndedPartWay(const std::string& source, const std::string& destination) {
    rlimit limit{kWrittenBeforeTheEnd, kWrittenBeforeTheEnd};
    setrlimit(RLIMIT_FSIZE, &limit);
    runJob(source, destination);
    _exit(0);
  }
};

TEST_F(CopyJobInterrupted, CopyEndedPartWayKeepsItsTemporaryNameAndTheNextRunCopiesIt) {
  const std::string bytes = randomBytes(300 * 1024);
  fs::create_directory(folder_ / "in");
  fs::create_directory(folder_ / "out");
  writeFile(folder_ / "in" / "big.bin", bytes);
  const std::string source = (folder_ / "in" / "big.bin").string();
  const std::string destination = (folder_ / "out").string();
  EXPECT_EXIT(runJobEndedPartWay(source, destination), ::testing::KilledBySignal(SIGXFSZ), "");
  const fs::path part = folder_ / "out" / "big.bin.sorvel-part";
  EXPECT_FALSE(fs::exists(folder_ / "out" / "big.bin"));
  ASSERT_TRUE(fs::exists(part));
  EXPECT_EQ(bytes.substr(0, kWrittenBeforeTheEnd), readWhole(part));

  runJob(source, destination);
  EXPECT_EQ(bytes, readWhole(folder_ / "out" / "big.bin"));
  EXPECT_EQ(bytes.substr(0, kWrittenBeforeTheEnd), readWhole(part));
  EXPECT_EQ(std::string::npos, console().find("File already exists"));
  EXPECT_EQ(std::string::npos, log().find("file already exists"));
}

}  // namespace
}  // namespace copy_job_test
