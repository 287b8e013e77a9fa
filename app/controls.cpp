// The controls of the main window: the six fonts, every control with its caption, place, size and
// style, and the fonts assigned to them.
#include <cstring>

#include "app/main_window.h"

namespace {

// Every control is a child of the main window that lets the dialog manager step into it.
constexpr DWORD kControlExStyle = WS_EX_CONTROLPARENT;
constexpr DWORD kEditExStyle = WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE;

constexpr DWORD kButtonStyle = WS_CHILD | WS_GROUP | WS_TABSTOP | BS_CENTER;
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kLabelStyle = WS_CHILD | SS_LEFT;
// A single-line box without ES_AUTOHSCROLL: typing stops at the right edge.
constexpr DWORD kEditStyle = WS_CHILD | WS_GROUP;
constexpr DWORD kResultBoxStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE |
                                  ES_AUTOVSCROLL | ES_AUTOHSCROLL;

// The redraw flag of WM_SETFONT: the control repaints with its new font at once.
constexpr LPARAM kRedrawNow = 1;

constexpr const char* kFontFace = "MS Sans Serif";
constexpr std::int32_t kLightWeight = 0;
constexpr std::int32_t kByLineWeight = 900;
constexpr std::int32_t kResultWeight = 500;
constexpr std::int32_t kHeavyWeight = 1200;

// The labels that only createControls needs: their handles are kept for the font assignment.
struct LabelHandles {
  HWND byLine;
  HWND sourceCaption;
  HWND destinationCaption;
  HWND optionsCaption;
  HWND version;
  HWND productName;
  HWND author;
  HWND resultCaption;
  HWND stateCaption;
};

LabelHandles labels;

// One step of the font assignment: the control and the font it is given.
struct FontAssignment {
  HWND* control;
  HFONT* font;
};

// Creates one child control of the main window and shows it; returns its handle.
HWND createChild(DWORD exStyle, const char* className, const ShortText& caption, DWORD style,
                 std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height) {
  ZeroTerminatedText zeroCaption = zeroTerminated(caption);
  HWND control = CreateWindowExA(exStyle, className, zeroCaption.bytes, style, x, y, width, height,
                                 mainWindow, nullptr, programInstance, nullptr);
  ShowWindow(control, SW_SHOW);
  return control;
}

// Returns the version caption, "version v" + major + "." + minor.
ShortText versionCaption() {
  return text("version v") + decimalText(kMajorVersion) + text(".") + decimalText(kMinorVersion);
}

// Creates the labels in their order; sets stateLine, stateLine2, stateLine3 and `labels`.
void createLabels() {
  labels.byLine = createLabel(text("by Tandrel software"), 400, 410, 200, 14);
  labels.sourceCaption = createLabel(text("Source files"), 10, 5, 300, 15);
  labels.destinationCaption = createLabel(text("Destiny folder"), 10, 55, 300, 15);
  stateLine = createLabel(text("Ready"), 10, 375, 360, 15);
  stateLine2 = createLabel(text(""), 10, 390, 390, 15);
  labels.optionsCaption = createLabel(text("Setup"), 400, 6, 240, 15);
  stateLine3 = createLabel(text(""), 10, 405, 360, 15);
  labels.version = createLabel(versionCaption(), 400, 424, 200, 15);
  labels.productName = createLabel(text("sorvel"), 400, 385, 70, 25);
  labels.author = createLabel(text("Kestravel"), 470, 392, 60, 15);
  labels.resultCaption = createLabel(text("Result"), 10, 132, 300, 15);
  labels.stateCaption = createLabel(text("State"), 10, 362, 360, 15);
}

// Creates the three push buttons; sets copyButton and the two Browse button handles.
void createButtons() {
  copyButton = createButton(text("Copy"), 10, 100, 60, 20, true);
  browseSourceButton = createButton(text("Browse"), 320, 20, 60, 20, true);
  browseDestinationButton = createButton(text("Browse"), 320, 70, 60, 20, true);
}

// Creates the eleven check boxes, unchecked; sets their handles.
void createCheckBoxes() {
  enableLogBox = createCheckBox(text("Enable logging"), 400, 20, 240, 20);
  rewriteLogBox = createCheckBox(text("Overwrite log"), 400, 40, 240, 20);
  printProgressBox = createCheckBox(text("Display progress"), 400, 60, 240, 20);
  printDetailBox = createCheckBox(text("Show file details"), 400, 80, 240, 20);
  verifyDataBox = createCheckBox(text("Verify copied data"), 400, 100, 240, 20);
  recognizeBox = createCheckBox(text("Recognize medium"), 400, 120, 240, 20);
  enableFasterCopyBox = createCheckBox(text("Force faster copying"), 400, 140, 240, 20);
  forceAccessBox = createCheckBox(text("Force file access"), 400, 160, 240, 20);
  enableConsoleBox = createCheckBox(text("Enable print result"), 400, 180, 240, 20);
  haltOnFirstErrorBox = createCheckBox(text("Halt on first error"), 400, 200, 240, 20);
  saveSettingsBox = createCheckBox(text("Save settings"), 400, 220, 240, 20);
}

// Creates the six fonts in their order; sets the six font handles.
void createFonts() {
  plainFont = createFont(7, 5, kLightWeight, text(kFontFace), false);
  titleFont = createFont(24, 24, kHeavyWeight, text(kFontFace), false);
  buttonFont = createFont(9, 8, kHeavyWeight, text(kFontFace), false);
  bylineFont = createFont(7, 5, kByLineWeight, text(kFontFace), false);
  setupFont = createFont(7, 5, kLightWeight, text(kFontFace), true);
  resultFont = createFont(16, 15, kResultWeight, text(kFontFace), false);
}

// Sends WM_SETFONT to every control in the fixed order, each repainting at once.
void assignFonts() {
  const FontAssignment order[] = {
      {&labels.byLine, &bylineFont},
      {&labels.sourceCaption, &plainFont},
      {&labels.destinationCaption, &plainFont},
      {&stateLine, &plainFont},
      {&stateLine2, &plainFont},
      {&labels.optionsCaption, &setupFont},
      {&stateLine3, &plainFont},
      {&labels.version, &plainFont},
      {&labels.resultCaption, &resultFont},
      {&labels.stateCaption, &plainFont},
      {&labels.author, &plainFont},
      {&labels.productName, &titleFont},
      {&copyButton, &buttonFont},
      {&browseSourceButton, &plainFont},
      {&browseDestinationButton, &plainFont},
      {&sourceEdit, &plainFont},
      {&destinationEdit, &plainFont},
      {&resultBox, &plainFont},
      {&enableLogBox, &plainFont},
      {&rewriteLogBox, &plainFont},
      {&printProgressBox, &plainFont},
      {&printDetailBox, &plainFont},
      {&verifyDataBox, &plainFont},
      {&recognizeBox, &plainFont},
      {&enableConsoleBox, &plainFont},
      {&enableFasterCopyBox, &plainFont},
      {&saveSettingsBox, &plainFont},
      {&haltOnFirstErrorBox, &plainFont},
      {&forceAccessBox, &plainFont},
  };
  for (const FontAssignment& step : order) {
    SendMessageA(*step.control, WM_SETFONT, reinterpret_cast<WPARAM>(*step.font), kRedrawNow);
  }
}

}  // namespace

