// The handles of the main window, its controls and its fonts, and the program's instance; shared
// by the window's code and by the copy job and the settings, which read and set the controls.
#pragma once

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

// The program's own instance handle, as the entry point received it; set by runMainBlock.
extern HINSTANCE programInstance;
