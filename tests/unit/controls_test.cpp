// createControls and its makers on the headless window system: every control of the main window
// with its class, style, caption, place and font, the six fonts, and deleting them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/posix/driver/driver.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

constexpr DWORD kPushButton = 0x40030300;  // WS_CHILD|WS_GROUP|WS_TABSTOP|BS_CENTER
constexpr DWORD kCheckBox = 0x40030003;    // WS_CHILD|WS_GROUP|WS_TABSTOP|BS_AUTOCHECKBOX
constexpr DWORD kLabel = 0x40000000;       // WS_CHILD
constexpr DWORD kEditBox = 0x40020000;     // WS_CHILD|WS_GROUP
constexpr DWORD kResultBox = 0x403100C4;   // WS_CHILD|WS_(V|H)SCROLL|WS_TABSTOP|ES_MULTILINE|...
constexpr DWORD kControlParent = 0x10000;  // WS_EX_CONTROLPARENT
constexpr DWORD kEditExStyle = 0x10200;    // WS_EX_CONTROLPARENT|WS_EX_CLIENTEDGE
// The states the window system adds to a style after creation.
constexpr DWORD kStateBits = WS_VISIBLE | WS_DISABLED;

struct FontSpec {
  HFONT* font;
  LONG height, width, weight;
  bool underline;
};

// The six fonts in their order of creation.
const std::array<FontSpec, 6> kFonts = {{{&plainFont, 7, 5, 0, false},
                                         {&titleFont, 24, 24, 1200, false},
                                         {&buttonFont, 9, 8, 1200, false},
                                         {&bylineFont, 7, 5, 900, false},
                                         {&setupFont, 7, 5, 0, true},
                                         {&resultFont, 16, 15, 500, false}}};

struct ControlSpec {
  const char* className;
  DWORD style;
  DWORD exStyle;
  const char* caption;
  int x, y, width, height;
  HFONT* font;
};

// The main window's controls in creation order.
const std::array<ControlSpec, 29> kControls = {{
    {"EDIT", kResultBox, kControlParent, "", 10, 150, 370, 200, &plainFont},
    {"EDIT", kEditBox, kEditExStyle, "", 10, 20, 300, 20, &plainFont},
    {"EDIT", kEditBox, kEditExStyle, "", 10, 70, 300, 20, &plainFont},
    {"STATIC", kLabel, kControlParent, "by Tandrel software", 400, 410, 200, 14, &bylineFont},
    {"STATIC", kLabel, kControlParent, "Source files", 10, 5, 300, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "Destiny folder", 10, 55, 300, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "Ready", 10, 375, 360, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "", 10, 390, 390, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "Setup", 400, 6, 240, 15, &setupFont},
    {"STATIC", kLabel, kControlParent, "", 10, 405, 360, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "version v3.65", 400, 424, 200, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "sorvel", 400, 385, 70, 25, &titleFont},
    {"STATIC", kLabel, kControlParent, "Kestravel", 470, 392, 60, 15, &plainFont},
    {"STATIC", kLabel, kControlParent, "Result", 10, 132, 300, 15, &resultFont},
    {"STATIC", kLabel, kControlParent, "State", 10, 362, 360, 15, &plainFont},
    {"BUTTON", kPushButton, kControlParent, "Copy", 10, 100, 60, 20, &buttonFont},
    {"BUTTON", kPushButton, kControlParent, "Browse", 320, 20, 60, 20, &plainFont},
    {"BUTTON", kPushButton, kControlParent, "Browse", 320, 70, 60, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Enable logging", 400, 20, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Overwrite log", 400, 40, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Display progress", 400, 60, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Show file details", 400, 80, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Verify copied data", 400, 100, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Recognize medium", 400, 120, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Force faster copying", 400, 140, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Force file access", 400, 160, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Enable print result", 400, 180, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Halt on first error", 400, 200, 240, 20, &plainFont},
    {"BUTTON", kCheckBox, kControlParent, "Save settings", 400, 220, 240, 20, &plainFont},
}};

