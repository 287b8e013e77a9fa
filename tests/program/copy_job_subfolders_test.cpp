// Whole copy jobs over a tree of folders, with and without copySubfolders: the order of the log,
// the copies and the folders made at the destination, and the folders that cannot be listed,
// created or reached.
#include <set>

#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

class CopyJobSubfolders : public CopyJobTest {
 protected:
  // Returns the entry line of an error entry as the log writes it with the default options.
  static std::string errorLine(const std::string& entry) {
    return "<FONT FACE=Arial SIZE=1 COLOR=#FF0000>" + entry +
           " </FONT><A HREF=mailto:support@sorvel.example TITLE=\"Click to report this\">"
           "<FONT FACE=Arial SIZE=1 COLOR=#FFAA00>Is it bug?</FONT></A><BR>\r\n";
  }

  // Returns the lines of a file copied whole: its "Copy of" entry and its summary.
  static std::string copiedLines(const std::string& name, int bytes) {
    std::string count = std::to_string(bytes);
    return plainLine("Copy of \"<B>" + name + "</B>\"  ") +
           plainLine("Read " + count + "bytes of " + count + "bytes, written " + count + "bytes");
  }

  // The tree of a camera card and a few more:
  //   in/top.txt
  //   in/DCIM/100CANON/IMG_1.JPG, IMG_2.JPG (empty)
  //   in/DCIM/101CANON/IMG_3.JPG (already saved: out/DCIM/101CANON/IMG_3.JPG)
  //   in/DCIM/link -> 100CANON (a link to a folder)
  //   in/MISC/deep/low/note.txt (three levels down)
  //   in/locked/a.txt (a folder that cannot be listed)
  void SetUp() override {
    CopyJobTest::SetUp();
    const fs::path in = folder_ / "in";
    fs::create_directories(in / "DCIM" / "100CANON");
    fs::create_directories(in / "DCIM" / "101CANON");
    fs::create_directories(in / "MISC" / "deep" / "low");
    fs::create_directories(in / "locked");
    fs::create_directories(folder_ / "out" / "DCIM" / "101CANON");
    writeFile(in / "top.txt", "top");
    writeFile(in / "DCIM" / "100CANON" / "IMG_1.JPG", "one");
    writeFile(in / "DCIM" / "100CANON" / "IMG_2.JPG", "");
    writeFile(in / "DCIM" / "101CANON" / "IMG_3.JPG", "three");
    writeFile(folder_ / "out" / "DCIM" / "101CANON" / "IMG_3.JPG", "old");
    fs::create_directory_symlink("100CANON", in / "DCIM" / "link");
    writeFile(in / "MISC" / "deep" / "low" / "note.txt", "low");
    writeFile(in / "locked" / "a.txt", "a");
    faults::failListing((in / "locked").string(), 100);
  }

  // Every entry below out/, files with their content, folders with a slash.
  std::set<std::string> destination() {
    std::set<std::string> entries;
    const fs::path out = folder_ / "out";
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
      std::string name = entry.path().lexically_relative(out).string();
      entries.insert(entry.is_directory() ? name + "/" : name + "=" + readWhole(entry.path()));
    }
    return entries;
  }

  // Sets copySubfolders, as the settings file does.
  void copySubfolders() { settings.copySubfolders = true; }
};

TEST_F(CopyJobSubfolders, TreeIsCopiedFolderByFolderFilesBeforeSubfolders) {
  copySubfolders();
  runJob("in/*.*", "out");
  EXPECT_EQ(plainLine("Copying files in/*.* to out") + copiedLines("top.txt", 3) +
                copiedLines("DCIM/100CANON/IMG_1.JPG", 3) +
                plainLine("Copy of \"<B>DCIM/100CANON/IMG_2.JPG</B>\"  ") +
                warningLine("Copy of \"<B>DCIM/100CANON/IMG_2.JPG</B>\", is empty") +
                warningLine("Copy of \"<B>DCIM/101CANON/IMG_3.JPG</B>\", file already exists") +
                copiedLines("MISC/deep/low/note.txt", 3) +
                errorLine("Folder \"<B>locked</B>\", unable list folder") +
                plainLine("<U>Totally</U>") + plainLine("Processed 4 files") +
                plainLine("Read 9bytes") + plainLine("Written 9bytes"),
            logAfterHeader());
  EXPECT_EQ(
      "Copied top.txt\r\n"
      "Copied DCIM/100CANON/IMG_1.JPG\r\n"
      "File is empty\r\n"
      "File already exists\r\n"
      "Copied MISC/deep/low/note.txt\r\n"
      "Unable list folder\r\n",
      console());
  // The link is not followed and the unlisted folder is not made; empty files are not copied.
  EXPECT_EQ((std::set<std::string>{"top.txt=top", "DCIM/", "DCIM/100CANON/",
                                   "DCIM/100CANON/IMG_1.JPG=one", "DCIM/101CANON/",
                                   "DCIM/101CANON/IMG_3.JPG=old", "MISC/", "MISC/deep/",
                                   "MISC/deep/low/", "MISC/deep/low/note.txt=low"}),
            destination());
  EXPECT_EQ("Done", headless::text(stateLine));
}

TEST_F(CopyJobSubfolders, WithoutCopySubfoldersOnlyTheSourceFolderIsCopied) {
  runJob("in/*.*", "out");
  EXPECT_EQ(plainLine("Copying files in/*.* to out") + copiedLines("top.txt", 3) +
                plainLine("<U>Totally</U>") + plainLine("Processed 1 files") +
                plainLine("Read 3bytes") + plainLine("Written 3bytes"),
            logAfterHeader());
  EXPECT_EQ("Copied top.txt\r\n", console());
  EXPECT_EQ((std::set<std::string>{"top.txt=top", "DCIM/", "DCIM/101CANON/",
                                   "DCIM/101CANON/IMG_3.JPG=old"}),
            destination());
}

