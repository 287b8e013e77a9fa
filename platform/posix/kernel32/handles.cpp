// The handle table of the POSIX kernel32 layer.
#include "platform/posix/kernel32/handles.h"

#include <map>
#include <mutex>
#include <variant>

namespace kernel32 {

namespace {

struct CloseFailed {
  DWORD error;
};

using Entry = std::variant<std::shared_ptr<FileObject>, std::shared_ptr<FindObject>, CloseFailed>;

// Handle values start above the small numbers a program might mistake for descriptors and step
// by 4, as Windows handle values do.
constexpr std::uintptr_t kFirstHandleValue = 0x1000;
constexpr std::uintptr_t kHandleStep = 4;

std::mutex tableLock;
std::map<std::uintptr_t, Entry> table;
std::uintptr_t nextHandleValue = kFirstHandleValue;

std::uintptr_t valueOf(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// Returns a fresh handle for `entry`; the caller holds tableLock.
HANDLE insertLocked(Entry entry) {
  std::uintptr_t value = nextHandleValue;
  nextHandleValue += kHandleStep;
  table.emplace(value, std::move(entry));
  return reinterpret_cast<HANDLE>(value);
}

// Returns true when an open with `access` and `share` may coexist with `open`: each side must
// share what the other side does (reading, writing).
bool sharesWith(const FileObject& open, DWORD access, DWORD share) {
  bool openReads = (open.access & GENERIC_READ) != 0;
  bool openWrites = (open.access & GENERIC_WRITE) != 0;
  if ((access & GENERIC_READ) && !(open.shareMode & FILE_SHARE_READ)) return false;
  if ((access & GENERIC_WRITE) && !(open.shareMode & FILE_SHARE_WRITE)) return false;
  if (openReads && !(share & FILE_SHARE_READ)) return false;
  if (openWrites && !(share & FILE_SHARE_WRITE)) return false;
  return true;
}

template <typename Object>
std::shared_ptr<Object> objectFromHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(tableLock);
  auto found = table.find(valueOf(handle));
  if (found != table.end()) {
    if (auto* object = std::get_if<std::shared_ptr<Object>>(&found->second)) return *object;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

std::optional<HANDLE> addFileHandle(std::shared_ptr<FileObject> file, bool truncates) {
  DWORD access = file->access | (truncates ? GENERIC_WRITE : 0);
  std::lock_guard<std::mutex> guard(tableLock);
  for (const auto& [value, entry] : table) {
    auto* open = std::get_if<std::shared_ptr<FileObject>>(&entry);
    if (open == nullptr || (*open)->device != file->device || (*open)->inode != file->inode) {
      continue;
    }
    if (!sharesWith(**open, access, file->shareMode)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return std::nullopt;
    }
  }
  return insertLocked(std::move(file));
}

HANDLE addFindHandle(std::shared_ptr<FindObject> find) {
  std::lock_guard<std::mutex> guard(tableLock);
  return insertLocked(std::move(find));
}

std::shared_ptr<FileObject> fileFromHandle(HANDLE handle) {
  return objectFromHandle<FileObject>(handle);
}

std::shared_ptr<FindObject> findFromHandle(HANDLE handle) {
  return objectFromHandle<FindObject>(handle);
}

bool removeHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(tableLock);
  return table.erase(valueOf(handle)) != 0;
}

void markCloseFailed(HANDLE handle, DWORD error) {
  std::lock_guard<std::mutex> guard(tableLock);
  table.insert_or_assign(valueOf(handle), CloseFailed{error});
}

std::optional<DWORD> closeFailure(HANDLE handle) {
  std::lock_guard<std::mutex> guard(tableLock);
  auto found = table.find(valueOf(handle));
  if (found == table.end()) return std::nullopt;
  if (auto* failed = std::get_if<CloseFailed>(&found->second)) return failed->error;
  return std::nullopt;
}

bool openWithoutDeleteSharing(dev_t device, ino_t inode) {
  std::lock_guard<std::mutex> guard(tableLock);
  for (const auto& [value, entry] : table) {
    auto* open = std::get_if<std::shared_ptr<FileObject>>(&entry);
    if (open != nullptr && (*open)->device == device && (*open)->inode == inode &&
        !((*open)->shareMode & FILE_SHARE_DELETE)) {
      return true;
    }
  }
  return false;
}

}  // namespace kernel32
