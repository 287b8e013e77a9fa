// WM_SETFONT and WM_GETFONT on the system controls.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/winapi.h"
#include "tests/conformance/user32_message_recorder.h"

namespace {

class ControlFont : public user32_test::RecordingWindowTest {
 protected:
  void SetUp() override {
    RecordingWindowTest::SetUp();
    LOGFONTA description = {};
    description.lfHeight = 7;
    description.lfWidth = 5;
    std::strcpy(description.lfFaceName, "MS Sans Serif");
    font = CreateFontIndirectA(&description);
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();
    DeleteObject(font);
  }
  HFONT font = nullptr;
};

TEST_F(ControlFont, EveryControlClassKeepsItsFont) {
  for (const char* className : {"BUTTON", "STATIC", "EDIT"}) {
    HWND control = createControl(className, 0);
    EXPECT_EQ(0, SendMessageA(control, WM_GETFONT, 0, 0)) << className;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(control, WM_GETFONT, 0, 0))
        << className;
  }
}

TEST_F(ControlFont, StaticShowsItsText) {
  HWND label = createControl("STATIC", 0, "Ready");
  EXPECT_EQ("Ready", textOf(label));
  SetWindowTextA(label, "Copying");
  EXPECT_EQ("Copying", textOf(label));
}

}  // namespace
