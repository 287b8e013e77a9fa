// ShortText: the program's text type. A length-prefixed run of at most 255 bytes of any value;
// joining texts cuts the result silently at 255 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kShortTextCapacity = 255;

struct ShortText {
  std::uint8_t length = 0;
  char bytes[kShortTextCapacity] = {};
};

// A text handed to the platform: the bytes of a ShortText followed by a zero byte.
struct ZeroTerminatedText {
  char bytes[kShortTextCapacity + 1];
};

// Returns the first 255 bytes of `source` as a ShortText.
ShortText text(std::string_view source);

// Returns the bytes of `source` up to its first zero byte, at most 255 of them.
ShortText zeroTerminatedToText(const char* source);

// Returns `value` in decimal: no leading blanks or zeros, a minus sign when negative.
ShortText decimalText(std::int64_t value);

// Returns `value` with a zero byte appended, for handing to the platform.
ZeroTerminatedText zeroTerminated(const ShortText& value);

// Returns the bytes of `value` (valid while `value` lives).
std::string_view view(const ShortText& value);

// Returns the bytes of `value` as a std::string.
std::string toString(const ShortText& value);

// Appends `tail` to `head`, keeping at most 255 bytes.
void append(ShortText& head, std::string_view tail);

// Returns `head` followed by `tail`, cut at 255 bytes.
ShortText operator+(const ShortText& head, const ShortText& tail);
ShortText operator+(const ShortText& head, std::string_view tail);
ShortText operator+(std::string_view head, const ShortText& tail);

bool operator==(const ShortText& left, const ShortText& right);
bool operator==(const ShortText& left, std::string_view right);
