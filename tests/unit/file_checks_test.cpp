// The per-file checks and texts of the copy job: attribute texts, the details text, the text-like
// decision, the existence check at the destination and the "Copy of" log entry.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "copy/copy_job.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "tests/file_contents.h"

namespace {

namespace fs = std::filesystem;

// Seconds between 1 January 1601 (the FILETIME epoch) and 1 January 1970.
constexpr std::uint64_t kUnixEpochInFileTime = 11644473600ULL;
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

// Returns the FILETIME of a local date and time (in the zone the test process runs in).
FILETIME localFileTime(int year, int month, int day, int hour, int minute, int second) {
  std::time_t seconds = test_files::localSeconds(year, month, day, hour, minute, second);
  std::uint64_t ticks =
      (static_cast<std::uint64_t>(seconds) + kUnixEpochInFileTime) * kTicksPerSecond;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Returns the whole content of a file.
std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh temporary current folder, the default options and a fixed time zone without summer time.
class FileChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "XST-3", 1);
    tzset();
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "file_checks_XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    fs::current_path(folder_);
    setDefaultSettings();
    currentDetails = ShortText{};
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  // Describes an entry of `size` bytes with `attributes` and last-write time `when`.
  std::string describe(std::int64_t size, std::uint32_t attributes, FILETIME when) {
    currentEntry.name = text("a.dat");
    currentEntry.size = size;
    currentEntry.attributes = attributes;
    currentEntry.lastWriteTime = when;
    describeFile();
    return toString(currentDetails);
  }

  // Returns true when classifyTextLike finds `name` text-like.
  bool isTextLike(const std::string& name) {
    textLike = !textLike;  // a stale value must never survive the call
    classifyTextLike(text(name));
    return textLike;
  }

  fs::path previous_;
  fs::path folder_;
};

TEST_F(FileChecks, AttributeTextsFollowExactValues) {
  EXPECT_EQ(" read only file", view(attributeWord(0x01)));
  EXPECT_EQ(" hidden file", view(attributeWord(0x02)));
  EXPECT_EQ(" system file", view(attributeWord(0x04)));
  EXPECT_EQ("(read only file)", view(attributeNote(0x01)));
  EXPECT_EQ("(hidden file)", view(attributeNote(0x02)));
  EXPECT_EQ("(system file)", view(attributeNote(0x04)));
  EXPECT_EQ("(hidden read only file)", view(attributeNote(0x23)));
  // Values with the archive or normal bit, or several bits, have no word; only 0x23 has a note.
  for (std::uint32_t value : {0x00u, 0x03u, 0x20u, 0x21u, 0x22u, 0x23u, 0x80u, 0x81u, 0x10u}) {
    EXPECT_EQ(0, attributeWord(value).length) << value;
  }
  for (std::uint32_t value : {0x00u, 0x03u, 0x20u, 0x21u, 0x22u, 0x80u, 0x82u, 0x10u}) {
    EXPECT_EQ(0, attributeNote(value).length) << value;
  }
}

TEST_F(FileChecks, DetailsShowSizeWordAndLocalModificationTime) {
  EXPECT_EQ("1234bytes hidden file, modified 21st March 2003 9:05:08",
            describe(1234, 0x02, localFileTime(2003, 3, 21, 9, 5, 8)));
  EXPECT_EQ("0bytes, modified 1st January 2010 0:00:00",
            describe(0, 0x20, localFileTime(2010, 1, 1, 0, 0, 0)));
}

TEST_F(FileChecks, DetailsTakeSizesOf2GiBAndMore) {
  EXPECT_EQ("5000000000bytes read only file, modified 31st December 2099 23:59:58",
            describe(5000000000LL, 0x01, localFileTime(2099, 12, 31, 23, 59, 58)));
}

TEST_F(FileChecks, DetailsSecondsAreEvenAndMinutesSecondsTwoDigits) {
  EXPECT_EQ("7bytes system file, modified 22nd July 1999 13:07:04",
            describe(7, 0x04, localFileTime(1999, 7, 22, 13, 7, 5)));
}

TEST_F(FileChecks, DetailsDaySuffixesFollowEnglishOrdinals) {
  const std::pair<int, const char*> days[] = {
      {1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},   {11, "11th"},
      {12, "12th"}, {13, "13th"}, {20, "20th"}, {21, "21st"}, {22, "22nd"},
      {23, "23rd"}, {24, "24th"}, {30, "30th"}, {31, "31st"}};
  for (const auto& [day, expected] : days) {
    std::string details = describe(1, 0x20, localFileTime(2015, 8, day, 10, 0, 0));
    EXPECT_EQ(std::string("1bytes, modified ") + expected + " August 2015 10:00:00", details);
  }
}

TEST_F(FileChecks, DetailsSpellEveryMonthInEnglish) {
  const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
  for (int month = 1; month <= 12; ++month) {
    std::string details = describe(1, 0x20, localFileTime(2020, month, 15, 12, 30, 0));
    EXPECT_EQ(std::string("1bytes, modified 15th ") + months[month - 1] + " 2020 12:30:00",
              details);
  }
}

