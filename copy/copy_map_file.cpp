// The map of a copy on disk, beside its temporary file: NAME.sorvel-map for NAME.sorvel-part (with
// the temporary name's number, if it has one). It is replaced whole (written under a name of its
// own, then renamed over the old one), so that it is never seen half written, and only after
// what it calls done was flushed to the medium: a copy ended at any moment leaves a map whose
// done ranges the temporary file holds.
#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// The most milliseconds between two writes of the map while it changes.
constexpr DWORD kMapIntervalMs = 3000;
constexpr std::string_view kMapSuffix = ".sorvel-map";
constexpr std::string_view kMapTemporarySuffix = ".tmp";

// Returns the map's name for the temporary file `part`.
std::string mapNameOf(const std::string& part) {
  std::size_t at = part.rfind(kPartSuffix);
  if (at == std::string::npos) return part + std::string(kMapSuffix);
  return part.substr(0, at) + std::string(kMapSuffix) + part.substr(at + kPartSuffix.size());
}

// Writes `text` to `path` whole; returns true when every byte was written and the file closed.
bool writeWholeFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size() && FlushFileBuffers(file);
  return CloseHandle(file) && whole;
}

// How many numbered names are tried after the plain one when a file of the map's name exists.
constexpr int kMapNameCount = 100;

// Claims a name for the map of this copy: the plain one, or the first free numbered one, created
// empty so that no file of the user's is ever replaced. Returns the name, empty when none is free.
std::string claimMapName() {
  std::string base = mapNameOf(fileCopy.temporaryFile);
  for (int number = 0; number <= kMapNameCount; ++number) {
    std::string name = number == 0 ? base : base + std::to_string(number);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return name;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

// Replaces the map at `mapFile` with the map in memory; returns true when it was replaced whole.
bool replaceMap(const std::string& mapFile) {
  std::vector<std::string> comments = {
      "Mapfile. Created by sorvel",
      "source: " + fileCopy.sourceFile,
      "source size: " + std::to_string(currentSize),
  };
  std::string text = fileCopy.map.text(comments, fileCopy.mapPosition, fileCopy.phase);
  std::string temporary = mapFile + std::string(kMapTemporarySuffix);
  if (writeWholeFile(temporary, text) &&
      MoveFileExA(temporary.c_str(), mapFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

void writeMapFile(bool now) {
  DWORD tick = GetTickCount();
  if (!now && (!fileCopy.mapChanged || tick - fileCopy.mapWrittenAt < kMapIntervalMs)) return;
  // What the map calls done must be on the medium before the map says so.
  if (!FlushFileBuffers(fileCopy.destination)) return;
  if (fileCopy.mapFile.empty()) fileCopy.mapFile = claimMapName();
  if (fileCopy.mapFile.empty()) return;
  if (replaceMap(fileCopy.mapFile)) {
    fileCopy.mapChanged = false;
    fileCopy.mapWrittenAt = tick;
  }
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
