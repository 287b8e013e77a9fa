// The fixture of the copyOneFile tests: a temporary folder with a source and a destination folder,
// a main window with a result box and a recording stateLine3 (headless), the log in the temporary
// folder, and readers for what the user sees afterwards: the copy, the result box, the percentages
// shown, the progress bar and the log's entries.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "tests/file_contents.h"

namespace copytest {

inline constexpr std::uint32_t kSeed = 20240607;
inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 560;
inline constexpr COLORREF kDarkBlue = RGB(0, 0, 98);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);

// One entry of the log as a reader sees it: its kind (by colour) and its text.
struct LogLine {
  LogEntryKind kind;
  std::string text;
  bool operator==(const LogLine&) const = default;
};

inline void PrintTo(const LogLine& line, std::ostream* out) {
  static const char* const kNames[] = {"plain", "error", "warning", "notice"};
  *out << kNames[line.kind] << " \"" << line.text << "\"";
}

// What the windows saw during a copy: the texts given to stateLine3, the progress bar's top row
// at each of them ('B' dark blue, 'W' white, '.' anything else), and EN_CHANGE reports.
struct Recorded {
  std::vector<std::string> stateTexts;
  std::vector<std::string> barRows;
  int editChanges = 0;
};
inline Recorded recorded;

// Called after each text given to stateLine3 is recorded, while the copy runs; empty for none.
inline std::function<void()> onStateText;

// Called for each EN_CHANGE the main window receives (a character typed into the result box), as
// the program's window procedure answers it with readCheckBoxes; empty for none.
inline std::function<void()> onEditChange;

// Returns the progress bar's top row as letters, one per column from the bar's left end.
inline std::string barRow(int row = kProgressBarTop) {
  std::string letters;
  for (int x = kProgressBarLeft; x < kProgressBarRight; ++x) {
    COLORREF colour = headless::pixel(mainWindow, x, row);
    letters += colour == kDarkBlue ? 'B' : colour == kWhite ? 'W' : '.';
  }
  return letters;
}

// Returns a bar row with columns [from, to) of the bar (client coordinates) set to `letter`.
inline std::string withColumns(std::string row, int from, int to, char letter) {
  for (int x = from; x < to; ++x) row[x - kProgressBarLeft] = letter;
  return row;
}

