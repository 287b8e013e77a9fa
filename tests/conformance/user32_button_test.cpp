// BUTTON controls as a program sees them: BM_CLICK, BM_SETCHECK and BM_GETCHECK, and the
// BN_CLICKED notification the parent receives.
#include <gtest/gtest.h>

#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/user32_message_recorder.h"

namespace {

using user32_test::command;
using user32_test::recorder;
using user32_test::Row;

constexpr DWORD kPushButton = WS_GROUP | WS_TABSTOP | BS_CENTER;
constexpr DWORD kAutoCheckBox = WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;

class ButtonControl : public user32_test::RecordingWindowTest {};

TEST_F(ButtonControl, ClickOnPushButtonReportsClicked) {
  HWND button = createControl("BUTTON", kPushButton, "Copy");
  recorder().take();
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<Row>{command(BN_CLICKED, button)}, recorder().take());
}

TEST_F(ButtonControl, ClickedHandlerOfAutoCheckBoxReadsNewState) {
  HWND box = createControl("BUTTON", kAutoCheckBox, "Enable logging");
  std::vector<LRESULT> statesSeen;
  recorder().onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      statesSeen.push_back(SendMessageA(box, BM_GETCHECK, 0, 0));
    }
  };
  SendMessageA(box, BM_CLICK, 0, 0);
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ((std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED}), statesSeen);
}

TEST_F(ButtonControl, SetCheckSendsNoNotification) {
  HWND box = createControl("BUTTON", kAutoCheckBox, "Save settings");
  recorder().take();
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_EQ(BST_CHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
  SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonControl, CheckBoxStartsUnchecked) {
  EXPECT_EQ(BST_UNCHECKED,
            SendMessageA(createControl("BUTTON", kAutoCheckBox, "x"), BM_GETCHECK, 0, 0));
}

TEST_F(ButtonControl, PlainCheckBoxReportsClickWithoutToggling) {
  HWND box = createControl("BUTTON", BS_CHECKBOX, "manual");
  recorder().take();
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<Row>{command(BN_CLICKED, box)}, recorder().take());
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonControl, PushButtonKeepsNoCheckState) {
  HWND button = createControl("BUTTON", kPushButton, "Browse");
  SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(button, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonControl, ButtonsAreToldApartByHandleOnly) {
  HWND first = createControl("BUTTON", kPushButton, "Browse");
  HWND second = createControl("BUTTON", kPushButton, "Browse");
  recorder().take();
  SendMessageA(second, BM_CLICK, 0, 0);
  SendMessageA(first, BM_CLICK, 0, 0);
  EXPECT_EQ((std::vector<Row>{command(BN_CLICKED, second), command(BN_CLICKED, first)}),
            recorder().take());
}

TEST_F(ButtonControl, ProgramClickWorksOnDisabledButton) {
  HWND box = createControl("BUTTON", kAutoCheckBox, "Force file access");
  EnableWindow(box, FALSE);
  recorder().take();
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<Row>{command(BN_CLICKED, box)}, recorder().take());
  EXPECT_EQ(BST_CHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
}

}  // namespace
