// The one way the layers below the Qt program reach the user: a modal
// message with text, title, icon and buttons that returns the answer, and
// the reset of the mouse cursor that precedes every message a service shows.
// The Qt program installs an implementation with real message boxes; tests
// install a recorder that answers as scripted. Texts are UTF-8.
#pragma once

#include <string>

namespace platform {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Who the box blocks: the asking window, the whole program ("task-modal",
// the services' boxes), or the whole program without an owner window.
enum class Modality { Window, Task };

struct Message {
  std::string text;
  std::string title;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  Modality modality = Modality::Window;
};

class MessageUi {
 public:
  virtual ~MessageUi() = default;
  virtual Answer Show(const Message& message) = 0;
  virtual void ResetCursor() = 0;
};

// The process-wide interface. Without an installed one, messages go to
// standard error and are answered with the first button (Ok or Yes).
// SetMessageUi does not take ownership; pass nullptr to go back to the
// default. Only the user-interface thread calls these.
MessageUi& Ui();
void SetMessageUi(MessageUi* ui);

// Shorthand for the services: resets the cursor, then shows the message.
Answer ShowMessage(const std::string& text, const std::string& title, Icon icon,
                   Buttons buttons = Buttons::Ok, Modality modality = Modality::Window);

}  // namespace platform
