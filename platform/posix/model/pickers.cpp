// The two pickers: GetOpenFileNameA (comdlg32) and SHBrowseForFolderA with
// SHGetPathFromIDListA (shell32). The display driver shows them; the model fills the records.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

// The folder browser's item list, as this window system makes it: the chosen item's path, or
// its name for an item outside the file system.
struct ITEMIDLIST {
  bool fileSystem = false;
  std::string path;
};

namespace model {
namespace {

// The smallest OPENFILENAMEA the dialog accepts: the 76-byte record of 32-bit Windows.
constexpr DWORD kSmallestOpenFileNameSize = 76;

// Every item list handed out; the program never frees them, a reset does.
std::set<std::unique_ptr<ITEMIDLIST>> itemLists;

// The offset just past the last folder separator of `path` (either kind), 0 when none.
std::size_t nameOffset(const std::string& path) {
  std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? 0 : separator + 1;
}

// Fills the record with the chosen path: the file buffer, the offsets of the name and of the
// extension (0 without one). Returns FALSE when the buffer is too small; its first two bytes
// then hold the size needed, as Win32 does.
BOOL fillOpenFileName(OPENFILENAMEA& request, const std::string& path) {
  const std::size_t needed = path.size() + 1;
  if (request.nMaxFile < needed) {
    if (request.nMaxFile >= sizeof(WORD)) {
      const WORD size = static_cast<WORD>(std::min<std::size_t>(needed, 0xFFFF));
      std::memcpy(request.lpstrFile, &size, sizeof size);
    }
    return FALSE;
  }
  std::memcpy(request.lpstrFile, path.c_str(), needed);
  const std::size_t name = nameOffset(path);
  const std::size_t dot = path.find_last_of('.');
  request.nFileOffset = static_cast<WORD>(name);
  request.nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : 0);
  return TRUE;
}

}  // namespace

// Frees every item list the folder browser returned.
void resetPickers() { itemLists.clear(); }

}  // namespace model

// Shows the open-file dialog through the display driver, the owner disabled meanwhile. Returns
// TRUE with the full path in lpstrFile when the user chose a file; FALSE when cancelled, for a
// bad record (smaller than 76 bytes or without a buffer) or a buffer too small for the path.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) {
  if (ofn == nullptr || ofn->lStructSize < model::kSmallestOpenFileNameSize ||
      ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::optional<std::string> chosen =
      model::runModal(ofn->hwndOwner, [ofn] { return driver::current().chooseOpenFile(*ofn); });
  if (!chosen) return FALSE;
  return model::fillOpenFileName(*ofn, *chosen);
}

// Shows the folder browser through the display driver, the owner disabled meanwhile. Returns
// the item list of the chosen item (its display name copied to pszDisplayName when given), null
// when cancelled. The list stays valid for the rest of the run.
LPITEMIDLIST WINAPI SHBrowseForFolderA(LPBROWSEINFOA browseInfo) {
  if (browseInfo == nullptr) return nullptr;
  driver::FolderChoice choice = model::runModal(
      browseInfo->hwndOwner, [browseInfo] { return driver::current().chooseFolder(*browseInfo); });
  if (choice.kind == driver::FolderChoice::Kind::cancelled) return nullptr;
  auto list = std::make_unique<ITEMIDLIST>();
  list->fileSystem = choice.kind == driver::FolderChoice::Kind::folder;
  list->path = choice.path;
  if (browseInfo->pszDisplayName != nullptr) {
    std::string name =
        list->fileSystem ? choice.path.substr(model::nameOffset(choice.path)) : choice.path;
    if (name.empty()) name = choice.path;
    name.resize(std::min<std::size_t>(name.size(), MAX_PATH - 1));
    std::memcpy(browseInfo->pszDisplayName, name.c_str(), name.size() + 1);
  }
  ITEMIDLIST* result = list.get();
  model::itemLists.insert(std::move(list));
  return result;
}

// Copies the file-system path of an item list into `path` (MAX_PATH bytes). Returns TRUE; FALSE
// with an empty path for an item outside the file system, a path of MAX_PATH bytes or more, or
// a list this window system did not make.
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST idList, LPSTR path) {
  if (path == nullptr) return FALSE;
  path[0] = '\0';
  auto known = std::find_if(model::itemLists.begin(), model::itemLists.end(),
                            [idList](const auto& list) { return list.get() == idList; });
  if (known == model::itemLists.end()) return FALSE;
  const ITEMIDLIST& list = **known;
  if (!list.fileSystem || list.path.size() >= MAX_PATH) return FALSE;
  std::memcpy(path, list.path.c_str(), list.path.size() + 1);
  return TRUE;
}
