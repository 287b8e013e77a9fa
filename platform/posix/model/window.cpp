// Windows: the window table, CreateWindowExA, DestroyWindow, IsWindow, GetParent.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// Windows by handle value; std::map keeps them ordered by creation, as handle values only grow.
std::map<std::uintptr_t, std::unique_ptr<Window>> windows;

// Handle values start high and step by 4, as Win32 handles look; 0 is never a handle.
constexpr std::uintptr_t kFirstHandleValue = 0x10020;
constexpr std::uintptr_t kHandleStep = 4;
std::uintptr_t nextHandleValue = kFirstHandleValue;

// Windows findWindow found, by the low bits of their handle values: every message looks its
// window up, often several times, and a copy sends thousands of messages a second. Handle values
// step by 4, so the windows of a program, created one after another, take different slots. A
// window's slot is cleared when it leaves the table.
struct FoundWindow {
  std::uintptr_t value = 0;
  Window* window = nullptr;
};
constexpr std::size_t kFoundSlots = 64;
std::array<FoundWindow, kFoundSlots> found{};

FoundWindow& foundSlot(std::uintptr_t value) { return found[(value / kHandleStep) % kFoundSlots]; }

// Where the system puts a top-level window created with CW_USEDEFAULT, and its size when the
// size is CW_USEDEFAULT too.
constexpr int kDefaultLeft = 32;
constexpr int kDefaultTop = 32;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

std::uintptr_t valueOf(HWND handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// Adds `handle` and its descendants, parents first, to `order`.
void appendTree(HWND handle, std::vector<HWND>& order) {
  order.push_back(handle);
  if (Window* window = findWindow(handle)) {
    for (HWND child : window->children) appendTree(child, order);
  }
}

// The window's rectangle from the creation arguments, CW_USEDEFAULT resolved.
RECT creationRect(bool child, int x, int y, int width, int height) {
  if (x == CW_USEDEFAULT) {
    x = child ? 0 : kDefaultLeft;
    y = child ? 0 : kDefaultTop;
  }
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : kDefaultWidth;
    height = child ? 0 : kDefaultHeight;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);
  return RECT{x, y, x + width, y + height};
}

// Gives a top-level window its client surface, filled with its class background colour.
void createSurface(Window& window) {
  SIZE size = clientSizeFor(window.style, window.exStyle, window.rect.right - window.rect.left,
                            window.rect.bottom - window.rect.top);
  window.surface.width = size.cx;
  window.surface.height = size.cy;
  window.surface.pixels.assign(static_cast<std::size_t>(size.cx) * size.cy,
                               brushColour(window.background));
}

// Forgets the window: out of its parent's list, its queued messages and the table. Used
// directly when WM_NCCREATE refused the creation, as nobody was told of the window yet.
void discardWindow(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  if (Window* parent = findWindow(window->parent)) std::erase(parent->children, handle);
  purgeMessagesFor(handle);
  if (foundSlot(valueOf(handle)).value == valueOf(handle)) foundSlot(valueOf(handle)) = {};
  forgetPaintingShortcut();
  windows.erase(valueOf(handle));
}

// Sends WM_NCDESTROY to the tree of `handle`, children first, tells the driver and forgets the
// windows.
void forgetTree(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) forgetTree(child);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  reportPaintedPixels();
  driver::current().windowDestroyed(handle);
  discardWindow(handle);
}

// Destroys the top-level windows `owner` owns, before the owner itself.
void destroyOwnedWindows(HWND owner) {
  std::vector<HWND> owned;
  for (const auto& [value, window] : windows) {
    if (window->owner == owner && !window->destroying) owned.push_back(window->handle);
  }
  for (HWND handle : owned) DestroyWindow(handle);
}

}  // namespace

// Returns a handle value never given out before.
std::uintptr_t newHandleValue() {
  std::uintptr_t value = nextHandleValue;
  nextHandleValue += kHandleStep;
  return value;
}

// Returns the live window with this handle, or null.
Window* findWindow(HWND handle) {
  const std::uintptr_t value = valueOf(handle);
  FoundWindow& slot = foundSlot(value);
  if (slot.value == value && value != 0) return slot.window;
  auto entry = windows.find(value);
  if (entry == windows.end()) return nullptr;
  slot = FoundWindow{value, entry->second.get()};
  return slot.window;
}

