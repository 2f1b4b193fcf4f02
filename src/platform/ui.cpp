#include "platform/ui.h"

#include <cstdio>

namespace platform {
namespace {

// Without a window system: print the message and take the first button.
class StderrUi : public MessageUi {
 public:
  Answer Show(const Message& m) override {
    std::fprintf(stderr, "[%s] %s\n", m.title.c_str(), m.text.c_str());
    switch (m.buttons) {
      case Buttons::YesNo:
      case Buttons::YesNoCancel:
        return Answer::Yes;
      default:
        return Answer::Ok;
    }
  }
  void ResetCursor() override {}
};

StderrUi g_default;
MessageUi* g_ui = nullptr;

}  // namespace

MessageUi& Ui() { return g_ui ? *g_ui : g_default; }
void SetMessageUi(MessageUi* ui) { g_ui = ui; }

Answer ShowMessage(const std::string& text, const std::string& title, Icon icon, Buttons buttons,
                   Modality modality) {
  Ui().ResetCursor();
  return Ui().Show(Message{text, title, icon, buttons, modality});
}

}  // namespace platform
