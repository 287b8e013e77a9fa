// The walk through the subfolders of the source folder, when copySubfolders is set: every folder
// below it, depth first, each folder's matching files before its subfolders, and the destination
// folders created as the files need them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/status_output.h"
#include "copy/copy_job.h"
#include "copy/copy_walk.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// How many folders deep the walk goes below the source folder. A damaged file system can hold a
// folder that contains itself; the bound ends the walk there.
constexpr std::size_t kDeepestLevel = 64;
constexpr std::string_view kEveryEntry = "*";
constexpr std::string_view kWildcards = "*?";

// One folder on the walk's way down from the source folder: its path relative to the source
// folder (ending with the separator), and what is known of its destination folder.
struct WalkLevel {
  std::string relative;
  bool destinationReady = false;   // the destination folder exists
  bool destinationFailed = false;  // it could not be created, and this has been reported
};

// The folders from the first level below the source folder down to the one being walked.
std::vector<WalkLevel> walkPath;

// Returns `relative` without its final separator: the name of the folder in texts and paths.
std::string withoutSeparator(const std::string& relative) {
  return relative.empty() ? relative : relative.substr(0, relative.size() - 1);
}

// Writes `consoleText` to the result box and an error entry naming the folder `relative`.
void reportFolder(const std::string& relative, std::string_view consoleText,
                  std::string_view tail) {
  std::string name = relative.empty() ? toString(sourceFolder) : withoutSeparator(relative);
  consoleWriteLine(text(consoleText));
  writeLogEntry("Folder \"<B>" + escapeHtml(name) + "</B>\"" + tail, LogEntryKind::error);
}

// Returns true when the folder entry `found`, which lies in `relative`, is a link to a folder (a
// symbolic link, a junction): the search may report the link or what it points to, the
// attributes of the path itself tell.
bool isLink(const WIN32_FIND_DATAA& found, const std::string& relative) {
  if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  std::string path = sourceFolderPath + relative + found.cFileName;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Returns true when the entry `found` of the folder `relative` is a subfolder to walk: a folder,
// not "." or "..", not a link.
bool isSubfolder(const WIN32_FIND_DATAA& found, const std::string& relative) {
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::string_view name = found.cFileName;
  if (name == "." || name == "..") return false;
  return !isLink(found, relative);
}

// Sets `names` to the subfolders of the folder `relative`, in the order the search reports them.
// Returns false when the folder cannot be listed.
bool listSubfolders(const std::string& relative, std::vector<std::string>& names) {
  WIN32_FIND_DATAA found;
  std::string pattern = sourceFolderPath + relative + std::string(kEveryEntry);
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  do {
    if (isSubfolder(found, relative)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

// Walks the subfolders of the folder `relative` (already handled itself), each with its matching
// files first and then its own subfolders. walkPath holds the folders down to `relative`.
void walkSubfolders(const std::string& relative, JobTotals& totals) {
  std::vector<std::string> names;
  if (!listSubfolders(relative, names)) {
    reportFolder(relative, "Unable list folder", ", unable list folder");
    return;
  }
  // Every subfolder before `name` has been walked with everything below it, and walkPath is as it
  // was on entry. The list is finite and the depth bounded, so the walk ends.
  for (const std::string& name : names) {
    std::string child = relative + name + kPathSeparator;
    if (walkPath.size() >= kDeepestLevel) {
      reportFolder(child, "Folder too deep", ", folder too deep");
      continue;
    }
    walkPath.push_back(WalkLevel{child});
    if (handleMatchingEntries(child, totals)) {
      walkSubfolders(child, totals);
    } else {
      reportFolder(child, "Unable list folder", ", unable list folder");
    }
    walkPath.pop_back();
  }
}

// Creates the destination folder of `level` unless it exists already as a folder. Returns false
// when there is none afterwards (no rights, a missing or wrong parent, a file of that name).
bool makeDestinationFolder(const WalkLevel& level) {
  std::string path = destinationFolderPath + kPathSeparator + withoutSeparator(level.relative);
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool walksSubfolders(std::string_view pattern) {
  return settings.copySubfolders && pattern.find_first_of(kWildcards) != std::string_view::npos;
}

void handleSubfolders(JobTotals& totals) {
  walkPath.clear();
  walkSubfolders(std::string(), totals);
}

bool makeDestinationFolders() {
  // Every level before `level` has its destination folder; a parent is always made before its
  // child, as CreateDirectoryA makes one level at a time.
  for (WalkLevel& level : walkPath) {
    if (level.destinationReady) continue;
    if (level.destinationFailed) return false;
    if (!makeDestinationFolder(level)) {
      level.destinationFailed = true;
      reportFolder(level.relative, "Unable create folder", ", unable create folder");
      return false;
    }
    level.destinationReady = true;
  }
  return true;
}

void reportPathTooLong(const std::string& path) {
  consoleWriteLine(text("Path too long"));
  // The reason comes first: a path this long fills the entry, which is cut at 255 bytes.
  writeLogEntry("Path too long, not copied: " + escapeHtml(path), LogEntryKind::error);
}
