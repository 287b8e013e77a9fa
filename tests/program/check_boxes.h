// The eleven check boxes of the main window with the options they mirror, in the order
// readCheckBoxes reads them. Shared by the program tests.
#pragma once

#include <array>
#include <utility>

#include "app/main_window.h"
#include "settings/settings.h"

inline std::array<std::pair<HWND*, bool Settings::*>, 11> checkBoxes() {
  return {{{&enableLogBox, &Settings::enableLog},
           {&rewriteLogBox, &Settings::rewriteLog},
           {&printProgressBox, &Settings::printProgress},
           {&printDetailBox, &Settings::printDetail},
           {&verifyDataBox, &Settings::verifyData},
           {&recognizeBox, &Settings::recognize},
           {&enableConsoleBox, &Settings::enableConsole},
           {&enableFasterCopyBox, &Settings::enableFasterCopy},
           {&saveSettingsBox, &Settings::saveSettings},
           {&haltOnFirstErrorBox, &Settings::haltOnFirstError},
           {&forceAccessBox, &Settings::forceAccess}}};
}
