// gdi32: font objects that keep their description, device contexts on a top-level window's
// client surface, and pixels.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// A device context: the window it was got for, and where that window's client area lies on
// its top-level window's surface (a child paints on its parent's surface, clipped to itself).
// `painted` is the surface area painted since the driver was last told (empty when none).
struct DeviceContext {
  HWND window = nullptr;
  HWND surfaceOwner = nullptr;
  POINT origin{};
  RECT clip{};
  RECT painted{};
};

bool isEmpty(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

// Widens `area` to take in the pixel at x, y.
void takeIn(RECT& area, LONG x, LONG y) {
  if (isEmpty(area)) {
    area = RECT{x, y, x + 1, y + 1};
    return;
  }
  area.left = std::min(area.left, x);
  area.top = std::min(area.top, y);
  area.right = std::max(area.right, x + 1);
  area.bottom = std::max(area.bottom, y + 1);
}

// Tells the driver what the context painted since it was last told.
void reportPainted(DeviceContext& context) {
  if (isEmpty(context.painted)) return;
  const RECT painted = context.painted;
  context.painted = RECT{};
  if (findWindow(context.surfaceOwner) != nullptr) {
    driver::current().pixelsChanged(context.surfaceOwner, painted);
  }
}

std::map<std::uintptr_t, LOGFONTA> fonts;
std::map<std::uintptr_t, DeviceContext> deviceContexts;

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

// The context findContext found last: SetPixel looks up the same context once per pixel.
// Cleared when a context is released.
std::uintptr_t lastContextValue = 0;
DeviceContext* lastContext = nullptr;

DeviceContext* findContext(HDC dc) {
  const std::uintptr_t value = valueOf(dc);
  if (value == lastContextValue && value != 0) return lastContext;
  auto found = deviceContexts.find(value);
  if (found == deviceContexts.end()) return nullptr;
  lastContextValue = value;
  lastContext = &found->second;
  return lastContext;
}

void forgetLastContext() {
  lastContextValue = 0;
  lastContext = nullptr;
}

// Only the colour bits of a COLORREF; the high byte selects palettes, which a true-colour
// surface does not have.
constexpr COLORREF kColourBits = 0x00FFFFFF;

}  // namespace

// Deletes every font object and device context.
void resetGdi() {
  forgetLastContext();
  fonts.clear();
  deviceContexts.clear();
}

// Reports the pixels each live device context painted since the driver was last told.
void reportPaintedPixels() {
  for (auto& [value, context] : deviceContexts) reportPainted(context);
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

// Returns a device context for the window's client area, painting on its top-level window's
// surface; null for an invalid window or the screen (a null window).
HDC WINAPI GetDC(HWND window) {
  if (model::findWindowOrFail(window) == nullptr) return nullptr;
  const std::uintptr_t value = model::newHandleValue();
  model::deviceContexts.emplace(value, model::contextFor(window));
  return reinterpret_cast<HDC>(value);
}

// Releases a device context got for `window` and lets the driver show what was painted.
// Returns 1 when released, 0 when `dc` is no context of that window.
int WINAPI ReleaseDC(HWND window, HDC dc) {
  model::DeviceContext* context = model::findContext(dc);
  if (context == nullptr || context->window != window) return 0;
  model::reportPainted(*context);
  model::forgetLastContext();
  model::deviceContexts.erase(model::valueOf(dc));
  if (model::findWindow(window) != nullptr) driver::current().flush(window);
  return 1;
}

// Paints one pixel (client coordinates of the context's window). The driver learns of it when
// the context is released or before it may next show the screen (reportPaintedPixels): painting
// pixel by pixel, one report per pixel would cost more than the painting. Returns the colour
// painted; CLR_INVALID outside the window or for an unknown context.
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
  model::DeviceContext* context = model::findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  COLORREF* pixel = model::pixelAt(*context, x, y);
  if (pixel == nullptr) return CLR_INVALID;
  *pixel = color & model::kColourBits;
  model::takeIn(context->painted, context->origin.x + x, context->origin.y + y);
  return *pixel;
}

// Returns the colour of one pixel (client coordinates of the context's window); CLR_INVALID
// outside the window or for an unknown context.
COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  model::DeviceContext* context = model::findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  COLORREF* pixel = model::pixelAt(*context, x, y);
  return pixel == nullptr ? CLR_INVALID : *pixel;
}
