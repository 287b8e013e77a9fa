// The process's surroundings: GetCurrentDirectoryA, GetTempPathA, GetModuleHandleA, and WinExec
// starting a program without a shell, detached, with its arguments split as Windows splits them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#endif

namespace {

using Process = ScopedTempDir;

TEST_F(Process, CurrentDirectoryReportsLengthOrNeededSize) {
  std::string expected = std::filesystem::current_path().string();
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  EXPECT_EQ(expected.size() + 1, needed);
  std::vector<char> buffer(needed, 'x');
  EXPECT_EQ(needed - 1, GetCurrentDirectoryA(needed, buffer.data()));
  EXPECT_EQ(expected, std::string(buffer.data()));
  std::vector<char> small(needed - 1, 'x');
  EXPECT_EQ(needed, GetCurrentDirectoryA(needed - 1, small.data()));
  EXPECT_EQ(std::string(needed - 1, 'x'), std::string(small.begin(), small.end()));
}

TEST_F(Process, TempPathEndsWithASeparatorAndExists) {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(sizeof buffer, buffer);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof buffer);
  EXPECT_EQ(length, std::string(buffer).size());
  EXPECT_EQ(kPathSeparator, buffer[length - 1]);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY),
            GetFileAttributesA(buffer) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Process, ModuleHandleOfTheProgramIsNotNull) {
  EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
}

TEST_F(Process, WinExecOfMissingProgramReturnsFileNotFound) {
  EXPECT_EQ(static_cast<UINT>(ERROR_FILE_NOT_FOUND),
            WinExec("k32-no-such-program-7f3a", SW_SHOWNORMAL));
  std::string inMissingFolder = absolute("nowhere") + kPathSeparator + "program";
  EXPECT_EQ(static_cast<UINT>(ERROR_FILE_NOT_FOUND),
            WinExec(inMissingFolder.c_str(), SW_SHOWNORMAL));
}

#ifndef _WIN32
// These start a shell script, which only POSIX runs as a program.

// Waits until `name` exists (the started program writes it last) and returns its content.
std::string waitForFile(const std::string& name) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return ScopedTempDir::readFile(name);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "<never written>";
}

// Writes a script that puts each of its arguments after the first on a line of its own into the
// file named by its first argument.
std::string writeArgumentScript(const ScopedTempDir& folder) {
  std::string script = folder.absolute("args.sh");
  EXPECT_TRUE(ScopedTempDir::writeFile(
      script,
      "#!/bin/sh\nout=\"$1\"\nshift\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > "
      "\"$out.part\"\nmv \"$out.part\" \"$out\"\n"));
  EXPECT_EQ(0, chmod(script.c_str(), 0755));
  return script;
}

TEST_F(Process, WinExecSplitsArgumentsAsWindowsDoes) {
  std::string script = writeArgumentScript(*this);
  std::string longArgument(300, 'L');
  std::string command = "\"" + script + "\" " + absolute("out") +
                        " plain \"two words\" back\\slash say\\\"hi\\\" \"\" a\"b c\"d \\\\\"q\" " +
                        longArgument;
  UINT result = WinExec(command.c_str(), SW_SHOWNORMAL);
  EXPECT_GT(result, 31u);
  EXPECT_EQ("[plain]\n[two words]\n[back\\slash]\n[say\"hi\"]\n[]\n[ab cd]\n[\\q]\n[" +
                longArgument + "]\n",
            waitForFile("out"));
}

TEST_F(Process, WinExecLeavesNoChildProcessBehind) {
  std::string script = writeArgumentScript(*this);
  ASSERT_GT(WinExec((script + " " + absolute("out") + " x").c_str(), SW_SHOWNORMAL), 31u);
  // Returned at once; the program ran detached and is no child of this process, so there is
  // nothing to wait for and no zombie can ever be left.
  int status = 0;
  errno = 0;
  EXPECT_EQ(-1, waitpid(-1, &status, WNOHANG));
  EXPECT_EQ(ECHILD, errno);
  EXPECT_EQ("[x]\n", waitForFile("out"));
}

TEST_F(Process, WinExecReportsAProgramThatCannotBeExecuted) {
  ASSERT_TRUE(writeFile("not-executable", "#!/bin/sh\nexit 0\n"));
  ASSERT_EQ(0, chmod("not-executable", 0644));
  EXPECT_EQ(static_cast<UINT>(ERROR_FILE_NOT_FOUND),
            WinExec(absolute("not-executable").c_str(), SW_SHOWNORMAL));
}
#endif

}  // namespace
