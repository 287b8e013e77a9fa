// The mirror between the eleven check boxes of the main window and their flags.
#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"

// Sets each of the eleven mirrored flags of `settings` to whether its box reports BST_CHECKED,
// asking the boxes in their fixed order; the other fields are untouched.
void readCheckBoxes() {
  for (const CheckBoxFlag& pair : kCheckBoxFlags) {
    settings.*pair.flag = SendMessageA(*pair.box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
}

// Sends BM_SETCHECK with BST_CHECKED to the box of each mirrored flag that is set, in the fixed
// order; boxes of flags that are not set stay as they are. Changes no field.
void showFlagsInCheckBoxes() {
  for (const CheckBoxFlag& pair : kCheckBoxFlags) {
    if (settings.*pair.flag) SendMessageA(*pair.box, BM_SETCHECK, BST_CHECKED, 0);
  }
}
