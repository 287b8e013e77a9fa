// gdi32: font objects that keep their description, device contexts on a top-level window's
// client surface, and pixels.
#include <algorithm>
#include <cstdint>
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
// `pixels` to `height` are what SetPixel paints with, set when the context is got: the surface
// pixel of the clip rectangle's top left corner (null: nothing can be painted), the surface's row
// length, and the clip rectangle in the window's client coordinates. They are 64-bit although 32
// bits would hold them: a 64-bit number is not of the type of a pixel, so the compiler knows that
// painting a pixel does not change them.
struct DeviceContext {
  std::uintptr_t handle = 0;  // 0: a free slot
  HWND window = nullptr;
  HWND surfaceOwner = nullptr;
  POINT origin{};
  RECT clip{};
  RECT painted = kNothingPainted;
  COLORREF* pixels = nullptr;
  std::int64_t rowLength = 0;
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;
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
  Surface& surface = findWindow(context.surfaceOwner)->surface;
  context.clip = RECT{std::max<LONG>(0, context.origin.x), std::max<LONG>(0, context.origin.y),
                      std::min<LONG>(surface.width, context.origin.x + size.cx),
                      std::min<LONG>(surface.height, context.origin.y + size.cy)};
  if (!isEmpty(context.clip)) {
    context.pixels =
        surface.pixels.data() + std::int64_t{context.clip.top} * surface.width + context.clip.left;
    context.rowLength = surface.width;
    context.left = context.clip.left - context.origin.x;
    context.top = context.clip.top - context.origin.y;
    context.width = static_cast<std::uint64_t>(context.clip.right - context.clip.left);
    context.height = static_cast<std::uint64_t>(context.clip.bottom - context.clip.top);
  }
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

// The context SetPixel painted through last and the row of it painted last, so that painting the
// bar pixel by pixel, thousands of calls in a row for one context and row after row, looks nothing
// up: a pixel on that row costs a subtraction, a comparison and a store. Moving to another row or
// context goes through moveShortcut. The rows painted are tracked in clip rows, as whole rows of
// the clip rectangle (the driver redraws a few rows at no more cost than a few pixels of them),
// and go into the context's painted area when the shortcut is left. The numbers are 64-bit, as in
// DeviceContext.
constexpr std::int64_t kNoRow = std::numeric_limits<std::int64_t>::min();
struct PaintingShortcut {
  std::uintptr_t dc = 0;          // 0: no context
  std::int64_t row = kNoRow;      // the client row that rowPixels lies on; kNoRow: none yet
  std::int64_t left = 0;          // the clip rectangle's left edge, in client coordinates
  std::uint64_t rowWidth = 0;     // the clip rectangle's width on this row: 0 outside it
  COLORREF* rowPixels = nullptr;  // the surface pixel of client point left, row
  std::int64_t rowPainted = 0;    // whether a pixel of this row was painted
  DeviceContext* context = nullptr;
  std::int64_t paintedTop = std::numeric_limits<std::int64_t>::max();
  std::int64_t paintedBottom = std::numeric_limits<std::int64_t>::min();
};
PaintingShortcut shortcut;

// Adds the shortcut's row to its painted rows when a pixel of it was painted.
void settleRow() {
  if (shortcut.rowPainted == 0) return;
  const std::int64_t clipRow = shortcut.row - shortcut.context->top;
  shortcut.paintedTop = std::min(shortcut.paintedTop, clipRow);
  shortcut.paintedBottom = std::max(shortcut.paintedBottom, clipRow + 1);
  shortcut.rowPainted = 0;
}

// Gives the shortcut up, its painted rows handed to its context.
void leaveShortcut() {
  settleRow();
  if (shortcut.context != nullptr && shortcut.paintedTop < shortcut.paintedBottom) {
    RECT& painted = shortcut.context->painted;
    const RECT& clip = shortcut.context->clip;
    painted.left = std::min(painted.left, clip.left);
    painted.top = std::min<LONG>(painted.top, static_cast<LONG>(clip.top + shortcut.paintedTop));
    painted.right = std::max(painted.right, clip.right);
    painted.bottom =
        std::max<LONG>(painted.bottom, static_cast<LONG>(clip.top + shortcut.paintedBottom));
  }
  shortcut = PaintingShortcut{};
}

// Points the shortcut at row `y` of `dc`, first at `dc` itself when it is another context. A row
// outside the clip rectangle has no width, so no pixel of it is painted. False for a null handle
// or one that is no live context.
[[gnu::noinline]] bool moveShortcut(HDC dc, int y) {
  if (valueOf(dc) != shortcut.dc || shortcut.dc == 0) {
    leaveShortcut();
    DeviceContext* context = findContext(dc);
    if (context == nullptr) return false;
    shortcut.dc = context->handle;
    shortcut.context = context;
    shortcut.left = context->left;
  }
  settleRow();
  const DeviceContext& context = *shortcut.context;
  shortcut.row = y;
  // Unsigned difference: a row above the clip wraps round to a large value.
  const auto clipRow = static_cast<std::uint64_t>(std::int64_t{y} - context.top);
  if (clipRow >= context.height) {
    shortcut.rowWidth = 0;
    shortcut.rowPixels = nullptr;
    return true;
  }
  shortcut.rowWidth = context.width;
  shortcut.rowPixels = context.pixels + static_cast<std::int64_t>(clipRow) * context.rowLength;
  return true;
}

// Only the colour bits of a COLORREF; the high byte selects palettes, which a true-colour
// surface does not have.
constexpr COLORREF kColourBits = 0x00FFFFFF;

}  // namespace

// Deletes every font object and device context.
void resetGdi() {
  leaveShortcut();
  fonts.clear();
  deviceContexts.clear();
}

// Forgets the surface of `owner` in every context that paints on it, so that they paint nothing
// more, and SetPixel's shortcut with them.
void forgetSurfaceOf(HWND owner) {
  leaveShortcut();
  for (DeviceContext& context : deviceContexts) {
    if (context.handle == 0 || context.surfaceOwner != owner) continue;
    context.pixels = nullptr;
    context.width = 0;
    context.height = 0;
  }
}

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
  if (model::shortcut.context == context) model::leaveShortcut();
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
  if (model::valueOf(dc) != shortcut.dc || std::int64_t{y} != shortcut.row) [[unlikely]] {
    if (!model::moveShortcut(dc, y)) return CLR_INVALID;
  }
  // Unsigned difference: a point left of the clip wraps round to a large value.
  const auto column = static_cast<std::uint64_t>(std::int64_t{x} - shortcut.left);
  if (column >= shortcut.rowWidth) return CLR_INVALID;
  const COLORREF painted = color & model::kColourBits;
  shortcut.rowPixels[column] = painted;
  shortcut.rowPainted = 1;
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
