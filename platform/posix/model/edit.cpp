// The EDIT class: single-line and multi-line (ES_MULTILINE) edit controls.
//
// Documented behaviour kept here:
// - A character (WM_CHAR) replaces the selection, or is inserted at the caret; the caret then
//   follows it. In a multi-line control a carriage return inserts "\r\n".
// - Every change of the text by a character, EM_REPLACESEL or the user reports EN_UPDATE and
//   then EN_CHANGE to the parent (WM_COMMAND) before the call returns, whether or not the
//   control is enabled: disabled only means the user cannot type into it.
// - The text limit (30000 until EM_LIMITTEXT) cuts off what does not fit and reports EN_MAXTEXT
//   first; EN_UPDATE and EN_CHANGE follow even when nothing fitted. WM_SETTEXT ignores the limit.
// - A single-line control without ES_AUTOHSCROLL cannot scroll: characters typed or pasted past
//   its right edge are taken back and EN_MAXTEXT reported (the display driver measures text).
// - WM_SETTEXT puts the caret at the start and reports EN_UPDATE and EN_CHANGE in a single-line
//   control, even for the same text; a multi-line control reports nothing.
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kTab = '\t';
constexpr char kBackspace = '\b';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

// The largest limits EM_LIMITTEXT 0 gives, as Win32 documents them.
constexpr std::size_t kLargestSingleLineLimit = 0x7FFFFFFE;
constexpr std::size_t kLargestMultiLineLimit = 0xFFFFFFFF;

constexpr std::string_view kLineBreak = "\r\n";

bool isMultiLine(const Window& window) { return (window.style & ES_MULTILINE) != 0; }

// The text was changed in place: the control is drawn again and the driver told.
void textStored(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  invalidate(*window, nullptr, true);
  driver::current().textChanged(handle);
}

// Reports a change of the text to the parent: EN_UPDATE, then EN_CHANGE.
void notifyChange(HWND handle) {
  notifyParent(handle, EN_UPDATE);
  notifyParent(handle, EN_CHANGE);
}

// The number of characters that fit in the limit once the selection is gone.
std::size_t roomLeft(const Window& window) {
  const Selection& selection = window.edit.selection;
  const std::size_t kept = window.text.size() - (selection.end - selection.start);
  return window.edit.limit > kept ? window.edit.limit - kept : 0;
}

// Puts the selection within the text and in order.
void clampSelection(Window& window) {
  Selection& selection = window.edit.selection;
  selection.start = std::min(selection.start, window.text.size());
  selection.end = std::min(selection.end, window.text.size());
  if (selection.start > selection.end) std::swap(selection.start, selection.end);
}

// True for a single-line control that does not scroll its text (no ES_AUTOHSCROLL).
bool cannotScroll(const Window& window) {
  return (window.style & (ES_MULTILINE | ES_AUTOHSCROLL)) == 0;
}

// Takes back, from the end, the characters just inserted at `at` that make the text wider than
// the control, as measured by the display driver. Returns how many inserted characters stay.
std::size_t fitWidth(Window& window, std::size_t at, std::size_t inserted) {
  const int width = clientSizeOf(window.handle).cx;
  std::size_t kept = inserted;
  while (kept > 0 && driver::current().textWidth(window.handle, window.text) > width) {
    window.text.erase(at + kept - 1, 1);
    --kept;
  }
  return kept;
}

// Replaces the selection with `insert`, the caret ending after it: nothing at all when there
// is neither a selection nor anything to insert. With `honourLimit`, what does not fit is cut
// off, EN_MAXTEXT reported first. Then EN_UPDATE and EN_CHANGE are reported, as Win32 does even
// when the limit left the text as it was.
void replaceSelection(HWND handle, std::string insert, bool honourLimit) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  clampSelection(*window);
  if (insert.empty() && window->edit.selection.start == window->edit.selection.end) return;
  if (honourLimit && insert.size() > roomLeft(*window)) {
    notifyParent(handle, EN_MAXTEXT);
    window = findWindow(handle);
    if (window == nullptr) return;
    clampSelection(*window);
    insert.resize(std::min(insert.size(), roomLeft(*window)));
  }
  const Selection selection = window->edit.selection;
  bool takenBack = false;
  if (!insert.empty() || selection.start != selection.end) {
    window->text.replace(selection.start, selection.end - selection.start, insert);
    std::size_t kept = insert.size();
    if (honourLimit && cannotScroll(*window)) {
      kept = fitWidth(*window, selection.start, insert.size());
      takenBack = kept < insert.size();
    }
    const std::size_t caret = selection.start + kept;
    window->edit.selection = Selection{caret, caret};
    textStored(handle);
  }
  if (takenBack) notifyParent(handle, EN_MAXTEXT);
  notifyChange(handle);
}

