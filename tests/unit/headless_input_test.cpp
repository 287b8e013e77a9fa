// What the user does, through the headless driver: clicks, typing, closing, minimising. User
// input is queued and reaches the controls when a loop dispatches it; none reaches a disabled
// window or a child of one.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "tests/unit/headless_fixture.h"

namespace {

using user32_test::command;
using user32_test::received;
using user32_test::recorder;
using user32_test::Row;

constexpr DWORD kAutoCheckBox = WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kResultBoxStyle =
    WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

class UserInput : public headless_test::HeadlessWindowTest {};

TEST_F(UserInput, ClickReachesButtonOnlyWhenDispatched) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  recorder().take();
  EXPECT_TRUE(headless::click(button));
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{command(BN_CLICKED, button)}, recorder().take());
}

TEST_F(UserInput, ClickOnDisabledButtonReportsNothing) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  EnableWindow(button, FALSE);
  recorder().take();
  EXPECT_FALSE(headless::click(button));
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
}

TEST_F(UserInput, ClickOnButtonOfDisabledWindowReportsNothing) {
  HWND box = createControl("BUTTON", kAutoCheckBox, "Verify copied data");
  EnableWindow(parent, FALSE);
  recorder().take();
  EXPECT_FALSE(headless::click(box));
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_FALSE(headless::isChecked(box));
}

TEST_F(UserInput, ClickQueuedBeforeWindowWasDisabledIsDropped) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  EXPECT_TRUE(headless::click(button));
  EnableWindow(parent, FALSE);
  recorder().take();
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_EQ(nullptr, headless::focus());
}

TEST_F(UserInput, ClickOnHiddenButtonIsRefused) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  ShowWindow(button, SW_HIDE);
  EXPECT_FALSE(headless::click(button));
}

TEST_F(UserInput, ClickTogglesAutoCheckBoxBeforeReportingIt) {
  HWND box = createControl("BUTTON", kAutoCheckBox, "Enable logging");
  std::vector<bool> checkedWhenReported;
  recorder().onMessage = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_COMMAND) checkedWhenReported.push_back(headless::isChecked(box));
  };
  headless::click(box);
  headless::dispatchPending();
  headless::click(box);
  headless::dispatchPending();
  EXPECT_EQ((std::vector<bool>{true, false}), checkedWhenReported);
}

TEST_F(UserInput, TypedCharactersAreAppendedWithOneChangeEach) {
  HWND edit = createControl("EDIT", ES_LEFT);
  SetWindowTextA(edit, "C:");
  recorder().take();
  EXPECT_TRUE(headless::typeText(edit, "/a"));
  headless::dispatchPending();
  EXPECT_EQ("C:/a", headless::text(edit));
  std::vector<Row> expected = {command(EN_SETFOCUS, edit), command(EN_UPDATE, edit),
                               command(EN_CHANGE, edit), command(EN_UPDATE, edit),
                               command(EN_CHANGE, edit)};
  EXPECT_EQ(expected, recorder().take());
}

TEST_F(UserInput, DisabledResultBoxRefusesTyping) {
  HWND resultBox = createControl("EDIT", kResultBoxStyle);
  EnableWindow(resultBox, FALSE);
  SendMessageA(resultBox, WM_CHAR, 'k', 0);
  EXPECT_FALSE(headless::typeText(resultBox, "user"));
  EXPECT_FALSE(headless::replaceText(resultBox, "user"));
  headless::dispatchPending();
  EXPECT_EQ("k", headless::text(resultBox));
}

TEST_F(UserInput, ReplacedTextIsOneChange) {
  HWND edit = createControl("EDIT", ES_LEFT);
  SetWindowTextA(edit, "old");
  recorder().take();
  EXPECT_TRUE(headless::replaceText(edit, "/media/cdrom/*.*"));
  headless::dispatchPending();
  EXPECT_EQ("/media/cdrom/*.*", headless::text(edit));
  EXPECT_EQ((std::vector<Row>{command(EN_UPDATE, edit), command(EN_CHANGE, edit)}),
            recorder().take());
}

TEST_F(UserInput, ReplacedTextPastLimitIsCutWithMaxText) {
  HWND edit = createControl("EDIT", ES_LEFT);
  SendMessageA(edit, EM_LIMITTEXT, 4, 0);
  recorder().take();
  headless::replaceText(edit, "abcdef");
  headless::dispatchPending();
  EXPECT_EQ("abcd", headless::text(edit));
  EXPECT_EQ((std::vector<Row>{command(EN_MAXTEXT, edit), command(EN_UPDATE, edit),
                              command(EN_CHANGE, edit)}),
            recorder().take());
}

TEST_F(UserInput, ReplacedTextOfSingleLineEditKeepsFirstLine) {
  HWND edit = createControl("EDIT", ES_LEFT);
  headless::replaceText(edit, "first\nsecond");
  headless::dispatchPending();
  EXPECT_EQ("first", headless::text(edit));
}

TEST_F(UserInput, ReplacedTextOfMultiLineEditGetsCarriageReturns) {
  HWND edit = createControl("EDIT", ES_MULTILINE);
  headless::replaceText(edit, "one\ntwo\r\nthree");
  headless::dispatchPending();
  EXPECT_EQ("one\r\ntwo\r\nthree", headless::text(edit));
}

