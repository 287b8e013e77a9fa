// Copy-rate benchmark: copies a healthy file (16 MiB unless a size in MiB is given) through
// copyOneFile over the POSIX Win32 layer (in blocks; byte by byte when the third argument is
// "byte-by-byte"), with the window shown headless and the log written, and prints the rate in
// bytes per second, once with the default options and once with verification on. The copies are
// checked against the source.
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "app/main_window.h"
#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kDefaultMiB = 16;

// The main window with the result box and stateLine3, as the status output expects them.
bool createWindows() {
  WNDCLASSA mainClass = {};
  mainClass.lpfnWndProc = DefWindowProcA;
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = "sorvel";
  if (RegisterClassA(&mainClass) == 0) return false;
  mainWindow = CreateWindowExA(0, "sorvel", "sorvel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                               560, nullptr, nullptr, nullptr, nullptr);
  resultBox = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_MULTILINE, 10,
                              150, 370, 200, mainWindow, nullptr, nullptr, nullptr);
  stateLine3 = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 400, 300, 16, mainWindow,
                               nullptr, nullptr, nullptr);
  return mainWindow != nullptr && resultBox != nullptr && stateLine3 != nullptr;
}

std::string contentOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Copies `name` from `source` into a fresh folder under `root`; prints and checks the result.
bool measure(const char* label, const std::filesystem::path& root, const std::string& name,
             const std::string& bytes) {
  std::filesystem::path destination = root / (std::string("copy-") + label);
  std::filesystem::create_directory(destination);
  destinationFolderPath = destination.string();
  destinationFolder = text(destinationFolderPath);
  currentName = text(name);
  currentSize = static_cast<std::int64_t>(bytes.size());
  // Wall time is what a user waits; processor time shows the cost on a machine busy with more.
  std::clock_t processorStart = std::clock();
  auto start = std::chrono::steady_clock::now();
  copyOneFile();
  std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  double processorSeconds = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
  bool same = fileBytesWritten == currentSize && contentOf(destination / name) == bytes;
  double size = static_cast<double>(currentSize);
  std::printf(
      "copyOneFile%s, healthy %lld-byte file, %s: %.0f bytes/s (%.2f s wall), "
      "%.0f bytes per processor second (%.2f s)%s\n",
      copyByteByByte ? " byte by byte" : "", static_cast<long long>(currentSize), label,
      size / seconds.count(), seconds.count(), size / processorSeconds, processorSeconds,
      same ? "" : "  COPY DIFFERS FROM SOURCE");
  std::filesystem::remove_all(destination);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t mebibytes = argc > 1 ? std::atoll(argv[1]) : kDefaultMiB;
  if (mebibytes <= 0) mebibytes = kDefaultMiB;
  copyByteByByte = argc > 2 && std::string(argv[2]) == "byte-by-byte";
  char pattern[] = "/tmp/sorvel-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  std::filesystem::path root = pattern;
  headless::install();
  if (!createWindows()) return 1;

  setDefaultSettings();
  settings.logFileName = text((root / "bench.log.htm").string());
  openLog();
  readDepth = settings.depthRead;
  writeDepth = settings.depthWrite;
  textLike = false;

  std::filesystem::create_directory(root / "source");
  sourceFolderPath = (root / "source").string() + "/";
  sourceFolder = text(sourceFolderPath);
  std::mt19937 fill(1);
  std::string bytes(static_cast<std::size_t>(mebibytes * kMiB), '\0');
  for (char& byte : bytes) byte = static_cast<char>(fill());
  const std::string name = "healthy.bin";
  std::ofstream(root / "source" / name, std::ios::binary) << bytes;

  bool ok = measure("default options", root, name, bytes);
  settings.verifyData = true;
  ok = measure("verifyData on", root, name, bytes) && ok;

  headless::reset();
  std::filesystem::remove_all(root);
  return ok ? 0 : 1;
}
