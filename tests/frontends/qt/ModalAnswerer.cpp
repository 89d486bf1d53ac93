#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <utility>

namespace brivanto::guitest {
namespace {

constexpr int kPollMilliseconds = 10;

}  // namespace

ModalAnswerer::ModalAnswerer(Action action) : action_(std::move(action)) {
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Poll(); });
  timer_.start(kPollMilliseconds);
}

void ModalAnswerer::Poll() {
  auto* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal == last_ || !modal->isVisible()) {
    return;
  }
  last_ = modal;
  ++handled_;
  action_(*modal);
}

ModalAnswerer::Action AnswerMessageBoxes(std::vector<SeenMessageBox>& seen, QString answer) {
  return [&seen, answer = std::move(answer)](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    QVERIFY2(box != nullptr, "the modal window is no message box");
    SeenMessageBox record{
        box->windowTitle(), box->text(), box->icon(), {}, box->textFormat() == Qt::PlainText};
    QAbstractButton* chosen = nullptr;
    for (auto* button : box->buttons()) {
      record.buttons << button->text();
      if (button->text() == answer) {
        chosen = button;
      }
    }
    record.buttons.sort();
    seen.push_back(record);
    if (chosen != nullptr) {
      chosen->click();
    } else {
      box->close();
    }
  };
}

ModalAnswerer::Action AnswerFileDialog(SeenFileDialog& seen, std::optional<QString> path) {
  return [&seen, path = std::move(path)](QWidget& modal) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    QVERIFY2(dialog != nullptr, "the modal window is no file dialog");
    seen = {dialog->windowTitle(),        dialog->nameFilters(),
            dialog->selectedNameFilter(), dialog->directory().absolutePath(),
            dialog->fileMode(),           dialog->acceptMode()};
    if (path) {
      // As if typed: selectFile() leaves the name box alone while it has the focus, and the
      // box takes the focus whenever the dialog window becomes active.
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      QVERIFY2(name != nullptr, "the file dialog has no name box");
      name->setText(*path);
      // QFileDialog hides its accept(); through QDialog it still checks the choice as OK does.
      static_cast<QDialog*>(dialog)->accept();
    } else {
      dialog->reject();
    }
  };
}

}  // namespace brivanto::guitest