TEST_F(FileChecks, DetailsSayModifiedUnknownWhenTimeIsOutsidePackedRange) {
  EXPECT_EQ("10bytes hidden file, modified unknown",
            describe(10, 0x02, localFileTime(1975, 6, 1, 12, 0, 0)));
  EXPECT_EQ("10bytes, modified unknown", describe(10, 0x80, localFileTime(2110, 6, 1, 12, 0, 0)));
}

TEST_F(FileChecks, TextLikeDecidedByLastThreeCharactersLowerCased) {
  for (const char* name : {"README.TXT", "notes.txt", "NOTES.Txt", "index.html", "INDEX.HTM",
                           "catalog", "unit.pp", "app.rc", "main.cpp", "song.AVI", "txt"}) {
    EXPECT_TRUE(isTextLike(name)) << name;
  }
  for (const char* name :
       {"ab", "rc", "data.bin", "notes.txt.gz", "readme.tx", "", "TXT.exe", "archive.zip"}) {
    EXPECT_FALSE(isTextLike(name)) << name;
  }
}

TEST_F(FileChecks, TextLikeLowerCasesOnlyLettersAToZ) {
  // 0xC4 would become 0xE4 in a Latin-1 lower-casing; here it must stay as it is.
  EXPECT_FALSE(isTextLike("a.\xC4\x42\x43"));
  EXPECT_TRUE(isTextLike("a.TxT"));
  // 0x0E + 0x20 is ".": only A-Z move, so this name does not end in ".pp".
  EXPECT_TRUE(isTextLike("a.PP"));
  EXPECT_FALSE(isTextLike("a\x0EPP"));
}

TEST_F(FileChecks, TextLikeDecisionWritesNoScratchFile) {
  std::ofstream(folder_ / "sorvel.tr", std::ios::binary) << "the user's own file\n";
  classifyTextLike(text("README.TXT"));
  EXPECT_EQ("the user's own file\n", readWhole(folder_ / "sorvel.tr"));
  fs::remove(folder_ / "sorvel.tr");
  classifyTextLike(text("data.bin"));
  EXPECT_FALSE(fs::exists(folder_ / "sorvel.tr"));
}

TEST_F(FileChecks, DestinationExistsForFileAndFolderOfThatName) {
  fs::create_directory(folder_ / "out");
  fs::create_directory(folder_ / "out" / "taken.dat");
  std::ofstream(folder_ / "out" / "plain.dat") << "x";
  destinationFolderPath = (folder_ / "out").string();
  EXPECT_TRUE(destinationExists(text("taken.dat")));
  EXPECT_TRUE(destinationExists(text("plain.dat")));
  EXPECT_FALSE(destinationExists(text("other.dat")));
}

// The "Copy of" entries in the log, read back from the file.
class FileChecksLog : public FileChecks {
 protected:
  void SetUp() override {
    FileChecks::SetUp();
    settings.enableLog = true;
    openLog();
  }

  // Returns the last line of the log, without its CR LF.
  std::string lastLogLine() {
    std::string log = readWhole(folder_ / kDefaultLogFileName);
    EXPECT_GE(log.size(), 2u);
    log.resize(log.size() - 2);
    return log.substr(log.rfind("\r\n") + 2);
  }

  const std::string plainTag = "<FONT FACE=Arial SIZE=1 COLOR=#FFFFFF>";
};

TEST_F(FileChecksLog, CopyLineHasNoteAndDetailsWhenPrintDetailIsOn) {
  settings.printDetail = true;
  currentDetails = text("5bytes hidden file, modified 1st May 2001 1:02:04");
  logCopyLine(text("a.txt"), 0x02);
  EXPECT_EQ(plainTag +
                "Copy of \"<B>a.txt</B>\" (hidden file) 5bytes hidden file, modified 1st May 2001 "
                "1:02:04</FONT><BR>",
            lastLogLine());
}

TEST_F(FileChecksLog, CopyLineHasTwoBlanksWithoutNoteAndNoDetailsWhenPrintDetailIsOff) {
  settings.printDetail = false;
  currentDetails = text("stale details of an earlier file");
  logCopyLine(text("b.bin"), 0x20);
  EXPECT_EQ(plainTag + "Copy of \"<B>b.bin</B>\"  </FONT><BR>", lastLogLine());
  logCopyLine(text("c.bin"), 0x23);
  EXPECT_EQ(plainTag + "Copy of \"<B>c.bin</B>\" (hidden read only file) </FONT><BR>",
            lastLogLine());
}

TEST_F(FileChecksLog, NamesInEntriesAreEscaped) {
  settings.printDetail = false;
  logCopyLine(text("<i>&\"x\".txt"), 0x20);
  EXPECT_EQ(plainTag + "Copy of \"<B>&lt;i&gt;&amp;&quot;x&quot;.txt</B>\"  </FONT><BR>",
            lastLogLine());
  reportEmpty(text("a<b"));
  EXPECT_EQ(0u, lastLogLine().find("<FONT FACE=Arial SIZE=1 COLOR=#FFFF00>Copy of "
                                   "\"<B>a&lt;b</B>\", is empty </FONT><A HREF=mailto:"));
  reportExisting(text("a&b"));
  EXPECT_EQ(0u, lastLogLine().find("<FONT FACE=Arial SIZE=1 COLOR=#FFFF00>Copy of "
                                   "\"<B>a&amp;b</B>\", file already exists </FONT><A HREF="));
}

}  // namespace
