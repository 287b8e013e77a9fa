// Which windows the display shows with the program's own icon: a top-level window whose class
// names the standard application icon, or no icon at all (Windows shows the application icon
// then); never a window of another standard icon, of a cursor's handle, nor a child window.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/model/window_state.h"
#include "platform/posix/model/window_system.h"
#include "platform/winapi.h"

namespace {

// Two other standard icons: the error sign (IDI_ERROR) and the Windows logo (IDI_WINLOGO).
const LPCSTR kErrorIcon = MAKEINTRESOURCEA(32513);
const LPCSTR kWindowsLogoIcon = MAKEINTRESOURCEA(32517);

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class ProgramIcon : public ::testing::Test {
 protected:
  void SetUp() override { model::resetWindowSystem(); }
  void TearDown() override { model::resetWindowSystem(); }

  // Registers a class with `icon` under a name of its own and creates a top-level window of it.
  HWND windowWithClassIcon(HICON icon) {
    const std::string name = "icon class " + std::to_string(++classes_);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = plainWindowProc;
    windowClass.lpszClassName = name.c_str();
    windowClass.hIcon = icon;
    EXPECT_NE(0, RegisterClassA(&windowClass));
    return CreateWindowExA(0, name.c_str(), "title", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  }

 private:
  int classes_ = 0;
};

TEST_F(ProgramIcon, ShownOnlyForTheApplicationIconOrNone) {
  struct Case {
    const char* what;
    HICON icon;
    bool shown;
  };
  // The arrow cursor has the same identifier as the application icon (32512), yet is no icon.
  const Case cases[] = {
      {"IDI_APPLICATION", LoadIconA(nullptr, IDI_APPLICATION), true},
      {"no icon", nullptr, true},
      {"IDI_ERROR", LoadIconA(nullptr, kErrorIcon), false},
      {"IDI_WINLOGO", LoadIconA(nullptr, kWindowsLogoIcon), false},
      {"IDC_ARROW", reinterpret_cast<HICON>(LoadCursorA(nullptr, IDC_ARROW)), false},
  };
  for (const Case& c : cases) {
    HWND window = windowWithClassIcon(c.icon);
    ASSERT_NE(nullptr, window) << c.what;
    EXPECT_EQ(c.shown, model::showsProgramIcon(window)) << c.what;
  }
}

TEST_F(ProgramIcon, NotShownForChildWindowOrInvalidHandle) {
  HWND window = windowWithClassIcon(LoadIconA(nullptr, IDI_APPLICATION));
  HWND child =
      CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, window, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, child);
  EXPECT_TRUE(model::showsProgramIcon(window));
  EXPECT_FALSE(model::showsProgramIcon(child));
  DestroyWindow(window);
  EXPECT_FALSE(model::showsProgramIcon(window));
}

}  // namespace
