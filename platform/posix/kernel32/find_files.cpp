// The directory search FindFirstFileA / FindNextFileA / FindClose over opendir and stat.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/posix/kernel32/wildcard.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr int kDwordBits = 32;

// Returns the order in which names are reported: "." first, ".." second, then the others.
int rankOf(const std::string& name) {
  if (name == ".") return 0;
  if (name == "..") return 1;
  return 2;
}

// Reports "." and ".." first, then the other names in byte order, so that every search of the
// same folder lists its entries in the same order.
bool reportedBefore(const std::string& left, const std::string& right) {
  if (rankOf(left) != rankOf(right)) return rankOf(left) < rankOf(right);
  return left < right;
}

// Fills `data` with what Windows reports for the entry `name` with stat data `status`.
void fillFindData(const struct stat& status, const std::string& name, const std::string& path,
                  WIN32_FIND_DATAA& data) {
  std::memset(&data, 0, sizeof data);
  data.dwFileAttributes = attributesOf(status, name, path);
  data.ftCreationTime = creationTimeOf(status);
  data.ftLastAccessTime = lastAccessTimeOf(status);
  data.ftLastWriteTime = lastWriteTimeOf(status);
  std::uint64_t size = S_ISREG(status.st_mode) ? static_cast<std::uint64_t>(status.st_size) : 0;
  data.nFileSizeHigh = static_cast<DWORD>(size >> kDwordBits);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::size_t length = std::min(name.size(), sizeof data.cFileName - 1);
  std::memcpy(data.cFileName, name.data(), length);
}

// Fills `data` for the entry `name` that is listed but cannot be examined (a damaged inode, a
// medium that went away): a folder when the listing says so, otherwise a file; size 0, no times.
// The entry is reported all the same, so that the program can say it failed to copy it rather
// than pass over it without a word.
void fillUnexaminedData(const std::string& name, bool folder, WIN32_FIND_DATAA& data) {
  std::memset(&data, 0, sizeof data);
  DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (name[0] == '.' && name != "." && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  data.dwFileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  std::size_t length = std::min(name.size(), sizeof data.cFileName - 1);
  std::memcpy(data.cFileName, name.data(), length);
}

// Returns the path of `name` inside `folder`.
std::string entryPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Reports the next entry of `find` that still exists into `data`; returns false when none is
// left. An entry removed since the search began is passed over; one that is listed but cannot be
// examined is reported (fillUnexaminedData).
bool reportNext(FindObject& find, WIN32_FIND_DATAA& data) {
  while (find.next < find.names.size()) {
    const std::string& name = find.names[find.next++];
    std::string path = entryPath(find.folder, name);
    struct stat status {};
    int error = find.folderDescriptor >= 0 ? statEntryIn(find.folderDescriptor, name, path, status)
                                           : statEntry(path, status);
    if (error == ENOENT) continue;
    if (error != 0) {
      fillUnexaminedData(name, find.listedAsFolders.count(name) != 0, data);
      return true;
    }
    fillFindData(status, name, path, data);
    return true;
  }
  return false;
}

// Reads the names of `folder` that match `pattern` into `find`, in report order. Returns
// ERROR_SUCCESS or the error of the failed listing; a missing folder is ERROR_PATH_NOT_FOUND.
DWORD listMatches(const std::string& pattern, FindObject& find) {
  if (const FaultHooks* hooks = faultHooks()) {
    if (auto error = hooks->onListFolder(absoluteNormalPath(find.folder))) return *error;
  }
  int descriptor = open(find.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : win32ErrorFromErrno(errno);
  find.folderDescriptor = descriptor;
  int listed = dup(descriptor);
  DIR* folder = listed < 0 ? nullptr : fdopendir(listed);
  if (folder == nullptr) {
    int error = errno;
    if (listed >= 0) close(listed);
    return win32ErrorFromErrno(error);
  }
  errno = 0;
  while (const dirent* entry = readdir(folder)) {
    if (!matchesWildcard(pattern, entry->d_name)) continue;
    find.names.emplace_back(entry->d_name);
    if (entry->d_type == DT_DIR) find.listedAsFolders.insert(entry->d_name);
  }
  int error = errno;
  closedir(folder);
  if (error != 0) return win32ErrorFromErrno(error);
  std::sort(find.names.begin(), find.names.end(), reportedBefore);
  return ERROR_SUCCESS;
}

// Finds the entry a pattern without wildcards names: that entry itself, folder or file.
HANDLE findExactEntry(const std::string& path, const std::string& name, LPWIN32_FIND_DATAA data) {
  struct stat status {};
  if (int error = statEntry(path, status); error != 0) {
    return failHandleForPath(error, path);
  }
  fillFindData(status, name, path, *data);
  auto find = std::make_shared<FindObject>();
  find->folder = folderOf(path);
  return addFindHandle(std::move(find));
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData) {
  kernel32::BlockingCall blocking;
  if (fileName == nullptr || findFileData == nullptr) return failHandle(ERROR_INVALID_PARAMETER);
  if (*fileName == '\0') return failHandle(ERROR_PATH_NOT_FOUND);
  std::string pattern = lastComponent(fileName);
  // A path ending in a separator names no entry.
  if (pattern.empty()) return failHandle(ERROR_FILE_NOT_FOUND);
  if (!hasWildcard(pattern)) return findExactEntry(fileName, pattern, findFileData);
  auto find = std::make_shared<FindObject>();
  find->folder = folderOf(fileName);
  if (DWORD error = listMatches(pattern, *find); error != ERROR_SUCCESS) return failHandle(error);
  if (!reportNext(*find, *findFileData)) return failHandle(ERROR_FILE_NOT_FOUND);
  return addFindHandle(std::move(find));
}

BOOL WINAPI FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FindObject> find = findFromHandle(findFile);
  if (!find) return FALSE;
  if (findFileData == nullptr) return failWith(ERROR_INVALID_PARAMETER);
  if (!reportNext(*find, *findFileData)) return failWith(ERROR_NO_MORE_FILES);
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE findFile) {
  kernel32::BlockingCall blocking;
  if (!findFromHandle(findFile)) return FALSE;
  removeHandle(findFile);
  return TRUE;
}