// The global handles of the controls that have one, at their place in creation order.
std::vector<std::pair<std::size_t, HWND*>> namedControls() {
  return {{0, &resultBox},
          {1, &sourceEdit},
          {2, &destinationEdit},
          {6, &stateLine},
          {7, &stateLine2},
          {9, &stateLine3},
          {15, &copyButton},
          {16, &browseSourceButton},
          {17, &browseDestinationButton},
          {18, &enableLogBox},
          {19, &rewriteLogBox},
          {20, &printProgressBox},
          {21, &printDetailBox},
          {22, &verifyDataBox},
          {23, &recognizeBox},
          {24, &enableFasterCopyBox},
          {25, &forceAccessBox},
          {26, &enableConsoleBox},
          {27, &haltOnFirstErrorBox},
          {28, &saveSettingsBox}};
}

// What the display driver is told while the fonts are assigned: "font" or "paint" and the window.
std::vector<std::pair<std::string, HWND>> driverLog;

// The driver's font and flush hooks record into driverLog; the other hooks stay as they are.
void recordFontsAndPainting() {
  driver::Hooks hooks = driver::current();
  hooks.fontChanged = [](HWND window) { driverLog.emplace_back("font", window); };
  hooks.flush = [](HWND window) {
    if (driverLog.empty() || driverLog.back() != std::make_pair(std::string("paint"), window)) {
      driverLog.emplace_back("paint", window);
    }
  };
  driver::install(hooks);
}

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::install();
    programInstance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(registerMainWindowClass());
    mainWindow = createMainWindow();
    ASSERT_NE(nullptr, mainWindow);
    setDefaultSettings();
  }
  void TearDown() override { headless::reset(); }
};

TEST_F(Controls, EveryControlHasItsClassStyleCaptionAndPlaceInCreationOrder) {
  createControls();
  const std::vector<HWND> children = headless::children(mainWindow);
  ASSERT_EQ(kControls.size(), children.size());
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const ControlSpec& spec = kControls[i];
    HWND control = children[i];
    SCOPED_TRACE(testing::Message() << "control " << i + 1 << " \"" << spec.caption << "\"");
    EXPECT_EQ(spec.className, headless::windowClass(control));
    EXPECT_EQ(spec.style, headless::styleOf(control) & ~kStateBits);
    EXPECT_EQ(spec.exStyle, headless::exStyleOf(control));
    EXPECT_EQ(spec.caption, headless::text(control));
    const RECT place = headless::rectOf(control);
    EXPECT_EQ(spec.x, place.left);
    EXPECT_EQ(spec.y, place.top);
    EXPECT_EQ(spec.width, place.right - place.left);
    EXPECT_EQ(spec.height, place.bottom - place.top);
    EXPECT_TRUE(headless::isVisible(control));
  }
}

TEST_F(Controls, GlobalHandlesNameTheirControls) {
  createControls();
  const std::vector<HWND> children = headless::children(mainWindow);
  ASSERT_EQ(kControls.size(), children.size());
  for (const auto& [index, handle] : namedControls()) {
    EXPECT_EQ(children[index], *handle) << "control " << index + 1;
  }
}

TEST_F(Controls, FontsAreProofQualityMsSansSerifOfTheirSizes) {
  createControls();
  for (const FontSpec& spec : kFonts) {
    LOGFONTA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.lfHeight = spec.height;
    expected.lfWidth = spec.width;
    expected.lfWeight = spec.weight;
    expected.lfUnderline = spec.underline ? 1 : 0;
    expected.lfQuality = PROOF_QUALITY;
    std::strcpy(expected.lfFaceName, "MS Sans Serif");
    LOGFONTA actual;
    std::memset(&actual, 0xCC, sizeof actual);
    ASSERT_EQ(static_cast<int>(sizeof actual), GetObjectA(*spec.font, sizeof actual, &actual));
    EXPECT_EQ(0, std::memcmp(&expected, &actual, sizeof actual)) << "height " << spec.height;
  }
}

