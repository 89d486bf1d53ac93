#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "QtText.h"

namespace brivanto::qt {

bool QtClipboard::SetText(const std::string& text) {
  // Asking for the clipboard without a QGuiApplication only yields a warning and null.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return false;
  }
  auto* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    return false;
  }
  clipboard->setText(ToQString(text), QClipboard::Clipboard);
  return true;
}

}  // namespace brivanto::qt
