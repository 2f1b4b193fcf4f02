// A MessageUi for tests: records every message and every cursor reset, and
// answers from a script (first in, first out; Ok/Yes-default when the
// script is empty). Installs itself on construction and restores the
// default on destruction.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace testing_support {

class RecordingUi : public platform::MessageUi {
 public:
  RecordingUi();
  ~RecordingUi() override;

  platform::Answer Show(const platform::Message& message) override;
  void ResetCursor() override { ++cursorResets; }

  // Answers for the next messages, in order.
  void Script(std::initializer_list<platform::Answer> answers);
  // Called for every message before the scripted answer is taken; may
  // answer itself by returning true and setting the answer.
  std::function<bool(const platform::Message&, platform::Answer&)> onShow;

  std::vector<platform::Message> messages;
  int cursorResets = 0;

  std::vector<std::string> Texts() const;

 private:
  std::deque<platform::Answer> script_;
  platform::MessageUi* previous_ = nullptr;
};

}  // namespace testing_support