inline LRESULT CALLBACK recordingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    ++recorded.editChanges;
    if (onEditChange) onEditChange();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline LRESULT CALLBACK recordingStateProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_SETTEXT && window == stateLine3 && stateLine3 != nullptr) {
    recorded.stateTexts.emplace_back(reinterpret_cast<const char*>(lParam));
    recorded.barRows.push_back(barRow());
    if (onStateText) onStateText();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class CopyOneFile : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::install();
    faults::reset();
    recorded = Recorded{};
    onStateText = nullptr;
    onEditChange = nullptr;
    copyByteByByte = false;
    copyBlockBytes = kCopyBlockBytes;
    firstCopyBlockBytes = kFirstCopyBlockBytes;
    // In memory where the machine has such a folder: verification flushes the copy before every
    // read-back, which costs milliseconds a byte on a disk when the byte steps verify.
    std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    pattern += "/sorvel-copy-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    root_ = pattern;
    std::filesystem::create_directory(root_ + "/source");
    std::filesystem::create_directory(root_ + "/destination");
    createWindows();
    setDefaultSettings();
    settings.enableLog = true;
    settings.rewriteLog = true;
    settings.logFileName = text(root_ + "/log.htm");
    openLog();
    logStart_ = std::filesystem::file_size(root_ + "/log.htm");
    sourceFolderPath = root_ + "/source/";
    destinationFolderPath = root_ + "/destination";
    sourceFolder = text(sourceFolderPath);
    destinationFolder = text(destinationFolderPath);
    readDepth = settings.depthRead;
    writeDepth = settings.depthWrite;
    textLike = false;
    copyRandom.seed(kSeed);
  }

  void TearDown() override {
    onStateText = nullptr;
    onEditChange = nullptr;
    copyByteByByte = false;
    copyBlockBytes = kCopyBlockBytes;
    firstCopyBlockBytes = kFirstCopyBlockBytes;
    faults::disarm();
    headless::reset();
    mainWindow = resultBox = stateLine3 = nullptr;
    std::filesystem::remove_all(root_);
    if (!diskRoot_.empty()) std::filesystem::remove_all(diskRoot_);
  }

  // The main window (grey background), the result box and a stateLine3 that records its texts.
  void createWindows() {
    WNDCLASSA mainClass = {};
    mainClass.lpfnWndProc = recordingMainProc;
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.lpszClassName = "sorvel";
    ASSERT_NE(0, RegisterClassA(&mainClass));
    WNDCLASSA stateClass = {};
    stateClass.lpfnWndProc = recordingStateProc;
    stateClass.lpszClassName = "recording state line";
    ASSERT_NE(0, RegisterClassA(&stateClass));
    mainWindow = CreateWindowExA(0, "sorvel", "sorvel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 kWindowWidth, kWindowHeight, nullptr, nullptr, nullptr, nullptr);
    // Disabled, not read-only: a read-only edit control refuses WM_CHAR.
    resultBox = CreateWindowExA(0, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_MULTILINE | ES_AUTOVSCROLL,
                                10, 10, 300, 200, mainWindow, nullptr, nullptr, nullptr);
    stateLine3 = CreateWindowExA(0, "recording state line", "", WS_CHILD | WS_VISIBLE, 10, 400, 300,
                                 16, mainWindow, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, mainWindow);
    ASSERT_NE(nullptr, resultBox);
    ASSERT_NE(nullptr, stateLine3);
  }

  std::string sourcePathOf(const std::string& name) const { return sourceFolderPath + name; }

  // Moves the source folder to a fresh folder on a disk (a file system on a block device), where
  // failed stretches are read past the cache. Returns false when the machine has no such folder.
  bool useSourceOnDisk() {
    std::string pattern = "/var/tmp/sorvel-disk-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return false;
    diskRoot_ = pattern;
    UINT type = GetDriveTypeA((diskRoot_ + "/").c_str());
    sourceFolderPath = diskRoot_ + "/";
    sourceFolder = text(sourceFolderPath);
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE;
  }
  std::string destinationPathOf(const std::string& name) const {
    return root_ + "/destination/" + name;
  }
  // The name the copy of `name` is written under until it is done: faults on the destination's
  // writes and closes are armed on it.
  std::string partPathOf(const std::string& name) const {
    return destinationPathOf(name) + std::string(kPartSuffix);
  }
  // The map beside that temporary name.
  std::string mapPathOf(const std::string& name) const {
    return destinationPathOf(name) + std::string(kMapSuffix);
  }

  // Writes a source file of `name` holding `bytes`.
  void writeSource(const std::string& name, const std::string& bytes) const {
    std::ofstream(sourcePathOf(name), std::ios::binary) << bytes;
  }

  // Returns the bytes 0, 1, 2, ... of a source of `size` bytes, none of them 0 or 255.
  static std::string patternBytes(std::size_t size) {
    std::string bytes;
    for (std::size_t index = 0; index < size; ++index) bytes += static_cast<char>(1 + index % 253);
    return bytes;
  }

  // Returns the whole content of a file.
  static std::string contentOf(const std::string& path) { return test_files::readWhole(path); }

  // Returns the bytes of the copy of `name`: under its real name, or under its temporary name
  // where it kept that (a copy that stopped at a byte it could not write).
  std::string destinationContent(const std::string& name) const {
    if (!std::filesystem::exists(destinationPathOf(name))) return contentOf(partPathOf(name));
    return contentOf(destinationPathOf(name));
  }

  // Sets currentName and currentSize for the source `name` and runs copyOneFile.
  void copy(const std::string& name) {
    currentName = text(name);
    currentSize = static_cast<std::int64_t>(std::filesystem::file_size(sourcePathOf(name)));
    copyOneFile();
  }

  // Writes a source of `name` with `bytes` and copies it.
  void copy(const std::string& name, const std::string& bytes) {
    writeSource(name, bytes);
    copy(name);
  }

  // Returns the entries written to the log since the fixture opened it, in order.
  std::vector<LogLine> logEntries() const {
    std::string log = contentOf(root_ + "/log.htm").substr(logStart_);
    std::vector<LogLine> entries;
    std::string prefix = "<FONT FACE=" + toString(settings.htmlFont) +
                         " SIZE=" + toString(decimalText(settings.fontSizeHtmlLog)) + " COLOR=#";
    const std::string linked = " </FONT><A HREF=";
    const std::string plainEnd = "</FONT><BR>";
    std::size_t start = 0;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::string line = log.substr(start, end - start);
      if (line.rfind(prefix, 0) != 0) continue;
      std::string colour = line.substr(prefix.size(), 6);
      std::string rest = line.substr(prefix.size() + 7);
      std::size_t cut = rest.find(linked);
      if (cut == std::string::npos) cut = rest.rfind(plainEnd);
      entries.push_back({kindOfColour(colour), rest.substr(0, cut)});
    }
    return entries;
  }

  static LogEntryKind kindOfColour(const std::string& colour) {
    if (colour == toString(settings.errorColorHtmlLog)) return LogEntryKind::error;
    if (colour == toString(settings.warningColorHtmlLog)) return LogEntryKind::warning;
    if (colour == toString(settings.noticeColorHtmlLog)) return LogEntryKind::notice;
    return LogEntryKind::plain;
  }

  // The text of the result box.
  static std::string console() { return headless::text(resultBox); }

  std::string root_;
  std::string diskRoot_;  // the source folder on a disk, when a test asked for one
  std::uintmax_t logStart_ = 0;
};

}  // namespace copytest
