// The defaults of the options record, the check-box mirror and the splitting of a settings line.
#include <string>
#include <utility>
#include <vector>

#include "settings/settings.h"
#include "settings_test_support.h"

namespace {

using settings_test::checkBoxHandles;
using settings_test::describe;
using settings_test::mirroredFlags;
using settings_test::SettingsTest;

// The defaults, written out field by field.
std::string expectedDefaults() {
  return "enableLog=1\nrewriteLog=1\nprintProgress=1\nverifyData=0\nprintDetail=0\n"
         "enableConsole=1\nenableFasterCopy=0\nrecognize=0\nsaveSettings=1\n"
         "haltOnFirstError=0\nupdateTitle=0\nsaveSourceFile=0\nsaveDestinyFolder=0\n"
         "logStats=1\nforceAccess=0\nshowProgressBar=1\nshowLogWhenDone=0\n"
         "watchProductVersion=1\nwaitEnterAfterEachCopy=0\nproceedMinimized=0\n"
         "logSettings=0\nsubDamagedBitByZero=0\nlogDamagedRanges=0\nsaveDamageMap=0\n"
         "copySubfolders=0\nretryDamagedLast=0\n"
         "depthRead=16\ndepthWrite=4\ndepthAccess=32\ndepthClose=8\ndepthVerify=1\n"
         "fontSizeHtmlLog=1\nprogressBarLatency=1\nsectorSize=0\n"
         "backgroundColorHtmlLog=[0000FF]\nfontColorHtmlLog=[FFFFFF]\n"
         "linkColorHtmlLog=[FFAA00]\nerrorColorHtmlLog=[FF0000]\nwarningColorHtmlLog=[FFFF00]\n"
         "noticeColorHtmlLog=[00FFFF]\nhtmlFont=[Arial]\nlastSourceFile=[]\n"
         "lastDestinyFolder=[]\nlogFileName=[sorvel.log.htm]\nbrowserPath=[]\n";
}

TEST(SettingsDefaults, EveryFieldGetsItsDefaultOverAnyEarlierValue) {
  std::memset(static_cast<void*>(&settings), 0x5A, sizeof settings);
  for (ShortText* field : {&settings.lastSourceFile, &settings.lastDestinyFolder,
                           &settings.browserPath, &settings.htmlFont}) {
    field->length = 200;
  }
  setDefaultSettings();
  EXPECT_EQ(expectedDefaults(), describe(settings));
}

TEST(SettingsDefaults, SharedPathsAreLeftAlone) {
  sourcePath = text("C:\\cd\\*.*");
  destinationPath = text("D:\\saved");
  setDefaultSettings();
  EXPECT_EQ("C:\\cd\\*.*", view(sourcePath));
  EXPECT_EQ("D:\\saved", view(destinationPath));
}

using CheckBoxMirror = SettingsTest;

TEST_F(CheckBoxMirror, EachBoxSetsOnlyItsOwnFlag) {
  std::vector<bool Settings::*> flags = mirroredFlags();
  std::vector<HWND*> boxes = checkBoxHandles();
  for (std::size_t checked = 0; checked < boxes.size(); ++checked) {
    for (std::size_t index = 0; index < boxes.size(); ++index) {
      SendMessageA(*boxes[index], BM_SETCHECK, index == checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    readCheckBoxes();
    for (std::size_t index = 0; index < flags.size(); ++index) {
      EXPECT_EQ(index == checked, settings.*flags[index]) << "box " << checked << " flag " << index;
    }
  }
}

TEST_F(CheckBoxMirror, ReadLeavesTheOther29FieldsUntouched) {
  for (HWND* box : checkBoxHandles()) SendMessageA(*box, BM_SETCHECK, BST_CHECKED, 0);
  Settings expected = settings;
  for (bool Settings::*flag : mirroredFlags()) expected.*flag = true;
  settings.updateTitle = true;
  settings.logStats = false;
  settings.depthRead = 3;
  settings.htmlFont = text("Courier");
  expected.updateTitle = true;
  expected.logStats = false;
  expected.depthRead = 3;
  expected.htmlFont = text("Courier");
  readCheckBoxes();
  EXPECT_EQ(describe(expected), describe(settings));
}

TEST_F(CheckBoxMirror, ClickOnOneBoxRereadsEveryBox) {
  ASSERT_FALSE(settings.verifyData);
  ASSERT_TRUE(settings.saveSettings);
  ASSERT_TRUE(headless::click(verifyDataBox));
  headless::dispatchPending();
  EXPECT_TRUE(settings.verifyData);
  // Nothing has checked "Save settings" yet, so its flag follows the unchecked box.
  EXPECT_FALSE(settings.saveSettings);
}

// A stand-in check box that records which box was asked what, and answers BM_GETCHECK from a
// state of its own.
std::vector<std::pair<HWND, UINT>> recordedQuestions;
std::vector<HWND> recordingBoxesChecked;

LRESULT CALLBACK recordingBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BM_GETCHECK || message == BM_SETCHECK) {
    recordedQuestions.emplace_back(window, message);
    if (message == BM_GETCHECK) {
      for (HWND checked : recordingBoxesChecked) {
        if (checked == window) return BST_CHECKED;
      }
      return BST_UNCHECKED;
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class CheckBoxOrder : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    WNDCLASSA boxClass = {};
    boxClass.lpfnWndProc = recordingBoxProc;
    boxClass.hInstance = GetModuleHandleA(nullptr);
    boxClass.lpszClassName = "recordingBox";
    RegisterClassA(&boxClass);
    for (HWND* box : checkBoxHandles()) {
      *box = CreateWindowExA(0, "recordingBox", "", WS_CHILD, 0, 0, 10, 10, mainWindow, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
      ordered.push_back(*box);
    }
    recordedQuestions.clear();
    recordingBoxesChecked.clear();
  }

  std::vector<HWND> ordered;
};

TEST_F(CheckBoxOrder, ReadAsksEveryBoxOnceInTheFixedOrder) {
  readCheckBoxes();
  std::vector<std::pair<HWND, UINT>> expected;
  for (HWND box : ordered) expected.emplace_back(box, BM_GETCHECK);
  EXPECT_EQ(expected, recordedQuestions);
}

TEST_F(CheckBoxOrder, OnlyTheCheckedAnswerSetsAFlag) {
  recordingBoxesChecked = {ordered[4]};  // verifyData
  readCheckBoxes();
  EXPECT_TRUE(settings.verifyData);
  EXPECT_FALSE(settings.enableLog);
  EXPECT_FALSE(settings.saveSettings);
}

TEST_F(CheckBoxOrder, LoadChecksOnlyTheBoxesOfSetFlagsInTheFixedOrder) {
  load("verifyData: yes\r\nenableLog: no\r\nforceAccess: yes\r\n");
  // Set: rewriteLog, printProgress, verifyData, enableConsole, saveSettings, forceAccess.
  std::vector<std::pair<HWND, UINT>> expected = {
      {ordered[1], BM_SETCHECK}, {ordered[2], BM_SETCHECK}, {ordered[4], BM_SETCHECK},
      {ordered[6], BM_SETCHECK}, {ordered[8], BM_SETCHECK}, {ordered[10], BM_SETCHECK}};
  EXPECT_EQ(expected, recordedQuestions);
}

TEST(SplitSettingLine, KeyRunsToTheFirstBlankIncluded) {
  ShortText key;
  ShortText value = splitSettingLine(text("depthRead: 16"), key);
  EXPECT_EQ("depthRead: ", view(key));
  EXPECT_EQ("16", view(value));
}

TEST(SplitSettingLine, ValueKeepsEveryLaterBlank) {
  ShortText key;
  ShortText value = splitSettingLine(text("htmlFont:  Courier New "), key);
  EXPECT_EQ("htmlFont: ", view(key));
  EXPECT_EQ(" Courier New ", view(value));
}

TEST(SplitSettingLine, LineWithoutBlankIsAllKey) {
  ShortText key = text("stale");
  ShortText value = splitSettingLine(text("enableLog:yes"), key);
  EXPECT_EQ("enableLog:yes", view(key));
  EXPECT_EQ(0, value.length);
}

TEST(SplitSettingLine, LeadingBlankIsTheWholeKey) {
  ShortText key;
  ShortText value = splitSettingLine(text(" depthRead: 5"), key);
  EXPECT_EQ(" ", view(key));
  EXPECT_EQ("depthRead: 5", view(value));
}

TEST(SplitSettingLine, EmptyLineGivesEmptyKeyAndValue) {
  ShortText key = text("stale");
  ShortText value = splitSettingLine(ShortText{}, key);
  EXPECT_EQ(0, key.length);
  EXPECT_EQ(0, value.length);
}

TEST(SplitSettingLine, FullLengthLineEndingInBlankGivesEmptyValue) {
  std::string line(254, 'k');
  line += ' ';
  ShortText key;
  ShortText value = splitSettingLine(text(line), key);
  EXPECT_EQ(line, toString(key));
  EXPECT_EQ(0, value.length);
}

}  // namespace
