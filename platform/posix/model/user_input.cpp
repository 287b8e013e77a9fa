// The user's input, turned into queued input messages for the program's loop.
#include "platform/posix/model/user_input.h"

#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// The message of an input event for `window`.
MSG inputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, 0, POINT{0, 0}};
}

// True for an edit control the user can type into now.
bool takesTyping(HWND edit) {
  return kindOf(edit) == WindowKind::edit && (styleOf(edit) & ES_READONLY) == 0 &&
         acceptsInput(edit, InputNeed::onScreen);
}

// True for a live top-level window.
bool isTopLevel(HWND window) { return isValid(window) && parentOf(window) == nullptr; }

}  // namespace

// Queues a press and a release of the left button at the window's centre.
bool userClick(HWND window) {
  if (!acceptsInput(window, InputNeed::onScreen)) return false;
  const SIZE size = clientSizeOf(window);
  const LPARAM centre = MAKELPARAM(size.cx / 2, size.cy / 2);
  queueInput(inputMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, centre), InputNeed::onScreen);
  queueInput(inputMessage(window, WM_LBUTTONUP, 0, centre), InputNeed::onScreen);
  return true;
}

// Queues one WM_CHAR per character.
bool userTypeChars(HWND edit, std::string_view chars) {
  if (!takesTyping(edit)) return false;
  for (char character : chars) {
    const auto code = static_cast<WPARAM>(static_cast<unsigned char>(character));
    queueInput(inputMessage(edit, WM_CHAR, code, 0), InputNeed::onScreen);
  }
  return true;
}

// Keeps the text with the control and queues the message that applies it.
bool userReplaceText(HWND edit, std::string_view text) {
  if (!takesTyping(edit)) return false;
  findWindow(edit)->edit.userTexts.emplace_back(text);
  queueInput(inputMessage(edit, kUserReplaceTextMessage, 0, 0), InputNeed::onScreen);
  return true;
}

// Queues WM_SYSCOMMAND SC_CLOSE for an enabled top-level window.
bool userClose(HWND topLevel) {
  if (!isTopLevel(topLevel) || !acceptsInput(topLevel, InputNeed::enabledWindow)) return false;
  queueInput(inputMessage(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0), InputNeed::enabledWindow);
  return true;
}

// Records that the display minimised the window.
bool userMinimized(HWND topLevel) {
  if (!isTopLevel(topLevel)) return false;
  changeMinimized(topLevel, true);
  return true;
}

// Records that the display restored the window; it then needs painting.
bool userRestored(HWND topLevel) {
  if (!isTopLevel(topLevel)) return false;
  changeMinimized(topLevel, false);
  return true;
}

// Marks the whole window, children included, as needing painting.
bool userExposed(HWND window) {
  if (!isValid(window)) return false;
  invalidateTree(window);
  return true;
}

}  // namespace model
