// The parts of the dates the program writes, as in "21st March 2003 9:05:08".
#pragma once

#include <string_view>

#include "common/short_text.h"

// Returns the English name of `month` (1 is January), or an empty view outside 1 to 12.
std::string_view englishMonthName(int month);

// Returns the suffix of a day of the month: 1st, 2nd, 3rd, 4th ... 11th, 12th, 13th ... 31st.
std::string_view daySuffix(int day);

// Returns `value` in decimal with a "0" in front when it is below 10.
ShortText twoDigits(int value);
