// The two Browse buttons: what a pick puts into the edit boxes and the shared paths, what a
// cancelled dialog leaves, and that the copy run takes the edit box as it is when Copy is clicked.
#include <filesystem>
#include <string>

#include "tests/program/main_window_fixture.h"

namespace {

using main_window_test::MainWindowTest;
using main_window_test::readWhole;
using main_window_test::writeFile;
using main_window_test::writeSettings;
namespace fs = std::filesystem;

using MainWindowPickers = MainWindowTest;

TEST_F(MainWindowPickers, PickedFileFillsSourceEditAndSourcePath) {
  std::string shown;
  runProgram({[] {
                headless::chooseOpenFile("/media/cd/letters/june.txt");
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              [&] { shown = headless::text(sourceEdit); }, closeWindow()});
  EXPECT_EQ("/media/cd/letters/june.txt", shown);
  EXPECT_EQ("/media/cd/letters/june.txt", toString(sourcePath));
}

TEST_F(MainWindowPickers, CancelledFilePickChangesNothing) {
  writeSettings("sorvel.ini", {"saveSourceFile: yes", "lastSourceFile: /old/*.*"});
  std::string shown;
  runProgram({[] {
                headless::chooseOpenFile(std::nullopt);
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              [&] { shown = headless::text(sourceEdit); }, closeWindow()});
  EXPECT_EQ("/old/*.*", shown);
  EXPECT_EQ("/old/*.*", toString(sourcePath));
}

TEST_F(MainWindowPickers, PickedFolderFillsDestinationEditAndDestinationPath) {
  std::string shown;
  runProgram({[] {
                headless::chooseFolder("/home/user/saved");
                ASSERT_TRUE(headless::click(browseDestinationButton));
              },
              [&] { shown = headless::text(destinationEdit); }, closeWindow()});
  EXPECT_EQ("/home/user/saved", shown);
  EXPECT_EQ("/home/user/saved", toString(destinationPath));
}

TEST_F(MainWindowPickers, CancelledFolderPickChangesNothing) {
  writeSettings("sorvel.ini", {"saveDestinyFolder: yes", "lastDestinyFolder: /old/place"});
  std::string shown;
  runProgram({[] {
                headless::chooseFolder(std::nullopt);
                ASSERT_TRUE(headless::click(browseDestinationButton));
              },
              [&] { shown = headless::text(destinationEdit); }, closeWindow()});
  EXPECT_EQ("/old/place", shown);
  EXPECT_EQ("/old/place", toString(destinationPath));
}

TEST_F(MainWindowPickers, ItemOutsideTheFileSystemEmptiesTheDestination) {
  writeSettings("sorvel.ini", {"saveDestinyFolder: yes", "lastDestinyFolder: /old/place"});
  std::string shown = "unset";
  runProgram({[] {
                headless::chooseNonFileSystemItem("Control Panel");
                ASSERT_TRUE(headless::click(browseDestinationButton));
              },
              [&] { shown = headless::text(destinationEdit); }, closeWindow()});
  EXPECT_EQ("", shown);
  EXPECT_EQ("", toString(destinationPath));
}

TEST_F(MainWindowPickers, PathLongerThanASharedPathIsCutThereButShownWhole) {
  // 258 bytes: it fits the dialog's 260-byte buffer but not a 255-byte text.
  const std::string longPath = "/" + std::string(250, 'd') + "/a.txt0";
  ASSERT_EQ(258u, longPath.size());
  std::string shown;
  runProgram({[&] {
                headless::chooseOpenFile(longPath);
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              [&] { shown = headless::text(sourceEdit); }, closeWindow()});
  EXPECT_EQ(longPath, shown);
  EXPECT_EQ(longPath.substr(0, 255), toString(sourcePath));
}

TEST_F(MainWindowPickers, PathEditedAfterPickingWinsAtTheNextRun) {
  fs::create_directories("medium");
  fs::create_directories("saved");
  writeFile("medium/picked.bin", "picked");
  writeFile("medium/typed.bin", "typed");
  const std::string medium = fs::absolute("medium").string();
  const std::string saved = fs::absolute("saved").string();
  runProgram({[&] {
                headless::chooseOpenFile(medium + "/picked.bin");
                headless::chooseFolder(saved);
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              [] { ASSERT_TRUE(headless::click(browseDestinationButton)); },
              [&] {
                ASSERT_TRUE(headless::replaceText(sourceEdit, medium + "/typed.bin"));
                ASSERT_TRUE(headless::click(copyButton));
              },
              closeWindow()});
  EXPECT_EQ("typed", readWhole("saved/typed.bin"));
  EXPECT_FALSE(fs::exists("saved/picked.bin"));
  EXPECT_EQ(medium + "/typed.bin", toString(sourcePath));
}

TEST_F(MainWindowPickers, PickedPathIsKeptForTheNextStartWhenAsked) {
  writeSettings("sorvel.ini", {"saveSourceFile: yes"});
  runProgram({[] {
                headless::chooseOpenFile("/media/cd/disk1.img");
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              closeWindow()});
  std::string shownAtNextStart;
  runProgram({[&] { shownAtNextStart = headless::text(sourceEdit); }, closeWindow()});
  EXPECT_EQ("/media/cd/disk1.img", shownAtNextStart);
}

}  // namespace
