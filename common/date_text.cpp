// The parts of the dates the program writes.
#include "common/date_text.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string_view englishMonthName(int month) {
  if (month < 1 || month > static_cast<int>(kMonthNames.size())) return {};
  return kMonthNames[month - 1];
}

std::string_view daySuffix(int day) {
  if (day == 1 || day == 21 || day == 31) return "st";
  if (day == 2 || day == 22) return "nd";
  if (day == 3 || day == 23) return "rd";
  return "th";
}

ShortText twoDigits(int value) {
  constexpr int kFirstTwoDigitNumber = 10;
  return value < kFirstTwoDigitNumber ? "0" + decimalText(value) : decimalText(value);
}
