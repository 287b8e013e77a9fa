// Fault rules of the test medium: which byte ranges of which files fail, and how.
//
// A rules file holds one rule a line:  FILE FIRST LAST MODE N
//   FILE   path of the file inside the served folder, without a leading "/"; it may contain
//          blanks (the last four fields are taken from the end of the line)
//   FIRST  first failing byte offset, LAST last failing byte offset (inclusive, 64-bit decimal)
//   MODE   fail   every read touching the range fails                       (N is ignored)
//          eio    every read touching the range fails whole with EIO, however many good bytes
//                 lie before the range in it, as a disk fails a read over a bad sector (N is
//                 ignored)
//          flaky  the first N reads touching a byte fail, later reads succeed
//          slow   a read touching the range succeeds after a delay of N milliseconds
//          noopen the file cannot be opened at all (EACCES); FIRST and LAST are ignored
//          store  (a --writable medium) a write into the range reports success but stores the
//                 byte value N in place of each byte of the range it covers; reads of the range
//                 are counted and never fail
// Blank lines and lines starting with "#" are ignored.
//
// How a read of [offset, offset + size) is answered (the range is first clipped to the file size):
//   - every failing byte inside the range counts one read ("touched"), whether or not it is
//     delivered; slow ranges add their delay once per read;
//   - a byte fails in this read when its rule is "fail", or "flaky" and its count is still <= N;
//   - if the read STARTS at a failing byte, it fails with EIO;
//   - if it starts before the first failing byte, it is a short read that delivers exactly the
//     good bytes before that failing byte, unless a byte of an "eio" rule lies in the range: then
//     the whole read fails with EIO.
// So a reader that reads one byte at a time sees exactly the failing bytes fail, and a block
// reader gets the good prefix of its block and then EIO on its next read.
//   - a read that STARTS at a byte of a rule also counts one "start" of that byte: the reads aimed
//     at the byte itself, as opposed to the block reads that only covered it and stopped short
//     before it.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <vector>

enum class FaultMode { kFail, kEio, kFlaky, kSlow, kNoOpen, kStore };

struct FaultRule {
  std::string file;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  FaultMode mode = FaultMode::kFail;
  std::uint64_t amount = 0;           // N: failing reads (flaky) or milliseconds (slow)
  std::vector<std::uint32_t> reads;   // reads that touched each byte, index = offset - first
  std::vector<std::uint32_t> starts;  // reads that started at each byte, index = offset - first
};

// What the medium does with one read request.
struct ReadPlan {
  std::uint64_t deliver = 0;  // bytes to deliver from the start of the request
  bool fails = false;         // answer EIO instead of data
  std::uint64_t delayMs = 0;  // wait this long before answering
};

// The largest range one rule may cover (each byte has its own read counter).
constexpr std::uint64_t kMaxRuleBytes = 64ull * 1024 * 1024;

// The reads of one served file: every request, and those answered with EIO.
struct FileReads {
  std::uint64_t reads = 0;
  std::uint64_t failed = 0;
};

// Parses a rules file into `rules`. Returns false with a message naming the line on a bad line.
bool parseRules(std::istream& in, std::vector<FaultRule>& rules, std::string& error);

// Plans the read of `size` bytes at `offset` of `file` (size `fileSize`) and counts the touched
// failing bytes in `rules`.
ReadPlan planRead(std::vector<FaultRule>& rules, const std::string& file, std::uint64_t offset,
                  std::uint64_t size, std::uint64_t fileSize);

// Counts one read of `file` answered as `plan` says in `files`.
void countFileRead(std::map<std::string, FileReads>& files, const std::string& file,
                   const ReadPlan& plan);

// Replaces the bytes of `data` (`size` bytes written at `offset` of `file`) that "store" rules
// cover by the byte values they store. Returns how many bytes it replaced.
std::uint64_t applyStores(const std::vector<FaultRule>& rules, const std::string& file,
                          std::uint64_t offset, char* data, std::uint64_t size);

// Returns true when a "noopen" rule names `file`.
bool refusesOpen(const std::vector<FaultRule>& rules, const std::string& file);

// The counts report: "refused W" (refused write attempts), then one line per rule
// "rule FIRST LAST MODE N FILE" followed by one line per byte "byte OFFSET READS FILE" and one
// line per byte "start OFFSET STARTS FILE", then one line per file that was read, by name,
// "file READS FAILED FILE": all its read requests and those that failed.
std::string countsReport(const std::vector<FaultRule>& rules,
                         const std::map<std::string, FileReads>& files,
                         std::uint64_t refusedWrites);
