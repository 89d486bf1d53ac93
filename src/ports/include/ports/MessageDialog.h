#pragma once

#include <string>

namespace brivanto::ports {

// Styles and answers keep the standard Windows numbers so both frontends map them alike.
namespace message_box {
inline constexpr int kOk = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kIconError = 16;
inline constexpr int kIconQuestion = 32;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
}  // namespace message_box

// The system's modal message box. It shows exactly the title it is given.
class MessageDialog {
 public:
  virtual ~MessageDialog() = default;
  virtual int Show(const std::string& text, int style, const std::string& title) = 0;
};

}  // namespace brivanto::ports
