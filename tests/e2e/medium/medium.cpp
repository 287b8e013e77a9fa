// sorvel_medium: a FUSE file system that serves a folder read-only, like a CD, and makes chosen
// byte ranges of chosen files fail (see fault_rules.h for the rules and the read semantics).
//
//   sorvel_medium [--rules FILE] [--counts FILE] FOLDER MOUNTPOINT
//
// It runs in the foreground until the mount point is unmounted (fusermount3 -u MOUNTPOINT), then
// writes the counts report to the --counts file. The same report can be read at any time from the
// hidden file ".sorvel-medium-counts" at the root of the mount (it is not listed in the folder).
// Folders are listed sorted by name, "." and ".." first, like the directory of a CD.
// Every file is opened with direct_io, so every read of a program reaches the medium, with the
// program's own offset and size. The medium answers one request at a time, so a slow read holds
// back every other request (a read of the counts file included) until it is answered. Any attempt
// to change the medium fails with EROFS and is counted in the report ("refused").
//
// With --writable the medium is a writable disk instead, like a USB stick: the folder can be
// changed, and the kernel's page cache is in use (no direct_io, cached pages kept from one open
// to the next), so that a program reading back what it wrote gets the cache's copy unless it
// flushes and reads past the cache. "store" rules then make chosen ranges keep other bytes than
// were written, while every write reports success. With --refuse-direct as well, an open with
// O_DIRECT fails with EINVAL, as on a file system that offers no direct I/O.
//
//   sorvel_medium --writable [--refuse-direct] [--rules FILE] [--counts FILE] FOLDER MOUNTPOINT
//
// With --trace FILE every read of a served file adds a line "OFFSET DELIVERED FAILED NAME" to
// FILE, in the order the reads came (DELIVERED bytes from OFFSET; FAILED 1 for a read answered
// with EIO), so that a benchmark can tell which failed reads came before a byte was first read.
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/e2e/medium/fault_rules.h"