// Backspace: deletes the selection, or the character before the caret (a whole line break).
void editBackspace(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  Selection& selection = window->edit.selection;
  if (selection.start == selection.end) {
    if (selection.start == 0) return;
    const std::string_view before(window->text.data(), selection.start);
    selection.start -= before.ends_with(kLineBreak) ? kLineBreak.size() : 1;
  }
  replaceSelection(handle, "", false);
}

// WM_CHAR: a printable character replaces the selection; a carriage return or line feed starts
// a new line in a multi-line control (nothing in a single-line one); a tab is inserted only in
// a multi-line control; backspace deletes. A read-only control refuses every character; other
// control characters do nothing. Returns 0.
LRESULT editWmChar(HWND handle, WPARAM code) {
  Window* window = findWindow(handle);
  if (window == nullptr || (window->style & ES_READONLY)) return 0;
  const auto character = static_cast<unsigned char>(code);
  const bool multiLine = isMultiLine(*window);
  if (character == kCarriageReturn || character == kLineFeed) {
    if (multiLine) replaceSelection(handle, std::string(kLineBreak), true);
  } else if (character == kTab) {
    if (multiLine) replaceSelection(handle, std::string(1, kTab), true);
  } else if (character == kBackspace) {
    editBackspace(handle);
  } else if (character >= kFirstPrintable && character != kDelete) {
    replaceSelection(handle, std::string(1, static_cast<char>(character)), true);
  }
  return 0;
}

// WM_NCCREATE: the text of the creation record, taken as it is with no notification; the caret
// at the start. Returns TRUE.
LRESULT editWmNcCreate(HWND handle, LPARAM lParam) {
  Window* window = findWindow(handle);
  if (window == nullptr) return FALSE;
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  window->text = (create != nullptr && create->lpszName != nullptr) ? create->lpszName : "";
  window->edit = EditState{};
  return TRUE;
}

// WM_SETTEXT: the whole text replaced regardless of the limit, the caret at the start; a
// single-line control reports EN_UPDATE and EN_CHANGE, a multi-line one nothing. Returns TRUE.
LRESULT editWmSetText(HWND handle, LPARAM lParam) {
  Window* window = findWindow(handle);
  if (window == nullptr) return FALSE;
  const char* text = reinterpret_cast<const char*>(lParam);
  const bool multiLine = isMultiLine(*window);
  window->edit.selection = Selection{};
  window->text = text != nullptr ? text : "";
  textStored(handle);
  if (!multiLine) notifyChange(handle);
  return TRUE;
}

// EM_SETSEL: selects from `start` to `end`; an end of -1 means the end of the text, a start of
// -1 removes the selection and leaves the caret. Returns 0.
LRESULT editEmSetSel(HWND handle, WPARAM start, LPARAM end) {
  Window* window = findWindow(handle);
  if (window == nullptr) return 0;
  Selection& selection = window->edit.selection;
  if (static_cast<LONG>(start) == -1) {
    selection.start = selection.end;
  } else {
    selection.start = start;
    selection.end =
        static_cast<LONG>(end) == -1 ? window->text.size() : static_cast<std::size_t>(end);
  }
  clampSelection(*window);
  return 0;
}

// EM_GETSEL: stores the selection's start and end where the pointers ask; returns both packed.
LRESULT editEmGetSel(HWND handle, WPARAM startOut, LPARAM endOut) {
  Selection selection = selectionOf(handle);
  if (auto* start = reinterpret_cast<DWORD*>(startOut))
    *start = static_cast<DWORD>(selection.start);
  if (auto* end = reinterpret_cast<DWORD*>(endOut)) *end = static_cast<DWORD>(selection.end);
  return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(selection.start, selection.end)));
}

