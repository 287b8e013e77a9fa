// The map of one file's copy (see rescue_map.h).
#include "copy/rescue_map.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

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
  char line[96];
  for (const std::string& comment : comments) out += "# " + comment + "\n";
  out += "# current_pos  current_status  current_pass\n";
  std::snprintf(line, sizeof line, "0x%08" PRIX64 "     %c               1\n",
                static_cast<std::uint64_t>(position), static_cast<char>(phase));
  out += line;
  out += "#      pos        size  status\n";
  for (const MapRange& range : ranges_) {
    std::snprintf(line, sizeof line, "0x%08" PRIX64 "  0x%08" PRIX64 "  %c\n",
                  static_cast<std::uint64_t>(range.start),
                  static_cast<std::uint64_t>(range.end - range.start),
                  static_cast<char>(range.state));
    out += line;
  }
  return out;
}
