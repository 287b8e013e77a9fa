// The program's version, shown in the window and in the log.
#pragma once

inline constexpr int kMajorVersion = 3;
inline constexpr int kMinorVersion = 65;
