// Window classes: the program's own (RegisterClassA) and the system's "BUTTON", "EDIT" and
// "STATIC"; the system's standard icons and cursors.
#include <strings.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/posix/model/window_model.h"

namespace model {
namespace {

std::vector<WindowClass> programClasses;

// The system classes, with the background Windows gives each.
const std::array<WindowClass, 3>& systemClasses() {
  static const std::array<WindowClass, 3> classes{{
      {"BUTTON", WindowKind::button, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW,
       &buttonWindowProc, nullptr, nullptr, nullptr},
      {"EDIT", WindowKind::edit, CS_DBLCLKS | CS_PARENTDC, &editWindowProc, nullptr, nullptr,
       nullptr},
      {"STATIC", WindowKind::staticText, CS_DBLCLKS | CS_PARENTDC, &staticWindowProc, nullptr,
       nullptr, nullptr},
  }};
  return classes;
}

bool sameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// True when `name` is an integer resource identifier (MAKEINTRESOURCEA) rather than a text.
bool isIntegerResource(LPCSTR name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

// The handles given out for standard icons and cursors so far, with their identifiers. Icons and
// cursors share identifiers (IDI_APPLICATION and IDC_ARROW are both 32512), so each has a table.
using StandardHandles = std::vector<std::pair<WORD, std::uintptr_t>>;
StandardHandles standardIcons;
StandardHandles standardCursors;

// The handle of a standard icon or cursor, one fixed handle per identifier, or null with
// ERROR_RESOURCE_NAME_NOT_FOUND for anything but a standard one: the program has no resources.
void* standardResource(StandardHandles& handles, HINSTANCE instance, LPCSTR name, WORD first,
                       WORD last) {
  if (instance != nullptr || !isIntegerResource(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const WORD id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
  if (id < first || id > last) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  for (const auto& [known, handle] : handles) {
    if (known == id) return reinterpret_cast<void*>(handle);
  }
  handles.emplace_back(id, newHandleValue());
  return reinterpret_cast<void*>(handles.back().second);
}

// The standard icons (IDI_APPLICATION .. IDI_WINLOGO) and cursors (IDC_ARROW .. IDC_HAND).
constexpr WORD kFirstStandardIcon = 32512;
constexpr WORD kLastStandardIcon = 32518;
constexpr WORD kFirstStandardCursor = 32512;
constexpr WORD kLastStandardCursor = 32651;

}  // namespace

// Returns the class named `name`, the program's own before the system's; null when unknown.
const WindowClass* findClass(const char* name) {
  if (name == nullptr) return nullptr;
  for (const WindowClass& candidate : programClasses) {
    if (sameName(candidate.name, name)) return &candidate;
  }
  for (const WindowClass& candidate : systemClasses()) {
    if (sameName(candidate.name, name)) return &candidate;
  }
  return nullptr;
}

// Forgets every class the program registered.
void unregisterAllClasses() { programClasses.clear(); }

// True when `icon` is the handle LoadIconA gave out for IDI_APPLICATION.
bool isApplicationIcon(HICON icon) {
  const auto applicationId = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(IDI_APPLICATION));
  for (const auto& [id, handle] : standardIcons) {
    if (id == applicationId) return icon != nullptr && reinterpret_cast<HICON>(handle) == icon;
  }
  return false;
}

}  // namespace model

using model::WindowClass;

// Registers a class of the program. Returns its atom, or 0 with ERROR_CLASS_ALREADY_EXISTS when
// the program already registered that name (any case), ERROR_INVALID_PARAMETER without a name or
// window procedure.
ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
  if (wndClass == nullptr || wndClass->lpszClassName == nullptr ||
      wndClass->lpfnWndProc == nullptr || wndClass->lpszClassName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const WindowClass& known : model::programClasses) {
    if (model::sameName(known.name, wndClass->lpszClassName)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  model::programClasses.push_back({wndClass->lpszClassName, model::WindowKind::program,
                                   wndClass->style, wndClass->lpfnWndProc, wndClass->hInstance,
                                   wndClass->hbrBackground, wndClass->hIcon});
  // Atoms of registered classes lie in 0xC000..0xFFFF.
  constexpr ATOM kFirstClassAtom = 0xC000;
  return static_cast<ATOM>(kFirstClassAtom + model::programClasses.size() - 1);
}

// Returns the handle of a standard icon (no instance, IDI_*); null otherwise.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  return static_cast<HICON>(model::standardResource(model::standardIcons, instance, iconName,
                                                    model::kFirstStandardIcon,
                                                    model::kLastStandardIcon));
}

// Returns the handle of a standard cursor (no instance, IDC_*); null otherwise.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  return static_cast<HCURSOR>(model::standardResource(model::standardCursors, instance, cursorName,
                                                      model::kFirstStandardCursor,
                                                      model::kLastStandardCursor));
}
