// The process's surroundings: current folder, folder for temporary files, module handle, and
// starting another program with WinExec.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/kernel32/command_line.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

// WinExec results: a value above 31 means the program was started.
constexpr UINT kWinExecStarted = 33;
constexpr UINT kWinExecOutOfResources = 0;
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";
constexpr const char* kDefaultTempFolder = "/tmp";
constexpr int kExecFailedStatus = 127;

// Copies `text` and its zero byte into `buffer` when `bufferLength` holds both, as the Win32
// calls that return a path do. Returns the length copied (without the zero), or the size needed
// (with the zero) when the buffer is too small; the buffer is then left untouched.
DWORD copyPathOut(const std::string& text, DWORD bufferLength, LPSTR buffer) {
  if (buffer == nullptr || bufferLength <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// Returns the file `program` names: itself when it holds a "/", else the first executable of
// that name in the folders of PATH. Returns an empty text when none is found.
std::string findProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* searchPath = std::getenv("PATH");
  std::string folders = searchPath != nullptr && *searchPath ? searchPath : kDefaultSearchPath;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = end > start ? folders.substr(start, end - start) : ".";
    std::string candidate = folder + "/" + program;
    struct stat status {};
    if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

// In the started program's process: a session of its own, no terminal input, default signal
// handling, then the program. Only async-signal-safe calls, since the parent may have threads.
[[noreturn]] void execDetached(const char* program, char* const* argv, int errorPipe) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  signal(SIGCHLD, SIG_DFL);
  int input = open("/dev/null", O_RDONLY);
  if (input >= 0 && input != STDIN_FILENO) {
    dup2(input, STDIN_FILENO);
    close(input);
  }
  execv(program, argv);
  int error = errno;
  ssize_t ignored = write(errorPipe, &error, sizeof error);
  (void)ignored;
  _exit(kExecFailedStatus);
}

// Starts `program` with `argv` detached: the intermediate child starts a new session, forks the
// program and ends at once, so the program is adopted by init and never left as a zombie of this
// process. Returns 0 when the program runs, or the errno of the failed start (exec failure is
// reported back through a close-on-exec pipe).
int startDetached(const std::string& program, std::vector<char*>& argv) {
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) return errno;
  pid_t child = fork();
  if (child < 0) {
    int error = errno;
    close(errorPipe[0]);
    close(errorPipe[1]);
    return error;
  }
  if (child == 0) {
    close(errorPipe[0]);
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) execDetached(program.c_str(), argv.data(), errorPipe[1]);
    if (grandchild < 0) {
      int error = errno;
      ssize_t ignored = write(errorPipe[1], &error, sizeof error);
      (void)ignored;
    }
    _exit(0);
  }
  close(errorPipe[1]);
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t count = 0;
  do {
    count = read(errorPipe[0], &error, sizeof error);
  } while (count < 0 && errno == EINTR);
  close(errorPipe[0]);
  return count == static_cast<ssize_t>(sizeof error) ? error : 0;
}

// Returns the WinExec result for a start that failed with errno `error`.
UINT winExecFailure(int error) {
  if (error == ENOMEM || error == EAGAIN) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return kWinExecOutOfResources;
  }
  if (error == ENOEXEC) {
    SetLastError(ERROR_BAD_FORMAT);
    return ERROR_BAD_FORMAT;
  }
  // Any other program that cannot be started, missing or not, is "not found" for WinExec.
  SetLastError(ERROR_FILE_NOT_FOUND);
  return ERROR_FILE_NOT_FOUND;
}

}  // namespace

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  std::string folder = currentFolder();
  if (folder.empty()) {
    failWithErrno(errno);
    return 0;
  }
  return copyPathOut(folder, bufferLength, buffer);
}

DWORD WINAPI GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder =
      fromEnvironment != nullptr && *fromEnvironment == '/' ? fromEnvironment : kDefaultTempFolder;
  // Windows ends this path with a separator.
  if (folder.back() != '/') folder += '/';
  return copyPathOut(folder, bufferLength, buffer);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  // The program's own module: any fixed non-null value serves as its instance handle.
  static char programModule;
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(&programModule);
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

UINT WINAPI WinExec(LPCSTR cmdLine, UINT) {
  std::vector<std::string> arguments = splitCommandLine(cmdLine != nullptr ? cmdLine : "");
  if (arguments.empty() || arguments[0].empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return ERROR_FILE_NOT_FOUND;
  }
  std::string program = findProgram(arguments[0]);
  if (program.empty()) return winExecFailure(ENOENT);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  if (int error = startDetached(program, argv); error != 0) return winExecFailure(error);
  return kWinExecStarted;
}
