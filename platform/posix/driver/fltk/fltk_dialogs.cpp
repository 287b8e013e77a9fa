// The FLTK driver's dialogs: the modal message box and the two pickers (FLTK's native file
// chooser, which uses the desktop's own dialog when one is available). The model has disabled
// the owner before a dialog is shown; while it is up, only the dialog's own windows take input.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/driver/fltk/fltk_driver.h"
#include "platform/posix/model/user_input.h"

namespace fltk_driver {
namespace {

// The caption Windows gives a message box that has none.
constexpr const char* kDefaultBoxCaption = "Error";
constexpr const char* kOpenFileTitle = "Open";
constexpr const char* kFolderTitle = "Browse for Folder";

// The message box's layout, in pixels, and its text font.
constexpr int kBoxMargin = 14;
constexpr int kTextMaxWidth = 420;
constexpr int kTextMinWidth = 220;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;
constexpr Fl_Fontsize kBoxTextSize = 14;

// How often the box's loop lets the owner's painting through while the user reads.
constexpr double kModalPollSeconds = 0.05;

struct BoxButton {
  const char* caption;
  int answer;
};

// What a message box shows: its buttons, the first being the default (Enter).
std::vector<BoxButton> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{"&Abort", IDABORT}, {"&Retry", IDRETRY}, {"&Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
      return {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO:
      return {{"&Yes", IDYES}, {"&No", IDNO}};
    case MB_RETRYCANCEL:
      return {{"&Retry", IDRETRY}, {"Cancel", IDCANCEL}};
    default:
      return {{"OK", IDOK}};
  }
}

// The answer when the user closes the box (close button, Escape): Cancel when the box has it,
// OK for a box with OK alone; 0 (the box stays) otherwise, as Windows disables closing then.
int answerOnClose(const std::vector<BoxButton>& buttons) {
  for (const BoxButton& button : buttons) {
    if (button.answer == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons.front().answer : 0;
}

// The box being shown: its answer (0 while it is up) and what each of its buttons answers.
struct BoxState {
  int answer = 0;
  int closeAnswer = 0;
};

struct ButtonLink {
  BoxState* state;
  int answer;
};

// A button of the box: its answer ends the box.
void onBoxButton(Fl_Widget*, void* data) {
  auto* link = static_cast<ButtonLink*>(data);
  link->state->answer = link->answer;
}

// The box's close button or Escape: the close answer, when the box has one, ends it.
void onBoxClose(Fl_Widget*, void* data) {
  auto* state = static_cast<BoxState*>(data);
  if (state->closeAnswer != 0) state->answer = state->closeAnswer;
}

// Returns the text without carriage returns (lines end with CR LF in the program's texts).
std::string boxText(const char* text) {
  std::string shown = text != nullptr ? text : "";
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
  return shown;
}

// Builds the box window: the text above a centred row of buttons. `links` keeps the buttons'
// callback data alive as long as the window.
std::unique_ptr<Fl_Window> buildBox(const std::string& text, const char* caption,
                                    const std::vector<BoxButton>& buttons, BoxState& state,
                                    std::vector<ButtonLink>& links) {
  fl_font(FL_HELVETICA, kBoxTextSize);
  int textWidth = kTextMaxWidth, textHeight = 0;
  fl_measure(text.c_str(), textWidth, textHeight, 0);
  const int count = static_cast<int>(buttons.size());
  const int rowWidth = count * kButtonWidth + (count - 1) * kButtonGap;
  textWidth = std::max({textWidth, kTextMinWidth, rowWidth});
  const int width = textWidth + 2 * kBoxMargin;
  const int height = textHeight + kButtonHeight + 3 * kBoxMargin;
  auto box = std::make_unique<Fl_Window>(width, height);
  box->copy_label(caption != nullptr ? caption : kDefaultBoxCaption);
  auto* message = new Fl_Box(kBoxMargin, kBoxMargin, textWidth, textHeight);
  message->copy_label(text.c_str());
  message->labelsize(kBoxTextSize);
  message->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP);
  links.reserve(buttons.size());
  int x = (width - rowWidth) / 2;
  const int y = height - kBoxMargin - kButtonHeight;
  for (const BoxButton& spec : buttons) {
    links.push_back(ButtonLink{&state, spec.answer});
    Fl_Button* button = links.size() == 1 ? new Fl_Return_Button(x, y, kButtonWidth, kButtonHeight)
                                          : new Fl_Button(x, y, kButtonWidth, kButtonHeight);
    button->label(spec.caption);
    button->callback(onBoxButton, &links.back());
    x += kButtonWidth + kButtonGap;
  }
  box->end();
  box->callback(onBoxClose, &state);
  box->set_modal();
  return box;
}

// Puts the box in the middle of its owner's window when the owner is on the screen.
void placeOver(Fl_Window& box, HWND owner) {
  SurfaceWindow* surface = owner != nullptr ? surfaceOf(owner) : nullptr;
  if (surface == nullptr || !surface->shown()) {
    box.free_position();
    return;
  }
  box.position(surface->x() + (surface->w() - box.w()) / 2,
               surface->y() + (surface->h() - box.h()) / 2);
}

// Runs the box until it is answered. Meanwhile the owner still gets its painting, as a modal
// box's own message loop dispatches the owner's messages on Windows.
int runBox(Fl_Window& box, const BoxState& state) {
  InputGateScope dialogs(InputGate::dialogsOnly);
  box.show();
  while (state.answer == 0) {
    Fl::wait(kModalPollSeconds);
    reportScreenChanges();
    model::dispatchAvailableMessages();
    syncAll();
  }
  box.hide();
  return state.answer;
}

// Returns one Win32 filter pattern list ("*.txt;*.doc") as an FLTK pattern ("{*.txt,*.doc}");
// "*.*" matches every name, with or without a dot.
std::string fltkPatterns(const std::string& win32Patterns) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= win32Patterns.size()) {
    std::size_t end = win32Patterns.find(';', start);
    if (end == std::string::npos) end = win32Patterns.size();
    std::string pattern = win32Patterns.substr(start, end - start);
    if (pattern == "*.*") pattern = "*";
    if (!pattern.empty()) patterns.push_back(pattern);
    start = end + 1;
  }
  if (patterns.size() == 1) return patterns.front();
  std::string joined = "{";
  for (std::size_t i = 0; i < patterns.size(); ++i) joined += (i > 0 ? "," : "") + patterns[i];
  return joined + "}";
}

// Returns the current folder, empty when it cannot be told.
std::string currentFolder() {
  char buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

}  // namespace

// MessageBoxA: shows a modal box over `owner` and returns the button chosen.
int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  const std::vector<BoxButton> buttons = buttonsOf(type);
  BoxState state;
  state.closeAnswer = answerOnClose(buttons);
  std::vector<ButtonLink> links;
  std::unique_ptr<Fl_Window> box = buildBox(boxText(text), caption, buttons, state, links);
  placeOver(*box, owner);
  return runBox(*box, state);
}

