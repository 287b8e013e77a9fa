// The handles of the main window, its controls and its fonts; set once at start-up.
#include "app/window_handles.h"

HWND mainWindow = nullptr;
HWND sourceEdit = nullptr;
HWND destinationEdit = nullptr;
HWND resultBox = nullptr;
HWND copyButton = nullptr;
HWND browseSourceButton = nullptr;
HWND browseDestinationButton = nullptr;
HWND stateLine = nullptr;
HWND stateLine2 = nullptr;
HWND stateLine3 = nullptr;
HWND enableLogBox = nullptr;
HWND rewriteLogBox = nullptr;
HWND printProgressBox = nullptr;
HWND printDetailBox = nullptr;
HWND verifyDataBox = nullptr;
HWND recognizeBox = nullptr;
HWND enableFasterCopyBox = nullptr;
HWND forceAccessBox = nullptr;
HWND enableConsoleBox = nullptr;
HWND haltOnFirstErrorBox = nullptr;
HWND saveSettingsBox = nullptr;

HFONT plainFont = nullptr;
HFONT titleFont = nullptr;
HFONT buttonFont = nullptr;
HFONT bylineFont = nullptr;
HFONT setupFont = nullptr;
HFONT resultFont = nullptr;
