// Painting: the area of a window that needs painting, WM_PAINT and background erasing, window
// frames, system colours; UpdateWindow and InvalidateRect.
#include <algorithm>
#include <array>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// Window frame metrics of the classic look: a caption bar of 19 pixels (its bottom line
// included), a dialog frame of 3, a sizing frame of 4, a thin border of 1, a sunken client edge
// of 2 and scroll bars 16 pixels wide. A window of 530 x 472 with a caption and a dialog frame
// has a client area of 524 x 447.
constexpr int kCaptionHeight = 19;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kThinBorder = 1;
constexpr int kClientEdge = 2;
constexpr int kScrollBarSize = 16;

// The system colours of the classic scheme, by COLOR_* index.
constexpr std::array<COLORREF, 25> kSystemColours{
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(223, 223, 223),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
};

// The width of the frame around the window, from its style.
int frameWidth(DWORD style) {
  if (style & WS_THICKFRAME) return kSizingFrame;
  if (style & WS_DLGFRAME) return kDialogFrame;
  if (style & WS_BORDER) return kThinBorder;
  return 0;
}

// True when the window is on the screen and not inside a minimised window.
bool isPaintable(HWND handle) {
  if (!isVisible(handle)) return false;
  Window* top = findWindow(topLevelOf(handle));
  return top != nullptr && (top->style & WS_MINIMIZE) == 0;
}

RECT unite(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace

// Returns the client size for a window of this style and outer size, never below 0.
SIZE clientSizeFor(DWORD style, DWORD exStyle, int width, int height) {
  POINT offset = clientOffsetFor(style, exStyle);
  // The frame below and on the right is as wide as on the left; scroll bars take their room.
  int right = offset.x + ((style & WS_VSCROLL) ? kScrollBarSize : 0);
  int bottom = offset.x + ((style & WS_HSCROLL) ? kScrollBarSize : 0);
  return SIZE{std::max(0, width - offset.x - right), std::max(0, height - offset.y - bottom)};
}

// Returns the offset of the client origin from the window's corner: frame, edge and caption.
POINT clientOffsetFor(DWORD style, DWORD exStyle) {
  int side = frameWidth(style) + ((exStyle & WS_EX_CLIENTEDGE) ? kClientEdge : 0);
  int top = side + ((style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0);
  return POINT{side, top};
}

// Returns the colour of a system-colour brush (COLOR_* + 1); kWhiteSurface for no brush or one
// the window system does not know.
COLORREF brushColour(HBRUSH brush) {
  auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value == 0 || value > kSystemColours.size()) return kWhiteSurface;
  return kSystemColours[value - 1];
}

// Adds `rect` (null: the whole client area) to the area needing painting; `erase` asks for
// the background to be erased first.
void invalidate(Window& window, const RECT* rect, bool erase) {
  SIZE size = clientSizeOf(window.handle);
  RECT whole{0, 0, size.cx, size.cy};
  RECT area = rect != nullptr ? *rect : whole;
  window.invalid = window.needsPaint ? unite(window.invalid, area) : area;
  window.needsPaint = true;
  window.needsErase = window.needsErase || erase;
}

// Marks the window and every descendant as needing painting with erase.
void invalidateTree(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  invalidate(*window, nullptr, true);
  for (HWND child : window->children) invalidateTree(child);
}

// Returns the first window in allWindows order that needs painting, is on the screen and is
// `filter` or a descendant of it (any window for a null filter); null when none.
HWND windowNeedingPaint(HWND filter) {
  for (HWND handle : allWindows()) {
    Window* window = findWindow(handle);
    if (!window->needsPaint || !isPaintable(handle)) continue;
    if (filter == nullptr || isSelfOrAncestor(filter, handle)) return handle;
  }
  return nullptr;
}

// Clears the window's need of painting and erasing.
void validate(Window& window) {
  window.needsPaint = false;
  window.needsErase = false;
}

// Fills the invalid part of a top-level window's surface with the class background colour and
// reports those pixels to the driver. Returns false for a class without a background brush.
bool eraseBackground(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr || window->background == nullptr) return false;
  Surface& surface = window->surface;
  RECT area{std::max<LONG>(0, window->invalid.left), std::max<LONG>(0, window->invalid.top),
            std::min<LONG>(surface.width, window->invalid.right),
            std::min<LONG>(surface.height, window->invalid.bottom)};
  if (area.left >= area.right || area.top >= area.bottom) return true;
  const COLORREF colour = brushColour(window->background);
  for (LONG y = area.top; y < area.bottom; ++y) {
    auto row = surface.pixels.begin() + static_cast<std::ptrdiff_t>(y) * surface.width;
    std::fill(row + area.left, row + area.right, colour);
  }
  driver::current().pixelsChanged(handle, area);
  return true;
}

// Reports the pixels painted so far and lets the driver bring the screen up to date for `handle`
// now; only the report for a window that is gone.
void showNow(HWND handle) {
  reportPaintedPixels();
  if (findWindow(handle) != nullptr) driver::current().flush(handle);
}

}  // namespace model

// Sends WM_PAINT at once to the window and to each descendant that needs painting and is on the
// screen, then lets the driver show the window. FALSE for an invalid window.
BOOL WINAPI UpdateWindow(HWND handle) {
  if (model::findWindowOrFail(handle) == nullptr) return FALSE;
  for (HWND member : model::windowTree(handle)) {
    model::Window* window = model::findWindow(member);
    if (window != nullptr && window->needsPaint && model::isPaintable(member)) {
      SendMessageA(member, WM_PAINT, 0, 0);
      if (model::Window* painted = model::findWindow(member)) model::validate(*painted);
    }
  }
  model::showNow(handle);
  return TRUE;
}

// Adds `rect` (client coordinates; null: the whole client area) to the area of the window that
// needs painting; a null window means every top-level window. FALSE for an invalid window.
BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  if (handle == nullptr) {
    for (HWND top : model::topLevelWindows()) InvalidateRect(top, rect, erase);
    return TRUE;
  }
  model::Window* window = model::findWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  model::invalidate(*window, rect, erase != FALSE);
  return TRUE;
}
