// The map of one file's copy: which bytes are done, which are still to be read, which were given
// up. It is kept in memory during the copy and written beside the copy's temporary file, in GNU
// ddrescue's mapfile format (its manual documents it), so that rescue tools and their viewers can
// read it, and an interrupted copy knows what it holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The state of a range, as the mapfile writes it.
enum class RangeState : char {
  notTried = '?',    // never read
  notTrimmed = '*',  // a read over it failed; its edges are still to be read sector by sector
  notRetried = '/',  // left after trimming: to be read with retries, byte by byte or by sector
  bad = '-',         // given up: the copy holds substitute bytes there
  done = '+',        // the copy holds the source's bytes there
};

// What the copy is doing, as the mapfile's status line writes it.
enum class RescuePhase : char {
  copying = '?',
  trimming = '*',
  retrying = '-',
  finished = '+',
};

struct MapRange {
  std::int64_t start;
  std::int64_t end;  // one past the last byte
  RangeState state;
};

// The ranges of a file of `size` bytes, in order, adjacent, covering it whole; neighbours never
// have the same state.
class RescueMap {
 public:
  RescueMap() = default;
  // A map of `size` bytes, all in `state`.
  RescueMap(std::int64_t size, RangeState state);

  std::int64_t size() const { return size_; }
  const std::vector<MapRange>& ranges() const { return ranges_; }

  // Gives the bytes start..end-1 the state `state` (clipped to the file).
  void set(std::int64_t start, std::int64_t end, RangeState state);

  // Returns the state of the byte at `offset` (RangeState::done past the end).
  RangeState stateAt(std::int64_t offset) const;

  // Returns the first range at or after `from` whose state is `state`, or a range with start ==
  // end == size() when there is none.
  MapRange next(std::int64_t from, RangeState state) const;

  // Returns the first range at or after `from` that is neither done nor bad (an area still to be
  // read), merged with the ranges of that kind that follow it.
  MapRange nextArea(std::int64_t from) const;

  // Returns the mapfile's text: comment lines (`comments`, each without its "# "), the status
  // line with `position` and `phase`, and a line per range.
  std::string text(const std::vector<std::string>& comments, std::int64_t position,
                   RescuePhase phase) const;

  // Reads the text of a mapfile for a file of `size` bytes into `map`: the comment lines go to
  // `comments` (each without its "# "), the ranges to the map. Returns false, leaving `map` as it
  // was, for a text that is not such a map: no status line, a line that is neither, ranges that
  // leave a gap, overlap, or do not end at `size`.
  static bool parse(std::string_view text, std::int64_t size, RescueMap& map,
                    std::vector<std::string>& comments);

 private:
  std::int64_t size_ = 0;
  std::vector<MapRange> ranges_;
};
