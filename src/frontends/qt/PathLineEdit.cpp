#include "PathLineEdit.h"

#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

#include "QtText.h"

namespace brivanto::qt {
namespace {

std::optional<std::vector<std::string>> DroppedFiles(const QMimeData& data) {
  std::vector<std::string> files;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) {
      files.push_back(ToStdString(url.toLocalFile()));
    }
  }
  if (files.empty()) {
    return std::nullopt;
  }
  return files;
}

app::KeyModifiers ModifiersOf(Qt::KeyboardModifiers modifiers) {
  return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
          modifiers.testFlag(Qt::AltModifier)};
}

}  // namespace

PathLineEdit::PathLineEdit(QWidget* parent) : QLineEdit(parent) {
  setAcceptDrops(true);
}

void PathLineEdit::dragEnterEvent(QDragEnterEvent* event) {
  event->acceptProposedAction();
}

void PathLineEdit::dragMoveEvent(QDragMoveEvent* event) {
  event->acceptProposedAction();
}

void PathLineEdit::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  if (!dropHandler_) {
    return;
  }
  // The handler may show a modal box; it runs once the drop has finished, so the program the
  // files came from is not kept waiting for the user.
  QMetaObject::invokeMethod(
      this,
      [handler = dropHandler_, files = DroppedFiles(*event->mimeData()),
       modifiers = ModifiersOf(event->modifiers())] { handler(files, modifiers); },
      Qt::QueuedConnection);
}

}  // namespace brivanto::qt
