// platform::MessageUi with Qt message boxes: the program installs one
// QtMessageUi at start (platform::SetMessageUi) so that every message of
// the layers below, and of the dialogs, is a modal QMessageBox.
#pragma once

#include "platform/ui.h"

namespace dialogs {

class QtMessageUi : public platform::MessageUi {
 public:
  // A box with the message's text, title and icon, and the buttons asked
  // for with the system's Russian captions ("OK", "Отмена", "Да", "Нет").
  // Window modality: the box belongs to the active modal dialog or the
  // active window; Task modality: no owner window, modal to the whole
  // program. Escape answers Cancel where offered, else No, else Ok.
  platform::Answer Show(const platform::Message& message) override;

  // Takes every override cursor off the stack (the busy cursor of a long
  // operation), so the box is used with the normal arrow.
  void ResetCursor() override;
};

// Loads the icon resource of vem_dialogs (":/icons/..."); harmless to call
// more than once. The dialogs call it themselves.
void InitResources();

}  // namespace dialogs
