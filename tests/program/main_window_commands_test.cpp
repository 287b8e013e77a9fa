// The main window's procedure as the user meets it: clicks on check boxes and buttons, changes of
// the edit boxes, and closing the window, which decides whether the settings file is written.
#include <filesystem>
#include <string>

#include "tests/program/main_window_fixture.h"

namespace {

using main_window_test::MainWindowTest;
using main_window_test::readWhole;
using main_window_test::writeSettings;
namespace fs = std::filesystem;

using MainWindowCommands = MainWindowTest;

TEST_F(MainWindowCommands, CheckBoxClickChangesItsOptionAtOnce) {
  bool verifyAfterClick = false;
  runProgram({[] { ASSERT_TRUE(headless::click(verifyDataBox)); },
              [&] { verifyAfterClick = settings.verifyData; }, closeWindow()});
  EXPECT_TRUE(verifyAfterClick);
}

TEST_F(MainWindowCommands, BrowseClickReadsAllElevenBoxesFirst) {
  runProgram({[] {
                flipBoxesQuietly();
                headless::chooseOpenFile(std::nullopt);
                ASSERT_TRUE(headless::click(browseSourceButton));
              },
              [] {
                EXPECT_EQ(1, headless::openFileDialogCount());
                expectOptionsMatchBoxes();
              },
              closeWindow()});
}

TEST_F(MainWindowCommands, DestinationBrowseClickReadsAllElevenBoxesFirst) {
  runProgram({[] {
                flipBoxesQuietly();
                headless::chooseFolder(std::nullopt);
                ASSERT_TRUE(headless::click(browseDestinationButton));
              },
              [] {
                EXPECT_EQ(1, headless::folderBrowserCount());
                expectOptionsMatchBoxes();
              },
              closeWindow()});
}

TEST_F(MainWindowCommands, CopyClickReadsAllElevenBoxesFirst) {
  // No source is given, so the run ends at its first check, before it reads the boxes itself;
  // with the console off, its message types nothing into the result box (whose change
  // notifications would read the boxes too).
  writeSettings("sorvel.ini", {"enableConsole: no", "saveSettings: no"});
  runProgram({[] {
                flipBoxesQuietly();
                ASSERT_TRUE(headless::click(copyButton));
              },
              [] { expectOptionsMatchBoxes(); }, closeWindow()});
}

TEST_F(MainWindowCommands, EditChangeReadsTheBoxes) {
  runProgram({[] {
                flipBoxesQuietly();
                ASSERT_TRUE(headless::typeChar(sourceEdit, 'x'));
              },
              [] { expectOptionsMatchBoxes(); }, closeWindow()});
}

TEST_F(MainWindowCommands, OtherEditNotificationReadsNothing) {
  bool before = false, after = true;
  runProgram({[&] {
                before = settings.verifyData;
                SendMessageA(verifyDataBox, BM_SETCHECK, BST_CHECKED, 0);
                SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(0, EN_KILLFOCUS),
                             reinterpret_cast<LPARAM>(sourceEdit));
                after = settings.verifyData;
              },
              closeWindow()});
  EXPECT_FALSE(before);
  EXPECT_FALSE(after);
}

TEST_F(MainWindowCommands, ClosingWithSaveSettingsUncheckedWritesNoSettingsFile) {
  runProgram({[] { ASSERT_TRUE(headless::click(saveSettingsBox)); }, closeWindow()});
  EXPECT_FALSE(fs::exists("sorvel.ini"));
}

TEST_F(MainWindowCommands, ClosingWithSaveSettingsUncheckedLeavesTheSettingsFileAsItWas) {
  writeSettings("sorvel.ini", {"verifyData: yes"});
  const std::string before = readWhole("sorvel.ini");
  runProgram({[] { ASSERT_TRUE(headless::click(saveSettingsBox)); }, closeWindow()});
  EXPECT_EQ(before, readWhole("sorvel.ini"));
}

TEST_F(MainWindowCommands, BoxClickedJustBeforeClosingIsSavedAsShown) {
  runProgram({[] {
    ASSERT_TRUE(headless::click(verifyDataBox));
    ASSERT_TRUE(headless::requestClose(mainWindow));
  }});
  EXPECT_NE(std::string::npos, readWhole("sorvel.ini").find("verifyData: yes\r\n"));
}

TEST_F(MainWindowCommands, DestroyingTheWindowReadsTheBoxesBeforeTheEnd) {
  // Without WM_CLOSE, WM_DESTROY alone must read "Save settings" unchecked.
  runProgram({[] {
    SendMessageA(saveSettingsBox, BM_SETCHECK, BST_UNCHECKED, 0);
    DestroyWindow(mainWindow);
  }});
  EXPECT_FALSE(fs::exists("sorvel.ini"));
}

}  // namespace
