// The top of the program: the main block, the main window's class and procedure, the making of
// its controls and the source and destination pickers. The handles, the status output and the
// version, which the copy, the log and the settings use too, live in headers of their own.
#pragma once

#include <cstdint>

#include "app/status_output.h"
#include "app/version.h"
#include "app/window_handles.h"
#include "common/short_text.h"
#include "platform/winapi.h"

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

// Shows the open-file dialog; on a non-empty pick replaces sourcePath. Returns the dialog result.
bool pickSourceFiles();

// Shows the folder browser; on a pick replaces destinationPath and returns true.
bool pickDestinationFolder();

// Click handlers of the two Browse buttons.
void onBrowseSource();
void onBrowseDestination();
