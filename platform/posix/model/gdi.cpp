// gdi32: font objects that keep their description, device contexts on a top-level window's
// client surface, and pixels.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// A device context: the window it was got for, and where that window's client area lies on
// its top-level window's surface (a child paints on its parent's surface, clipped to itself).
struct DeviceContext {
  HWND window = nullptr;
  HWND surfaceOwner = nullptr;
  POINT origin{};
  RECT clip{};
};

// What SetPixel paints a device context with, set when the context is got: the surface pixel of
// the clip rectangle's top left corner (null: nothing can be painted), the surface's row length
// and the clip rectangle in the window's client coordinates; `paintedTop` and `paintedBottom`
// are the rows of the clip rectangle painted since the driver was last told (none when top is not
// above bottom): the driver redraws a few whole rows at no more cost than a few pixels of them.
// Every number is 64-bit, although 32 bits would hold them, and this is kept apart from
// DeviceContext and its 32-bit numbers: no number here is of the type of a pixel, so the
// compiler knows that painting a pixel changes none of them.
struct Painting {
  std::uintptr_t handle = 0;  // the context's handle; 0: a free slot
  COLORREF* pixels = nullptr;
  std::int64_t rowLength = 0;
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::int64_t paintedTop = std::numeric_limits<std::int64_t>::max();
  std::int64_t paintedBottom = std::numeric_limits<std::int64_t>::min();
};

