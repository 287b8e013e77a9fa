// The program's own icon: the PNG files of its desktop icon theme (packaging/icons/SIZE), whose
// bytes the build compiles into the program (cmake/embed_icons.cmake), so that the window shows
// the installed icon wherever the program was installed or built.
#pragma once

#include <cstddef>
#include <span>

namespace fltk_driver {

struct IconPng {
  int size;  // width and height, in pixels
  const unsigned char* bytes;
  std::size_t length;
};

// Every compiled-in size, smallest first.
std::span<const IconPng> programIconPngs();

}  // namespace fltk_driver
