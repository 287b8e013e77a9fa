// The headless display driver: no screen; the user is a test. What the user does goes through
// the shared input path (model/user_input.h); what the user sees is read from the model.
#include "platform/posix/driver/headless/headless.h"

#include <cstdio>
#include <deque>
#include <utility>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/user_input.h"
#include "platform/posix/model/window_state.h"
#include "platform/posix/model/window_system.h"

namespace headless {
namespace {

using MessageBoxAnswer = std::function<int(HWND, const std::string&, const std::string&, UINT)>;

// Everything the test told the driver, and what it saw of the dialogs.
struct TestUser {
  std::deque<std::function<void()>> actions;
  MessageBoxAnswer answer;
  std::vector<MessageBoxShown> boxes;
  std::optional<std::string> openFile;
  driver::FolderChoice folder;
  int openFileDialogs = 0;
  int folderBrowsers = 0;
  std::function<int(HWND, std::string_view)> measure;
};

TestUser user;

// The first button of a box of this type: what pressing Enter on it answers.
int firstButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
      return IDYES;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

// The loop waits: the next scripted action runs. Returns false when none is left, so the
// window system ends the test program instead of waiting forever.
bool headlessWaitForInput() {
  if (user.actions.empty()) {
    std::fputs(
        "headless driver: the message loop waits for the user, but the test's script has "
        "no action left\n",
        stderr);
    return false;
  }
  std::function<void()> action = std::move(user.actions.front());
  user.actions.pop_front();
  action();
  return true;
}

// A message box: recorded; its own loop dispatches what waits (painting reaches the windows),
// then the test answers, and what the answer did is dispatched too before the box goes.
int headlessMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  user.boxes.push_back(MessageBoxShown{owner, text, caption, type});
  model::dispatchAvailableMessages();
  const int answer = user.answer ? user.answer(owner, text, caption, type) : firstButton(type);
  model::dispatchAvailableMessages();
  return answer;
}

std::optional<std::string> headlessChooseOpenFile(const OPENFILENAMEA&) {
  ++user.openFileDialogs;
  model::dispatchAvailableMessages();
  return user.openFile;
}

driver::FolderChoice headlessChooseFolder(const BROWSEINFOA&) {
  ++user.folderBrowsers;
  model::dispatchAvailableMessages();
  return user.folder;
}

int headlessTextWidth(HWND window, std::string_view text) {
  return user.measure ? user.measure(window, text) : -1;
}

}  // namespace

void install() {
  driver::Hooks hooks;
  hooks.waitForInput = &headlessWaitForInput;
  hooks.messageBox = &headlessMessageBox;
  hooks.chooseOpenFile = &headlessChooseOpenFile;
  hooks.chooseFolder = &headlessChooseFolder;
  hooks.textWidth = &headlessTextWidth;
  driver::install(hooks);
  reset();
}

void reset() {
  model::resetWindowSystem();
  user = TestUser{};
}

bool click(HWND window) { return model::userClick(window); }

bool typeChar(HWND edit, char character) { return typeText(edit, std::string_view(&character, 1)); }

bool typeText(HWND edit, std::string_view text) {
  return model::userClick(edit) && model::userTypeChars(edit, text);
}

bool replaceText(HWND edit, std::string_view text) { return model::userReplaceText(edit, text); }

bool requestClose(HWND topLevel) { return model::userClose(topLevel); }

bool minimize(HWND topLevel) { return model::userMinimized(topLevel); }

bool restore(HWND topLevel) { return model::userRestored(topLevel); }

int dispatchPending() { return model::dispatchAvailableMessages(); }

void script(std::vector<std::function<void()>> actions) {
  user.actions.assign(std::make_move_iterator(actions.begin()),
                      std::make_move_iterator(actions.end()));
}

std::size_t actionsLeft() { return user.actions.size(); }

void answerMessageBoxes(MessageBoxAnswer answer) { user.answer = std::move(answer); }

const std::vector<MessageBoxShown>& messageBoxes() { return user.boxes; }

std::size_t messageBoxCount() { return user.boxes.size(); }

void chooseOpenFile(std::optional<std::string> path) { user.openFile = std::move(path); }

void chooseFolder(std::optional<std::string> path) {
  user.folder = path ? driver::FolderChoice{driver::FolderChoice::Kind::folder, *path}
                     : driver::FolderChoice{};
}

void chooseNonFileSystemItem(std::string displayName) {
  user.folder =
      driver::FolderChoice{driver::FolderChoice::Kind::nonFileSystemItem, std::move(displayName)};
}

void measureText(std::function<int(HWND, std::string_view)> width) {
  user.measure = std::move(width);
}

int openFileDialogCount() { return user.openFileDialogs; }

int folderBrowserCount() { return user.folderBrowsers; }

std::string text(HWND window) { return model::textOf(window); }

bool isChecked(HWND button) { return model::checkStateOf(button) == BST_CHECKED; }

bool isEnabled(HWND window) { return model::isEnabled(window); }

bool takesInput(HWND window) { return model::isEnabledForInput(window); }

bool isVisible(HWND window) { return model::isVisible(window); }

bool isMinimized(HWND topLevel) { return model::isMinimized(topLevel); }

std::optional<LOGFONTA> fontOf(HWND window) { return model::fontOf(window); }

COLORREF pixel(HWND topLevel, int x, int y) { return model::pixelOf(topLevel, x, y); }

SIZE clientSize(HWND window) { return model::clientSizeOf(window); }

std::string windowClass(HWND window) { return model::classNameOf(window); }

DWORD styleOf(HWND window) { return model::styleOf(window); }

DWORD exStyleOf(HWND window) { return model::exStyleOf(window); }

RECT rectOf(HWND window) { return model::windowRectOf(window); }

std::vector<HWND> children(HWND window) { return model::childrenOf(window); }

std::vector<HWND> topLevelWindows() { return model::topLevelWindows(); }

HWND focus() { return model::focusWindow(); }

}  // namespace headless
