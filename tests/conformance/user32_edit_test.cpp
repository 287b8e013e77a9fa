// EDIT controls as a program sees them: characters sent with WM_CHAR, WM_SETTEXT, the text
// limit, and the notifications the parent receives before SendMessageA returns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/user32_message_recorder.h"

namespace {

using user32_test::command;
using user32_test::recorder;
using user32_test::Row;

constexpr DWORD kMultiLine = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL;
constexpr int kEditId = 7;

class EditControl : public user32_test::RecordingWindowTest {
 protected:
  HWND multiLine() { return createControl("EDIT", kMultiLine, "", nullptr, kEditId); }
  HWND singleLine() { return createControl("EDIT", ES_LEFT, "", nullptr, kEditId); }
  static void sendChar(HWND edit, char character) {
    SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(character), 0);
  }
  static std::vector<Row> changeRows(HWND edit) {
    return {command(EN_UPDATE, edit), command(EN_CHANGE, edit)};
  }
};

TEST_F(EditControl, EachCharacterSentToDisabledMultiLineEditIsInsertedAndReportedAtOnce) {
  HWND edit = multiLine();
  EnableWindow(edit, FALSE);
  recorder().take();
  for (char character : std::string("abc")) {
    sendChar(edit, character);
    EXPECT_EQ(changeRows(edit), recorder().take()) << "after '" << character << "'";
  }
  EXPECT_EQ("abc", textOf(edit));
}

TEST_F(EditControl, NotificationCarriesControlIdentifierAndHandle) {
  HWND edit = singleLine();
  WPARAM seenWParam = 0;
  LPARAM seenLParam = 0;
  recorder().onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
      seenWParam = wParam;
      seenLParam = lParam;
    }
  };
  sendChar(edit, 'x');
  EXPECT_EQ(MAKEWPARAM(kEditId, EN_CHANGE), seenWParam);
  EXPECT_EQ(reinterpret_cast<LPARAM>(edit), seenLParam);
}

TEST_F(EditControl, CarriageReturnStartsNewLineInMultiLineEdit) {
  HWND edit = multiLine();
  for (char character : std::string("a\rb")) sendChar(edit, character);
  EXPECT_EQ("a\r\nb", textOf(edit));
  EXPECT_EQ(2, SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
}

TEST_F(EditControl, CarriageReturnChangesNothingInSingleLineEdit) {
  HWND edit = singleLine();
  sendChar(edit, 'a');
  recorder().take();
  sendChar(edit, '\r');
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_EQ("a", textOf(edit));
}

TEST_F(EditControl, BackspaceRemovesCharacterBeforeCaret) {
  HWND edit = multiLine();
  for (char character : std::string("ab\r")) sendChar(edit, character);
  sendChar(edit, '\b');
  EXPECT_EQ("ab", textOf(edit));
  recorder().take();
  sendChar(edit, '\b');
  EXPECT_EQ("a", textOf(edit));
  EXPECT_EQ(changeRows(edit), recorder().take());
}

TEST_F(EditControl, SetTextOnMultiLineEditReportsNothing) {
  HWND edit = multiLine();
  recorder().take();
  EXPECT_TRUE(SetWindowTextA(edit, "line one\r\nline two"));
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_EQ("line one\r\nline two", textOf(edit));
}

TEST_F(EditControl, SetTextOnSingleLineEditReportsChangeEvenForSameText) {
  HWND edit = singleLine();
  recorder().take();
  SetWindowTextA(edit, "path");
  EXPECT_EQ(changeRows(edit), recorder().take());
  SetWindowTextA(edit, "path");
  EXPECT_EQ(changeRows(edit), recorder().take());
}

TEST_F(EditControl, SetTextPutsCaretAtStart) {
  HWND edit = singleLine();
  SetWindowTextA(edit, "tail");
  DWORD start = 99;
  DWORD end = 99;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(0u, start);
  EXPECT_EQ(0u, end);
  sendChar(edit, 'x');
  EXPECT_EQ("xtail", textOf(edit));
}

TEST_F(EditControl, CharacterReplacesSelection) {
  HWND edit = singleLine();
  SetWindowTextA(edit, "old text");
  SendMessageA(edit, EM_SETSEL, 0, -1);
  sendChar(edit, 'n');
  EXPECT_EQ("n", textOf(edit));
}

TEST_F(EditControl, ReplaceSelectionReportsChange) {
  HWND edit = multiLine();
  SetWindowTextA(edit, "abc");
  SendMessageA(edit, EM_SETSEL, 1, 2);
  recorder().take();
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("XYZ"));
  EXPECT_EQ("aXYZc", textOf(edit));
  EXPECT_EQ(changeRows(edit), recorder().take());
}

