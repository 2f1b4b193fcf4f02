#include "recording_ui.h"

namespace testing_support {

RecordingUi::RecordingUi() { platform::SetMessageUi(this); }
RecordingUi::~RecordingUi() { platform::SetMessageUi(nullptr); }

platform::Answer RecordingUi::Show(const platform::Message& message) {
  messages.push_back(message);
  platform::Answer answer;
  if (onShow && onShow(message, answer)) return answer;
  if (!script_.empty()) {
    answer = script_.front();
    script_.pop_front();
    return answer;
  }
  switch (message.buttons) {
    case platform::Buttons::YesNo:
    case platform::Buttons::YesNoCancel:
      return platform::Answer::Yes;
    default:
      return platform::Answer::Ok;
  }
}

void RecordingUi::Script(std::initializer_list<platform::Answer> answers) {
  script_.insert(script_.end(), answers.begin(), answers.end());
}

std::vector<std::string> RecordingUi::Texts() const {
  std::vector<std::string> out;
  for (const auto& m : messages) out.push_back(m.text);
  return out;
}

}  // namespace testing_support
