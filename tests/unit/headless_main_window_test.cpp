// A window built like the program's main window, control by control from its layout table, and
// driven as a user drives it: typing a source, ticking options, clicking Copy, closing. The
// program's own code is not used: the window system alone must carry this window.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "tests/unit/headless_fixture.h"

namespace {

using user32_test::command;
using user32_test::recorder;
using user32_test::Row;

constexpr DWORD kMainWindowStyle = 0x10CA0000;  // WS_VISIBLE|WS_CAPTION|WS_SYSMENU|WS_MINIMIZEBOX
constexpr DWORD kPushButton = 0x40030300;       // WS_CHILD|WS_GROUP|WS_TABSTOP|BS_CENTER
constexpr DWORD kCheckBox = 0x40030003;         // WS_CHILD|WS_GROUP|WS_TABSTOP|BS_AUTOCHECKBOX
constexpr DWORD kLabel = 0x40000000;            // WS_CHILD
constexpr DWORD kEditBox = 0x40020000;          // WS_CHILD|WS_GROUP
constexpr DWORD kResultBox = 0x403100C4;        // ...|ES_MULTILINE|ES_AUTOVSCROLL|ES_AUTOHSCROLL
constexpr DWORD kControlParent = 0x10000;       // WS_EX_CONTROLPARENT
constexpr DWORD kEditExStyle = 0x10200;         // WS_EX_CONTROLPARENT|WS_EX_CLIENTEDGE

enum Font { plain, title, button, byline, setup, result };

struct Control {
  const char* className;
  DWORD style;
  DWORD exStyle;
  const char* caption;
  int x, y, width, height;
  Font font;
};

// The main window's controls in creation order.
constexpr std::array<Control, 29> kControls{{
    {"EDIT", kResultBox, kControlParent, "", 10, 150, 370, 200, plain},
    {"EDIT", kEditBox, kEditExStyle, "", 10, 20, 300, 20, plain},
    {"EDIT", kEditBox, kEditExStyle, "", 10, 70, 300, 20, plain},
    {"STATIC", kLabel, kControlParent, "by Tandrel software", 400, 410, 200, 14, byline},
    {"STATIC", kLabel, kControlParent, "Source files", 10, 5, 300, 15, plain},
    {"STATIC", kLabel, kControlParent, "Destiny folder", 10, 55, 300, 15, plain},
    {"STATIC", kLabel, kControlParent, "Ready", 10, 375, 360, 15, plain},
    {"STATIC", kLabel, kControlParent, "", 10, 390, 390, 15, plain},
    {"STATIC", kLabel, kControlParent, "Setup", 400, 6, 240, 15, setup},
    {"STATIC", kLabel, kControlParent, "", 10, 405, 360, 15, plain},
    {"STATIC", kLabel, kControlParent, "version v3.65", 400, 424, 200, 15, plain},
    {"STATIC", kLabel, kControlParent, "sorvel", 400, 385, 70, 25, title},
    {"STATIC", kLabel, kControlParent, "Kestravel", 470, 392, 60, 15, plain},
    {"STATIC", kLabel, kControlParent, "Result", 10, 132, 300, 15, result},
    {"STATIC", kLabel, kControlParent, "State", 10, 362, 360, 15, plain},
    {"BUTTON", kPushButton, kControlParent, "Copy", 10, 100, 60, 20, button},
    {"BUTTON", kPushButton, kControlParent, "Browse", 320, 20, 60, 20, plain},
    {"BUTTON", kPushButton, kControlParent, "Browse", 320, 70, 60, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Enable logging", 400, 20, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Overwrite log", 400, 40, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Display progress", 400, 60, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Show file details", 400, 80, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Verify copied data", 400, 100, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Recognize medium", 400, 120, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Force faster copying", 400, 140, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Force file access", 400, 160, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Enable print result", 400, 180, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Halt on first error", 400, 200, 240, 20, plain},
    {"BUTTON", kCheckBox, kControlParent, "Save settings", 400, 220, 240, 20, plain},
}};

// Indexes of the controls a test drives.
constexpr std::size_t kResultBoxAt = 0;
constexpr std::size_t kSourceEditAt = 1;
constexpr std::size_t kStateLine3At = 9;
constexpr std::size_t kCopyButtonAt = 15;
constexpr std::size_t kEnableLogAt = 18;
constexpr std::size_t kSaveSettingsAt = 28;

// Height, width, weight and underline of the six fonts, face "MS Sans Serif".
constexpr std::array<std::array<LONG, 4>, 6> kFonts{{{7, 5, 0, 0},
                                                     {24, 24, 1200, 0},
                                                     {9, 8, 1200, 0},
                                                     {7, 5, 900, 0},
                                                     {7, 5, 0, 1},
                                                     {16, 15, 500, 0}}};

class MainWindowLayout : public headless_test::HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    mainWindow = CreateWindowExA(0, user32_test::kRecordingClass, "sorvel", kMainWindowStyle,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 530, 472, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    created.push_back(mainWindow);
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    for (const auto& font : kFonts) fonts.push_back(createFont(font));
    for (const Control& control : kControls) controls.push_back(createControl(control));
    EnableWindow(controls[kResultBoxAt], FALSE);
    recorder().take();
  }
  void TearDown() override {
    HeadlessWindowTest::TearDown();
    for (HFONT font : fonts) DeleteObject(font);
  }
  static HFONT createFont(const std::array<LONG, 4>& values) {
    LOGFONTA description = {};
    description.lfHeight = values[0];
    description.lfWidth = values[1];
    description.lfWeight = values[2];
    description.lfUnderline = static_cast<BYTE>(values[3]);
    description.lfQuality = PROOF_QUALITY;
    std::strncpy(description.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&description);
  }
  HWND createControl(const Control& control) {
    HWND handle = CreateWindowExA(
        control.exStyle, control.className, control.caption, control.style, control.x, control.y,
        control.width, control.height, mainWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(handle, SW_SHOW);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[control.font]), 1);
    return handle;
  }
  // The program's loop until the quit message; returns its exit code.
  static int runLoop() {
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
  }
  HWND mainWindow = nullptr;
  std::vector<HFONT> fonts;
  std::vector<HWND> controls;
};

