// gdi32: font objects that keep their description, device contexts on a top-level window's
// client surface, and pixels.
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// An empty area: its edges lie beyond any point, so that the first area united with it replaces
// it.
constexpr RECT kNothingPainted{std::numeric_limits<LONG>::max(), std::numeric_limits<LONG>::max(),
                               std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::min()};

// A device context: the window it was got for, and where that window's client area lies on
// its top-level window's surface (a child paints on its parent's surface, clipped to itself).
// `painted` is the surface area painted since the driver was last told (empty when none).
struct DeviceContext {
  std::uintptr_t handle = 0;  // 0: a free slot
  HWND window = nullptr;
  HWND surfaceOwner = nullptr;
  POINT origin{};
  RECT clip{};
  RECT painted = kNothingPainted;
};

bool isEmpty(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

// Tells the driver what the context painted since it was last told.
void reportPainted(DeviceContext& context) {
  if (isEmpty(context.painted)) return;
  const RECT painted = context.painted;
  context.painted = kNothingPainted;
  if (findWindow(context.surfaceOwner) != nullptr) {
    driver::current().pixelsChanged(context.surfaceOwner, painted);
  }
}

std::map<std::uintptr_t, LOGFONTA> fonts;
// The live device contexts. A released context frees its slot for the next GetDC, so that getting
// and releasing a context, a hundred times a second while the bar moves, allocates nothing. Few
// contexts live at once: they are looked up one after another.
std::vector<DeviceContext> deviceContexts;

template <typename Handle>
std::uintptr_t valueOf(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// The device context for `window`: its client area on its top-level window's surface.
DeviceContext contextFor(HWND window) {
  DeviceContext context;
  context.window = window;
  context.surfaceOwner = topLevelOf(window);
  const SIZE size = clientSizeOf(window);
  for (HWND at = window; at != context.surfaceOwner; at = parentOf(at)) {
    const Window* placed = findWindow(at);
    const POINT offset = clientOffsetFor(placed->style, placed->exStyle);
    context.origin.x += placed->rect.left + offset.x;
    context.origin.y += placed->rect.top + offset.y;
  }
  const Surface& surface = findWindow(context.surfaceOwner)->surface;
  context.clip = RECT{std::max<LONG>(0, context.origin.x), std::max<LONG>(0, context.origin.y),
                      std::min<LONG>(surface.width, context.origin.x + size.cx),
                      std::min<LONG>(surface.height, context.origin.y + size.cy)};
  return context;
}

// The surface pixel a device context's point falls on, or null outside its clip rectangle.
COLORREF* pixelAt(const DeviceContext& context, int x, int y) {
  Window* owner = findWindow(context.surfaceOwner);
  if (owner == nullptr) return nullptr;
  const LONG surfaceX = context.origin.x + x;
  const LONG surfaceY = context.origin.y + y;
  if (surfaceX < context.clip.left || surfaceX >= context.clip.right ||
      surfaceY < context.clip.top || surfaceY >= context.clip.bottom) {
    return nullptr;
  }
  return &owner->surface.pixels[static_cast<std::size_t>(surfaceY) * owner->surface.width +
                                static_cast<std::size_t>(surfaceX)];
}

DeviceContext* findContext(HDC dc) {
  const std::uintptr_t value = valueOf(dc);
  if (value == 0) return nullptr;
  for (DeviceContext& context : deviceContexts) {
    if (context.handle == value) return &context;
  }
  return nullptr;
}

// What SetPixel needs to paint through the context it painted through last, without looking
// anything up: painting the bar pixel by pixel calls it thousands of times in a row for one
// context. The clip rectangle is kept as its top left corner and size, and the rows painted as
// their bounds, all in the context's client coordinates; those rows of the clip rectangle go into
// the context's painted area when the shortcut is given up. The numbers are 64-bit although 32
// bits would hold them: a 64-bit number is not of the type of a pixel, so the compiler knows that
// painting a pixel does not change them and, where SetPixel is inlined into a loop, need not read
// them again for every pixel.
struct PaintingShortcut {
  std::uintptr_t dc = 0;
  DeviceContext* context = nullptr;
  COLORREF* pixels = nullptr;
  std::int64_t rowLength = 0;
  std::int64_t originIndex = 0;  // where client point 0, 0 would lie in `pixels`
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::int64_t paintedTop = std::numeric_limits<std::int64_t>::max();
  std::int64_t paintedBottom = std::numeric_limits<std::int64_t>::min();
};
PaintingShortcut shortcut;

// Gives the shortcut up, its painted area handed to its context.
void leaveShortcut() {
  if (shortcut.context != nullptr && shortcut.paintedTop < shortcut.paintedBottom) {
    RECT& painted = shortcut.context->painted;
    const POINT origin = shortcut.context->origin;
    painted.left = std::min(painted.left, shortcut.context->clip.left);
    painted.top = std::min<LONG>(painted.top, static_cast<LONG>(shortcut.paintedTop + origin.y));
    painted.right = std::max(painted.right, shortcut.context->clip.right);
    painted.bottom =
        std::max<LONG>(painted.bottom, static_cast<LONG>(shortcut.paintedBottom + origin.y));
  }
  shortcut = PaintingShortcut{};
}

// Sets the shortcut up for `dc`. False for an unknown context or one whose surface is gone.
[[gnu::noinline]] bool takeShortcutFor(HDC dc) {
  leaveShortcut();
  DeviceContext* context = findContext(dc);
  if (context == nullptr) return false;
  Window* owner = findWindow(context->surfaceOwner);
  if (owner == nullptr) return false;
  shortcut.dc = valueOf(dc);
  shortcut.context = context;
  shortcut.pixels = owner->surface.pixels.data();
  shortcut.rowLength = owner->surface.width;
  shortcut.originIndex = std::int64_t{context->origin.y} * shortcut.rowLength + context->origin.x;
  shortcut.left = context->clip.left - context->origin.x;
  shortcut.top = context->clip.top - context->origin.y;
  shortcut.width =
      static_cast<std::uint64_t>(std::max<LONG>(0, context->clip.right - context->clip.left));
  shortcut.height =
      static_cast<std::uint64_t>(std::max<LONG>(0, context->clip.bottom - context->clip.top));
  return true;
}

// Only the colour bits of a COLORREF; the high byte selects palettes, which a true-colour
// surface does not have.
constexpr COLORREF kColourBits = 0x00FFFFFF;

}  // namespace

// Deletes every font object and device context.
void resetGdi() {
  forgetPaintingShortcut();
  fonts.clear();
  deviceContexts.clear();
}

// Forgets SetPixel's shortcut to the surface it painted last.
void forgetPaintingShortcut() { leaveShortcut(); }

// Reports the pixels each live device context painted since the driver was last told.
void reportPaintedPixels() {
  leaveShortcut();
  for (DeviceContext& context : deviceContexts) {
    if (context.handle != 0) reportPainted(context);
  }
}

// Returns the description of a live font object, or null.
const LOGFONTA* findFont(HFONT font) {
  auto found = fonts.find(valueOf(font));
  return found == fonts.end() ? nullptr : &found->second;
}

}  // namespace model

