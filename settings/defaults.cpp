// The defaults of every option.
#include "settings/settings.h"

// Assigns every field of `settings` its default; sourcePath and destinationPath are left alone.
void setDefaultSettings() {
  settings.enableLog = true;
  settings.rewriteLog = true;
  settings.printProgress = true;
  settings.verifyData = false;
  settings.printDetail = false;
  settings.enableConsole = true;
  settings.enableFasterCopy = false;
  settings.recognize = false;
  settings.saveSettings = true;
  settings.haltOnFirstError = false;
  settings.updateTitle = false;
  settings.saveSourceFile = false;
  settings.saveDestinyFolder = false;
  settings.logStats = true;
  settings.forceAccess = false;
  settings.showProgressBar = true;
  settings.showLogWhenDone = false;
  settings.watchProductVersion = true;
  settings.waitEnterAfterEachCopy = false;
  settings.proceedMinimized = false;
  settings.logSettings = false;
  settings.subDamagedBitByZero = false;
  settings.logDamagedRanges = false;
  settings.saveDamageMap = false;
  settings.depthRead = 16;
  settings.depthWrite = 4;
  settings.depthAccess = 32;
  settings.depthClose = 8;
  settings.depthVerify = 1;
  settings.fontSizeHtmlLog = 1;
  settings.progressBarLatency = 1;
  settings.sectorSize = 0;  // the medium's own
  settings.copySubfolders = false;
  settings.retryDamagedLast = false;
  settings.backgroundColorHtmlLog = text("0000FF");
  settings.fontColorHtmlLog = text("FFFFFF");
  settings.linkColorHtmlLog = text("FFAA00");
  settings.errorColorHtmlLog = text("FF0000");
  settings.warningColorHtmlLog = text("FFFF00");
  settings.noticeColorHtmlLog = text("00FFFF");
  settings.htmlFont = text("Arial");
  settings.lastSourceFile = ShortText{};
  settings.lastDestinyFolder = ShortText{};
  settings.logFileName = text(kDefaultLogFileName);
  settings.browserPath = ShortText{};
}
