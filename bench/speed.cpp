// One whole copy job of the program, headless: the real main window, controls and window
// procedure on the headless driver (every character typed into the result box is answered with
// readCheckBoxes, as on the screen), the default options, the log in the current folder. The
// source and destination are typed into their edit boxes and Copy is clicked. bench/speed.sh times
// it from outside; this program only runs the job.
//
//   bench_speed [--verify] [--off OPTION]... [--line LINE]... [--byte-by-byte]
//               [--single-reads RULES] SOURCE DESTINATION
//
//   --verify         sets verifyData (its check box)
//   --line LINE      applies LINE as a line of the settings file ("sectorSize: 512"), after the
//                    defaults, in the order given
//   --off OPTION     turns off showProgressBar, enableLog or printProgress (to see what they cost)
//   --byte-by-byte   copies with the byte steps alone, as before the copy in blocks
//   --single-reads   after the run, prints "single OFFSET COUNT FILE" for every byte of the test
//                    medium's rules file RULES (lines FILE FIRST LAST MODE N; "fail" and "flaky"
//                    rules only): how many ReadFile calls of exactly one byte the program made at
//                    that byte of SOURCE's folder + FILE (the test layer counts them)
// Exit code 0 when the job ran, 2 on a usage error.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"

namespace {

// The options that --off may turn off.
const std::pair<const char*, bool Settings::*> kSwitchableOptions[] = {
    {"showProgressBar", &Settings::showProgressBar},
    {"enableLog", &Settings::enableLog},
    {"printProgress", &Settings::printProgress}};

struct Arguments {
  bool verify = false;
  std::vector<bool Settings::*> off;
  std::vector<std::string> lines;
  bool byteByByte = false;
  std::string rulesFile;
  std::string source;
  std::string destination;
};

bool parseArguments(int argc, char** argv, Arguments& arguments) {
  std::vector<std::string> positional;
  for (int index = 1; index < argc; ++index) {
    std::string argument = argv[index];
    if (argument == "--verify") {
      arguments.verify = true;
    } else if (argument == "--off" && index + 1 < argc) {
      std::string name = argv[++index];
      bool known = false;
      for (const auto& [optionName, option] : kSwitchableOptions) {
        if (name == optionName) {
          arguments.off.push_back(option);
          known = true;
        }
      }
      if (!known) return false;
    } else if (argument == "--line" && index + 1 < argc) {
      arguments.lines.push_back(argv[++index]);
    } else if (argument == "--byte-by-byte") {
      arguments.byteByByte = true;
    } else if (argument == "--single-reads" && index + 1 < argc) {
      arguments.rulesFile = argv[++index];
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 2) return false;
  arguments.source = positional[0];
  arguments.destination = positional[1];
  return true;
}

// Sets every check box as its option in `settings` says.
void pushCheckBoxes() {
  const std::pair<HWND, bool> boxes[] = {
      {enableLogBox, settings.enableLog},         {rewriteLogBox, settings.rewriteLog},
      {printProgressBox, settings.printProgress}, {printDetailBox, settings.printDetail},
      {verifyDataBox, settings.verifyData},       {recognizeBox, settings.recognize},
      {enableConsoleBox, settings.enableConsole}, {enableFasterCopyBox, settings.enableFasterCopy},
      {saveSettingsBox, settings.saveSettings},   {haltOnFirstErrorBox, settings.haltOnFirstError},
      {forceAccessBox, settings.forceAccess}};
  for (const auto& [box, checked] : boxes) {
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

// Prints the single-byte reads of every byte that the rules file names as failing or flaky.
void printSingleReads(const std::string& rulesFile, const std::string& source) {
  std::string folder = source.substr(0, source.rfind('/') + 1);
  std::ifstream rules(rulesFile);
  std::string line;
  while (std::getline(rules, line)) {
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (fields.size() != 5 || (fields[3] != "fail" && fields[3] != "flaky")) continue;
    std::int64_t first = std::stoll(fields[1]);
    std::int64_t last = std::stoll(fields[2]);
    for (std::int64_t offset = first; offset <= last; ++offset) {
      std::printf("single %lld %lld %s\n", static_cast<long long>(offset),
                  static_cast<long long>(faults::singleByteReadsAt(folder + fields[0], offset)),
                  fields[0].c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!parseArguments(argc, argv, arguments)) {
    std::fputs(
        "usage: bench_speed [--verify] [--off OPTION]... [--line LINE]... [--byte-by-byte] "
        "[--single-reads RULES] SOURCE DESTINATION\n",
        stderr);
    return 2;
  }
  headless::install();
  if (!registerMainWindowClass()) return 1;
  mainWindow = createMainWindow();
  if (mainWindow == nullptr) return 1;
  setDefaultSettings();
  createControls();
  settings.verifyData = arguments.verify;
  for (bool Settings::*option : arguments.off) settings.*option = false;
  for (const std::string& line : arguments.lines) applySettingLine(text(line));
  pushCheckBoxes();
  copyByteByByte = arguments.byteByByte;
  if (!arguments.rulesFile.empty()) faults::startCounting();
  headless::replaceText(sourceEdit, arguments.source);
  headless::replaceText(destinationEdit, arguments.destination);
  headless::dispatchPending();
  headless::click(copyButton);
  headless::dispatchPending();
  if (!arguments.rulesFile.empty()) printSingleReads(arguments.rulesFile, arguments.source);
  headless::reset();
  return 0;
}
