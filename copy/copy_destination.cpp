// The destination of one copy: it is written under a temporary name beside the real one, so that
// a copy that is interrupted never passes for a saved one, and it receives its real name when the
// copy is done, by a rename that never replaces a file.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// The longest file name, in bytes, that common file systems take.
constexpr std::size_t kNameLimit = 255;
constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;

// Returns true for a byte that continues a UTF-8 character: a name is never cut before one.
bool continuesCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & kContinuationMask) == kContinuationBits;
}

// Returns the temporary name of `name`: the name, kPartSuffix and, when `number` is above 0, the
// number; the name is shortened so that the whole stays within kNameLimit bytes.
std::string partName(std::string_view name, int number) {
  std::string tail(kPartSuffix);
  if (number > 0) tail += std::to_string(number);
  std::size_t keep = name.size();
  if (keep + tail.size() > kNameLimit) {
    keep = kNameLimit - tail.size();
    while (keep > 0 && continuesCharacter(name[keep])) --keep;
  }
  return std::string(name.substr(0, keep)) + tail;
}

// Returns the sharing of the destination's handle. Shared for deletion, so that a copy whose
// handle cannot be closed can still be renamed, and for reading when verification reads the copy
// back through a handle of its own.
DWORD destinationShare() { return FILE_SHARE_DELETE | (settings.verifyData ? FILE_SHARE_READ : 0); }

}  // namespace

std::string temporaryNameOf(int number) {
  const std::string name = toString(currentName);
  // The name of a file in a subfolder starts with its folders: only its own name is shortened.
  std::size_t separator = name.rfind(kPathSeparator);
  std::size_t folderLength = separator == std::string::npos ? 0 : separator + 1;
  const std::string folder = destinationFolderPath + kPathSeparator + name.substr(0, folderLength);
  return folder + partName(std::string_view(name).substr(folderLength), number);
}

HANDLE openTemporaryFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, destinationShare(), nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool createDestinationFile() {
  // The numbers before a name found free just now are all taken, by a temporary file or a map.
  int first = std::max(0, fileCopy.freeTemporaryName);
  for (int number = first; number <= kPartNameCount; ++number) {
    fileCopy.temporaryFile = temporaryNameOf(number);
    // A name whose map name is taken (the map of an earlier copy, or a file of the user's) is
    // passed over, so that the map of this copy, if it needs one, has the name that goes with its
    // temporary name.
    std::string map = mapFileOf(fileCopy.temporaryFile);
    bool knownFree = number == fileCopy.freeTemporaryName;
    if (!knownFree && GetFileAttributesA(map.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    // CREATE_NEW: a file of that name, the user's or a leftover, is never touched; the next
    // name is tried.
    fileCopy.destination =
        CreateFileA(fileCopy.temporaryFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                    destinationShare(), nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fileCopy.destination != INVALID_HANDLE_VALUE) return true;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool giveRealName() {
  // No MOVEFILE_REPLACE_EXISTING: a file that took the real name since the job's existence check
  // is never replaced.
  return MoveFileExA(fileCopy.temporaryFile.c_str(), fileCopy.destinationFile.c_str(), 0) != 0;
}
