#include "common/short_text.h"

#include <algorithm>
#include <cstring>

ShortText text(std::string_view source) {
  ShortText result;
  append(result, source);
  return result;
}

ShortText zeroTerminatedToText(const char* source) {
  ShortText result;
  if (source == nullptr) return result;
  while (result.length < kShortTextCapacity && source[result.length] != '\0') {
    result.bytes[result.length] = source[result.length];
    ++result.length;
  }
  return result;
}

ShortText decimalText(std::int64_t value) {
  // Built from the unsigned magnitude so that the most negative value has a text too.
  char digits[24];
  int count = 0;
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  ShortText result;
  if (value < 0) result.bytes[result.length++] = '-';
  while (count > 0) result.bytes[result.length++] = digits[--count];
  return result;
}

ZeroTerminatedText zeroTerminated(const ShortText& value) {
  ZeroTerminatedText result;
  std::memcpy(result.bytes, value.bytes, value.length);
  result.bytes[value.length] = '\0';
  return result;
}

std::string_view view(const ShortText& value) {
  return std::string_view(value.bytes, value.length);
}

std::string toString(const ShortText& value) { return std::string(view(value)); }

void append(ShortText& head, std::string_view tail) {
  std::size_t room = kShortTextCapacity - head.length;
  std::size_t taken = std::min(room, tail.size());
  std::memcpy(head.bytes + head.length, tail.data(), taken);
  head.length = static_cast<std::uint8_t>(head.length + taken);
}

ShortText operator+(const ShortText& head, const ShortText& tail) {
  ShortText result = head;
  append(result, view(tail));
  return result;
}

ShortText operator+(const ShortText& head, std::string_view tail) {
  ShortText result = head;
  append(result, tail);
  return result;
}

ShortText operator+(std::string_view head, const ShortText& tail) {
  ShortText result = text(head);
  append(result, view(tail));
  return result;
}

bool operator==(const ShortText& left, const ShortText& right) { return view(left) == view(right); }

bool operator==(const ShortText& left, std::string_view right) { return view(left) == right; }