// Creates a push button, disabled when `enabled` is false; returns its handle.
HWND createButton(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                  std::int16_t height, bool enabled) {
  HWND button = createChild(kControlExStyle, "BUTTON", caption, kButtonStyle, x, y, width, height);
  if (!enabled) EnableWindow(button, FALSE);
  return button;
}

// Creates an automatic check box, unchecked; returns its handle.
HWND createCheckBox(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                    std::int16_t height) {
  return createChild(kControlExStyle, "BUTTON", caption, kCheckBoxStyle, x, y, width, height);
}

// Creates a left-aligned label; returns its handle.
HWND createLabel(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                 std::int16_t height) {
  return createChild(kControlExStyle, "STATIC", caption, kLabelStyle, x, y, width, height);
}

// Creates an empty, enabled single-line edit box; returns its handle. The text is given at
// creation, so no change notification reaches the window procedure before the check boxes exist.
HWND createEdit(std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height) {
  HWND edit = CreateWindowExA(kEditExStyle, "EDIT", "", kEditStyle, x, y, width, height, mainWindow,
                              nullptr, programInstance, nullptr);
  EnableWindow(edit, TRUE);
  ShowWindow(edit, SW_SHOW);
  return edit;
}

// Creates the multi-line result box, disabled so that the user cannot type into it; sets
// resultBox.
void createResultBox(std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height) {
  resultBox = createChild(kControlExStyle, "EDIT", text(""), kResultBoxStyle, x, y, width, height);
  EnableWindow(resultBox, FALSE);
  UpdateWindow(resultBox);
}

// Returns a new "proof quality" font of the given size, weight, face and underline.
HFONT createFont(std::int32_t height, std::int32_t width, std::int32_t weight,
                 const ShortText& face, bool underline) {
  LOGFONTA description;
  std::memset(&description, 0, sizeof description);
  description.lfHeight = height;
  description.lfWidth = width;
  description.lfWeight = weight;
  description.lfUnderline = underline ? 1 : 0;
  description.lfQuality = PROOF_QUALITY;
  // The face field holds at most LF_FACESIZE bytes; the rest stays zero.
  std::string_view faceBytes = view(face);
  std::memcpy(description.lfFaceName, faceBytes.data(),
              faceBytes.size() < LF_FACESIZE ? faceBytes.size() : LF_FACESIZE);
  return CreateFontIndirectA(&description);
}

// Creates every control and the fonts and assigns the fonts; sets every control and font handle.
void createControls() {
  createResultBox(10, 150, 370, 200);
  sourceEdit = createEdit(10, 20, 300, 20);
  destinationEdit = createEdit(10, 70, 300, 20);
  createLabels();
  createButtons();
  createCheckBoxes();
  createFonts();
  assignFonts();
}

// Deletes the six fonts; the handles keep their (now stale) values.
void deleteFonts() {
  DeleteObject(reinterpret_cast<HGDIOBJ>(plainFont));
  DeleteObject(reinterpret_cast<HGDIOBJ>(titleFont));
  DeleteObject(reinterpret_cast<HGDIOBJ>(buttonFont));
  DeleteObject(reinterpret_cast<HGDIOBJ>(bylineFont));
  DeleteObject(reinterpret_cast<HGDIOBJ>(setupFont));
  DeleteObject(reinterpret_cast<HGDIOBJ>(resultFont));
}
