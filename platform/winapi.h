// The one platform header the program includes. On Windows it is the real API; everywhere else it
// is our own small Win32 subset, implemented over POSIX in platform/posix/.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <shlobj.h>
#else
#include "platform/posix/win32.h"
#endif

// The platform's folder separator, used when the program joins folder and file names.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
