// One line of the settings file: splitting it into key and value, converting a number value, and
// applying the line to the options record.
#include <cstdint>
#include <limits>
#include <string_view>

#include "settings/settings.h"
#include "settings/settings_internal.h"

namespace {

constexpr char kBlank = ' ';
constexpr char kTab = '\t';
constexpr int kDecimal = 10;
constexpr int kHexadecimal = 16;
constexpr int kBinary = 2;
constexpr int kOctal = 8;
constexpr std::int32_t kLowByte = 0xFF;
constexpr std::int64_t kLargestMagnitude =
    -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min());

// Returns the value of a digit in bases up to 16 (either case), or -1 for any other character.
int digitValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  return -1;
}

// Returns the base a prefix character chooses ("$", "%", "&"), or 0 when it is no prefix.
int prefixBase(char character) {
  switch (character) {
    case '$':
      return kHexadecimal;
    case '%':
      return kBinary;
    case '&':
      return kOctal;
    default:
      return 0;
  }
}

// The text fields whose values are paths of files or folders.
constexpr std::string_view kPathKeys[] = {"logFileName", "browserPath", "lastSourceFile",
                                          "lastDestinyFolder"};

// Returns true when the field named `key` holds a path.
bool isPathKey(std::string_view key) {
  for (std::string_view pathKey : kPathKeys) {
    if (key == pathKey) return true;
  }
  return false;
}

// True when `line` is exactly `key`, ": " and `value`.
bool isLineOf(std::string_view line, std::string_view key, std::string_view value) {
  return line.size() == key.size() + kKeySeparator.size() + value.size() && line.starts_with(key) &&
         line.substr(key.size()).starts_with(kKeySeparator) && line.ends_with(value);
}

}  // namespace

// Returns the value after the first blank of `line`; sets `key` to the bytes up to and with that
// blank (the whole line when there is none).
ShortText splitSettingLine(const ShortText& line, ShortText& key) {
  key = ShortText{};
  std::uint8_t moved = 0;
  while (moved < line.length) {
    char character = line.bytes[moved];
    key.bytes[moved] = character;
    ++moved;
    key.length = moved;
    if (character == kBlank) break;
  }
  return text(view(line).substr(moved));
}

// Returns whether `value` is a whole number within the signed 32-bit range and stores it in
// `number` then; see settings_internal.h for the accepted forms.
bool convertSettingNumber(std::string_view value, std::int32_t& number) {
  std::size_t at = 0;
  while (at < value.size() && (value[at] == kBlank || value[at] == kTab)) ++at;
  bool negative = false;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
    negative = value[at] == '-';
    ++at;
  }
  int base = kDecimal;
  if (at < value.size() && prefixBase(value[at]) != 0) base = prefixBase(value[at++]);
  if (at == value.size()) return false;
  std::int64_t magnitude = 0;
  for (; at < value.size(); ++at) {
    int digit = digitValue(value[at]);
    if (digit < 0 || digit >= base) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > kLargestMagnitude) return false;
  }
  std::int64_t result = negative ? -magnitude : magnitude;
  if (result > std::numeric_limits<std::int32_t>::max()) return false;
  number = static_cast<std::int32_t>(result);
  return true;
}

// Applies one settings line to `settings`; a line that is no valid setting changes nothing, and a
// line that was cut sets no path.
void applySettingLine(const ShortText& line, bool cut) {
  ShortText key;
  ShortText value = splitSettingLine(line, key);
  std::int32_t number = 0;
  bool converted = convertSettingNumber(view(value), number);
  for (const SettingField& field : kSettingFields) {
    if (field.kind == FieldKind::flag) {
      // A flag line is matched whole: nothing before or after, the value in lower case.
      if (isLineOf(view(line), field.key, kYes)) settings.*field.flag = true;
      if (isLineOf(view(line), field.key, kNo)) settings.*field.flag = false;
      continue;
    }
    if (!isLineOf(view(key), field.key, "")) continue;
    if (field.kind == FieldKind::text && !(cut && isPathKey(field.key))) {
      settings.*field.text = value;
    }
    if (!converted || number <= 0) continue;
    if (field.kind == FieldKind::number) settings.*field.number = number;
    // One byte wide: the low 8 bits of the number are kept (300 gives 44).
    if (field.kind == FieldKind::byteNumber) {
      settings.*field.byteNumber = static_cast<std::uint8_t>(number & kLowByte);
    }
  }
}