TEST_F(Controls, EachControlWearsItsFont) {
  createControls();
  const std::vector<HWND> children = headless::children(mainWindow);
  ASSERT_EQ(kControls.size(), children.size());
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    LOGFONTA wanted;
    ASSERT_NE(0, GetObjectA(*kControls[i].font, sizeof wanted, &wanted));
    const std::optional<LOGFONTA> worn = headless::fontOf(children[i]);
    ASSERT_TRUE(worn.has_value()) << "control " << i + 1;
    EXPECT_EQ(0, std::memcmp(&wanted, &*worn, sizeof wanted)) << "control " << i + 1;
  }
}

TEST_F(Controls, FontsAreAssignedInTheirOrderEachShownAtOnce) {
  // Places in creation order of the controls, in the order their fonts are assigned.
  const std::array<std::size_t, 29> order = {3,  4,  5,  6,  7,  8,  9,  10, 13, 14,
                                             12, 11, 15, 16, 17, 1,  2,  0,  18, 19,
                                             20, 21, 22, 23, 26, 24, 28, 27, 25};
  driverLog.clear();
  recordFontsAndPainting();
  createControls();
  const std::vector<HWND> children = headless::children(mainWindow);
  ASSERT_EQ(kControls.size(), children.size());
  std::vector<std::pair<std::string, HWND>> expected;
  for (std::size_t place : order) {
    expected.emplace_back("font", children[place]);
    expected.emplace_back("paint", children[place]);
  }
  std::vector<std::pair<std::string, HWND>> assigned;
  for (std::size_t i = 0; i < driverLog.size(); ++i) {
    if (driverLog[i].first != "font") continue;
    assigned.push_back(driverLog[i]);
    if (i + 1 < driverLog.size()) assigned.push_back(driverLog[i + 1]);
  }
  EXPECT_EQ(expected, assigned);
}

TEST_F(Controls, ResultBoxIsDisabledWhileTheEditBoxesTakeInput) {
  createControls();
  EXPECT_FALSE(headless::isEnabled(resultBox));
  EXPECT_TRUE(headless::takesInput(sourceEdit));
  EXPECT_TRUE(headless::takesInput(destinationEdit));
  EXPECT_TRUE(headless::takesInput(copyButton));
}

TEST_F(Controls, CheckBoxesStartUnchecked) {
  createControls();
  for (HWND box : {enableLogBox, rewriteLogBox, printProgressBox, printDetailBox, verifyDataBox,
                   recognizeBox, enableFasterCopyBox, forceAccessBox, enableConsoleBox,
                   haltOnFirstErrorBox, saveSettingsBox}) {
    EXPECT_FALSE(headless::isChecked(box)) << headless::text(box);
  }
}

TEST_F(Controls, CreatingTheControlsLeavesTheDefaultOptionsAlone) {
  // The edit boxes are given their empty text at creation, so no change notification reads the
  // (still unchecked) boxes into the options.
  createControls();
  EXPECT_TRUE(settings.enableLog);
  EXPECT_TRUE(settings.saveSettings);
  EXPECT_TRUE(settings.enableConsole);
}

TEST_F(Controls, ButtonAskedDisabledIsCreatedDisabled) {
  HWND button = createButton(text("Later"), 5, 5, 60, 20, false);
  EXPECT_FALSE(headless::isEnabled(button));
  EXPECT_TRUE(headless::isVisible(button));
}

TEST_F(Controls, FontFaceIsCutAtTheFaceFieldsSize) {
  const std::string longFace(40, 'F');
  HFONT font = createFont(10, 0, 400, text(longFace), false);
  LOGFONTA description;
  ASSERT_NE(0, GetObjectA(font, sizeof description, &description));
  EXPECT_EQ(std::string(LF_FACESIZE, 'F'), std::string(description.lfFaceName, LF_FACESIZE));
}

TEST_F(Controls, DeleteFontsDeletesAllSix) {
  createControls();
  deleteFonts();
  LOGFONTA description;
  for (const FontSpec& spec : kFonts) {
    EXPECT_EQ(0, GetObjectA(*spec.font, sizeof description, &description));
  }
  EXPECT_FALSE(headless::fontOf(copyButton).has_value());
}

}  // namespace
