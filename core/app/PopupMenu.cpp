#include "app/PopupMenu.h"

void ChooseMenuItem(int tag, MenuCommands& form) {
  if (tag == kTagAbout) form.ShowAbout();
  if (tag == kTagExit) form.CloseForm();
}
