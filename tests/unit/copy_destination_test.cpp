// The names of a copy's destination: the copy is written under a temporary name beside the real
// one and takes the real name only when it is done; taken temporary names and names at the file
// system's limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

namespace fs = std::filesystem;

// The names in the destination folder, in no particular order.
std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// Returns whether `bytes` is whole UTF-8: no character is cut at its end.
bool endsOnCharacter(const std::string& bytes) {
  std::size_t last = bytes.size();
  std::size_t lead = last;
  while (lead > 0 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return last == 0;
  unsigned char first = static_cast<unsigned char>(bytes[lead - 1]);
  std::size_t length = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
  return last - (lead - 1) == length;
}

TEST_F(CopyOneFile, WritesUnderTemporaryNameUntilTheCopyIsDone) {
  const std::string destination = fs::path(destinationPathOf("x")).parent_path();
  struct Case {
    std::string name;
    std::size_t keptBytes;  // of the name, in the temporary name
  };
  std::string accented;  // 127 two-byte characters and "x": 255 bytes
  for (int i = 0; i < 127; ++i) accented += "\xC3\xA9";
  accented += "x";
  const std::vector<Case> cases = {
      {"short.bin", 9},
      {std::string(255 - kPartSuffix.size(), 'n'), 255 - kPartSuffix.size()},
      {std::string(255, 'm'), 255 - kPartSuffix.size()},
      {accented, 242},  // 243 bytes would cut a character in two
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    std::string bytes = patternBytes(300);
    std::vector<std::vector<std::string>> seen;
    onStateText = [&] { seen.push_back(namesIn(destination)); };
    copy(c.name, bytes);
    onStateText = nullptr;
    ASSERT_FALSE(seen.empty());
    std::string part = c.name.substr(0, c.keptBytes) + std::string(kPartSuffix);
    for (const auto& names : seen) EXPECT_EQ(std::vector<std::string>{part}, names);
    EXPECT_TRUE(endsOnCharacter(part.substr(0, c.keptBytes)));
    EXPECT_EQ(std::vector<std::string>{c.name}, namesIn(destination));
    EXPECT_EQ(bytes, destinationContent(c.name));
    fs::remove(destinationPathOf(c.name));
  }
}

TEST_F(CopyOneFile, TakesNextFreeTemporaryNameAndLeavesTakenOnesAlone) {
  std::ofstream(partPathOf("a.bin"), std::ios::binary) << "mine";
  std::ofstream(partPathOf("a.bin") + "1", std::ios::binary) << "leftover";
  std::string bytes = patternBytes(50);
  copy("a.bin", bytes);
  EXPECT_EQ(bytes, destinationContent("a.bin"));
  EXPECT_EQ("mine", contentOf(partPathOf("a.bin")));
  EXPECT_EQ("leftover", contentOf(partPathOf("a.bin") + "1"));
  EXPECT_FALSE(fs::exists(partPathOf("a.bin") + "2"));
  EXPECT_EQ("Copied a.bin\r\n", console());
}

}  // namespace
}  // namespace copytest
