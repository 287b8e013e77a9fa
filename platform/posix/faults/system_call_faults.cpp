// The system call faults of system_call_faults.h: one table of hooks, installed while any fault
// is armed.
#include "platform/posix/faults/system_call_faults.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <set>

#include "platform/posix/kernel32/paths.h"
#include "platform/posix/kernel32/system_call_hooks.h"

namespace faults {

namespace {

struct FlushFault {
  int remaining = 0;
  int error = 0;
  std::int64_t calls = 0;
};

struct ReadsFrom {
  std::int64_t offset;
  int error;
};

std::mutex lock;
std::map<std::string, ReadsFrom> readsFrom;
std::set<std::string> directRefused;
std::map<std::string, FlushFault> flushFaults;
std::map<std::string, int> statErrors;
int renameNoReplaceError = 0;
int linkError = 0;

kernel32::SystemReadPlan onRead(const std::string& path, std::int64_t offset, std::uint32_t length,
                                bool direct) {
  std::lock_guard<std::mutex> guard(lock);
  if (direct && directRefused.count(path) != 0) return {0, EINVAL};
  auto found = readsFrom.find(path);
  if (found == readsFrom.end()) return {length, 0};
  if (offset >= found->second.offset) return {0, found->second.error};
  std::int64_t before = found->second.offset - offset;
  return {before < length ? static_cast<std::uint32_t>(before) : length, 0};
}

int onRenameNoReplace(const std::string&) {
  std::lock_guard<std::mutex> guard(lock);
  return renameNoReplaceError;
}

int onLink(const std::string&) {
  std::lock_guard<std::mutex> guard(lock);
  return linkError;
}

int onFlush(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  FlushFault& fault = flushFaults[path];
  ++fault.calls;
  if (fault.remaining == 0) return 0;
  --fault.remaining;
  return fault.error;
}

int onStat(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = statErrors.find(path);
  return found == statErrors.end() ? 0 : found->second;
}

const kernel32::SystemCallHooks table{onRead, onRenameNoReplace, onLink, onFlush, onStat};

void arm() { kernel32::installSystemCallHooks(&table); }

std::string normal(const std::string& path) { return kernel32::absoluteNormalPath(path); }

}  // namespace

void failReadsFrom(const std::string& path, std::int64_t offset, int error) {
  std::lock_guard<std::mutex> guard(lock);
  readsFrom.insert_or_assign(normal(path), ReadsFrom{offset, error});
  arm();
}

void refuseDirectReads(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  directRefused.insert(normal(path));
  arm();
}

void failStats(const std::string& path, int error) {
  std::lock_guard<std::mutex> guard(lock);
  statErrors.insert_or_assign(normal(path), error);
  arm();
}

void refuseRenameNoReplace(int error) {
  std::lock_guard<std::mutex> guard(lock);
  renameNoReplaceError = error;
  arm();
}

void refuseLinks(int error) {
  std::lock_guard<std::mutex> guard(lock);
  linkError = error;
  arm();
}

void failFlushes(const std::string& path, int count, int error) {
  std::lock_guard<std::mutex> guard(lock);
  FlushFault& fault = flushFaults[normal(path)];
  fault.remaining = count;
  fault.error = error;
  arm();
}

std::int64_t flushes(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = flushFaults.find(normal(path));
  return found == flushFaults.end() ? 0 : found->second.calls;
}

void clearSystemCallFaults() {
  kernel32::installSystemCallHooks(nullptr);
  std::lock_guard<std::mutex> guard(lock);
  readsFrom.clear();
  directRefused.clear();
  flushFaults.clear();
  statErrors.clear();
  renameNoReplaceError = 0;
  linkError = 0;
}

}  // namespace faults
