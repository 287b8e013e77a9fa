// The pickers through the headless driver: the open-file dialog and the folder browser return
// what the test chose, or nothing when it cancels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "tests/unit/headless_fixture.h"

namespace {

using user32_test::received;
using user32_test::recorder;
using user32_test::Row;

// The smallest record the dialog takes: 76 bytes, the size a 32-bit program passes.
constexpr DWORD kOpenFileNameSize = 76;

class Pickers : public headless_test::HeadlessWindowTest {
 protected:
  OPENFILENAMEA openFileRecord(char* buffer, DWORD size) {
    OPENFILENAMEA record = {};
    record.lStructSize = kOpenFileNameSize;
    record.hwndOwner = parent;
    record.lpstrFilter = "Files\0*.*\0";
    record.lpstrFile = buffer;
    record.nMaxFile = size;
    record.lpstrDefExt = "*";
    record.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    return record;
  }
  BROWSEINFOA browseRecord(char* displayName) {
    BROWSEINFOA record = {};
    record.hwndOwner = parent;
    record.pszDisplayName = displayName;
    record.lpszTitle = "";
    return record;
  }
};

TEST_F(Pickers, OpenFileReturnsChosenPathWithNameAndExtensionOffsets) {
  headless::chooseOpenFile("/media/cdrom/photos/beach.jpg");
  char buffer[MAX_PATH] = "";
  OPENFILENAMEA record = openFileRecord(buffer, sizeof buffer);
  EXPECT_TRUE(GetOpenFileNameA(&record));
  EXPECT_STREQ("/media/cdrom/photos/beach.jpg", buffer);
  EXPECT_EQ(20, record.nFileOffset);
  EXPECT_EQ(26, record.nFileExtension);
  EXPECT_EQ(1, headless::openFileDialogCount());
}

TEST_F(Pickers, CancelledOpenFileLeavesBufferAlone) {
  headless::chooseOpenFile(std::nullopt);
  char buffer[MAX_PATH] = "";
  OPENFILENAMEA record = openFileRecord(buffer, sizeof buffer);
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_EQ('\0', buffer[0]);
  EXPECT_EQ(1, headless::openFileDialogCount());
}

TEST_F(Pickers, OpenFileIntoSmallBufferFailsAndTellsSizeNeeded) {
  headless::chooseOpenFile("/a/long/name.txt");
  char buffer[8] = "";
  OPENFILENAMEA record = openFileRecord(buffer, sizeof buffer);
  EXPECT_FALSE(GetOpenFileNameA(&record));
  WORD needed = 0;
  std::memcpy(&needed, buffer, sizeof needed);
  EXPECT_EQ(17, needed);
}

TEST_F(Pickers, OpenFileDisablesOwnerWhileUp) {
  headless::chooseOpenFile("/x");
  char buffer[MAX_PATH] = "";
  OPENFILENAMEA record = openFileRecord(buffer, sizeof buffer);
  recorder().take();
  GetOpenFileNameA(&record);
  EXPECT_EQ((std::vector<Row>{received(WM_ENABLE, parent), received(WM_ENABLE, parent)}),
            recorder().take());
  EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(Pickers, FolderBrowserReturnsItemListCarryingPath) {
  headless::chooseFolder("/home/user/rescued");
  char displayName[MAX_PATH] = "";
  BROWSEINFOA record = browseRecord(displayName);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&record);
  ASSERT_NE(nullptr, chosen);
  EXPECT_STREQ("rescued", displayName);
  char path[MAX_PATH] = "x";
  EXPECT_TRUE(SHGetPathFromIDListA(chosen, path));
  EXPECT_STREQ("/home/user/rescued", path);
  EXPECT_EQ(1, headless::folderBrowserCount());
}

TEST_F(Pickers, CancelledFolderBrowserReturnsNull) {
  headless::chooseFolder(std::nullopt);
  char displayName[MAX_PATH] = "";
  BROWSEINFOA record = browseRecord(displayName);
  EXPECT_EQ(nullptr, SHBrowseForFolderA(&record));
}

TEST_F(Pickers, ItemOutsideFileSystemGivesEmptyPathAndFalse) {
  headless::chooseNonFileSystemItem("Control Panel");
  char displayName[MAX_PATH] = "";
  BROWSEINFOA record = browseRecord(displayName);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&record);
  ASSERT_NE(nullptr, chosen);
  EXPECT_STREQ("Control Panel", displayName);
  char path[MAX_PATH] = "previous";
  EXPECT_FALSE(SHGetPathFromIDListA(chosen, path));
  EXPECT_STREQ("", path);
}

TEST_F(Pickers, UnknownItemListGivesEmptyPathAndFalse) {
  char path[MAX_PATH] = "previous";
  int notAList = 0;
  EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(&notAList), path));
  EXPECT_STREQ("", path);
}

TEST_F(Pickers, ChoiceStaysForLaterDialogs) {
  headless::chooseFolder("/dest");
  char displayName[MAX_PATH] = "";
  BROWSEINFOA record = browseRecord(displayName);
  char path[MAX_PATH] = "";
  SHGetPathFromIDListA(SHBrowseForFolderA(&record), path);
  EXPECT_STREQ("/dest", path);
  SHGetPathFromIDListA(SHBrowseForFolderA(&record), path);
  EXPECT_STREQ("/dest", path);
  EXPECT_EQ(2, headless::folderBrowserCount());
}

}  // namespace
