// The knobs of the copy of one file that only tests and benchmarks turn: the block sizes of the
// fast path and the byte steps alone. The program leaves them at the values defined in
// copy/copy_blocks.cpp; none of its headers declares them.
#pragma once

#include <cstdint>

// The most bytes one block read, write or read-back moves, unless a test sets copyBlockBytes.
inline constexpr std::int64_t kCopyBlockBytes = 1 << 20;
// The first block after the start and after every stretch copied byte by byte; blocks double from
// it while they arrive whole, up to copyBlockBytes (unless a test sets firstCopyBlockBytes).
inline constexpr std::int64_t kFirstCopyBlockBytes = 4096;

extern std::int64_t copyBlockBytes;
extern std::int64_t firstCopyBlockBytes;

// When set, copyOneFile takes every byte through the byte steps alone. Only tests set it, to
// compare the two ways of copying.
extern bool copyByteByByte;

// The most milliseconds between two writes of a copy's map while it changes, unless a test sets
// mapIntervalMs (0: at every change).
inline constexpr std::int64_t kMapIntervalMs = 3000;
extern std::int64_t mapIntervalMs;
