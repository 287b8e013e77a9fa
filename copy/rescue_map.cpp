// The map of one file's copy (see rescue_map.h).
#include "copy/rescue_map.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

// Returns `value` as "0x" and at least eight upper-case hexadecimal digits, as the mapfile
// writes positions and sizes.
std::string hexText(std::uint64_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  if (digits.size() < 8) digits.insert(0, 8 - digits.size(), '0');
  return "0x" + digits;
}

// The widest hexadecimal number a mapfile position may have (63 bits).
constexpr std::size_t kLongestHex = 16;

// Reads a "0x"-prefixed hexadecimal number that fits in 63 bits from the start of `word`.
// Returns false for anything else.
bool readHex(std::string_view word, std::int64_t& value) {
  if (word.size() < 3 || word.size() > 2 + kLongestHex || word.substr(0, 2) != "0x") return false;
  std::uint64_t result = 0;
  for (char digit : word.substr(2)) {
    int nibble = digit >= '0' && digit <= '9'   ? digit - '0'
                 : digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                 : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                                                : -1;
    if (nibble < 0) return false;
    result = result * 16 + static_cast<std::uint64_t>(nibble);
  }
  if (result > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  value = static_cast<std::int64_t>(result);
  return true;
}

// Splits `line` into its words, separated by spaces or tabs.
std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    std::size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    std::size_t end = std::min(line.size(), line.find_first_of(" \t", start));
    words.push_back(line.substr(start, end - start));
    at = end;
  }
  return words;
}

// Returns true for a character the mapfile writes as a range's state.
bool isRangeState(char state) {
  switch (static_cast<RangeState>(state)) {
    case RangeState::notTried:
    case RangeState::notTrimmed:
    case RangeState::notRetried:
    case RangeState::bad:
    case RangeState::done:
      return true;
  }
  return false;
}

}  // namespace

RescueMap::RescueMap(std::int64_t size, RangeState state) : size_(std::max<std::int64_t>(0, size)) {
  if (size_ > 0) ranges_.push_back(MapRange{0, size_, state});
}

void RescueMap::set(std::int64_t start, std::int64_t end, RangeState state) {
  start = std::max<std::int64_t>(0, start);
  end = std::min(size_, end);
  if (start >= end) return;
  std::vector<MapRange> result;
  result.reserve(ranges_.size() + 2);
  // Appends a range, merged with the last one when their states are the same.
  auto append = [&result](MapRange range) {
    if (range.start >= range.end) return;
    if (!result.empty() && result.back().state == range.state) {
      result.back().end = range.end;
    } else {
      result.push_back(range);
    }
  };
  bool placed = false;
  for (const MapRange& range : ranges_) {
    append(MapRange{range.start, std::min(range.end, start), range.state});
    if (!placed && range.end > start) {
      append(MapRange{start, end, state});
      placed = true;
    }
    append(MapRange{std::max(range.start, end), range.end, range.state});
  }
  ranges_ = std::move(result);
}

RangeState RescueMap::stateAt(std::int64_t offset) const {
  auto found = std::upper_bound(ranges_.begin(), ranges_.end(), offset,
                                [](std::int64_t at, const MapRange& r) { return at < r.end; });
  if (found == ranges_.end()) return RangeState::done;
  return found->state;
}

MapRange RescueMap::next(std::int64_t from, RangeState state) const {
  for (const MapRange& range : ranges_) {
    if (range.end > from && range.state == state) {
      return MapRange{std::max(range.start, from), range.end, state};
    }
  }
  return MapRange{size_, size_, state};
}

MapRange RescueMap::nextArea(std::int64_t from) const {
  MapRange area{size_, size_, RangeState::notTried};
  for (const MapRange& range : ranges_) {
    if (range.end <= from) continue;
    bool open = range.state != RangeState::done && range.state != RangeState::bad;
    if (area.start == size_) {
      if (open) area = MapRange{std::max(range.start, from), range.end, range.state};
    } else if (open) {
      area.end = range.end;
    } else {
      break;
    }
  }
  return area;
}

std::string RescueMap::text(const std::vector<std::string>& comments, std::int64_t position,
                            RescuePhase phase) const {
  std::string out;
  for (const std::string& comment : comments) out += "# " + comment + "\n";
  out += "# current_pos  current_status  current_pass\n";
  out += hexText(static_cast<std::uint64_t>(position)) + "     " + static_cast<char>(phase) +
         "               1\n";
  out += "#      pos        size  status\n";
  for (const MapRange& range : ranges_) {
    out += hexText(static_cast<std::uint64_t>(range.start)) + "  " +
           hexText(static_cast<std::uint64_t>(range.end - range.start)) + "  " +
           static_cast<char>(range.state) + "\n";
  }
  return out;
}

bool RescueMap::parse(std::string_view text, std::int64_t size, RescueMap& map,
                      std::vector<std::string>& comments) {
  RescueMap read(size, RangeState::notTried);
  std::vector<std::string> lines;
  bool statusSeen = false;
  std::int64_t next = 0;
  // Every byte before `next` has had its range read, in order and without a gap.
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() == '#') {
      line.remove_prefix(line.size() > 1 && line[1] == ' ' ? 2 : 1);
      lines.emplace_back(line);
      continue;
    }
    std::vector<std::string_view> words = wordsOf(line);
    if (words.empty()) continue;
    std::int64_t position = 0;
    std::int64_t length = 0;
    if (!statusSeen) {
      // current_pos current_status [current_pass]
      if (words.size() < 2 || !readHex(words[0], position) || words[1].size() != 1) return false;
      statusSeen = true;
      continue;
    }
    if (words.size() != 3 || !readHex(words[0], position) || !readHex(words[1], length) ||
        words[2].size() != 1 || !isRangeState(words[2][0])) {
      return false;
    }
    if (position != next || length <= 0 || length > size - position) return false;
    read.set(position, position + length, static_cast<RangeState>(words[2][0]));
    next = position + length;
  }
  if (!statusSeen || next != size) return false;
  map = std::move(read);
  comments = std::move(lines);
  return true;
}
