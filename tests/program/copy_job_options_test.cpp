// How the options shape a copy job: the retry depths of the run, the printProgress / printDetail
// interplay, the message box between entries, the totals and the title.
#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

class CopyJobOptions : public CopyJobTest {
 protected:
  void SetUp() override {
    CopyJobTest::SetUp();
    fs::create_directory(folder_ / "out");
  }

  // Runs one job over `folder` + "/*.*" holding one one-byte file whose byte never reads, and
  // returns how often that byte was read.
  std::int64_t readsOfUnreadableByte(const std::string& folder) {
    fs::create_directory(folder_ / folder);
    writeFile(folder_ / folder / "f.bin", "x");
    std::string source = (folder_ / folder / "f.bin").string();
    faults::failReads(source, 0, -1);
    std::string destination = "out-" + std::to_string(++runs_);
    runJob(folder + "/*.*", destination);
    EXPECT_TRUE(fs::exists(folder_ / destination / "f.bin")) << folder;
    return faults::readsAt(source, 0);
  }

  int runs_ = 0;
};

TEST_F(CopyJobOptions, FloppySourceReadsEachByteOnlyOnceMore) {
  settings.depthRead = 16;
  settings.depthWrite = 4;
  for (const char* drive : {"a:", "A:", "b:", "B:"}) {
    EXPECT_EQ(2, readsOfUnreadableByte(drive)) << drive;
    EXPECT_EQ(1, readDepth) << drive;
    EXPECT_EQ(4, writeDepth) << drive;
  }
}

TEST_F(CopyJobOptions, OtherSourcesKeepTheDepthSettings) {
  settings.depthRead = 5;
  settings.depthWrite = 3;
  for (const char* folder : {"c:", "ab", "xa:"}) {
    EXPECT_EQ(6, readsOfUnreadableByte(folder)) << folder;
    EXPECT_EQ(5, readDepth) << folder;
    EXPECT_EQ(3, writeDepth) << folder;
  }
}

TEST_F(CopyJobOptions, FasterCopyMakesBothDepthsOne) {
  settings.depthRead = 16;
  settings.depthWrite = 4;
  setOption(&Settings::enableFasterCopy, true);
  EXPECT_EQ(2, readsOfUnreadableByte("data"));
  EXPECT_EQ(1, readDepth);
  EXPECT_EQ(1, writeDepth);
}

TEST_F(CopyJobOptions, DepthsBelowOneBecomeOne) {
  settings.depthRead = 0;
  settings.depthWrite = -7;
  EXPECT_EQ(2, readsOfUnreadableByte("data"));
  EXPECT_EQ(1, readDepth);
  EXPECT_EQ(1, writeDepth);
}

// printProgress off with printDetail on: the run turns printDetail off.
class CopyJobDetailQuirk : public CopyJobOptions {
 protected:
  void SetUp() override {
    CopyJobOptions::SetUp();
    setOption(&Settings::printProgress, false);
    setOption(&Settings::printDetail, true);
    settings.logSettings = true;
    settings.waitEnterAfterEachCopy = true;
    fs::create_directory(folder_ / "in");
    writeFile(folder_ / "in" / "a.txt", "aaaa");
    writeFile(folder_ / "in" / "b.txt", "bb");
    setModified(folder_ / "in" / "a.txt", 2003, 3, 21, 9, 5, 8);
    setModified(folder_ / "in" / "b.txt", 2011, 11, 2, 17, 45, 0);
    headless::answerMessageBoxes([this](HWND, const std::string&, const std::string&, UINT) {
      stateLine2Seen_ += headless::text(stateLine2) + "|";
      stateLineSeen_ += headless::text(stateLine) + "|";
      return IDOK;
    });
  }

  std::string stateLine2Seen_;
  std::string stateLineSeen_;
};

