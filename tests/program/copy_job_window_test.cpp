// The window during and after a copy job: frozen controls, the state lines, the minimized window,
// and what the state lines and the log show of each file.
#include "platform/posix/driver/driver.h"
#include "tests/program/copy_job_fixture.h"

namespace copy_job_test {
namespace {

class CopyJobWindow : public CopyJobTest {
 protected:
  void SetUp() override {
    CopyJobTest::SetUp();
    fs::create_directory(folder_ / "in");
    fs::create_directory(folder_ / "out");
    settings.waitEnterAfterEachCopy = true;
  }

  // Records, at every message box, a note made by `look`.
  void watch(std::function<std::string()> look) {
    headless::answerMessageBoxes([this, look](HWND, const std::string&, const std::string&, UINT) {
      seen_.push_back(look());
      return IDOK;
    });
  }

  std::vector<std::string> seen_;
};

// Returns "1" for each enabled window of runWindows, "0" for each disabled one.
std::string enabledStates() {
  std::string states;
  for (HWND window : runWindows()) states += headless::isEnabled(window) ? "1" : "0";
  return states;
}

TEST_F(CopyJobWindow, ControlsAreDisabledDuringTheRunAndEnabledAfter) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  watch([] {
    std::optional<LOGFONTA> font = headless::fontOf(stateLine);
    return enabledStates() + " " + headless::text(stateLine) + " " +
           std::to_string(font ? font->lfWeight : -1);
  });
  runJob("in/a.txt", "out");
  EXPECT_EQ(std::vector<std::string>{std::string(17, '0') + " a.txt 900"}, seen_);
  EXPECT_EQ(std::string(17, '1'), enabledStates());
  EXPECT_FALSE(headless::isEnabled(resultBox));
  EXPECT_EQ("Done", headless::text(stateLine));
  ASSERT_TRUE(headless::fontOf(stateLine).has_value());
  EXPECT_EQ(0, headless::fontOf(stateLine)->lfWeight);
  EXPECT_EQ("", headless::text(stateLine2));
  EXPECT_EQ("", headless::text(stateLine3));
}

// Every change of a window's own enabled state, in order, as the display driver is told of it.
std::vector<std::pair<HWND, bool>> enabledChanges;
void (*headlessEnabledChanged)(HWND) = nullptr;

void recordEnabledChange(HWND window) {
  enabledChanges.emplace_back(window, IsWindowEnabled(window) != FALSE);
  headlessEnabledChanged(window);
}

TEST_F(CopyJobWindow, ControlsAreDisabledInOrderAndEnabledInTheSameOrderMainWindowLast) {
  writeFile(folder_ / "in" / "a.txt", "abc");
  enterPaths("in/a.txt", "out");
  driver::Hooks hooks = driver::current();
  headlessEnabledChanged = hooks.enabledChanged;
  hooks.enabledChanged = &recordEnabledChange;
  driver::install(hooks);
  enabledChanges.clear();
  clickCopy();
  std::vector<std::pair<HWND, bool>> expected;
  for (HWND window : runWindows()) expected.emplace_back(window, false);
  for (HWND window : runWindows()) expected.emplace_back(window, true);
  EXPECT_EQ(expected, enabledChanges);
  EXPECT_EQ("abc", readWhole(folder_ / "out" / "a.txt"));
}

TEST_F(CopyJobWindow, StateLineIsEmptyDuringTheRunWithPrintProgressOff) {
  setOption(&Settings::printProgress, false);
  writeFile(folder_ / "in" / "a.txt", "abc");
  watch([] { return headless::text(stateLine); });
  runJob("in/a.txt", "out");
  EXPECT_EQ(std::vector<std::string>{""}, seen_);
  EXPECT_EQ("Done", headless::text(stateLine));
}

TEST_F(CopyJobWindow, MinimizedDuringTheRunWhenProceedMinimized) {
  settings.proceedMinimized = true;
  writeFile(folder_ / "in" / "a.txt", "abc");
  watch([] { return std::string(headless::isMinimized(mainWindow) ? "min" : "normal"); });
  runJob("in/a.txt", "out");
  EXPECT_EQ(std::vector<std::string>{"min"}, seen_);
  EXPECT_FALSE(headless::isMinimized(mainWindow));
}

TEST_F(CopyJobWindow, DetailsShowTheKnownModificationTime) {
  setOption(&Settings::printDetail, true);
  writeFile(folder_ / "in" / "a.txt", "hello");
  setModified(folder_ / "in" / "a.txt", 2003, 3, 21, 9, 5, 9);
  watch([] { return headless::text(stateLine2); });
  runJob("in/a.txt", "out");
  const std::string details = "5bytes, modified 21st March 2003 9:05:08";
  EXPECT_EQ(std::vector<std::string>{details}, seen_);
  EXPECT_EQ(details, toString(currentDetails));
  EXPECT_NE(std::string::npos,
            logAfterHeader().find(plainLine("Copy of \"<B>a.txt</B>\"  " + details)));
  EXPECT_EQ("", headless::text(stateLine2));
}

TEST_F(CopyJobWindow, DetailsSayModifiedUnknownForATimeBefore1980) {
  setOption(&Settings::printDetail, true);
  writeFile(folder_ / "in" / "old.txt", "hello");
  setModified(folder_ / "in" / "old.txt", 1975, 6, 1, 12, 0, 0);
  watch([] { return headless::text(stateLine2); });
  runJob("in/old.txt", "out");
  EXPECT_EQ(std::vector<std::string>{"5bytes, modified unknown"}, seen_);
  EXPECT_NE(
      std::string::npos,
      logAfterHeader().find(plainLine("Copy of \"<B>old.txt</B>\"  5bytes, modified unknown")));
  EXPECT_EQ("hello", readWhole(folder_ / "out" / "old.txt"));
}

TEST_F(CopyJobWindow, NamesWithMarkupAreEscapedInTheLog) {
  settings.waitEnterAfterEachCopy = false;
  fs::create_directory(folder_ / "a&b");
  writeFile(folder_ / "a&b" / "x<y>.txt", "1");
  runJob("a&b/*.txt", "out");
  EXPECT_EQ("1", readWhole(folder_ / "out" / "x<y>.txt"));
  std::string entries = logAfterHeader();
  EXPECT_EQ(0u, entries.find(plainLine("Copying files a&amp;b/*.txt to out")));
  EXPECT_NE(std::string::npos, entries.find(plainLine("Copy of \"<B>x&lt;y&gt;.txt</B>\"  ")));
  EXPECT_EQ(std::string::npos, entries.find("x<y>"));
  EXPECT_EQ("x<y>.txt", toString(currentName));
}

TEST_F(CopyJobWindow, NoScratchFileIsEverMade) {
  settings.waitEnterAfterEachCopy = false;
  for (const char* name : {"README.TXT", "notes.txt", "index.html", "catalog", "ab", "data.bin"}) {
    writeFile(folder_ / "in" / name, name);
  }
  writeFile(folder_ / "sorvel.tr", "mine");
  runJob("in/*.*", "out");
  EXPECT_EQ("mine", readWhole(folder_ / "sorvel.tr"));
  fs::remove(folder_ / "sorvel.tr");
  runJob("in/*.*", "out2");
  EXPECT_FALSE(fs::exists(folder_ / "sorvel.tr"));
  EXPECT_EQ("catalog", readWhole(folder_ / "out2" / "catalog"));
}

TEST_F(CopyJobWindow, EmptyFileIsStillClassifiedAndNotCopied) {
  writeFile(folder_ / "in" / "catalog", "");
  textLike = false;
  runJob("in/catalog", "out");
  EXPECT_TRUE(textLike);
  EXPECT_FALSE(fs::exists(folder_ / "out" / "catalog"));
  EXPECT_NE(std::string::npos, console().find("File is empty\r\n"));
  std::string entries = logAfterHeader();
  std::size_t copyLine = entries.find(plainLine("Copy of \"<B>catalog</B>\"  "));
  std::size_t emptyLine = entries.find(warningLine("Copy of \"<B>catalog</B>\", is empty"));
  ASSERT_NE(std::string::npos, copyLine);
  ASSERT_NE(std::string::npos, emptyLine);
  EXPECT_LT(copyLine, emptyLine);
}

TEST_F(CopyJobWindow, FileOver4GiBIsHandedToTheCopyWithItsFullSize) {
  settings.waitEnterAfterEachCopy = false;
  setOption(&Settings::printDetail, true);
  const std::int64_t size = (std::int64_t{1} << 32) + 5;
  fs::path big = folder_ / "in" / "big.bin";
  writeFile(big, "");
  fs::resize_file(big, size);  // sparse: nothing is stored
  setModified(big, 2010, 1, 1, 0, 0, 0);
  // The source never opens, so the copy ends at once without reading 4 GiB byte by byte.
  faults::failOpens(big.string(), 1000);
  runJob("in/big.bin", "out");
  EXPECT_EQ(size, currentSize);
  EXPECT_GT(faults::opens(big.string()), 0);
  EXPECT_NE(std::string::npos,
            logAfterHeader().find(plainLine(
                "Copy of \"<B>big.bin</B>\"  4294967301bytes, modified 1st January 2010 0:00:00")));
  EXPECT_EQ(std::string::npos, console().find("File is empty"));
}

TEST_F(CopyJobWindow, TwoRunsInARowReadTheEditBoxesAndDepthsAfresh) {
  settings.waitEnterAfterEachCopy = false;
  settings.depthRead = 9;
  writeFile(folder_ / "in" / "a.txt", "first");
  fs::create_directory(folder_ / "in2");
  writeFile(folder_ / "in2" / "b.txt", "second");
  setOption(&Settings::enableFasterCopy, true);
  runJob("in/*.*", "out");
  EXPECT_EQ(1, readDepth);
  EXPECT_EQ("first", readWhole(folder_ / "out" / "a.txt"));
  setOption(&Settings::enableFasterCopy, false);
  runJob("in2/*.*", "out2");
  EXPECT_EQ(9, readDepth);
  EXPECT_EQ("in2/*.*", toString(sourcePath));
  EXPECT_EQ("out2", toString(destinationPath));
  EXPECT_EQ("second", readWhole(folder_ / "out2" / "b.txt"));
  EXPECT_FALSE(fs::exists(folder_ / "out2" / "a.txt"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "b.txt"));
  EXPECT_EQ("Done", headless::text(stateLine));
  EXPECT_EQ(std::string(17, '1'), enabledStates());
}

}  // namespace
}  // namespace copy_job_test
