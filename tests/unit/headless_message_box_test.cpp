// MessageBoxA through the headless driver: modal for its owner, answered by the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "tests/unit/headless_fixture.h"

namespace {

using user32_test::received;
using user32_test::recorder;
using user32_test::Row;

class MessageBox : public headless_test::HeadlessWindowTest {};

TEST_F(MessageBox, ReturnsTestsAnswerAndShowsTextAndCaption) {
  headless::answerMessageBoxes(
      [](HWND, const std::string&, const std::string&, UINT) { return IDCANCEL; });
  EXPECT_EQ(IDCANCEL, MessageBoxA(parent, "Press OK to continue", "sorvel", MB_OKCANCEL));
  ASSERT_EQ(1u, headless::messageBoxCount());
  const headless::MessageBoxShown& shown = headless::messageBoxes()[0];
  EXPECT_EQ(parent, shown.owner);
  EXPECT_EQ("Press OK to continue", shown.text);
  EXPECT_EQ("sorvel", shown.caption);
  EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), shown.type);
}

TEST_F(MessageBox, WithoutAnswerFirstButtonIsChosen) {
  EXPECT_EQ(IDOK, MessageBoxA(parent, "done", "sorvel", MB_OK));
  EXPECT_EQ(IDYES, MessageBoxA(parent, "again?", "sorvel", MB_YESNO));
}

TEST_F(MessageBox, OwnerIsDisabledOnlyWhileBoxIsUp) {
  bool enabledDuringBox = true;
  headless::answerMessageBoxes([&](HWND owner, const std::string&, const std::string&, UINT) {
    enabledDuringBox = IsWindowEnabled(owner) != FALSE;
    return IDOK;
  });
  MessageBoxA(parent, "text", "caption", MB_OK);
  EXPECT_FALSE(enabledDuringBox);
  EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(MessageBox, OwnerDisabledBeforeStaysDisabled) {
  EnableWindow(parent, FALSE);
  MessageBoxA(parent, "text", "caption", MB_OK);
  EXPECT_FALSE(IsWindowEnabled(parent));
}

TEST_F(MessageBox, ClickOnOwnersButtonWhileBoxIsUpReachesNothing) {
  HWND button = createControl("BUTTON", BS_CENTER, "Copy");
  headless::answerMessageBoxes([&](HWND, const std::string&, const std::string&, UINT) {
    EXPECT_FALSE(headless::click(button));
    return IDOK;
  });
  recorder().take();
  MessageBoxA(parent, "text", "caption", MB_OK);
  headless::dispatchPending();
  EXPECT_EQ((std::vector<Row>{received(WM_ENABLE, parent), received(WM_ENABLE, parent)}),
            recorder().take());
}

TEST_F(MessageBox, BoxLoopDispatchesPaintingToOwner) {
  headless::dispatchPending();
  InvalidateRect(parent, nullptr, TRUE);
  recorder().alsoRecorded = {WM_PAINT};
  recorder().take();
  MessageBoxA(parent, "text", "caption", MB_OK);
  EXPECT_EQ((std::vector<Row>{received(WM_ENABLE, parent), received(WM_PAINT, parent),
                              received(WM_ENABLE, parent)}),
            recorder().take());
}

TEST_F(MessageBox, PostedMessagesAreDispatchedByBoxLoop) {
  PostMessageA(parent, WM_USER + 1, 0, 0);
  recorder().take();
  MessageBoxA(parent, "text", "caption", MB_OK);
  EXPECT_EQ((std::vector<Row>{received(WM_ENABLE, parent), received(WM_USER + 1, parent),
                              received(WM_ENABLE, parent)}),
            recorder().take());
}

}  // namespace
