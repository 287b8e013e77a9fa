// The header that opens the record of each run: product, author, maker, version, the notice that
// the version may be outdated, the maker's links, and the time stamp of the run.
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/version.h"
#include "common/date_text.h"
#include "log/html_log.h"
#include "log/log_internal.h"
#include "settings/settings.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The month the version was made in; the notice shows when the month is further away than this.
constexpr int kVersionMonth = 4;
constexpr int kVersionMonthSpread = 2;

// The log's own spelling of the first month, which its readers have always seen; the other
// months are spelt as everywhere else.
constexpr std::string_view kLogJanuary = "Janruary";

constexpr int kMillisecondsPerHundredth = 10;

// Returns a font tag of the fixed face MS Sans Serif, used for the product name and the author.
std::string fixedFontTag(std::string_view size) {
  return "<FONT FACE=\"MS Sans Serif\" SIZE=" + std::string(size) + " COLOR=#" +
         toString(settings.fontColorHtmlLog) + ">";
}

// Returns a link to `address` whose visible text is the address itself, in the link colour.
std::string addressLink(std::string_view target, std::string_view address) {
  return "<A HREF=" + std::string(target) + ">" + fontTag("1", settings.linkColorHtmlLog) +
         std::string(address) + "</FONT></A><BR>";
}

// Appends `line` and the CR LF that ends a physical line of the log.
void appendLine(std::string& out, std::string_view line) {
  out += line;
  out += kLineEnd;
}

// Appends the lines naming the product, its author and maker, and the version. The version line
// runs on: no CR LF follows it, so the notice or the update line continues it.
void appendProductLines(std::string& out) {
  const ShortText& colour = settings.fontColorHtmlLog;
  appendLine(out, fixedFontTag("4") + "<B>sorvel</B></FONT>");
  appendLine(out, fixedFontTag("1") + "Kestravel</FONT><BR>");
  appendLine(out, fontTag("1", colour) + "by Tandrel software</FONT><BR>");
  appendLine(out, fontTag("2", colour) + "Log</FONT>");
  out += fontTag("1", colour) + " version " + toString(decimalText(kMajorVersion)) + "." +
         toString(decimalText(kMinorVersion)) + "</FONT><BR>";
}

// Appends the update and contact lines with the maker's three addresses.
void appendMakerLines(std::string& out) {
  const ShortText& colour = settings.fontColorHtmlLog;
  appendLine(out, fontTag("1", colour) + "Download update at our web</FONT><BR>");
  appendLine(out, addressLink(kMakerWebPage, kMakerWebPage));
  appendLine(out, fontTag("1", colour) + "Conact: </FONT>");
  appendLine(out, addressLink(std::string("mailto:") + kMakerMailAddress, kMakerMailAddress));
  appendLine(out, fontTag("1", colour) + "Actual version available at: </FONT>" +
                      addressLink(kMakerUpdateArchive, kMakerUpdateArchive));
}

}  // namespace

std::string fontTag(std::string_view size, const ShortText& colour) {
  return "<FONT FACE=" + toString(settings.htmlFont) + " SIZE=" + std::string(size) + " COLOR=#" +
         toString(colour) + ">";
}

bool versionOutdated(int month) { return std::abs(month - kVersionMonth) > kVersionMonthSpread; }

std::string dayWithSuffix(int day) {
  return toString(decimalText(day)) + std::string(daySuffix(day));
}

std::string_view monthName(int month) { return month == 1 ? kLogJanuary : englishMonthName(month); }

std::string logTimeStamp(const SYSTEMTIME& now) {
  return dayWithSuffix(now.wDay) + " " + std::string(monthName(now.wMonth)) + " " +
         toString(decimalText(now.wYear)) + " " + toString(decimalText(now.wHour)) + ":" +
         toString(twoDigits(now.wMinute)) + ":" + toString(twoDigits(now.wSecond)) + ":" +
         toString(twoDigits(now.wMilliseconds / kMillisecondsPerHundredth));
}

std::string logHeader(bool newFile, const SYSTEMTIME& now) {
  std::string header;
  if (newFile) {
    appendLine(header, "<HTML><HEAD><TITLE>sorvel Log</TITLE></HEAD><BODY BGCOLOR=#" +
                           toString(settings.backgroundColorHtmlLog) + ">");
  } else {
    appendLine(header, "<BR>");
  }
  appendProductLines(header);
  if (settings.watchProductVersion && versionOutdated(now.wMonth)) {
    appendLine(header, fontTag("1", settings.noticeColorHtmlLog) +
                           "Your version seems to be outdated</FONT><BR>");
  }
  appendMakerLines(header);
  appendLine(header,
             fontTag(toString(decimalText(settings.fontSizeHtmlLog)), settings.fontColorHtmlLog));
  appendLine(header, "Logged " + logTimeStamp(now));
  appendLine(header, "</FONT><BR>");
  return header;
}
