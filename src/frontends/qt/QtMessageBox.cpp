#include "QtMessageBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "QtText.h"

namespace brivanto::qt {
namespace {

namespace mb = ports::message_box;

constexpr int kButtonBits = 0x0F;
constexpr int kIconBits = 0xF0;

struct ButtonChoice {
  QMessageBox::StandardButton button;
  const char* caption;
  int answer;
};

// The captions are set on the buttons themselves, so they stay Dutch without a Qt translation.
std::vector<ButtonChoice> ButtonsFor(int style) {
  if ((style & kButtonBits) == mb::kYesNo) {
    return {{QMessageBox::Yes, "Ja", mb::kAnswerYes}, {QMessageBox::No, "Nee", mb::kAnswerNo}};
  }
  return {{QMessageBox::Ok, "OK", mb::kAnswerOk}};
}

QMessageBox::Icon IconFor(int style) {
  switch (style & kIconBits) {
    case mb::kIconError:
      return QMessageBox::Critical;
    case mb::kIconQuestion:
      return QMessageBox::Question;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtMessageBox::Show(const std::string& text, int style, const std::string& title) {
  // Texts break lines with CR LF as on Windows; Qt breaks them at the LF alone.
  const auto shownText = ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(IconFor(style), ToQString(title), shownText, QMessageBox::NoButton, parent_);
  // Failure texts may hold '<' and '&', which must not turn into markup.
  box.setTextFormat(Qt::PlainText);
  const auto choices = ButtonsFor(style);
  for (const auto& choice : choices) {
    box.addButton(choice.button)->setText(QString::fromUtf8(choice.caption));
  }
  box.setDefaultButton(choices.front().button);
  box.exec();
  const auto clicked = box.standardButton(box.clickedButton());
  for (const auto& choice : choices) {
    if (choice.button == clicked) {
      return choice.answer;
    }
  }
  // Closed without a button (window closed, parent gone): the last button is the escape answer.
  return choices.back().answer;
}

}  // namespace brivanto::qt
