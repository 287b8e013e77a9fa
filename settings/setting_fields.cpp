// The keys of the settings file, in the order they are written, and the check-box pairing.
#include "app/window_handles.h"
#include "settings/settings_internal.h"

namespace {

constexpr SettingField flagField(std::string_view key, bool Settings::*flag,
                                 LineRule rule = LineRule::always) {
  return {key, FieldKind::flag, rule, flag, nullptr, nullptr, nullptr};
}

constexpr SettingField numberField(std::string_view key, std::int32_t Settings::*number,
                                   LineRule rule = LineRule::always) {
  return {key, FieldKind::number, rule, nullptr, number, nullptr, nullptr};
}

constexpr SettingField byteNumberField(std::string_view key, std::uint8_t Settings::*number) {
  return {key, FieldKind::byteNumber, LineRule::always, nullptr, nullptr, number, nullptr};
}

constexpr SettingField textField(std::string_view key, ShortText Settings::*text,
                                 LineRule rule = LineRule::always) {
  return {key, FieldKind::text, rule, nullptr, nullptr, nullptr, text};
}

}  // namespace

const SettingField kSettingFields[kSettingFieldCount] = {
    flagField("enableLog", &Settings::enableLog),
    flagField("rewriteLog", &Settings::rewriteLog),
    textField("logFileName", &Settings::logFileName),
    textField("backgroundColorHtmlLog", &Settings::backgroundColorHtmlLog),
    textField("fontColorHtmlLog", &Settings::fontColorHtmlLog),
    textField("linkColorHtmlLog", &Settings::linkColorHtmlLog),
    textField("errorColorHtmlLog", &Settings::errorColorHtmlLog),
    textField("warningColorHtmlLog", &Settings::warningColorHtmlLog),
    textField("noticeColorHtmlLog", &Settings::noticeColorHtmlLog),
    textField("htmlFont", &Settings::htmlFont),
    byteNumberField("fontSizeHtmlLog", &Settings::fontSizeHtmlLog),
    flagField("logStats", &Settings::logStats),
    flagField("logSettings", &Settings::logSettings),
    flagField("showLogWhenDone", &Settings::showLogWhenDone),
    textField("browserPath", &Settings::browserPath, LineRule::whenNotEmpty),
    flagField("watchProductVersion", &Settings::watchProductVersion),
    flagField("updateTitle", &Settings::updateTitle),
    flagField("proceedMinimized", &Settings::proceedMinimized),
    flagField("printProgress", &Settings::printProgress),
    flagField("printDetail", &Settings::printDetail),
    flagField("enableConsole", &Settings::enableConsole),
    flagField("showProgressBar", &Settings::showProgressBar),
    numberField("progressBarLatency", &Settings::progressBarLatency),
    flagField("recognize", &Settings::recognize),
    flagField("forceAccess", &Settings::forceAccess),
    flagField("subDamagedBitByZero", &Settings::subDamagedBitByZero),
    numberField("depthRead", &Settings::depthRead),
    numberField("depthWrite", &Settings::depthWrite),
    numberField("depthAccess", &Settings::depthAccess),
    numberField("depthClose", &Settings::depthClose),
    numberField("depthVerify", &Settings::depthVerify),
    flagField("verifyData", &Settings::verifyData),
    flagField("enableFasterCopy", &Settings::enableFasterCopy),
    flagField("haltOnFirstError", &Settings::haltOnFirstError),
    flagField("waitEnterAfterEachCopy", &Settings::waitEnterAfterEachCopy),
    flagField("saveSettings", &Settings::saveSettings),
    flagField("saveSourceFile", &Settings::saveSourceFile),
    textField("lastSourceFile", &Settings::lastSourceFile, LineRule::sourcePathWhenSaved),
    flagField("saveDestinyFolder", &Settings::saveDestinyFolder),
    textField("lastDestinyFolder", &Settings::lastDestinyFolder,
              LineRule::destinationPathWhenSaved),
    numberField("sectorSize", &Settings::sectorSize, LineRule::whenSet),
    flagField("logDamagedRanges", &Settings::logDamagedRanges, LineRule::whenSet),
    flagField("saveDamageMap", &Settings::saveDamageMap, LineRule::whenSet),
    flagField("copySubfolders", &Settings::copySubfolders, LineRule::whenSet),
    flagField("retryDamagedLast", &Settings::retryDamagedLast, LineRule::whenSet),
};

const CheckBoxFlag kCheckBoxFlags[kCheckBoxCount] = {
    {&enableLogBox, &Settings::enableLog},
    {&rewriteLogBox, &Settings::rewriteLog},
    {&printProgressBox, &Settings::printProgress},
    {&printDetailBox, &Settings::printDetail},
    {&verifyDataBox, &Settings::verifyData},
    {&recognizeBox, &Settings::recognize},
    {&enableConsoleBox, &Settings::enableConsole},
    {&enableFasterCopyBox, &Settings::enableFasterCopy},
    {&saveSettingsBox, &Settings::saveSettings},
    {&haltOnFirstErrorBox, &Settings::haltOnFirstError},
    {&forceAccessBox, &Settings::forceAccess},
};
