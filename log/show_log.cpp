// Showing the log when a run is done: the browser named in the options is started on the log and
// left to run on its own.
#include <string>
#include <string_view>

#include "log/html_log.h"
#include "log/log_internal.h"
#include "platform/winapi.h"
#include "settings/settings.h"

std::string browserCommandLine(std::string_view browser, std::string_view currentDirectory,
                               std::string_view logName) {
  std::string command(browser);
  command += ' ';
  command += currentDirectory;
  command += '/';
  command += logName;
  return command;
}

std::string currentDirectoryText() {
  // GetCurrentDirectoryA returns the length without the zero byte, or the size the buffer needs
  // (zero byte included) when it is too small, or 0 on failure. The folder may change between the
  // two calls, so it is asked again until the answer fits.
  std::string directory(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data());
    if (length == 0) return {};
    if (length < directory.size()) {
      directory.resize(length);
      return directory;
    }
    directory.resize(length);
  }
}

// Starts the browser on the log when enableLog and showLogWhenDone are on and browserPath is set:
// browserPath + " " + current directory + "/" + logFileName, started with SW_SHOWNORMAL and not
// waited for. Writes nothing into the log. Nothing is started after the log failed in this run.
void closeLog() {
  if (!settings.enableLog || logBroken) return;
  if (settings.browserPath.length == 0 || !settings.showLogWhenDone) return;
  std::string directory = currentDirectoryText();
  if (directory.empty()) return;
  std::string command =
      browserCommandLine(view(settings.browserPath), directory, view(settings.logFileName));
  WinExec(command.c_str(), SW_SHOWNORMAL);
}
