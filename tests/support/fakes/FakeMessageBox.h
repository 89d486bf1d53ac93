#pragma once

// Message boxes, recorded, answered from a script (OK when it runs out).

#include <deque>
#include <string>
#include <vector>

#include "ports/MessageDialog.h"

namespace brivanto::testing {

struct ShownMessage {
  std::string text;
  int style;
  std::string title;
};

class FakeMessageBox : public ports::MessageDialog {
 public:
  int Show(const std::string& text, int style, const std::string& title) override {
    shown.push_back({text, style, title});
    if (answers.empty()) {
      return ports::message_box::kAnswerOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;
};

}  // namespace brivanto::testing
