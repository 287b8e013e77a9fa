// The map of a copy on disk, beside its temporary file: NAME.sorvel-map for NAME.sorvel-part (with
// the temporary name's number, if it has one). It is replaced whole (written under a name of its
// own, then renamed over the old one), so that it is never seen half written, and only after
// what it calls done was flushed to the medium: a copy ended at any moment leaves a map whose
// done ranges the temporary file holds.
#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "platform/winapi.h"
#include "settings/settings.h"

std::int64_t mapIntervalMs = kMapIntervalMs;

namespace {

constexpr std::string_view kMapTemporarySuffix = ".tmp";

// Writes `text` to `path` whole; returns true when every byte was written and the file closed.
// On failure the last error is the failed call's (a full disk tells so).
bool writeWholeFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size() && FlushFileBuffers(file);
  DWORD error = GetLastError();
  bool closed = CloseHandle(file);
  if (!whole) SetLastError(error);
  return closed && whole;
}

// Claims the map's name for this copy, created empty so that no file of the user's is ever
// replaced: the temporary name was chosen where no file had that name. Returns the name, empty
// when a file of that name appeared since.
std::string claimMapName() {
  std::string name = mapFileOf(fileCopy.temporaryFile);
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  CloseHandle(file);
  return name;
}

// Replaces the map at `mapFile` with the map in memory; returns true when it was replaced whole.
bool replaceMap(const std::string& mapFile) {
  std::vector<std::string> comments = {
      "Mapfile. Created by sorvel",
      "source: " + fileCopy.sourceFile,
      "source size: " + std::to_string(currentSize),
  };
  // Without the source's time the map cannot tell an interrupted copy of this source from one of
  // an older version: it is then written without it and never resumed from.
  std::string time = sourceTimeText();
  if (!time.empty()) comments.push_back(std::string(kSourceTimeComment) + time);
  std::string text = fileCopy.map.text(comments, fileCopy.mapPosition, fileCopy.phase);
  std::string temporary = mapFile + std::string(kMapTemporarySuffix);
  if (writeWholeFile(temporary, text) &&
      MoveFileExA(temporary.c_str(), mapFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DWORD error = GetLastError();
  DeleteFileA(temporary.c_str());
  SetLastError(error);
  return false;
}

}  // namespace

std::string mapFileOf(const std::string& temporary) {
  std::size_t at = temporary.rfind(kPartSuffix);
  if (at == std::string::npos) return temporary + std::string(kMapSuffix);
  return temporary.substr(0, at) + std::string(kMapSuffix) +
         temporary.substr(at + kPartSuffix.size());
}

bool writeMapFile(bool now) {
  DWORD tick = GetTickCount();
  if (!now && (!fileCopy.mapChanged || tick - fileCopy.mapWrittenAt < mapIntervalMs)) {
    return !fileCopy.mapChanged;
  }
  // What the map calls done must be on the medium before the map says so.
  if (!FlushFileBuffers(fileCopy.destination)) return false;
  if (fileCopy.mapFile.empty()) fileCopy.mapFile = claimMapName();
  if (fileCopy.mapFile.empty()) return false;
  if (!replaceMap(fileCopy.mapFile)) return false;
  fileCopy.mapChanged = false;
  fileCopy.mapWrittenAt = tick;
  return true;
}

void markMap(std::int64_t start, std::int64_t end, RangeState state) {
  fileCopy.map.set(start, end, state);
  fileCopy.mapPosition = end;
  fileCopy.mapChanged = true;
}

void finishMapFile(bool renamed) {
  if (fileCopy.mapFile.empty()) return;
  // Kept beside a copy with unreadable bytes when asked for, under the copy's real name; never
  // replacing a file of that name.
  bool keep = renamed && settings.saveDamageMap && fileCopy.unreadableBytes > 0;
  if (keep) {
    // The copy is closed and has its real name: the map says so without another flush.
    std::string kept = fileCopy.destinationFile + std::string(kMapSuffix);
    fileCopy.phase = RescuePhase::finished;
    replaceMap(fileCopy.mapFile);
    if (fileCopy.mapFile == kept || MoveFileExA(fileCopy.mapFile.c_str(), kept.c_str(), 0)) return;
  }
  if (renamed) DeleteFileA(fileCopy.mapFile.c_str());
}
