// The program's own icon on a window: the sizes of its icon theme, decoded from the compiled-in
// PNG files and handed to FLTK, which puts them into the window's _NET_WM_ICON property. Docks,
// task bars and window switchers show that property; without it they show a blank.
#include <FL/Fl_PNG_Image.H>

#include <memory>
#include <vector>

#include "platform/posix/driver/fltk/fltk_driver.h"
#include "platform/posix/driver/fltk/program_icon_data.h"

namespace fltk_driver {

// Gives `window` every size of the program's icon that decodes as a square colour image; a
// damaged size is left out, and with none the window keeps the window manager's default.
void giveProgramIcon(Fl_Window& window) {
  std::vector<std::unique_ptr<Fl_PNG_Image>> decoded;
  std::vector<const Fl_RGB_Image*> icons;
  for (const IconPng& png : programIconPngs()) {
    auto image =
        std::make_unique<Fl_PNG_Image>("sorvel icon", png.bytes, static_cast<int>(png.length));
    if (image->fail() != 0 || image->w() != png.size || image->h() != png.size || image->d() < 3) {
      continue;
    }
    icons.push_back(image.get());
    decoded.push_back(std::move(image));
  }
  // FLTK keeps copies of the images, so the decoded ones may go.
  if (!icons.empty()) window.icons(icons.data(), static_cast<int>(icons.size()));
}

}  // namespace fltk_driver