TEST_F(CopyJobDetailQuirk, NoDetailsForTheWholeRunWithConsoleOff) {
  setOption(&Settings::enableConsole, false);
  runJob("in/*.*", "out");
  std::string entries = logAfterHeader();
  EXPECT_NE(std::string::npos, entries.find(plainLine("printProgress: no")));
  EXPECT_NE(std::string::npos, entries.find(plainLine("printDetail: no")));
  EXPECT_NE(std::string::npos, entries.find(plainLine("Copy of \"<B>a.txt</B>\"  ")));
  EXPECT_NE(std::string::npos, entries.find(plainLine("Copy of \"<B>b.txt</B>\"  ")));
  // Boxes after ".", "..", a.txt and b.txt: no details, no names.
  EXPECT_EQ("||||", stateLine2Seen_);
  EXPECT_EQ("||||", stateLineSeen_);
  // The option stays off after the run until the boxes are read again.
  EXPECT_FALSE(settings.printDetail);
  ASSERT_TRUE(headless::typeText(sourceEdit, "x"));
  headless::dispatchPending();
  EXPECT_TRUE(settings.printDetail);
}

TEST_F(CopyJobDetailQuirk, DetailsComeBackAfterTheFirstConsoleLineWithConsoleOn) {
  runJob("in/*.*", "out");
  std::string entries = logAfterHeader();
  EXPECT_NE(std::string::npos, entries.find(plainLine("printDetail: no")));
  // The first file's result line is typed into the result box, which reads the boxes again:
  // the second file has its details.
  std::size_t first = entries.find("Copy of \"<B>a.txt</B>\"");
  std::size_t second = entries.find("Copy of \"<B>b.txt</B>\"");
  ASSERT_NE(std::string::npos, first);
  ASSERT_NE(std::string::npos, second);
  std::string firstName = first < second ? "a.txt" : "b.txt";
  std::string secondName = first < second ? "b.txt" : "a.txt";
  std::string secondDetails = first < second ? "2bytes, modified 2nd November 2011 17:45:00"
                                             : "4bytes, modified 21st March 2003 9:05:08";
  EXPECT_NE(std::string::npos, entries.find(plainLine("Copy of \"<B>" + firstName + "</B>\"  ")));
  EXPECT_NE(std::string::npos,
            entries.find(plainLine("Copy of \"<B>" + secondName + "</B>\"  " + secondDetails)));
  // Boxes after ".", "..", the first file and the second file.
  EXPECT_EQ("|||" + secondDetails + "|", stateLine2Seen_);
  EXPECT_NE(std::string::npos, console().find("Copied " + firstName + "\r\n"));
  EXPECT_NE(std::string::npos, console().find("Copied " + secondName + ": "));
}

TEST_F(CopyJobOptions, MessageBoxAfterEveryEntryWhenWaitEnterIsSet) {
  settings.waitEnterAfterEachCopy = true;
  fs::create_directory(folder_ / "in");
  fs::create_directory(folder_ / "in" / "sub");
  writeFile(folder_ / "in" / "a.txt", "a");
  writeFile(folder_ / "in" / "e.dat", "");
  writeFile(folder_ / "in" / "old.txt", "new");
  writeFile(folder_ / "out" / "old.txt", "old");
  std::vector<bool> totalsWritten;
  headless::answerMessageBoxes([&](HWND, const std::string&, const std::string&, UINT) {
    totalsWritten.push_back(log().find("<U>Totally</U>") != std::string::npos);
    return IDOK;
  });
  runJob("in/*.*", "out");
  // ".", "..", the folder, the copied file, the empty file and the existing file.
  ASSERT_EQ(6u, headless::messageBoxCount());
  for (const headless::MessageBoxShown& box : headless::messageBoxes()) {
    EXPECT_EQ(mainWindow, box.owner);
    EXPECT_EQ("Press enter to continue", box.text);
    EXPECT_EQ("sorvel", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), box.type);
  }
  EXPECT_EQ(std::vector<bool>(6, false), totalsWritten);
  EXPECT_NE(std::string::npos, log().find("<U>Totally</U>"));
}

// The totals of a run.
class CopyJobTotals : public CopyJobOptions {
 protected:
  void SetUp() override {
    CopyJobOptions::SetUp();
    fs::create_directory(folder_ / "in");
  }

  // Returns the totals part of the log: everything from "<U>Totally</U>" on, or "".
  std::string totals() {
    std::string entries = logAfterHeader();
    std::size_t start = entries.find(plainLine("<U>Totally</U>"));
    return start == std::string::npos ? "" : entries.substr(start);
  }
};