// Returns the FLTK filter lines for a Win32 filter list; empty when there is none.
std::string fltkFilter(const char* win32Filter) {
  std::string filter;
  if (win32Filter == nullptr) return filter;
  const char* entry = win32Filter;
  while (*entry != '\0') {
    const std::string name = entry;
    entry += name.size() + 1;
    const std::string patterns = entry;
    entry += patterns.size() + 1;
    if (!filter.empty()) filter += '\n';
    filter += name + '\t' + fltkPatterns(patterns);
    if (patterns.empty()) break;
  }
  return filter;
}

// GetOpenFileNameA: the chosen file's full path, or nothing when the chooser was cancelled.
std::optional<std::string> chooseOpenFile(const OPENFILENAMEA& request) {
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(request.lpstrTitle != nullptr ? request.lpstrTitle : kOpenFileTitle);
  const std::string filter = fltkFilter(request.lpstrFilter);
  if (!filter.empty()) chooser.filter(filter.c_str());
  if (request.nFilterIndex > 0) chooser.filter_value(static_cast<int>(request.nFilterIndex) - 1);
  // Without a folder of its own the dialog starts in the current folder, as Windows' does.
  const std::string start =
      request.lpstrInitialDir != nullptr ? std::string(request.lpstrInitialDir) : currentFolder();
  if (!start.empty()) chooser.directory(start.c_str());
  int result = 0;
  {
    InputGateScope dialogs(InputGate::dialogsOnly);
    result = chooser.show();
  }
  const char* chosen = chooser.filename();
  if (result != 0 || chosen == nullptr || *chosen == '\0') return std::nullopt;
  return std::string(chosen);
}

// SHBrowseForFolderA: the chosen folder, or a cancelled choice.
driver::FolderChoice chooseFolder(const BROWSEINFOA& request) {
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
  const bool titled = request.lpszTitle != nullptr && *request.lpszTitle != '\0';
  chooser.title(titled ? request.lpszTitle : kFolderTitle);
  // The desktop's folder chooser cannot show the whole name space as Windows' browser does; it
  // starts in the current folder rather than in a list of recent files.
  const std::string start = currentFolder();
  if (!start.empty()) chooser.directory(start.c_str());
  int result = 0;
  {
    InputGateScope dialogs(InputGate::dialogsOnly);
    result = chooser.show();
  }
  driver::FolderChoice choice;
  const char* chosen = chooser.filename();
  if (result != 0 || chosen == nullptr || *chosen == '\0') return choice;
  choice.kind = driver::FolderChoice::Kind::folder;
  choice.path = chosen;
  return choice;
}

}  // namespace fltk_driver
