// The map of one file's copy (see rescue_map.h).
#include "copy/rescue_map.h"

#include <algorithm>
#include <cstdint>

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