// Returns the live window with this handle; null and ERROR_INVALID_WINDOW_HANDLE otherwise.
Window* findWindowOrFail(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

// Returns every live window: each top-level window in creation order, then its descendants.
std::vector<HWND> allWindows() {
  std::vector<HWND> order;
  for (const auto& [value, window] : windows) {
    if (window->parent == nullptr) appendTree(window->handle, order);
  }
  return order;
}

// Returns the window and its descendants, parents first, in allWindows order.
std::vector<HWND> windowTree(HWND handle) {
  std::vector<HWND> tree;
  appendTree(handle, tree);
  return tree;
}

// Returns the top-level window of `handle` (itself when top-level), null when invalid.
HWND topLevelOf(HWND handle) {
  Window* window = findWindow(handle);
  while (window != nullptr && window->parent != nullptr) window = findWindow(window->parent);
  return window == nullptr ? nullptr : window->handle;
}

// Returns true when `ancestor` is `handle` itself or one of its ancestors.
bool isSelfOrAncestor(HWND ancestor, HWND handle) {
  for (Window* window = findWindow(handle); window != nullptr;
       window = findWindow(window->parent)) {
    if (window->handle == ancestor) return true;
  }
  return false;
}

// Destroys every window, top-level windows in creation order.
void destroyAllWindows() {
  std::vector<HWND> topLevel;
  for (const auto& [value, window] : windows) {
    if (window->parent == nullptr) topLevel.push_back(window->handle);
  }
  for (HWND handle : topLevel) DestroyWindow(handle);
  if (!windows.empty()) fatal("windows survived their destruction");
}

// Writes the message to standard error and aborts.
void fatal(const char* what) {
  std::fprintf(stderr, "sorvel window system: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

// Makes a Window record for CreateWindowExA and enters it into the table and its parent's list.
// Returns its handle.
HWND enterWindow(const WindowClass& windowClass, DWORD exStyle, LPCSTR className, DWORD style,
                 const RECT& rect, HWND parent, HWND owner, HMENU menu) {
  auto window = std::make_unique<Window>();
  window->handle = reinterpret_cast<HWND>(newHandleValue());
  window->parent = parent;
  window->owner = owner;
  window->className = className;
  window->kind = windowClass.kind;
  window->procedure = windowClass.procedure;
  window->background = windowClass.background;
  window->icon = windowClass.icon;
  window->style = style;
  window->exStyle = exStyle;
  window->rect = rect;
  window->id = parent != nullptr ? static_cast<int>(reinterpret_cast<std::uintptr_t>(menu)) : 0;
  if (parent == nullptr) createSurface(*window);
  HWND handle = window->handle;
  if (Window* parentWindow = findWindow(parent)) parentWindow->children.push_back(handle);
  windows.emplace(valueOf(handle), std::move(window));
  return handle;
}

}  // namespace model

using model::Window;

// Creates a window of a registered or system class: WM_NCCREATE (FALSE fails the creation),
// the driver's windowCreated, WM_CREATE (-1 destroys the window and fails), then SW_SHOW when
// WS_VISIBLE was asked. A child needs a valid parent; a top-level window given a parent is owned
// by that window's top-level window. Returns the handle, null with the error on failure.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  const model::WindowClass* windowClass = model::findClass(className);
  if (windowClass == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (child && parent == nullptr) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (parent != nullptr && model::findWindowOrFail(parent) == nullptr) return nullptr;
  // Windows gives every overlapped window a caption and lets it clip its siblings.
  if (!child && (style & WS_POPUP) == 0) style |= WS_CLIPSIBLINGS | WS_CAPTION;
  const DWORD asked = style;
  style &= ~static_cast<DWORD>(WS_VISIBLE);
  RECT rect = model::creationRect(child, x, y, width, height);
  HWND handle =
      model::enterWindow(*windowClass, exStyle, className, style, rect, child ? parent : nullptr,
                         child ? nullptr : model::topLevelOf(parent), menu);
  CREATESTRUCTA create{param,
                       instance,
                       menu,
                       parent,
                       rect.bottom - rect.top,
                       rect.right - rect.left,
                       rect.top,
                       rect.left,
                       static_cast<LONG>(asked),
                       windowName,
                       className,
                       exStyle};
  if (!SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    model::discardWindow(handle);
    return nullptr;
  }
  driver::current().windowCreated(handle);
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  if (asked & WS_VISIBLE) ShowWindow(handle, (asked & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW);
  return handle;
}

// Destroys the window and its descendants: owned windows first, then WM_DESTROY to the window
// and then to its children (parents before children), then WM_NCDESTROY children first. Returns
// FALSE with ERROR_INVALID_WINDOW_HANDLE for an invalid handle; TRUE, doing nothing more, for a
// window already being destroyed.
BOOL WINAPI DestroyWindow(HWND handle) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  if (window->destroying) return TRUE;
  std::vector<HWND> tree = model::windowTree(handle);
  for (HWND member : tree) model::findWindow(member)->destroying = true;
  model::destroyOwnedWindows(handle);
  model::dropFocusWithin(handle);
  for (HWND member : tree) {
    if (Window* alive = model::findWindow(member)) {
      alive->style &= ~static_cast<DWORD>(WS_VISIBLE);
      SendMessageA(member, WM_DESTROY, 0, 0);
    }
  }
  model::forgetTree(handle);
  return TRUE;
}

// Returns TRUE when `handle` names a live window.
BOOL WINAPI IsWindow(HWND handle) { return model::findWindow(handle) != nullptr; }

// Returns the parent of a child window, the owner of a WS_POPUP window, null otherwise (and for
// an invalid handle, with ERROR_INVALID_WINDOW_HANDLE).
HWND WINAPI GetParent(HWND handle) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr) return nullptr;
  if (window->style & WS_CHILD) return window->parent;
  return (window->style & WS_POPUP) ? window->owner : nullptr;
}