bool isEmpty(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

std::map<std::uintptr_t, LOGFONTA> fonts;

template <typename Handle>
std::uintptr_t valueOf(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// The live device contexts, each in the slot its handle names, so that SetPixel finds its context
// with no search and no call: where it is inlined into a loop that paints pixel after pixel, the
// compiler can read the context's numbers once before the loop. A released context frees its
// slot, so that getting and releasing a context, a hundred times a second while the bar moves,
// allocates nothing. At most kContextSlots contexts live at once; GetDC fails beyond that.
constexpr std::size_t kContextSlots = 64;
std::array<DeviceContext, kContextSlots> deviceContexts;
std::array<Painting, kContextSlots> paintings;
std::uint64_t liveContexts = 0;  // bit n: slot n holds a live context
static_assert(kContextSlots <= 64, "liveContexts has a bit per slot");

// The slot of the context with handle value `value`: it holds that context if it is live.
std::size_t slotOf(std::uintptr_t value) { return (value / 4) % kContextSlots; }

// Tells the driver what the context in `slot` painted since it was last told.
void reportPainted(std::size_t slot) {
  Painting& painting = paintings[slot];
  if (painting.paintedTop >= painting.paintedBottom) return;
  const DeviceContext& context = deviceContexts[slot];
  const RECT painted{context.clip.left, static_cast<LONG>(context.clip.top + painting.paintedTop),
                     context.clip.right,
                     static_cast<LONG>(context.clip.top + painting.paintedBottom)};
  painting.paintedTop = std::numeric_limits<std::int64_t>::max();
  painting.paintedBottom = std::numeric_limits<std::int64_t>::min();
  if (findWindow(context.surfaceOwner) != nullptr) {
    driver::current().pixelsChanged(context.surfaceOwner, painted);
  }
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

// What SetPixel paints `context` with; nothing when its clip rectangle is empty.
Painting paintingFor(const DeviceContext& context) {
  Painting painting;
  if (context.surfaceOwner == nullptr || isEmpty(context.clip)) return painting;
  Surface& surface = findWindow(context.surfaceOwner)->surface;
  painting.pixels =
      surface.pixels.data() + std::int64_t{context.clip.top} * surface.width + context.clip.left;
  painting.rowLength = surface.width;
  painting.left = context.clip.left - context.origin.x;
  painting.top = context.clip.top - context.origin.y;
  painting.width = static_cast<std::uint64_t>(context.clip.right - context.clip.left);
  painting.height = static_cast<std::uint64_t>(context.clip.bottom - context.clip.top);
  return painting;
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

// The slot of the live context `dc`, or kContextSlots when it is none.
std::size_t findContext(HDC dc) {
  const std::uintptr_t value = valueOf(dc);
  const std::size_t slot = slotOf(value);
  return value != 0 && paintings[slot].handle == value ? slot : kContextSlots;
}

// Only the colour bits of a COLORREF; the high byte selects palettes, which a true-colour
// surface does not have.
constexpr COLORREF kColourBits = 0x00FFFFFF;

}  // namespace

// Deletes every font object and device context.
void resetGdi() {
  fonts.clear();
  deviceContexts.fill(DeviceContext{});
  paintings.fill(Painting{});
  liveContexts = 0;
}

// Forgets the surface of `owner` in every context that paints on it, so that they paint nothing
// more.
void forgetSurfaceOf(HWND owner) {
  for (std::uint64_t live = liveContexts; live != 0; live &= live - 1) {
    const auto slot = static_cast<std::size_t>(std::countr_zero(live));
    if (deviceContexts[slot].surfaceOwner != owner) continue;
    paintings[slot].pixels = nullptr;
    paintings[slot].width = 0;
    paintings[slot].height = 0;
  }
}

// Reports the pixels each live device context painted since the driver was last told.
void reportPaintedPixels() {
  for (std::uint64_t live = liveContexts; live != 0; live &= live - 1) {
    reportPainted(static_cast<std::size_t>(std::countr_zero(live)));
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
// surface, or for the screen when `window` is null; null for an invalid window, or when
// kContextSlots contexts are live already.
HDC WINAPI GetDC(HWND window) {
  if (window != nullptr && model::findWindowOrFail(window) == nullptr) return nullptr;
  if (model::liveContexts == ~std::uint64_t{0} >> (64 - model::kContextSlots)) return nullptr;
  const model::DeviceContext context =
      window != nullptr ? model::contextFor(window) : screenContext();
  // Handle values come one after another, so a free slot comes within kContextSlots of them.
  std::uintptr_t value = 0;
  do {
    value = model::newHandleValue();
  } while (model::paintings[model::slotOf(value)].handle != 0);
  const std::size_t slot = model::slotOf(value);
  model::deviceContexts[slot] = context;
  model::paintings[slot] = model::paintingFor(context);
  model::paintings[slot].handle = value;
  model::liveContexts |= std::uint64_t{1} << slot;
  return reinterpret_cast<HDC>(value);
}

// Releases a device context got for `window` (null: the screen's) and lets the driver show what
// was painted. Returns 1 when released, 0 when `dc` is no context of that window.
int WINAPI ReleaseDC(HWND window, HDC dc) {
  const std::size_t slot = model::findContext(dc);
  if (slot == model::kContextSlots || model::deviceContexts[slot].window != window) return 0;
  if (window != nullptr) model::showNow(window);
  model::deviceContexts[slot] = model::DeviceContext{};
  model::paintings[slot] = model::Painting{};
  model::liveContexts &= ~(std::uint64_t{1} << slot);
  return 1;
}

// Paints one pixel (client coordinates of the context's window). The driver learns of it when
// the context is released or before it may next show the screen (reportPaintedPixels): painting
// pixel by pixel, one report per pixel would cost more than the painting. Returns the colour
// painted; CLR_INVALID outside the window or for an unknown context.
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
  const std::uintptr_t value = model::valueOf(dc);
  model::Painting& painting = model::paintings[model::slotOf(value)];
  // Everything is read before anything is decided, and decided at once: where this is inlined
  // into a loop, what every pixel reads is read once before the loop.
  const std::uintptr_t handle = painting.handle;
  COLORREF* const pixels = painting.pixels;
  const std::int64_t rowLength = painting.rowLength;
  // Unsigned differences: a point left of or above the clip wraps round to a large value.
  const auto column = static_cast<std::uint64_t>(std::int64_t{x} - painting.left);
  const auto row = static_cast<std::uint64_t>(std::int64_t{y} - painting.top);
  if ((handle != value) | (value == 0) | (column >= painting.width) | (row >= painting.height)) {
    return CLR_INVALID;
  }
  const COLORREF painted = color & model::kColourBits;
  const auto clipRow = static_cast<std::int64_t>(row);
  pixels[clipRow * rowLength + static_cast<std::int64_t>(column)] = painted;
  if (clipRow < painting.paintedTop) painting.paintedTop = clipRow;
  if (clipRow >= painting.paintedBottom) painting.paintedBottom = clipRow + 1;
  return painted;
}

// Returns the colour of one pixel (client coordinates of the context's window); CLR_INVALID
// outside the window or for an unknown context.
COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  const std::size_t slot = model::findContext(dc);
  if (slot == model::kContextSlots) return CLR_INVALID;
  COLORREF* pixel = model::pixelAt(model::deviceContexts[slot], x, y);
  return pixel == nullptr ? CLR_INVALID : *pixel;
}
