#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

namespace brivanto::guitest {

// Acts on every modal dialog that opens while it lives. A modal dialog runs its own event loop,
// so the test's code after the call that opened it only goes on once the dialog has closed;
// the answer has to come from a timer inside that loop.
class ModalAnswerer {
 public:
  using Action = std::function<void(QWidget& modal)>;

  explicit ModalAnswerer(Action action);

  int Handled() const { return handled_; }

 private:
  void Poll();

  Action action_;
  QTimer timer_;
  QPointer<QWidget> last_;
  int handled_ = 0;
};

struct SeenMessageBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;  // sorted
  bool plainText = false;
};

// Records each message box and clicks its button captioned `answer`; an empty answer closes
// the box with its window's close button instead.
ModalAnswerer::Action AnswerMessageBoxes(std::vector<SeenMessageBox>& seen, QString answer);

struct SeenFileDialog {
  QString title;
  QStringList nameFilters;
  QString selectedNameFilter;
  QString directory;
  QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
  QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
};

// Records the file dialog, then picks `path` and accepts, or cancels when there is none.
ModalAnswerer::Action AnswerFileDialog(SeenFileDialog& seen, std::optional<QString> path);

}  // namespace brivanto::guitest
