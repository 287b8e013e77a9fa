// sorvel_medium_probe: reads a range of a file in blocks and prints what every read returned,
// one line a read: "OFFSET BYTES" for data (a short read shows fewer bytes than asked), or
// "OFFSET ERRNAME" (for example EIO) for a failed read. After a failed read it goes on one byte
// further, after a successful one just behind the bytes delivered; it stops at the end of the
// range or of the file. With --out, the bytes delivered are written into that file at their own
// offsets (a file that exists is written over in place).
//
//   sorvel_medium_probe [--out FILE] FILE OFFSET LENGTH BLOCK
//
// With --socket PATH it only makes a socket file at PATH (bound, then left behind), for tests
// that need one among ordinary files.
//
//   sorvel_medium_probe --socket PATH
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
  std::fputs("usage: sorvel_medium_probe [--out FILE] FILE OFFSET LENGTH BLOCK\n", stderr);
  return 2;
}

// Reads [offset, offset + length) of `in` in blocks of `block` bytes and reports every read.
int probe(int in, int out, unsigned long long offset, unsigned long long length, size_t block) {
  std::vector<char> buffer(block);
  unsigned long long end = offset + length;
  while (offset < end) {
    size_t want = static_cast<size_t>(std::min<unsigned long long>(block, end - offset));
    ssize_t got = pread(in, buffer.data(), want, static_cast<off_t>(offset));
    if (got < 0) {
      const char* name = strerrorname_np(errno);
      std::printf("%llu %s\n", offset, name != nullptr ? name : "error");
      offset += 1;
      continue;
    }
    std::printf("%llu %zd\n", offset, got);
    if (got == 0) break;
    if (out >= 0 &&
        pwrite(out, buffer.data(), static_cast<size_t>(got), static_cast<off_t>(offset)) != got) {
      std::perror("sorvel_medium_probe: write");
      return 1;
    }
    offset += static_cast<unsigned long long>(got);
  }
  return 0;
}

// Binds a local socket at `path` and leaves its file behind. Returns the exit code.
int makeSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    std::fputs("sorvel_medium_probe: socket path too long\n", stderr);
    return 1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    std::perror("sorvel_medium_probe: socket");
    return 1;
  }
  close(fd);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--socket") return makeSocket(args[1]);
  std::string outPath;
  if (args.size() >= 2 && args[0] == "--out") {
    outPath = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 4) return usage();
  unsigned long long offset = std::strtoull(args[1].c_str(), nullptr, 10);
  unsigned long long length = std::strtoull(args[2].c_str(), nullptr, 10);
  size_t block = std::strtoul(args[3].c_str(), nullptr, 10);
  if (block == 0) return usage();
  int in = open(args[0].c_str(), O_RDONLY);
  if (in < 0) {
    const char* name = strerrorname_np(errno);
    std::printf("open %s\n", name != nullptr ? name : "error");
    return 1;
  }
  int out = -1;
  if (!outPath.empty() && (out = open(outPath.c_str(), O_WRONLY | O_CREAT, 0644)) < 0) {
    std::perror("sorvel_medium_probe: out");
    return 1;
  }
  int result = probe(in, out, offset, length, block);
  close(in);
  if (out >= 0) close(out);
  return result;
}
