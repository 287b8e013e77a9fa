// The program from start to end through its main block: what the window shows once it waits for
// the user, the end of the program, and a start-up that cannot get a window.
#include <set>
#include <string>

#include "tests/program/main_window_fixture.h"

namespace {

using ::checkBoxes;
using main_window_test::MainWindowTest;
using main_window_test::writeSettings;

using MainWindowStartup = MainWindowTest;

// Returns the captions of the checked boxes.
std::set<std::string> checkedCaptions() {
  std::set<std::string> checked;
  for (const auto& [box, flag] : checkBoxes()) {
    if (headless::isChecked(*box)) checked.insert(headless::text(*box));
  }
  return checked;
}

TEST_F(MainWindowStartup, TheFiveDefaultBoxesAreCheckedWhenThereIsNoSettingsFile) {
  std::set<std::string> checked;
  runProgram({[&] { checked = checkedCaptions(); }, closeWindow()});
  const std::set<std::string> expected = {"Enable logging", "Overwrite log", "Display progress",
                                          "Enable print result", "Save settings"};
  EXPECT_EQ(expected, checked);
}

TEST_F(MainWindowStartup, EditBoxesAreEmptyWhenThereIsNoSettingsFile) {
  std::string source = "unset", destination = "unset";
  runProgram({[&] {
                source = headless::text(sourceEdit);
                destination = headless::text(destinationEdit);
              },
              closeWindow()});
  EXPECT_EQ("", source);
  EXPECT_EQ("", destination);
}

TEST_F(MainWindowStartup, SettingsFileIsReadIntoTheControlsAfterTheyExist) {
  writeSettings("sorvel.ini", {"verifyData: yes", "enableLog: no", "saveSourceFile: yes",
                               "lastSourceFile: /media/cd/*.*", "saveSettings: no"});
  bool verifyChecked = false, logChecked = true;
  std::string source;
  runProgram({[&] {
                verifyChecked = headless::isChecked(verifyDataBox);
                logChecked = headless::isChecked(enableLogBox);
                source = headless::text(sourceEdit);
              },
              closeWindow()});
  EXPECT_TRUE(verifyChecked);
  EXPECT_FALSE(logChecked);
  EXPECT_EQ("/media/cd/*.*", source);
}

TEST_F(MainWindowStartup, OptionsAgreeWithTheirBoxesWhenTheLoopFirstWaits) {
  writeSettings("sorvel.ini", {"haltOnFirstError: yes", "printProgress: no", "saveSettings: no"});
  runProgram({[] { expectOptionsMatchBoxes(); }, closeWindow()});
}

TEST_F(MainWindowStartup, WindowIsShownTitledSorvelWithItsOuterSize) {
  std::string title;
  bool visible = false;
  RECT outer = {};
  DWORD style = 0;
  runProgram({[&] {
                title = headless::text(mainWindow);
                visible = headless::isVisible(mainWindow);
                outer = headless::rectOf(mainWindow);
                style = headless::styleOf(mainWindow);
              },
              closeWindow()});
  EXPECT_EQ("sorvel", title);
  EXPECT_TRUE(visible);
  EXPECT_EQ(530, outer.right - outer.left);
  EXPECT_EQ(472, outer.bottom - outer.top);
  // A caption with system menu and minimise box; no sizing border, no maximise box. (The window
  // system adds WS_CLIPSIBLINGS to every top-level window, as Windows does.)
  EXPECT_EQ(0x10CA0000u, style & ~static_cast<DWORD>(WS_CLIPSIBLINGS));
}

TEST_F(MainWindowStartup, ExitCodeIsZeroAfterTheWindowIsClosed) {
  EXPECT_EQ(0, runProgram({closeWindow()}));
  EXPECT_TRUE(headless::topLevelWindows().empty());
}

TEST_F(MainWindowStartup, ExitCodeIsTakenFromTheQuitMessage) {
  constexpr int kPostedCode = 7;
  EXPECT_EQ(kPostedCode, runProgram({[] { PostQuitMessage(kPostedCode); }}));
}

TEST_F(MainWindowStartup, FontsAreDeletedAtTheEnd) {
  runProgram({closeWindow()});
  LOGFONTA description;
  for (HFONT font : {plainFont, titleFont, buttonFont, bylineFont, setupFont, resultFont}) {
    EXPECT_EQ(0, GetObjectA(font, sizeof description, &description));
  }
}

TEST_F(MainWindowStartup, ClassThatCannotBeRegisteredEndsWithCodeOneAndAMessage) {
  headless::reset();
  WNDCLASSA taken = {};
  taken.lpfnWndProc = DefWindowProcA;
  taken.lpszClassName = "sorvel";
  ASSERT_NE(0, RegisterClassA(&taken));
  testing::internal::CaptureStderr();
  const int code = runMainBlock(GetModuleHandleA(nullptr));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, code);
  EXPECT_NE(std::string::npos, said.find("cannot register the window class")) << said;
  EXPECT_TRUE(headless::topLevelWindows().empty());
  EXPECT_FALSE(std::filesystem::exists("sorvel.ini"));
}

}  // namespace