TEST_F(UserInput, ClickMovesFocusFromEditToButton) {
  HWND edit = createControl("EDIT", ES_LEFT);
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  headless::click(edit);
  headless::dispatchPending();
  EXPECT_EQ(edit, headless::focus());
  recorder().take();
  headless::click(button);
  headless::dispatchPending();
  EXPECT_EQ(button, headless::focus());
  EXPECT_EQ((std::vector<Row>{command(EN_KILLFOCUS, edit), command(BN_CLICKED, button)}),
            recorder().take());
}

TEST_F(UserInput, CloseRequestDestroysEnabledWindow) {
  recorder().take();
  EXPECT_TRUE(headless::requestClose(parent));
  headless::dispatchPending();
  EXPECT_EQ((std::vector<Row>{received(WM_CLOSE, parent), received(WM_DESTROY, parent),
                              received(WM_NCDESTROY, parent)}),
            recorder().take());
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(UserInput, CloseRequestIsRefusedWhileWindowIsDisabled) {
  EnableWindow(parent, FALSE);
  recorder().take();
  EXPECT_FALSE(headless::requestClose(parent));
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_TRUE(IsWindow(parent));
}

TEST_F(UserInput, MinimiseAndRestoreWorkAlsoWhileDisabled) {
  EnableWindow(parent, FALSE);
  EXPECT_TRUE(headless::minimize(parent));
  EXPECT_TRUE(IsIconic(parent));
  EXPECT_TRUE(headless::isMinimized(parent));
  EXPECT_TRUE(headless::restore(parent));
  EXPECT_FALSE(IsIconic(parent));
}

TEST_F(UserInput, ControlsOfMinimisedWindowTakeNoClick) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  headless::minimize(parent);
  EXPECT_FALSE(headless::click(button));
}

// Ten pixels per character: twelve characters fill a control 120 pixels wide.
int tenPixelsEach(HWND, std::string_view text) { return static_cast<int>(text.size()) * 10; }

TEST_F(UserInput, TypingPastRightEdgeOfNonScrollingEditIsTakenBack) {
  headless::measureText(tenPixelsEach);
  HWND edit = createControl("EDIT", ES_LEFT);
  ASSERT_EQ(120, headless::clientSize(edit).cx);
  headless::typeText(edit, "/media/cdrom/");
  headless::dispatchPending();
  EXPECT_EQ("/media/cdrom", headless::text(edit));
  std::vector<Row> rows = recorder().take();
  ASSERT_LE(3u, rows.size());
  std::vector<Row> last(rows.end() - 3, rows.end());
  EXPECT_EQ((std::vector<Row>{command(EN_MAXTEXT, edit), command(EN_UPDATE, edit),
                              command(EN_CHANGE, edit)}),
            last);
}

TEST_F(UserInput, PastedTextIsCutAtRightEdgeOfNonScrollingEdit) {
  headless::measureText(tenPixelsEach);
  HWND edit = createControl("EDIT", ES_LEFT);
  headless::replaceText(edit, "/home/user/rescued/files");
  headless::dispatchPending();
  EXPECT_EQ("/home/user/r", headless::text(edit));
}

TEST_F(UserInput, ProgramTextIsNotCutAtRightEdge) {
  headless::measureText(tenPixelsEach);
  HWND edit = createControl("EDIT", ES_LEFT);
  SetWindowTextA(edit, "/home/user/rescued/files");
  EXPECT_EQ("/home/user/rescued/files", headless::text(edit));
}

TEST_F(UserInput, ScrollingEditTakesTextOfAnyWidth) {
  headless::measureText(tenPixelsEach);
  HWND edit = createControl("EDIT", ES_AUTOHSCROLL);
  headless::typeText(edit, "/home/user/rescued/files");
  headless::dispatchPending();
  EXPECT_EQ("/home/user/rescued/files", headless::text(edit));
}

// A program's loop, as the main block runs it.
int runProgramLoop() {
  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) != 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

TEST_F(UserInput, ScriptedActionsRunWhenLoopWaits) {
  HWND edit = createControl("EDIT", ES_LEFT);
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  std::string textAtClick;
  recorder().onMessage = [&](HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) textAtClick = headless::text(edit);
    if (message == WM_DESTROY && window == parent) PostQuitMessage(0);
  };
  headless::script({[&] { headless::typeText(edit, "src"); }, [&] { headless::click(button); },
                    [&] { headless::requestClose(parent); }});
  EXPECT_EQ(0, runProgramLoop());
  EXPECT_EQ("src", textAtClick);
  EXPECT_EQ(0u, headless::actionsLeft());
}

TEST_F(UserInput, ScriptedActionRefusedByDisabledWindowLetsNextOneRun) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  EnableWindow(button, FALSE);
  recorder().onMessage = [&](HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_DESTROY && window == parent) PostQuitMessage(3);
  };
  headless::script(
      {[&] { EXPECT_FALSE(headless::click(button)); }, [&] { headless::requestClose(parent); }});
  EXPECT_EQ(3, runProgramLoop());
}

using UserInputDeathTest = UserInput;

TEST_F(UserInputDeathTest, LoopWaitingWithoutActionLeftEndsProgram) {
  headless::script({[] {}});
  EXPECT_DEATH(runProgramLoop(), "no action left");
}

}  // namespace
