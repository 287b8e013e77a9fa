// Fault injection and call counting for tests (see faults.h for the rules).
#include "platform/posix/faults/faults.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/posix/kernel32/paths.h"

namespace faults {

namespace {

constexpr int kAlways = -1;

// Bytes first..last of a path fail their first `times` reads or writes (kAlways: every one).
struct ByteFault {
  std::int64_t first;
  std::int64_t last;
  int times;
  ReadFailure how;
  DWORD error;
  std::map<std::int64_t, int> used;  // failures already given, per byte
};

// Bytes first..last of a path read back with their bits inverted.
struct ByteRange {
  std::int64_t first;
  std::int64_t last;
};

// `calls` calls of `length` bytes each, at start, start + length, start + 2 * length, ...:
// a byte-by-byte pass over a file is kept as one run.
struct CallRun {
  std::int64_t start;
  std::uint32_t length;
  std::int64_t calls;
};

// A call that fails its first `count` attempts with `error`.
struct CountedFailure {
  int count = 0;
  DWORD error = ERROR_SUCCESS;
};

struct PathRecord {
  std::int64_t opens = 0;
  std::int64_t closes = 0;
  CountedFailure openFailure;
  CountedFailure closeFailure;
  CountedFailure createDirectoryFailure;
  CountedFailure listFailure;
  std::vector<ByteFault> readFaults;
  std::vector<ByteFault> writeFaults;
  std::vector<ByteRange> wrongBytes;
  int longReadFailures = 0;  // kAlways: every read of more than one byte fails
  bool refusesUnbufferedReads = false;
  std::int64_t unbufferedReads = 0;
  std::optional<DWORD> attributes;  // reported in place of those of the file system
  std::vector<CallRun> reads;
  std::vector<CallRun> writes;
};

std::mutex lock;
std::map<std::string, PathRecord> records;
std::optional<SYSTEMTIME> fixedTime;
// The writes left before the process ends, as if killed (-1: it never ends).
std::int64_t writesBeforeEnd = -1;
// The WriteFile calls since the last reset, on every file.
std::int64_t writeCallCount = 0;

// Returns the record of `path` (already absolute and normal); the caller holds `lock`.
PathRecord& recordOf(const std::string& path) { return records[path]; }

// Returns the record of a path a test named; the caller holds `lock`.
PathRecord& recordForTest(const std::string& path) {
  return recordOf(kernel32::absoluteNormalPath(path));
}

void arm();  // installs the hook table below

// Uses up one failure of `failure` when any is left; returns the error if so.
std::optional<DWORD> takeFailure(CountedFailure& failure) {
  if (failure.count <= 0) return std::nullopt;
  --failure.count;
  return failure.error;
}

bool exhausted(const ByteFault& fault, std::int64_t byte) {
  if (fault.times == kAlways) return false;
  auto found = fault.used.find(byte);
  return (found == fault.used.end() ? 0 : found->second) >= fault.times;
}

struct FailingByte {
  std::int64_t byte;
  ByteFault* fault;
};

// Returns the first byte of [offset, end) that one of `faults` still makes fail, with the first
// fault (in arming order) that does so.
std::optional<FailingByte> firstFailingByte(std::vector<ByteFault>& faults, std::int64_t offset,
                                            std::int64_t end) {
  std::optional<FailingByte> best;
  for (ByteFault& fault : faults) {
    std::int64_t to = std::min(fault.last, end - 1);
    for (std::int64_t byte = std::max(fault.first, offset); byte <= to; ++byte) {
      if (best && byte >= best->byte) break;
      if (!exhausted(fault, byte)) {
        best = FailingByte{byte, &fault};
        break;
      }
    }
  }
  return best;
}

void useFailure(const FailingByte& failing) {
  if (failing.fault->times != kAlways) ++failing.fault->used[failing.byte];
}

void recordCall(std::vector<CallRun>& runs, std::int64_t offset, std::uint32_t length) {
  if (!runs.empty()) {
    CallRun& last = runs.back();
    if (length > 0 && last.length == length && last.start + last.calls * length == offset) {
      ++last.calls;
      return;
    }
  }
  runs.push_back(CallRun{offset, length, 1});
}

// Returns how many calls of `runs` covered `byte`; only one-byte calls when `singleByte`.
std::int64_t callsCovering(const std::vector<CallRun>& runs, std::int64_t byte, bool singleByte) {
  std::int64_t count = 0;
  for (const CallRun& run : runs) {
    if (run.length == 0 || (singleByte && run.length != 1)) continue;
    if (byte >= run.start && byte < run.start + run.calls * run.length) ++count;
  }
  return count;
}

// Returns what `counter` reads from the record of a path a test named (0 when never seen).
template <typename Counter>
std::int64_t countFor(const std::string& path, Counter counter) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = records.find(kernel32::absoluteNormalPath(path));
  return found == records.end() ? 0 : counter(found->second);
}

void addByteFault(std::vector<ByteFault> PathRecord::*list, const std::string& path,
                  ByteFault fault) {
  std::lock_guard<std::mutex> guard(lock);
  (recordForTest(path).*list).push_back(std::move(fault));
  arm();
}

void setCountedFailure(CountedFailure PathRecord::*failure, const std::string& path, int count,
                       DWORD error) {
  std::lock_guard<std::mutex> guard(lock);
  recordForTest(path).*failure = CountedFailure{count, error};
  arm();
}

}  // namespace

