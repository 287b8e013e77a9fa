// Read-only questions about the window system, for display drivers and the headless test API.
#include "platform/posix/model/window_state.h"

#include "platform/posix/model/window_model.h"

namespace model {

bool isValid(HWND window) { return findWindow(window) != nullptr; }

bool showsProgramIcon(HWND window) {
  const Window* found = findWindow(window);
  if (found == nullptr || found->parent != nullptr) return false;
  return found->icon == nullptr || isApplicationIcon(found->icon);
}

WindowKind kindOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->kind : WindowKind::program;
}

std::string classNameOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->className : std::string();
}

DWORD styleOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->style : 0;
}

DWORD exStyleOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->exStyle : 0;
}

HWND parentOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->parent : nullptr;
}

std::vector<HWND> childrenOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->children : std::vector<HWND>();
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> result;
  for (HWND window : allWindows()) {
    if (parentOf(window) == nullptr) result.push_back(window);
  }
  return result;
}

int controlIdOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->id : 0;
}

RECT windowRectOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->rect : RECT{};
}

SIZE clientSizeOf(HWND window) {
  const Window* found = findWindow(window);
  if (found == nullptr) return SIZE{0, 0};
  return clientSizeFor(found->style, found->exStyle, found->rect.right - found->rect.left,
                       found->rect.bottom - found->rect.top);
}

std::string textOf(HWND window) { return std::string(textViewOf(window)); }

std::string_view textViewOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? std::string_view(found->text) : std::string_view();
}

int checkStateOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->checkState : BST_UNCHECKED;
}

Selection selectionOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->edit.selection : Selection{};
}

std::size_t textLimitOf(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr ? found->edit.limit : 0;
}

bool isEnabled(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr && (found->style & WS_DISABLED) == 0;
}

bool isEnabledForInput(HWND window) {
  if (findWindow(window) == nullptr) return false;
  for (const Window* at = findWindow(window); at != nullptr; at = findWindow(at->parent)) {
    if (at->style & WS_DISABLED) return false;
  }
  return true;
}

bool hasVisibleStyle(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr && (found->style & WS_VISIBLE) != 0;
}

bool isVisible(HWND window) {
  if (findWindow(window) == nullptr) return false;
  for (const Window* at = findWindow(window); at != nullptr; at = findWindow(at->parent)) {
    if ((at->style & WS_VISIBLE) == 0) return false;
  }
  return true;
}

bool isMinimized(HWND window) {
  const Window* found = findWindow(window);
  return found != nullptr && (found->style & WS_MINIMIZE) != 0;
}

HWND focusWindow() { return GetFocus(); }

std::optional<LOGFONTA> fontOf(HWND window) {
  const Window* found = findWindow(window);
  if (found == nullptr) return std::nullopt;
  const LOGFONTA* font = findFont(found->font);
  return font != nullptr ? std::optional<LOGFONTA>(*font) : std::nullopt;
}

COLORREF pixelOf(HWND topLevel, int x, int y) {
  const Window* found = findWindow(topLevel);
  if (found == nullptr || found->parent != nullptr) return CLR_INVALID;
  const Surface& surface = found->surface;
  if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return CLR_INVALID;
  return surface.pixels[static_cast<std::size_t>(y) * surface.width + static_cast<std::size_t>(x)];
}

SurfaceView surfaceOf(HWND topLevel) {
  const Window* found = findWindow(topLevel);
  if (found == nullptr || found->parent != nullptr) return SurfaceView{};
  return SurfaceView{found->surface.width, found->surface.height, found->surface.pixels.data()};
}

}  // namespace model