TEST_F(EditControl, DefaultTextLimitIs30000) {
  EXPECT_EQ(30000, SendMessageA(singleLine(), EM_GETLIMITTEXT, 0, 0));
  EXPECT_EQ(30000, SendMessageA(multiLine(), EM_GETLIMITTEXT, 0, 0));
}

TEST_F(EditControl, CharacterPastLimitIsRefusedWithMaxTextBeforeChangeReport) {
  HWND edit = multiLine();
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  for (char character : std::string("ab")) sendChar(edit, character);
  recorder().take();
  sendChar(edit, 'c');  // fills the limit exactly: a change, no EN_MAXTEXT
  EXPECT_EQ(changeRows(edit), recorder().take());
  sendChar(edit, 'd');
  std::vector<Row> expected = {command(EN_MAXTEXT, edit), command(EN_UPDATE, edit),
                               command(EN_CHANGE, edit)};
  EXPECT_EQ(expected, recorder().take());
  EXPECT_EQ("abc", textOf(edit));
}

TEST_F(EditControl, DefaultLimitRefusesThe30001stCharacter) {
  HWND edit = multiLine();
  SetWindowTextA(edit, std::string(29999, 'a').c_str());
  sendChar(edit, 'b');
  EXPECT_EQ(30000, GetWindowTextLengthA(edit));
  recorder().take();
  sendChar(edit, 'c');
  EXPECT_EQ(command(EN_MAXTEXT, edit), recorder().take().at(0));
  EXPECT_EQ(30000, GetWindowTextLengthA(edit));
}

TEST_F(EditControl, TextPastLimitIsCutToWhatFits) {
  HWND edit = singleLine();
  SendMessageA(edit, EM_LIMITTEXT, 5, 0);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("abc"));
  std::string textAtMaxText;
  recorder().onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_MAXTEXT) textAtMaxText = textOf(edit);
  };
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("defg"));
  EXPECT_EQ("abc", textAtMaxText);
  EXPECT_EQ("abcde", textOf(edit));
}

TEST_F(EditControl, SetTextIgnoresLimit) {
  HWND edit = singleLine();
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  SetWindowTextA(edit, "longer than three");
  EXPECT_EQ("longer than three", textOf(edit));
}

TEST_F(EditControl, CreationTextIsKeptWithoutReportAndCaretAtStart) {
  HWND edit = createControl("EDIT", ES_LEFT, "preset", nullptr, kEditId);
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_EQ("preset", textOf(edit));
  EXPECT_EQ(MAKELONG(0, 0), SendMessageA(edit, EM_GETSEL, 0, 0));
}

TEST_F(EditControl, CaretFollowsTypedCharacters) {
  HWND edit = multiLine();
  for (char character : std::string("ab\r")) sendChar(edit, character);
  EXPECT_EQ(MAKELONG(4, 4), SendMessageA(edit, EM_GETSEL, 0, 0));
}

TEST_F(EditControl, BackspaceAtStartReportsNothing) {
  HWND edit = singleLine();
  recorder().take();
  sendChar(edit, '\b');
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
}

TEST_F(EditControl, EmptyReplacementWithoutSelectionReportsNothing) {
  HWND edit = singleLine();
  recorder().take();
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
}

TEST_F(EditControl, FocusIsReportedToParent) {
  HWND edit = singleLine();
  recorder().take();
  SetFocus(edit);
  EXPECT_EQ(edit, GetFocus());
  SetFocus(parent);
  EXPECT_EQ((std::vector<Row>{command(EN_SETFOCUS, edit), command(EN_KILLFOCUS, edit)}),
            recorder().take());
}

TEST_F(EditControl, DisablingFocusedEditTakesFocusAway) {
  HWND edit = singleLine();
  SetFocus(edit);
  recorder().take();
  EnableWindow(edit, FALSE);
  EXPECT_NE(edit, GetFocus());
  EXPECT_EQ(std::vector<Row>{command(EN_KILLFOCUS, edit)}, recorder().take());
}

}  // namespace
