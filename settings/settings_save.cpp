// Writing "sorvel.ini" at exit: every line into a temporary file in the same folder, which then
// replaces the old file, so that a failure part-way never loses the settings on disk. Where
// "sorvel.ini" is a symbolic link, the file it points to is the one written and replaced, and the
// link stays.
#include <string>
#include <string_view>

#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTemporarySuffix = ".tmp";
// How many temporary names are tried when earlier ones are taken.
constexpr int kTemporaryNameCount = 16;
// How many times the temporary file is closed before it is given up: a file left open could
// neither replace the old file nor be removed.
constexpr int kCloseAttempts = 3;

// Returns whether the field's line goes into the file.
bool isLineWritten(const SettingField& field) {
  switch (field.rule) {
    case LineRule::always:
      return true;
    case LineRule::whenNotEmpty:
      return (settings.*field.text).length != 0;
    case LineRule::sourcePathWhenSaved:
      return settings.saveSourceFile;
    case LineRule::destinationPathWhenSaved:
      return settings.saveDestinyFolder;
    case LineRule::whenSet:
      return field.kind == FieldKind::flag ? settings.*field.flag : settings.*field.number != 0;
  }
  return false;
}

// Returns `path` as the value of the field's line, or the empty value when the line would not be
// read back whole: longer than the reader's 255 bytes (a path that long may already have been cut)
// or broken by a line end. A path read back in part would name another folder or file.
std::string savedPath(const SettingField& field, const ShortText& path) {
  std::string_view value = view(path);
  bool whole = field.key.size() + kKeySeparator.size() + value.size() <= kShortTextCapacity &&
               value.find_first_of("\r\n") == std::string_view::npos;
  return whole ? std::string(value) : std::string();
}

// Returns the value written for the field: "yes" or "no", a number in decimal, or the text byte
// for byte (sourcePath and destinationPath stand for lastSourceFile and lastDestinyFolder).
std::string lineValue(const SettingField& field) {
  switch (field.kind) {
    case FieldKind::flag:
      return std::string(settings.*field.flag ? kYes : kNo);
    case FieldKind::number:
      return toString(decimalText(settings.*field.number));
    case FieldKind::byteNumber:
      return toString(decimalText(settings.*field.byteNumber));
    case FieldKind::text:
      break;
  }
  if (field.rule == LineRule::sourcePathWhenSaved) return savedPath(field, sourcePath);
  if (field.rule == LineRule::destinationPathWhenSaved) return savedPath(field, destinationPath);
  return toString(settings.*field.text);
}

// Returns the whole file: each written line as key, ": ", value and CR LF, in the table's order.
// Key and value are joined in full, so a line may be longer than 255 bytes.
std::string settingsFileContent() {
  std::string content;
  for (const SettingField& field : kSettingFields) {
    if (!isLineWritten(field)) continue;
    content.append(field.key);
    content.append(kKeySeparator);
    content.append(lineValue(field));
    content.append(kLineEnd);
  }
  return content;
}

// Returns whether every byte of `data` was written to `file`.
bool writeAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
        written == 0) {
      return false;
    }
    data.remove_prefix(written);
  }
  return true;
}

// Returns whether the existing settings file must be left as it is: a read-only file, or a
// folder of that name.
bool isSettingsFileProtected() {
  DWORD attributes = GetFileAttributesA(kSettingsFileName);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// Returns the path of the file the settings are written to: the file "sorvel.ini" is, every
// symbolic link resolved, so that a link into a dotfiles folder or a shared configuration keeps
// pointing at the file that receives the settings (on Windows in the "\\?\" form, which the calls
// that follow take as it is). Where there is no such file, or its path cannot be told, "sorvel.ini"
// itself.
std::string settingsTarget() {
  HANDLE file =
      CreateFileA(kSettingsFileName, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kSettingsFileName;
  std::string path(MAX_PATH, '\0');
  DWORD length = GetFinalPathNameByHandleA(file, path.data(), static_cast<DWORD>(path.size()),
                                           FILE_NAME_NORMALIZED);
  if (length >= path.size()) {
    path.resize(length + 1);  // one byte more than asked for: some systems want it
    length = GetFinalPathNameByHandleA(file, path.data(), static_cast<DWORD>(path.size()),
                                       FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (length == 0 || length >= path.size()) return kSettingsFileName;
  path.resize(length);
  return path;
}

// Creates a new temporary file beside `target` (its name with ".tmp") and sets `name` to its name.
// A name that is taken is never reused (the file may be the user's): the next one is tried.
// Returns INVALID_HANDLE_VALUE when no temporary file could be created.
HANDLE createTemporaryFile(const std::string& target, std::string& name) {
  for (int attempt = 0; attempt < kTemporaryNameCount; ++attempt) {
    name = target + std::string(kTemporarySuffix);
    if (attempt > 0) name += toString(decimalText(attempt));
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

// Returns whether `file` was closed, trying up to kCloseAttempts times.
bool closeFile(HANDLE file) {
  for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
    if (CloseHandle(file)) return true;
  }
  return false;
}

// Gives the written file `temporaryName` the name `target`. An existing settings file is
// replaced with ReplaceFileA, which keeps what belongs to the old file (its attributes, on POSIX
// its permission bits and owner): a private settings file stays private. Returns whether the
// settings file on disk is now the new one.
bool putInPlace(const std::string& temporaryName, const std::string& target) {
  if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return ReplaceFileA(target.c_str(), temporaryName.c_str(), nullptr, 0, nullptr, nullptr) != 0;
  }
  return MoveFileExA(temporaryName.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

// Writes every field of `settings` (with sourcePath and destinationPath as the saved source and
// destination) into "sorvel.ini": into a temporary file first, which then replaces the old file.
// On any failure the temporary file is removed and the old file stays as it was. A read-only
// settings file, a folder of that name and a file that start-up could not read are left alone.
void saveSettingsFile() {
  if (settingsFileUnread || isSettingsFileProtected()) return;
  const std::string target = settingsTarget();
  std::string temporaryName;
  HANDLE file = createTemporaryFile(target, temporaryName);
  if (file == INVALID_HANDLE_VALUE) return;
  bool written = writeAll(file, settingsFileContent());
  // Flushed before the rename, so that a crash after it cannot leave an empty settings file.
  written = written && FlushFileBuffers(file);
  // A failed close may have lost data: the old file is then kept. The close is retried only so
  // that the temporary file can be removed.
  bool closed = CloseHandle(file) != 0;
  if (!closed) closeFile(file);
  if (written && closed && putInPlace(temporaryName, target)) return;
  DeleteFileA(temporaryName.c_str());
}