// A pattern applies in every folder; a folder holding no file to copy is not made.
TEST_F(CopyJobSubfolders, PatternAppliesInEverySubfolderAndOnlyNeededFoldersAreMade) {
  copySubfolders();
  runJob("in/*.JPG", "out");
  EXPECT_EQ(
      "Copied DCIM/100CANON/IMG_1.JPG\r\n"
      "File is empty\r\n"
      "File already exists\r\n"
      "Unable list folder\r\n",
      console());
  EXPECT_EQ((std::set<std::string>{"DCIM/", "DCIM/100CANON/", "DCIM/100CANON/IMG_1.JPG=one",
                                   "DCIM/101CANON/", "DCIM/101CANON/IMG_3.JPG=old"}),
            destination());
}

// The source folder holds no file of the pattern: the run still starts and walks the tree. A
// source that names one file keeps to its folder.
TEST_F(CopyJobSubfolders, SourceIsFoundInSubfoldersButANamedFileIsNotSearchedFor) {
  copySubfolders();
  fs::create_directory(folder_ / "out2");
  runJob("in/note.*", "out");
  EXPECT_EQ("Copied MISC/deep/low/note.txt\r\nUnable list folder\r\n", console());
  std::string before = console();
  runJob("in/MISC/deep/low/note.txt", "out2");
  EXPECT_EQ(before + "Copied note.txt\r\n", console());
  before = console();
  runJob("in/IMG_1.JPG", "out2");
  EXPECT_EQ(before + "Unable find source file\r\n", console());
  EXPECT_EQ(std::vector<fs::path>{folder_ / "out2" / "note.txt"},
            std::vector<fs::path>(fs::directory_iterator(folder_ / "out2"), {}));
}

// A destination folder that cannot be made is reported once, by name; each file that needed it
// fails as uncreatable, nothing below it is made, and the run goes on.
TEST_F(CopyJobSubfolders, FolderThatCannotBeMadeIsReportedOnceAndTheRunGoesOn) {
  copySubfolders();
  writeFile(folder_ / "in" / "MISC" / "second.txt", "2nd");
  writeFile(folder_ / "out" / "MISC", "a file where the folder would be");
  runJob("in/*.txt", "out");
  EXPECT_EQ(
      "Copied top.txt\r\n"
      "Unable create folder\r\n"
      "Unable create file\r\n"
      "Unable create file\r\n"
      "Unable list folder\r\n",
      console());
  std::string entries = logAfterHeader();
  EXPECT_NE(std::string::npos,
            entries.find(errorLine("Folder \"<B>MISC</B>\", unable create folder") +
                         errorLine("Copy \"MISC/second.txt\", unable create file")));
  EXPECT_NE(std::string::npos,
            entries.find(errorLine("Copy \"MISC/deep/low/note.txt\", unable create file")));
  EXPECT_EQ(std::string::npos, entries.find("Folder \"<B>MISC/deep"));
  EXPECT_EQ("top", readWhole(folder_ / "out" / "top.txt"));
  EXPECT_EQ("a file where the folder would be", readWhole(folder_ / "out" / "MISC"));
}

// 64 levels below the source folder are walked; a folder deeper than that is reported and
// passed over (a damaged file system can hold a folder inside itself).
TEST_F(CopyJobSubfolders, WalkStopsBelowSixtyFourLevels) {
  copySubfolders();
  fs::path level = folder_ / "tree";
  std::string relative;
  for (int depth = 1; depth <= 66; ++depth) {
    level /= "d";
    relative += "d/";
    fs::create_directories(level);
    writeFile(level / "f.txt", std::to_string(depth));
  }
  runJob("tree/*.txt", "out");
  const std::string sixtyFour = relative.substr(0, 64 * 2);
  EXPECT_EQ("64", readWhole(folder_ / "out" / sixtyFour / "f.txt"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / sixtyFour / "d"));
  EXPECT_NE(
      std::string::npos,
      logAfterHeader().find(errorLine("Folder \"<B>" + sixtyFour + "d</B>\", folder too deep") +
                            plainLine("<U>Totally</U>") + plainLine("Processed 64 files")));
}

// A file whose path below the source folder fits in 255 bytes is copied; a longer one would be
// named by a cut path, which names another file: it is refused by name.
TEST_F(CopyJobSubfolders, PathOfMoreThan255BytesIsRefusedCleanly) {
  copySubfolders();
  const std::string first(100, 'a');
  const std::string second(100, 'b');
  fs::create_directories(folder_ / "long" / first / second);
  const std::string fits(53, 'c');  // 100 + 1 + 100 + 1 + 53 = 255
  const std::string over(54, 'e');
  writeFile(folder_ / "long" / first / second / fits, "fits");
  writeFile(folder_ / "long" / first / second / over, "over");
  runJob("long/*", "out");
  EXPECT_EQ("fits", readWhole(folder_ / "out" / first / second / fits));
  EXPECT_FALSE(fs::exists(folder_ / "out" / first / second / over));
  // The entry says why first: its end is cut at 255 bytes like every text of the log.
  const std::string overPath = first + "/" + second + "/" + over;
  EXPECT_NE(
      std::string::npos,
      logAfterHeader().find(errorLine(("Path too long, not copied: " + overPath).substr(0, 255))));
  // The result line of the copied file fills the result box's 255-byte line.
  EXPECT_EQ(0u, console().find("Copied " + first + "/" + second + "/c"));
  EXPECT_TRUE(console().ends_with("Path too long\r\n"));
}

}  // namespace
}  // namespace copy_job_test