namespace {

constexpr const char* kControlPath = "/.sorvel-medium-counts";
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr std::uint64_t kControlFileHandle = ~0ull;

struct Medium {
  std::string folder;      // the served folder, without a trailing "/"
  std::string countsFile;  // where the report goes at unmount; empty for none
  std::FILE* trace = nullptr;  // --trace: a line per read of a file, in the order they came
  std::vector<FaultRule> rules;
  std::map<std::string, FileReads> files;  // the reads of each file, by rule name
  std::uint64_t refusedWrites = 0;
  bool writable = false;       // --writable: a writable, cached disk
  bool refusesDirect = false;  // --refuse-direct: opens with O_DIRECT fail
  std::mutex lock;
};

Medium& medium() { return *static_cast<Medium*>(fuse_get_context()->private_data); }

std::string backingPath(const char* path) { return medium().folder + path; }

// The rule name of a mount path: the path without its leading "/".
std::string ruleName(const char* path) { return path[0] == '/' ? path + 1 : path; }

std::string currentReport() {
  Medium& m = medium();
  std::lock_guard<std::mutex> guard(m.lock);
  return countsReport(m.rules, m.files, m.refusedWrites);
}

// Counts and refuses an attempt to change the medium.
int refuse() {
  Medium& m = medium();
  std::lock_guard<std::mutex> guard(m.lock);
  ++m.refusedWrites;
  return -EROFS;
}

void* mediumInit(fuse_conn_info* connection, fuse_config* config) {
  bool writable = static_cast<Medium*>(fuse_get_context()->private_data)->writable;
  config->direct_io = writable ? 0 : 1;
  config->kernel_cache = writable ? 1 : 0;
  // A writable medium's cached pages stay valid when the file's times change, as a disk's cache
  // does: otherwise the kernel would drop them at the next look at the file's attributes, and a
  // read-back through the cache would reach the medium after all.
  if (writable) connection->want &= ~FUSE_CAP_AUTO_INVAL_DATA;
  config->entry_timeout = 0;
  config->attr_timeout = 0;
  config->negative_timeout = 0;
  return fuse_get_context()->private_data;
}

void mediumDestroy(void* data) {
  Medium& m = *static_cast<Medium*>(data);
  if (m.trace != nullptr) std::fclose(m.trace);
  if (m.countsFile.empty()) return;
  std::ofstream out(m.countsFile, std::ios::trunc);
  out << countsReport(m.rules, m.files, m.refusedWrites);
}

int mediumGetattr(const char* path, struct stat* st, fuse_file_info*) {
  if (std::strcmp(path, kControlPath) == 0) {
    std::memset(st, 0, sizeof(*st));
    st->st_mode = S_IFREG | 0444;
    st->st_nlink = 1;
    st->st_size = static_cast<off_t>(currentReport().size());
    return 0;
  }
  if (lstat(backingPath(path).c_str(), st) != 0) return -errno;
  if (!medium().writable) st->st_mode &= ~kWriteBits;
  return 0;
}

int mediumAccess(const char* path, int mask) {
  if ((mask & W_OK) && !medium().writable) return -EROFS;
  if (std::strcmp(path, kControlPath) == 0) return 0;
  return access(backingPath(path).c_str(), mask) == 0 ? 0 : -errno;
}

int mediumReadlink(const char* path, char* buffer, size_t size) {
  if (size == 0) return -EINVAL;
  ssize_t length = readlink(backingPath(path).c_str(), buffer, size - 1);
  if (length < 0) return -errno;
  buffer[length] = '\0';
  return 0;
}

// Lists a folder in the byte order of the names, as the directory of a CD is sorted, so that a
// program walking it sees the same order on every machine.
int mediumReaddir(const char* path, void* buffer, fuse_fill_dir_t filler, off_t, fuse_file_info*,
                  fuse_readdir_flags) {
  DIR* dir = opendir(backingPath(path).c_str());
  if (dir == nullptr) return -errno;
  std::vector<std::pair<std::string, struct stat>> entries;
  while (dirent* entry = readdir(dir)) {
    struct stat st {};
    st.st_ino = entry->d_ino;
    st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
    entries.emplace_back(entry->d_name, st);
  }
  closedir(dir);
  auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
  std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    return std::make_pair(rank(a.first), a.first) < std::make_pair(rank(b.first), b.first);
  });
  for (const auto& [name, st] : entries) {
    if (filler(buffer, name.c_str(), &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
  }
  return 0;
}

int writableOpen(const char* path, fuse_file_info* info);

int mediumOpen(const char* path, fuse_file_info* info) {
  if (medium().writable) return writableOpen(path, info);
  info->direct_io = 1;
  if ((info->flags & O_ACCMODE) != O_RDONLY || (info->flags & O_TRUNC)) return refuse();
  if (std::strcmp(path, kControlPath) == 0) {
    info->fh = kControlFileHandle;
    return 0;
  }
  {
    Medium& m = medium();
    std::lock_guard<std::mutex> guard(m.lock);
    if (refusesOpen(m.rules, ruleName(path))) return -EACCES;
  }
  int fd = open(backingPath(path).c_str(), O_RDONLY | O_NOFOLLOW);
  if (fd < 0) return -errno;
  info->fh = static_cast<std::uint64_t>(fd);
  return 0;
}

int readControlFile(char* buffer, size_t size, off_t offset) {
  std::string report = currentReport();
  if (static_cast<std::uint64_t>(offset) >= report.size()) return 0;
  size_t count = std::min(size, report.size() - static_cast<size_t>(offset));
  std::memcpy(buffer, report.data() + offset, count);
  return static_cast<int>(count);
}

// Reads `size` bytes at `offset` from the backing file, whole unless its end comes first.
int readBacking(int fd, char* buffer, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -errno;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int>(done);
}

int mediumRead(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
  if (info->fh == kControlFileHandle) return readControlFile(buffer, size, offset);
  int fd = static_cast<int>(info->fh);
  struct stat st {};
  if (fstat(fd, &st) != 0) return -errno;
  ReadPlan plan;
  {
    Medium& m = medium();
    std::lock_guard<std::mutex> guard(m.lock);
    plan = planRead(m.rules, ruleName(path), static_cast<std::uint64_t>(offset), size,
                    static_cast<std::uint64_t>(st.st_size));
    countFileRead(m.files, ruleName(path), plan);
    if (m.trace != nullptr) {
      std::fprintf(m.trace, "%lld %llu %d %s\n", static_cast<long long>(offset),
                   static_cast<unsigned long long>(plan.fails ? 0 : plan.deliver),
                   plan.fails ? 1 : 0, ruleName(path).c_str());
    }
  }
  if (plan.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(plan.delayMs));
  if (plan.fails) return -EIO;
  return readBacking(fd, buffer, static_cast<size_t>(plan.deliver), offset);
}

int mediumRelease(const char*, fuse_file_info* info) {
  if (info->fh != kControlFileHandle) close(static_cast<int>(info->fh));
  return 0;
}

int mediumStatfs(const char* path, struct statvfs* st) {
  if (statvfs(backingPath(path).c_str(), st) != 0) return -errno;
  if (medium().writable) return 0;
  st->f_bfree = st->f_bavail = 0;
  st->f_ffree = st->f_favail = 0;
  st->f_flag |= ST_RDONLY;
  return 0;
}

int refusePath(const char*) { return refuse(); }
int refuseMode(const char*, mode_t) { return refuse(); }
int refuseTwoPaths(const char*, const char*) { return refuse(); }

fuse_operations mediumOperations() {
  fuse_operations ops{};
  ops.init = mediumInit;
  ops.destroy = mediumDestroy;
  ops.getattr = mediumGetattr;
  ops.access = mediumAccess;
  ops.readlink = mediumReadlink;
  ops.readdir = mediumReaddir;
  ops.open = mediumOpen;
  ops.read = mediumRead;
  ops.release = mediumRelease;
  ops.statfs = mediumStatfs;
  ops.mknod = [](const char*, mode_t, dev_t) { return refuse(); };
  ops.mkdir = refuseMode;
  ops.unlink = refusePath;
  ops.rmdir = refusePath;
  ops.symlink = refuseTwoPaths;
  ops.link = refuseTwoPaths;
  ops.rename = [](const char*, const char*, unsigned int) { return refuse(); };
  ops.chmod = [](const char*, mode_t, fuse_file_info*) { return refuse(); };
  ops.chown = [](const char*, uid_t, gid_t, fuse_file_info*) { return refuse(); };
  ops.truncate = [](const char*, off_t, fuse_file_info*) { return refuse(); };
  ops.utimens = [](const char*, const timespec*, fuse_file_info*) { return refuse(); };
  ops.create = [](const char*, mode_t, fuse_file_info*) { return refuse(); };
  ops.write = [](const char*, const char*, size_t, off_t, fuse_file_info*) { return refuse(); };
  ops.setxattr = [](const char*, const char*, const char*, size_t, int) { return refuse(); };
  ops.removexattr = [](const char*, const char*) { return refuse(); };
  ops.fallocate = [](const char*, int, off_t, off_t, fuse_file_info*) { return refuse(); };
  return ops;
}

// ---- the writable, cached disk (--writable) ----

// Returns `result`, or -errno when it is negative.
int orErrno(int result) { return result < 0 ? -errno : 0; }

int writableOpen(const char* path, fuse_file_info* info) {
  Medium& m = medium();
  if (std::strcmp(path, kControlPath) == 0) {
    // The counts are made at each read: never cached, never written.
    if ((info->flags & O_ACCMODE) != O_RDONLY) return -EACCES;
    info->direct_io = 1;
    info->fh = kControlFileHandle;
    return 0;
  }
  if (m.refusesDirect && (info->flags & O_DIRECT)) return -EINVAL;
  {
    std::lock_guard<std::mutex> guard(m.lock);
    if (refusesOpen(m.rules, ruleName(path))) return -EACCES;
  }
  int fd = open(backingPath(path).c_str(), (info->flags & ~O_DIRECT) | O_NOFOLLOW);
  if (fd < 0) return -errno;
  info->fh = static_cast<std::uint64_t>(fd);
  info->keep_cache = 1;
  return 0;
}

int writableCreate(const char* path, mode_t mode, fuse_file_info* info) {
  if (medium().refusesDirect && (info->flags & O_DIRECT)) return -EINVAL;
  int fd = open(backingPath(path).c_str(), (info->flags & ~O_DIRECT) | O_CREAT | O_NOFOLLOW, mode);
  if (fd < 0) return -errno;
  info->fh = static_cast<std::uint64_t>(fd);
  info->keep_cache = 1;
  return 0;
}

// Writes what a program wrote, with the bytes that "store" rules cover replaced, and reports the
// whole write as done.
int writableWrite(const char* path, const char* data, size_t size, off_t offset,
                  fuse_file_info* info) {
  std::vector<char> stored(data, data + size);
  {
    Medium& m = medium();
    std::lock_guard<std::mutex> guard(m.lock);
    applyStores(m.rules, ruleName(path), static_cast<std::uint64_t>(offset), stored.data(), size);
  }
  size_t done = 0;
  while (done < size) {
    ssize_t put = pwrite(static_cast<int>(info->fh), stored.data() + done, size - done,
                         offset + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return -errno;
    done += static_cast<size_t>(put);
  }
  return static_cast<int>(size);
}

int writableRename(const char* from, const char* to, unsigned int flags) {
  return orErrno(
      renameat2(AT_FDCWD, backingPath(from).c_str(), AT_FDCWD, backingPath(to).c_str(), flags));
}

int writableFsync(const char*, int, fuse_file_info* info) {
  return orErrno(fsync(static_cast<int>(info->fh)));
}

// Replaces the refusals of a read-only medium by the operations of a writable disk.
void addWritableOperations(fuse_operations& ops) {
  ops.create = writableCreate;
  ops.write = writableWrite;
  ops.rename = writableRename;
  ops.fsync = writableFsync;
  ops.unlink = [](const char* path) { return orErrno(unlink(backingPath(path).c_str())); };
  ops.mkdir = [](const char* path, mode_t mode) {
    return orErrno(mkdir(backingPath(path).c_str(), mode));
  };
  ops.rmdir = [](const char* path) { return orErrno(rmdir(backingPath(path).c_str())); };
  ops.chmod = [](const char* path, mode_t mode, fuse_file_info*) {
    return orErrno(chmod(backingPath(path).c_str(), mode));
  };
  ops.truncate = [](const char* path, off_t size, fuse_file_info*) {
    return orErrno(truncate(backingPath(path).c_str(), size));
  };
  ops.utimens = [](const char* path, const timespec* times, fuse_file_info*) {
    return orErrno(utimensat(AT_FDCWD, backingPath(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
  };
}

int usage() {
  std::fputs(
      "usage: sorvel_medium [--writable [--refuse-direct]] [--rules FILE] [--counts FILE] "
      "FOLDER MOUNTPOINT\n",
      stderr);
  return 2;
}

// Reads the command line into `m` and `mountPoint`. Returns false on a bad command line.
bool readCommandLine(int argc, char** argv, Medium& m, std::string& mountPoint) {
  std::string rulesFile;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--writable" || arg == "--refuse-direct") {
      (arg == "--writable" ? m.writable : m.refusesDirect) = true;
    } else if ((arg == "--rules" || arg == "--counts") && i + 1 < argc) {
      (arg == "--rules" ? rulesFile : m.countsFile) = argv[++i];
    } else if (arg == "--trace" && i + 1 < argc) {
      m.trace = std::fopen(argv[++i], "w");
      if (m.trace == nullptr) return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return false;
  m.folder = positional[0];
  mountPoint = positional[1];
  if (rulesFile.empty()) return true;
  std::ifstream in(rulesFile);
  std::string error;
  if (!in) error = "cannot read " + rulesFile;
  if (error.empty() && parseRules(in, m.rules, error)) return true;
  std::fprintf(stderr, "sorvel_medium: %s\n", error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  static Medium m;
  std::string mountPoint;
  if (!readCommandLine(argc, argv, m, mountPoint)) return usage();
  // The file system runs with "/" as its current folder: every path is made absolute first.
  char absolute[PATH_MAX];
  struct stat st {};
  if (realpath(m.folder.c_str(), absolute) == nullptr || stat(absolute, &st) != 0 ||
      !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "sorvel_medium: %s is not a folder\n", m.folder.c_str());
    return 2;
  }
  m.folder = std::strcmp(absolute, "/") == 0 ? "" : absolute;
  if (!m.countsFile.empty() && m.countsFile[0] != '/') {
    if (getcwd(absolute, sizeof(absolute)) == nullptr) return usage();
    m.countsFile = std::string(absolute) + "/" + m.countsFile;
  }
  // Foreground, one thread; the mount disappears with the process if it is killed.
  std::vector<std::string> args = {
      argv[0], mountPoint, "-f",
      "-s",    "-o",       "fsname=sorvel_medium,subtype=sorvel_medium,auto_unmount"};
  std::vector<char*> fuseArgv;
  for (std::string& arg : args) fuseArgv.push_back(arg.data());
  fuse_operations ops = mediumOperations();
  if (m.writable) addWritableOperations(ops);
  return fuse_main(static_cast<int>(fuseArgv.size()), fuseArgv.data(), &ops, &m);
}
