// Whole copy jobs over the entries that a source names: a folder pattern with files of every
// kind, a plain folder path, and a pattern without any folder part.
#include <cerrno>

#include "platform/posix/faults/system_call_faults.h"
#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

class CopyJobFolder : public CopyJobTest {
 protected:
  void SetUp() override {
    CopyJobTest::SetUp();
    fs::create_directory(folder_ / "in");
    fs::create_directory(folder_ / "out");
  }
};

TEST_F(CopyJobFolder, FolderPatternCopiesFilesAndPassesOverTheRest) {
  writeFile(folder_ / "in" / "normal.txt", "hello");
  writeFile(folder_ / "in" / "empty.dat", "");
  writeFile(folder_ / "in" / ".secret", "s");
  fs::create_directory(folder_ / "in" / "sub");
  writeFile(folder_ / "in" / "sub" / "deep.txt", "deep");
  fs::create_directory(folder_ / "in" / ".hidden");
  writeFile(folder_ / "in" / "exists.txt", "new");
  writeFile(folder_ / "out" / "exists.txt", "old");
  writeFile(folder_ / "in" / "clash.bin", "data");
  fs::create_directory(folder_ / "out" / "clash.bin");

  runJob("in/*.*", "out");

  EXPECT_EQ(readWhole(SORVEL_TEST_DATA "/copy_job_folder_pattern.log.htm"), log());
  EXPECT_EQ(
      "Copied .secret\r\n"
      "File already exists\r\n"
      "File is empty\r\n"
      "File already exists\r\n"
      "Copied normal.txt\r\n",
      console());
  EXPECT_EQ("hello", readWhole(folder_ / "out" / "normal.txt"));
  EXPECT_EQ("s", readWhole(folder_ / "out" / ".secret"));
  EXPECT_EQ("old", readWhole(folder_ / "out" / "exists.txt"));
  EXPECT_TRUE(fs::is_directory(folder_ / "out" / "clash.bin"));
  EXPECT_TRUE(fs::is_empty(folder_ / "out" / "clash.bin"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "empty.dat"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "sub"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / ".hidden"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "deep.txt"));
  EXPECT_EQ("Done", headless::text(stateLine));
}

// A medium may mark a folder read-only, hidden or system, which the POSIX file system cannot hold:
// the search reports such values here as it would on that medium. Only the exact folder values
// are passed over; a folder with any other value goes on as a file (one of size 0).
TEST_F(CopyJobFolder, OnlyTheExactFolderValuesArePassedOver) {
  const struct {
    DWORD attributes;
    bool passedOver;
  } cases[] = {{0x10, true},  {0x12, true},  {0x15, true},
               {0x11, false}, {0x14, false}, {0x30, false}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.attributes);
    faults::reportAttributes((folder_ / "in" / "marked").string(), entry.attributes);
    fs::create_directory(folder_ / "in" / "marked");
    const std::string before = console();
    runJob("in/*.*", "out");
    EXPECT_EQ(before + (entry.passedOver ? "" : "File is empty\r\n"), console());
    EXPECT_EQ("Done", headless::text(stateLine));
    EXPECT_TRUE(fs::is_empty(folder_ / "out"));
    fs::remove(folder_ / "in" / "marked");
  }
}

// A file whose details cannot be read (a damaged inode) is named in the log and reported like a
// source that cannot be opened, never passed over and never called empty; the totals count it.
TEST_F(CopyJobFolder, EntryThatCannotBeExaminedIsReportedAsUnopenable) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  writeFile(folder_ / "in" / "b.txt", "damaged");
  writeFile(folder_ / "in" / "c.txt", "cde");
  writeFile(folder_ / "in" / "empty.txt", "");
  faults::failStats((fs::current_path() / "in" / "b.txt").string(), EBADMSG);
  runJob("in/*.*", "out");
  faults::clearSystemCallFaults();
  EXPECT_EQ("Copied a.txt\r\nUnable open file\r\nCopied c.txt\r\nFile is empty\r\n", console());
  const std::string entries = logAfterHeader();
  EXPECT_NE(std::string::npos, entries.find("Copy of \"<B>b.txt</B>\""));
  EXPECT_NE(std::string::npos, entries.find("Copy \"b.txt\", unable open file"));
  EXPECT_EQ(std::string::npos, entries.find("b.txt</B>\", is empty"));
  EXPECT_NE(std::string::npos, entries.find(plainLine("Processed 4 files")));
  EXPECT_NE(std::string::npos, entries.find(plainLine("Read 6bytes")));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "b.txt"));
  EXPECT_EQ("abc", readWhole(folder_ / "out" / "a.txt"));
}

TEST_F(CopyJobFolder, PlainFolderPathFindsOnlyTheFolderItself) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  runJob("in", "out");
  EXPECT_EQ(plainLine("Copying files in to out"), logAfterHeader());
  EXPECT_TRUE(fs::is_empty(folder_ / "out"));
  EXPECT_EQ("", console());
  EXPECT_EQ("Done", headless::text(stateLine));
}

TEST_F(CopyJobFolder, SourceWithoutSeparatorTakesNamesFromTheCurrentFolder) {
  writeFile(folder_ / "here.txt", "here");
  writeFile(folder_ / "in" / "there.txt", "there");
  runJob("*.txt", "out");
  EXPECT_EQ("here", readWhole(folder_ / "out" / "here.txt"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "there.txt"));
  EXPECT_EQ("", toString(sourceFolder));
  EXPECT_EQ("", sourceFolderPath);
}

TEST_F(CopyJobFolder, SourceFolderIsCutAfterTheLastSeparator) {
  fs::create_directory(folder_ / "in" / "inner");
  writeFile(folder_ / "in" / "inner" / "a.txt", "abc");
  runJob("in/inner/a.txt", "out");
  EXPECT_EQ("in/inner/", toString(sourceFolder));
  EXPECT_EQ("in/inner/", sourceFolderPath);
  EXPECT_EQ("out", toString(destinationFolder));
  EXPECT_EQ("abc", readWhole(folder_ / "out" / "a.txt"));
}

}  // namespace
}  // namespace copy_job_test