// The hooks the kernel32 calls consult while the layer is armed.
namespace {
namespace hooks {

using kernel32::ReadPlan;
using kernel32::WritePlan;

std::optional<DWORD> onOpen(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  PathRecord& record = recordOf(path);
  ++record.opens;
  return takeFailure(record.openFailure);
}

std::optional<DWORD> onClose(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  PathRecord& record = recordOf(path);
  ++record.closes;
  return takeFailure(record.closeFailure);
}

std::optional<DWORD> onCreateDirectory(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  return takeFailure(recordOf(path).createDirectoryFailure);
}

// An unbuffered read reaches the medium in whole sectors, and a disk fails such a request whole:
// when it covers a byte that still fails, it delivers nothing and uses up one failure of every
// failing byte it covers (so that the bytes of a bad sector, given the same faults, stay alike).
ReadPlan unbufferedRead(PathRecord& record, std::int64_t offset, std::uint32_t length) {
  std::int64_t end = offset + length;
  std::optional<FailingByte> failing = firstFailingByte(record.readFaults, offset, end);
  if (!failing) return ReadPlan{length, false, ReadFailure::error};
  ReadFailure how = failing->fault->how;
  while (failing) {
    useFailure(*failing);
    failing = firstFailingByte(record.readFaults, failing->byte + 1, end);
  }
  return ReadPlan{0, true, how};
}

ReadPlan onRead(const std::string& path, std::int64_t offset, std::uint32_t length,
                std::uint32_t unbufferedSector) {
  std::lock_guard<std::mutex> guard(lock);
  PathRecord& record = recordOf(path);
  recordCall(record.reads, offset, length);
  if (unbufferedSector != 0) {
    ++record.unbufferedReads;
    if (record.refusesUnbufferedReads) return ReadPlan{0, true, ReadFailure::invalid};
    if (record.longReadFailures == 0) return unbufferedRead(record, offset, length);
  }
  if (length > 1 && record.longReadFailures != 0) {
    if (record.longReadFailures != kAlways) --record.longReadFailures;
    return ReadPlan{0, true, ReadFailure::error};
  }
  std::optional<FailingByte> failing = firstFailingByte(record.readFaults, offset, offset + length);
  if (!failing) return ReadPlan{length, false, ReadFailure::error};
  if (failing->byte > offset) {
    return ReadPlan{static_cast<std::uint32_t>(failing->byte - offset), false, ReadFailure::error};
  }
  useFailure(*failing);
  return ReadPlan{0, true, failing->fault->how};
}

void corruptDelivered(const std::string& path, std::int64_t offset, void* buffer,
                      std::uint32_t count) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = records.find(path);
  if (found == records.end()) return;
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::int64_t end = offset + count;
  for (const ByteRange& range : found->second.wrongBytes) {
    for (std::int64_t byte = std::max(range.first, offset); byte <= range.last && byte < end;
         ++byte) {
      bytes[byte - offset] = static_cast<unsigned char>(~bytes[byte - offset]);
    }
  }
}

WritePlan onWrite(const std::string& path, std::int64_t offset, std::uint32_t length) {
  std::lock_guard<std::mutex> guard(lock);
  // Ended before this write reaches the file, without a flush or a close, as a kill would.
  if (writesBeforeEnd == 0) _exit(kEndedByFaultLayer);
  if (writesBeforeEnd > 0) --writesBeforeEnd;
  ++writeCallCount;
  PathRecord& record = recordOf(path);
  recordCall(record.writes, offset, length);
  std::optional<FailingByte> failing =
      firstFailingByte(record.writeFaults, offset, offset + length);
  if (!failing) return WritePlan{length, false, ERROR_SUCCESS};
  useFailure(*failing);
  return WritePlan{static_cast<std::uint32_t>(failing->byte - offset), true, failing->fault->error};
}

std::optional<SYSTEMTIME> fixedLocalTime() {
  std::lock_guard<std::mutex> guard(lock);
  return fixedTime;
}

std::optional<DWORD> reportedAttributes(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = records.find(path);
  if (found == records.end()) return std::nullopt;
  return found->second.attributes;
}

std::optional<DWORD> onListFolder(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  return takeFailure(recordOf(path).listFailure);
}

const kernel32::FaultHooks table{onOpen,           onClose, onCreateDirectory, onRead,
                                 corruptDelivered, onWrite, fixedLocalTime,    reportedAttributes,
                                 onListFolder};

}  // namespace hooks

