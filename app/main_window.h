// The application shell: the main block, the main window and its controls, the status output and
// the source and destination pickers.
#pragma once

#include <cstdint>

#include "common/short_text.h"
#include "platform/winapi.h"

// The main window and every control; set once at start-up.
extern HWND mainWindow;
extern HWND sourceEdit;
extern HWND destinationEdit;
extern HWND resultBox;
extern HWND copyButton;
extern HWND browseSourceButton;
extern HWND browseDestinationButton;
extern HWND stateLine;
extern HWND stateLine2;
extern HWND stateLine3;
extern HWND enableLogBox;
extern HWND rewriteLogBox;
extern HWND printProgressBox;
extern HWND printDetailBox;
extern HWND verifyDataBox;
extern HWND recognizeBox;
extern HWND enableFasterCopyBox;
extern HWND forceAccessBox;
extern HWND enableConsoleBox;
extern HWND haltOnFirstErrorBox;
extern HWND saveSettingsBox;

// The six fonts, created by createControls and deleted by deleteFonts.
extern HFONT plainFont;
extern HFONT titleFont;
extern HFONT buttonFont;
extern HFONT bylineFont;
extern HFONT setupFont;
extern HFONT resultFont;

// The program's version, shown in the window and in the log.
inline constexpr int kMajorVersion = 3;
inline constexpr int kMinorVersion = 65;

// The progress bar's rectangle in the main window's client area and its colours.
inline constexpr int kProgressBarLeft = 10;
inline constexpr int kProgressBarTop = 420;
inline constexpr int kProgressBarRight = 313;   // one past the last column
inline constexpr int kProgressBarBottom = 428;  // one past the last row

// The program's own instance handle, as the entry point received it; set by runMainBlock.
extern HINSTANCE programInstance;

// The main block: start-up, the message loop and the end. Returns the process exit code.
int runMainBlock(HINSTANCE instance);

// Registers the window class "sorvel"; true when the platform returned an atom.
bool registerMainWindowClass();

// Creates, shows and paints the main window; returns null when creation failed.
HWND createMainWindow();

// The window procedure of the main window.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the fonts and every control, stores the handles and assigns the fonts.
void createControls();

// Deletes the six fonts.
void deleteFonts();

// The control makers used by createControls: each creates a child of mainWindow and shows it.
HWND createButton(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                  std::int16_t height, bool enabled);
HWND createCheckBox(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                    std::int16_t height);
HWND createLabel(const ShortText& caption, std::int16_t x, std::int16_t y, std::int16_t width,
                 std::int16_t height);
HWND createEdit(std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height);
void createResultBox(std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height);

// Returns a font made by the platform from the given height, width, weight, face and underline.
HFONT createFont(std::int32_t height, std::int32_t width, std::int32_t weight,
                 const ShortText& face, bool underline);

// Appends `line` as one line to the result box (nothing when enableConsole is off).
void consoleWriteLine(const ShortText& line);

// Types pendingConsoleText into the result box one character at a time.
void typePendingText();

// Fills x0..x1-1, y0..y1-1 of the main window's client area with one colour, pixel by pixel.
void drawProgressBar(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                     std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The line being typed into the result box, carriage return included.
extern ShortText pendingConsoleText;

// Shows the open-file dialog; on a non-empty pick replaces sourcePath. Returns the dialog result.
bool pickSourceFiles();

// Shows the folder browser; on a pick replaces destinationPath and returns true.
bool pickDestinationFolder();

// Click handlers of the two Browse buttons.
void onBrowseSource();
void onBrowseDestination();
