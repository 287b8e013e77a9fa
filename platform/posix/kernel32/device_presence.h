// Whether the device under an open file has gone. A read that fails with EIO is, as a rule, a
// bad spot of the medium, tried again by the program; but a USB disk pulled out, or a file system
// unmounted lazily under an open file, fails every read with EIO as well. Such a read is reported
// as the device's removal instead, so that the program can tell the two apart.
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace kernel32 {

// Returns the Win32 error of a read of `descriptor` that failed with errno `error`: the table's
// code, except for an EIO of a device that has gone (ERROR_DEVICE_REMOVED).
DWORD readFailureError(int error, int descriptor);

// Returns true when the file system of `descriptor` has left: its block device is no longer
// listed under /sys/dev/block, or its mount no longer in /proc/self/mountinfo. False whenever
// that cannot be told (no sysfs, an older kernel, a file system without a block device).
bool deviceHasLeft(int descriptor);

// Returns false only when `sysDevBlock` (a folder like /sys/dev/block) exists and holds no entry
// "MAJOR:MINOR" for the device; a device of major 0 (memory, FUSE, network) is never listed.
bool blockDeviceListed(std::uint32_t major, std::uint32_t minor, const std::string& sysDevBlock);

// Returns false only when the mount table `mountInfo` (in /proc/PID/mountinfo form) can be read
// and no line of it begins with the mount id `mountId`.
bool mountListed(std::uint64_t mountId, const std::string& mountInfo);

}  // namespace kernel32
