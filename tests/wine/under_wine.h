// For conformance tests that check a documented Windows behaviour in which Wine differs: such a
// test runs on Windows and on our POSIX layer, and is skipped, with the reason shown, when the
// Windows build runs under Wine (tests/wine). Wine is recognised by the wine_get_version export
// of its ntdll.dll, which Windows' ntdll.dll does not have.
#pragma once

#include <gtest/gtest.h>

#include "platform/winapi.h"

namespace wine_test {

// Returns true when the test program is a Windows program running under Wine.
inline bool runningUnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace wine_test

// Ends the current test as skipped under Wine, saying how Wine differs from Windows.
// (The empty branch keeps a following "else" of the caller from binding to this "if".)
#define SKIP_WHERE_WINE_DIFFERS(how)    \
  if (!wine_test::runningUnderWine()) { \
  } else                                \
    GTEST_SKIP() << "Wine differs from Windows here: " << (how)