// EM_LIMITTEXT: sets the limit; 0 sets the largest one. Returns 0.
LRESULT editEmLimitText(HWND handle, WPARAM limit) {
  Window* window = findWindow(handle);
  if (window == nullptr) return 0;
  if (limit == 0) limit = isMultiLine(*window) ? kLargestMultiLineLimit : kLargestSingleLineLimit;
  window->edit.limit = limit;
  return 0;
}

// EM_GETLINECOUNT: the number of lines; line breaks count, lines are never wrapped here.
LRESULT editEmGetLineCount(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr || !isMultiLine(*window)) return 1;
  std::size_t lines = 1;
  for (std::size_t at = window->text.find(kLineBreak); at != std::string::npos;
       at = window->text.find(kLineBreak, at + kLineBreak.size())) {
    ++lines;
  }
  return static_cast<LRESULT>(lines);
}

// WM_LBUTTONDOWN: the control takes the focus; the caret goes to the end of the text (a click
// carries no character position here). Returns 0.
LRESULT editWmLButtonDown(HWND handle) {
  SetFocus(handle);
  if (Window* window = findWindow(handle)) {
    window->edit.selection = Selection{window->text.size(), window->text.size()};
  }
  return 0;
}

// The user's whole new text as the control keeps it: a multi-line control's lone line feeds
// become "\r\n"; a single-line control keeps only the first line.
std::string userTextForControl(const Window& window, std::string_view text) {
  std::string result;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char character = text[at];
    if (character == kCarriageReturn || character == kLineFeed) {
      if (!isMultiLine(window)) break;
      result += kLineBreak;
      if (character == kCarriageReturn && at + 1 < text.size() && text[at + 1] == kLineFeed) ++at;
      continue;
    }
    result += character;
  }
  return result;
}

// The user's replacement of the whole text (user_input.h): selects everything and replaces it
// within the limit when it differs. When the control keeps other text than the user gave (cut
// at the limit or the width, or line breaks changed), the driver is told again. Returns 0.
LRESULT editUserReplaceText(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr || window->edit.userTexts.empty()) return 0;
  const std::string given = std::move(window->edit.userTexts.front());
  window->edit.userTexts.pop_front();
  std::string text = userTextForControl(*window, given);
  if (text != window->text) {
    window->edit.selection = Selection{0, window->text.size()};
    replaceSelection(handle, std::move(text), true);
  }
  // The driver's own widget shows what the user gave: it must follow what the control kept.
  if (textOf(handle) != given && isValid(handle)) driver::current().textChanged(handle);
  return 0;
}

// WM_SETFOCUS and WM_KILLFOCUS are reported to the parent as EN_SETFOCUS and EN_KILLFOCUS.
LRESULT editFocusChange(HWND handle, WORD code) {
  notifyParent(handle, code);
  return 0;
}

}  // namespace

// The window procedure of the EDIT class.
LRESULT CALLBACK editWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return editWmNcCreate(window, lParam);
    case WM_CHAR:
      return editWmChar(window, wParam);
    case WM_SETTEXT:
      return editWmSetText(window, lParam);
    case EM_SETSEL:
      return editEmSetSel(window, wParam, lParam);
    case EM_GETSEL:
      return editEmGetSel(window, wParam, lParam);
    case EM_REPLACESEL:
      replaceSelection(window, lParam != 0 ? reinterpret_cast<const char*>(lParam) : "", true);
      return 0;
    case EM_LIMITTEXT:
      return editEmLimitText(window, wParam);
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(textLimitOf(window));
    case EM_GETLINECOUNT:
      return editEmGetLineCount(window);
    case WM_LBUTTONDOWN:
      return editWmLButtonDown(window);
    case WM_SETFOCUS:
      return editFocusChange(window, EN_SETFOCUS);
    case WM_KILLFOCUS:
      return editFocusChange(window, EN_KILLFOCUS);
    case WM_ENABLE:
      return controlRedrawAfter(window, message, wParam, lParam);
    case WM_SETFONT:
      return controlWmSetFont(window, wParam, lParam);
    case WM_GETFONT:
      return controlWmGetFont(window);
    case kUserReplaceTextMessage:
      return editUserReplaceText(window);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace model