void arm() { kernel32::installFaultHooks(&hooks::table); }

}  // namespace

void reset() {
  std::lock_guard<std::mutex> guard(lock);
  records.clear();
  fixedTime.reset();
  writesBeforeEnd = -1;
  writeCallCount = 0;
  arm();
}

void disarm() {
  std::lock_guard<std::mutex> guard(lock);
  records.clear();
  fixedTime.reset();
  writesBeforeEnd = -1;
  writeCallCount = 0;
  kernel32::installFaultHooks(nullptr);
}

void startCounting() { arm(); }

std::int64_t writeCalls() {
  std::lock_guard<std::mutex> guard(lock);
  return writeCallCount;
}

void endProcessAtWrite(std::int64_t count) {
  std::lock_guard<std::mutex> guard(lock);
  writesBeforeEnd = count;
}

void failOpens(const std::string& path, int count, DWORD error) {
  setCountedFailure(&PathRecord::openFailure, path, count, error);
}

void failReads(const std::string& path, std::int64_t offset, int times, ReadFailure how) {
  failReadRange(path, offset, offset, times, how);
}

void failReadRange(const std::string& path, std::int64_t first, std::int64_t last, int times,
                   ReadFailure how) {
  addByteFault(&PathRecord::readFaults, path, ByteFault{first, last, times, how, ERROR_CRC, {}});
}

void failLongReads(const std::string& path, int count) {
  std::lock_guard<std::mutex> guard(lock);
  recordForTest(path).longReadFailures = count;
  arm();
}

void refuseUnbufferedReads(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  recordForTest(path).refusesUnbufferedReads = true;
  arm();
}

void corruptReadRange(const std::string& path, std::int64_t first, std::int64_t last) {
  std::lock_guard<std::mutex> guard(lock);
  recordForTest(path).wrongBytes.push_back(ByteRange{first, last});
  arm();
}

void failWrites(const std::string& path, std::int64_t offset, int times, DWORD error) {
  addByteFault(&PathRecord::writeFaults, path,
               ByteFault{offset, offset, times, ReadFailure::error, error, {}});
}

void failCloses(const std::string& path, int count, DWORD error) {
  setCountedFailure(&PathRecord::closeFailure, path, count, error);
}

void failCreateDirectory(const std::string& path, int count, DWORD error) {
  setCountedFailure(&PathRecord::createDirectoryFailure, path, count, error);
}

void failListing(const std::string& path, int count, DWORD error) {
  setCountedFailure(&PathRecord::listFailure, path, count, error);
}

void reportAttributes(const std::string& path, DWORD attributes) {
  std::lock_guard<std::mutex> guard(lock);
  recordForTest(path).attributes = attributes;
  arm();
}

std::int64_t opens(const std::string& path) {
  return countFor(path, [](const PathRecord& record) { return record.opens; });
}

std::int64_t closes(const std::string& path) {
  return countFor(path, [](const PathRecord& record) { return record.closes; });
}

std::int64_t unbufferedReads(const std::string& path) {
  return countFor(path, [](const PathRecord& record) { return record.unbufferedReads; });
}

std::int64_t readsAt(const std::string& path, std::int64_t offset) {
  return countFor(path, [offset](const PathRecord& record) {
    return callsCovering(record.reads, offset, false);
  });
}

std::int64_t singleByteReadsAt(const std::string& path, std::int64_t offset) {
  return countFor(path, [offset](const PathRecord& record) {
    return callsCovering(record.reads, offset, true);
  });
}

std::int64_t writesAt(const std::string& path, std::int64_t offset) {
  return countFor(path, [offset](const PathRecord& record) {
    return callsCovering(record.writes, offset, false);
  });
}

void setLocalTime(const SYSTEMTIME& fixed) {
  std::lock_guard<std::mutex> guard(lock);
  fixedTime = fixed;
  arm();
}

void useRealClock() {
  std::lock_guard<std::mutex> guard(lock);
  fixedTime.reset();
}

}  // namespace faults
