// The copy job's checks of the source and the destination before anything is frozen or logged.
#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

class CopyJobChecks : public CopyJobTest {
 protected:
  void SetUp() override {
    CopyJobTest::SetUp();
    fs::create_directory(folder_ / "in");
    writeFile(folder_ / "in" / "a.txt", "abc");
  }

  // True when the window looks as it did before any run: "Ready", every control enabled.
  void expectUntouchedWindow() {
    EXPECT_EQ("Ready", headless::text(stateLine));
    for (HWND window : runWindows()) EXPECT_TRUE(headless::isEnabled(window));
    EXPECT_EQ(0u, headless::messageBoxCount());
  }
};

TEST_F(CopyJobChecks, MissingSourceAndDestinationCreatesDestinationThenStops) {
  settings.waitEnterAfterEachCopy = true;
  runJob("missing/*.*", "out");
  EXPECT_EQ("Unable find source file\r\nUnable find destiny folder\r\n", console());
  EXPECT_TRUE(fs::is_directory(folder_ / "out"));
  EXPECT_TRUE(fs::is_empty(folder_ / "out"));
  EXPECT_FALSE(logExists());
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, PatternMatchingNothingNeverFreezesTheWindow) {
  fs::create_directory(folder_ / "out");
  settings.waitEnterAfterEachCopy = true;
  runJob("in/*.xyz", "out");
  EXPECT_EQ("Unable find source file\r\n", console());
  EXPECT_FALSE(logExists());
  EXPECT_TRUE(fs::is_empty(folder_ / "out"));
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, DestinationWithMissingParentIsRefused) {
  runJob("in/*.*", "nowhere/out");
  EXPECT_EQ("Unable find destiny folder\r\nUnable create folder\r\n", console());
  EXPECT_FALSE(fs::exists(folder_ / "nowhere"));
  EXPECT_FALSE(logExists());
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, DestinationThatIsAFileIsRefused) {
  writeFile(folder_ / "out", "not a folder");
  runJob("in/*.*", "out");
  EXPECT_EQ("Unable find destiny folder\r\nUnable create folder\r\n", console());
  EXPECT_EQ("not a folder", readWhole(folder_ / "out"));
  EXPECT_FALSE(logExists());
}

TEST_F(CopyJobChecks, DestinationThatCannotBeCreatedIsRefused) {
  faults::failCreateDirectory((folder_ / "out").string(), 1);
  runJob("in/*.*", "out");
  EXPECT_EQ("Unable find destiny folder\r\nUnable create folder\r\n", console());
  EXPECT_FALSE(fs::exists(folder_ / "out"));
  EXPECT_FALSE(logExists());
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, EmptyDestinationIsRefusedAndNothingIsCopied) {
  runJob("in/*.*", "");
  EXPECT_EQ("Unable find destiny folder\r\nUnable create folder\r\n", console());
  EXPECT_FALSE(logExists());
  EXPECT_FALSE(fs::exists(folder_ / "a.txt"));
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, MissingDestinationIsCreatedAndTheRunGoesOn) {
  runJob("in/*.*", "out");
  EXPECT_EQ(0u, console().find("Unable find destiny folder\r\n"));
  EXPECT_EQ(std::string::npos, console().find("Unable create folder"));
  EXPECT_EQ("abc", readWhole(folder_ / "out" / "a.txt"));
  EXPECT_TRUE(logExists());
  EXPECT_EQ("Done", headless::text(stateLine));
}

TEST_F(CopyJobChecks, DestinationWithTrailingSeparatorIsAccepted) {
  fs::create_directory(folder_ / "out");
  writeFile(folder_ / "out" / "a.txt", "old");
  writeFile(folder_ / "in" / "b.txt", "new");
  runJob("in/*.*", "out/");
  EXPECT_EQ("File already exists\r\nCopied b.txt\r\n", console());
  EXPECT_EQ("old", readWhole(folder_ / "out" / "a.txt"));
  EXPECT_EQ("new", readWhole(folder_ / "out" / "b.txt"));
}

TEST_F(CopyJobChecks, FailedChecksShowNothingWithConsoleOff) {
  setOption(&Settings::enableConsole, false);
  runJob("missing/*.*", "nowhere/out");
  EXPECT_EQ("", console());
  EXPECT_FALSE(logExists());
  expectUntouchedWindow();
}

TEST_F(CopyJobChecks, EditBoxesAreReadInFullAndCutOnlyForDisplay) {
  // A destination path longer than 255 bytes: the files must land in that very folder.
  std::string deep =
      "d" + std::string(120, 'x') + "/" + std::string(120, 'y') + "/" + std::string(60, 'z');
  fs::create_directories(folder_ / deep);
  runJob("in/*.*", deep);
  EXPECT_EQ("abc", readWhole(folder_ / deep / "a.txt"));
  EXPECT_EQ(255, destinationPath.length);
  EXPECT_EQ(deep.substr(0, 255), toString(destinationPath));
  EXPECT_EQ(deep, destinationFolderPath);
  EXPECT_EQ("in/*.*", toString(sourcePath));
}

}  // namespace
}  // namespace copy_job_test
