// MessageBoxA: a modal box shown by the display driver.
#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

// Shows a modal message box through the display driver, the owner disabled meanwhile. Returns
// the button chosen (IDOK, IDCANCEL, ...), 0 when no box can be shown.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* shownText = text != nullptr ? text : "";
  // Windows titles a box without caption "Error".
  const char* shownCaption = caption != nullptr ? caption : "Error";
  return model::runModal(
      owner, [&] { return driver::current().messageBox(owner, shownText, shownCaption, type); });
}