TEST_F(MainWindowLayout, EveryControlHasClassStylePlaceAndCaptionOfTable) {
  ASSERT_EQ(controls, headless::children(mainWindow));
  for (std::size_t at = 0; at < kControls.size(); ++at) {
    const Control& control = kControls[at];
    HWND handle = controls[at];
    EXPECT_EQ(control.className, headless::windowClass(handle)) << at;
    EXPECT_EQ(control.style | WS_VISIBLE, headless::styleOf(handle) & ~WS_DISABLED) << at;
    EXPECT_EQ(control.exStyle, headless::exStyleOf(handle)) << at;
    const RECT rect = headless::rectOf(handle);
    EXPECT_EQ(control.x, rect.left) << at;
    EXPECT_EQ(control.y, rect.top) << at;
    EXPECT_EQ(control.width, rect.right - rect.left) << at;
    EXPECT_EQ(control.height, rect.bottom - rect.top) << at;
    EXPECT_EQ(control.caption, headless::text(handle)) << at;
    EXPECT_TRUE(headless::isVisible(handle)) << at;
  }
}

TEST_F(MainWindowLayout, EveryControlShowsItsFont) {
  for (std::size_t at = 0; at < kControls.size(); ++at) {
    const std::optional<LOGFONTA> font = headless::fontOf(controls[at]);
    ASSERT_TRUE(font.has_value()) << at;
    const auto& expected = kFonts[kControls[at].font];
    EXPECT_EQ(expected[0], font->lfHeight) << at;
    EXPECT_EQ(expected[2], font->lfWeight) << at;
    EXPECT_EQ(expected[3], font->lfUnderline) << at;
    EXPECT_STREQ("MS Sans Serif", font->lfFaceName) << at;
  }
}

TEST_F(MainWindowLayout, OnlyResultBoxStartsDisabledAndUnchecked) {
  for (std::size_t at = 0; at < kControls.size(); ++at) {
    EXPECT_EQ(at != kResultBoxAt, headless::takesInput(controls[at])) << at;
    EXPECT_FALSE(headless::isChecked(controls[at])) << at;
  }
}

