// Lexical path helpers of the POSIX kernel32 layer.
#include "platform/posix/kernel32/paths.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kernel32 {

namespace {
constexpr std::size_t kFirstFolderBuffer = 256;
}

std::string currentFolder() {
  std::string buffer(kFirstFolderBuffer, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

std::string absoluteNormalPath(std::string_view path) {
  std::string full;
  if (path.empty() || path.front() != '/') {
    full = currentFolder();
    full += '/';
  }
  full += path;
  std::vector<std::string_view> parts;
  std::string_view rest = full;
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string normal;
  for (std::string_view part : parts) {
    normal += '/';
    normal += part;
  }
  return normal.empty() ? std::string("/") : normal;
}

std::string folderOf(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string lastComponent(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace kernel32
