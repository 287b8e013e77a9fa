// Path helpers of the POSIX kernel32 layer. Paths use "/" as the folder separator; a path with
// no folder part names an entry of the current folder.
#pragma once

#include <string>
#include <string_view>

namespace kernel32 {

// Returns `path` made absolute against the current folder and lexically normal: "//" and "/./"
// collapsed, "name/.." removed (".." at the root stays at the root), no trailing "/" except for
// the root itself. Symbolic links are not resolved, and the file system is not consulted beyond
// reading the current folder.
std::string absoluteNormalPath(std::string_view path);

// Returns the folder part of `path`: everything before its last "/", "/" when that is the only
// one, and "." when there is none.
std::string folderOf(std::string_view path);

// Returns the last component of `path`: everything after its last "/".
std::string lastComponent(std::string_view path);

// Returns the current folder, or an empty text when it cannot be read (errno tells why).
std::string currentFolder();

}  // namespace kernel32
