// The settings section: the options a run works with, listed as plain entries right after the
// header, in the same "key: value" form as the lines of the settings file.
#include <cstdint>
#include <string_view>

#include "log/html_log.h"
#include "settings/settings.h"

namespace {

// Writes "key: yes" or "key: no".
void writeFlagEntry(std::string_view key, bool value) {
  writeLogEntry(text(key) + (value ? ": yes" : ": no"), plain);
}

// Writes "key: " followed by the decimal value.
void writeNumberEntry(std::string_view key, std::int64_t value) {
  writeLogEntry(text(key) + ": " + decimalText(value), plain);
}

// Writes "key: " followed by the text unchanged. Used for colours and the font face, which every
// font tag of the log carries unchanged too.
void writeTextEntry(std::string_view key, const ShortText& value) {
  writeLogEntry(text(key) + ": " + value, plain);
}

// Writes "key: " followed by a path with its HTML characters escaped, so the page shows the path
// as it is in the settings file.
void writePathEntry(std::string_view key, const ShortText& value) {
  writeLogEntry(text(key) + ": " + escapeHtml(view(value)), plain);
}

// Writes the options that choose the log and how it looks and is shown (rows up to browserPath).
void writeLogOptions() {
  writeLogEntry(text("<U>Settings</U>"), plain);
  writeLogEntry(text("enableLog: yes"), plain);
  writeFlagEntry("rewriteLog", settings.rewriteLog);
  writePathEntry("logFileName", settings.logFileName);
  writeTextEntry("backgroundColorHtmlLog", settings.backgroundColorHtmlLog);
  writeTextEntry("fontColorHtmlLog", settings.fontColorHtmlLog);
  writeTextEntry("linkColorHtmlLog", settings.linkColorHtmlLog);
  writeTextEntry("errorColorHtmlLog", settings.errorColorHtmlLog);
  writeTextEntry("warningColorHtmlLog", settings.warningColorHtmlLog);
  writeTextEntry("noticeColorHtmlLog", settings.noticeColorHtmlLog);
  writeTextEntry("htmlFont", settings.htmlFont);
  writeNumberEntry("fontSizeHtmlLog", settings.fontSizeHtmlLog);
  writeFlagEntry("logStats", settings.logStats);
  writeLogEntry(text("logSettings: yes"), plain);
  writeFlagEntry("showLogWhenDone", settings.showLogWhenDone);
  if (settings.browserPath.length != 0) writePathEntry("browserPath", settings.browserPath);
}

// Writes the options of the window and of the copy itself.
void writeCopyOptions() {
  writeFlagEntry("watchProductVersion", settings.watchProductVersion);
  writeFlagEntry("updateTitle", settings.updateTitle);
  writeFlagEntry("proceedMinimized", settings.proceedMinimized);
  writeFlagEntry("printProgress", settings.printProgress);
  writeFlagEntry("printDetail", settings.printDetail);
  writeFlagEntry("enableConsole", settings.enableConsole);
  writeFlagEntry("showProgressBar", settings.showProgressBar);
  writeFlagEntry("recognize", settings.recognize);
  writeFlagEntry("forceAccess", settings.forceAccess);
  writeNumberEntry("depthRead", settings.depthRead);
  writeNumberEntry("depthWrite", settings.depthWrite);
  writeNumberEntry("depthAccess", settings.depthAccess);
  writeNumberEntry("depthClose", settings.depthClose);
  writeNumberEntry("depthVerify", settings.depthVerify);
  writeFlagEntry("verifyData", settings.verifyData);
  writeFlagEntry("enableFasterCopy", settings.enableFasterCopy);
  writeFlagEntry("haltOnFirstError", settings.haltOnFirstError);
  writeFlagEntry("waitEnterAfterEachCopy", settings.waitEnterAfterEachCopy);
  writeFlagEntry("saveSettings", settings.saveSettings);
  // Listed only when the user set it, so that the section of a run with every default is unchanged.
  if (settings.sectorSize != 0) writeNumberEntry("sectorSize", settings.sectorSize);
  if (settings.logDamagedRanges) writeFlagEntry("logDamagedRanges", true);
  if (settings.saveDamageMap) writeFlagEntry("saveDamageMap", true);
  if (settings.copySubfolders) writeFlagEntry("copySubfolders", true);
  if (settings.retryDamagedLast) writeFlagEntry("retryDamagedLast", true);
}

}  // namespace

// Lists the options of the run as plain entries: 35 of them, or 34 when browserPath is empty,
// and sectorSize, logDamagedRanges, saveDamageMap, copySubfolders and retryDamagedLast last when
// the user set them.
// Writes nothing when enableLog or logSettings is off (the section says both are on).
void writeSettingsSection() {
  if (!settings.enableLog || !settings.logSettings) return;
  writeLogOptions();
  writeCopyOptions();
}