TEST_F(MainWindowLayout, ProgramLineInResultBoxReportsOneChangePerCharacter) {
  HWND resultBox = controls[kResultBoxAt];
  for (char character : std::string("Ready\r")) {
    SendMessageA(resultBox, WM_CHAR, static_cast<unsigned char>(character), 0);
  }
  UpdateWindow(resultBox);
  ShowWindow(resultBox, SW_SHOW);
  EXPECT_EQ("Ready\r\n", headless::text(resultBox));
  std::vector<Row> rows = recorder().take();
  EXPECT_EQ(12u, rows.size());
  for (std::size_t at = 0; at < rows.size(); at += 2) {
    EXPECT_EQ(command(EN_UPDATE, resultBox), rows[at]);
    EXPECT_EQ(command(EN_CHANGE, resultBox), rows[at + 1]);
  }
  EXPECT_FALSE(headless::typeText(resultBox, "user"));
}

TEST_F(MainWindowLayout, ProgressBarPixelsAreReadBack) {
  HDC dc = GetDC(mainWindow);
  for (int y = 420; y < 428; ++y) {
    for (int x = 10; x < 313; ++x) SetPixel(dc, x, y, RGB(255, 255, 255));
  }
  for (int y = 420; y < 428; ++y) {
    for (int x = 10; x < 13; ++x) SetPixel(dc, x, y, RGB(0, 0, 98));
  }
  ReleaseDC(mainWindow, dc);
  EXPECT_EQ(RGB(0, 0, 98), headless::pixel(mainWindow, 10, 420));
  EXPECT_EQ(RGB(0, 0, 98), headless::pixel(mainWindow, 12, 427));
  EXPECT_EQ(RGB(255, 255, 255), headless::pixel(mainWindow, 13, 420));
  EXPECT_EQ(RGB(255, 255, 255), headless::pixel(mainWindow, 312, 427));
  EXPECT_EQ(RGB(192, 192, 192), headless::pixel(mainWindow, 313, 427));
  EXPECT_EQ(RGB(192, 192, 192), headless::pixel(mainWindow, 10, 428));
}

TEST_F(MainWindowLayout, UserSessionTypesTicksCopiesAndClosesWithExitCodeZero) {
  HWND source = controls[kSourceEditAt];
  HWND copy = controls[kCopyButtonAt];
  HWND enableLog = controls[kEnableLogAt];
  HWND saveSettings = controls[kSaveSettingsAt];
  std::string sourceAtCopy;
  bool logCheckedAtCopy = false;
  recorder().onMessage = [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        reinterpret_cast<HWND>(lParam) == copy) {
      sourceAtCopy = headless::text(source);
      logCheckedAtCopy = SendMessageA(enableLog, BM_GETCHECK, 0, 0) == BST_CHECKED;
      SetWindowTextA(controls[kStateLine3At], "100%");
    }
    if (message == WM_DESTROY && window == mainWindow) PostQuitMessage(0);
  };
  headless::script({[&] { headless::typeText(source, "/media/cdrom/*.*"); },
                    [&] { headless::click(enableLog); }, [&] { headless::click(saveSettings); },
                    [&] { headless::click(saveSettings); }, [&] { headless::click(copy); },
                    [&] { headless::requestClose(mainWindow); }});
  EXPECT_EQ(0, runLoop());
  EXPECT_EQ("/media/cdrom/*.*", sourceAtCopy);
  EXPECT_TRUE(logCheckedAtCopy);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_EQ(0u, headless::actionsLeft());
}

TEST_F(MainWindowLayout, DisabledWindowRefusesCloseAndClicksUntilEnabled) {
  HWND copy = controls[kCopyButtonAt];
  EnableWindow(mainWindow, FALSE);
  EXPECT_FALSE(headless::requestClose(mainWindow));
  EXPECT_FALSE(headless::click(copy));
  EXPECT_FALSE(headless::typeText(controls[kSourceEditAt], "x"));
  headless::dispatchPending();
  EXPECT_TRUE(IsWindow(mainWindow));
  EnableWindow(mainWindow, TRUE);
  recorder().take();
  EXPECT_TRUE(headless::click(copy));
  headless::dispatchPending();
  EXPECT_EQ(std::vector<Row>{command(BN_CLICKED, copy)}, recorder().take());
}

}  // namespace