// Creates a font object that keeps a copy of the description. Returns its handle; null for a
// null description.
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logFont) {
  if (logFont == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::uintptr_t value = model::newHandleValue();
  model::fonts.emplace(value, *logFont);
  return reinterpret_cast<HFONT>(value);
}

// Deletes a font object. Returns FALSE for a handle that is no live font object.
BOOL WINAPI DeleteObject(HGDIOBJ object) {
  return model::fonts.erase(model::valueOf(object)) != 0 ? TRUE : FALSE;
}

// Copies a font object's description: with a null buffer returns the size of LOGFONTA;
// otherwise copies at most `size` bytes and returns the number copied. 0 for an unknown object.
int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer) {
  const LOGFONTA* font = model::findFont(static_cast<HFONT>(object));
  if (font == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (buffer == nullptr) return static_cast<int>(sizeof(LOGFONTA));
  const int copied = std::clamp(size, 0, static_cast<int>(sizeof(LOGFONTA)));
  std::memcpy(buffer, font, static_cast<std::size_t>(copied));
  return copied;
}

// The device context of the screen (GetDC of a null window). The model has no pixels of its
// own outside its windows, so nothing can be painted or read through it: SetPixel and GetPixel
// answer CLR_INVALID. It is got and released as Win32 documents.
model::DeviceContext screenContext() {
  model::DeviceContext context;
  context.clip = RECT{0, 0, 0, 0};
  return context;
}

// Returns a device context for the window's client area, painting on its top-level window's
// surface, or for the screen when `window` is null; null for an invalid window.
HDC WINAPI GetDC(HWND window) {
  if (window != nullptr && model::findWindowOrFail(window) == nullptr) return nullptr;
  model::DeviceContext context = window != nullptr ? model::contextFor(window) : screenContext();
  context.handle = model::newHandleValue();
  for (model::DeviceContext& slot : model::deviceContexts) {
    if (slot.handle == 0) {
      slot = context;
      return reinterpret_cast<HDC>(context.handle);
    }
  }
  // A new slot may move the others: SetPixel's shortcut points into them.
  model::leaveShortcut();
  model::deviceContexts.push_back(context);
  return reinterpret_cast<HDC>(context.handle);
}

// Releases a device context got for `window` (null: the screen's) and lets the driver show what
// was painted. Returns 1 when released, 0 when `dc` is no context of that window.
int WINAPI ReleaseDC(HWND window, HDC dc) {
  model::DeviceContext* context = model::findContext(dc);
  if (context == nullptr || context->window != window) return 0;
  if (window != nullptr) model::showNow(window);
  *context = model::DeviceContext{};
  return 1;
}

// Paints one pixel (client coordinates of the context's window). The driver learns of it when
// the context is released or before it may next show the screen (reportPaintedPixels): painting
// pixel by pixel, one report per pixel would cost more than the painting. Returns the colour
// painted; CLR_INVALID outside the window or for an unknown context.
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
  model::PaintingShortcut& shortcut = model::shortcut;
  if (model::valueOf(dc) != shortcut.dc || shortcut.dc == 0) [[unlikely]] {
    if (!model::takeShortcutFor(dc)) return CLR_INVALID;
  }
  // Unsigned differences: a point left of or above the clip wraps round to a large value.
  const std::int64_t column = std::int64_t{x} - shortcut.left;
  const std::int64_t row = std::int64_t{y} - shortcut.top;
  if (static_cast<std::uint64_t>(column) >= shortcut.width ||
      static_cast<std::uint64_t>(row) >= shortcut.height) {
    return CLR_INVALID;
  }
  const COLORREF painted = color & model::kColourBits;
  shortcut.pixels[shortcut.originIndex + std::int64_t{y} * shortcut.rowLength + x] = painted;
  // Only the rows are tracked, as whole rows of the clip rectangle: painting pixel by pixel, the
  // tests of the row go the same way pixel after pixel, and the driver redraws a few rows at no
  // more cost than a few pixels of them.
  if (y < shortcut.paintedTop) shortcut.paintedTop = y;
  if (y >= shortcut.paintedBottom) shortcut.paintedBottom = std::int64_t{y} + 1;
  return painted;
}

// Returns the colour of one pixel (client coordinates of the context's window); CLR_INVALID
// outside the window or for an unknown context.
COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  model::DeviceContext* context = model::findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  COLORREF* pixel = model::pixelAt(*context, x, y);
  return pixel == nullptr ? CLR_INVALID : *pixel;
}