TEST_F(CopyJobTotals, CountProcessedFilesAndTheirBytes) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  writeFile(folder_ / "in" / "b.bin", std::string(1000, 'b'));
  writeFile(folder_ / "in" / "e.dat", "");
  writeFile(folder_ / "in" / "old.txt", "new");
  writeFile(folder_ / "out" / "old.txt", "old");
  fs::create_directory(folder_ / "in" / "sub");
  runJob("in/*.*", "out");
  EXPECT_EQ(plainLine("<U>Totally</U>") + plainLine("Processed 3 files") +
                plainLine("Read 1003bytes") + plainLine("Written 1003bytes"),
            totals());
}

TEST_F(CopyJobTotals, IncludeVerifiedBytesWhenVerifyDataIsSet) {
  setOption(&Settings::verifyData, true);
  writeFile(folder_ / "in" / "a.txt", "abcde");
  runJob("in/*.*", "out");
  EXPECT_EQ(plainLine("<U>Totally</U>") + plainLine("Processed 1 files") +
                plainLine("Read 5bytes") + plainLine("Written 5bytes") +
                plainLine("Verified 5bytes"),
            totals());
}

TEST_F(CopyJobTotals, OneEmptyFileGivesOneFileAndZeroBytes) {
  writeFile(folder_ / "in" / "e.dat", "");
  runJob("in/*.*", "out");
  EXPECT_EQ(plainLine("<U>Totally</U>") + plainLine("Processed 1 files") +
                plainLine("Read 0bytes") + plainLine("Written 0bytes"),
            totals());
  EXPECT_FALSE(fs::exists(folder_ / "out" / "e.dat"));
}

TEST_F(CopyJobTotals, NoneWhenEveryFileAlreadyExists) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  writeFile(folder_ / "out" / "a.txt", "old");
  runJob("in/*.*", "out");
  EXPECT_EQ("", totals());
  EXPECT_NE(std::string::npos, logAfterHeader().find("file already exists"));
  EXPECT_EQ("old", readWhole(folder_ / "out" / "a.txt"));
}

TEST_F(CopyJobTotals, NoneWhenLogStatsIsOff) {
  settings.logStats = false;
  writeFile(folder_ / "in" / "a.txt", "abc");
  runJob("in/*.*", "out");
  EXPECT_EQ("abc", readWhole(folder_ / "out" / "a.txt"));
  EXPECT_EQ("", totals());
  EXPECT_NE(std::string::npos, logAfterHeader().find("Read 3bytes of 3bytes"));
}

// The title during and after a run with updateTitle set.
class CopyJobTitle : public CopyJobOptions {
 protected:
  void SetUp() override {
    CopyJobOptions::SetUp();
    settings.updateTitle = true;
    settings.waitEnterAfterEachCopy = true;
    fs::create_directory(folder_ / "in");
    writeFile(folder_ / "in" / "e.dat", "");
    headless::answerMessageBoxes([this](HWND, const std::string&, const std::string&, UINT) {
      titles_.push_back(headless::text(mainWindow));
      return IDOK;
    });
  }

  std::vector<std::string> titles_;
};

TEST_F(CopyJobTitle, ShowsTheNameWhenPrintProgressIsSet) {
  SetWindowTextA(mainWindow, "other");
  runJob("in/e.dat", "out");
  EXPECT_EQ(std::vector<std::string>{"sorvel (e.dat)"}, titles_);
  EXPECT_EQ("sorvel", headless::text(mainWindow));
}

TEST_F(CopyJobTitle, StaysWhenPrintProgressIsOff) {
  setOption(&Settings::printProgress, false);
  SetWindowTextA(mainWindow, "other");
  runJob("in/e.dat", "out");
  EXPECT_EQ(std::vector<std::string>{"other"}, titles_);
  EXPECT_EQ("sorvel", headless::text(mainWindow));
}

TEST_F(CopyJobTitle, IsLeftAloneWhenUpdateTitleIsOff) {
  settings.updateTitle = false;
  SetWindowTextA(mainWindow, "other");
  runJob("in/e.dat", "out");
  EXPECT_EQ(std::vector<std::string>{"other"}, titles_);
  EXPECT_EQ("other", headless::text(mainWindow));
}

}  // namespace
}  // namespace copy_job_test
