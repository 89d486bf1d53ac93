#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "ports/MessageDialog.h"

namespace brivanto::qt {

// A modal QMessageBox for every box the tool shows. Styles with Yes/No buttons get "Ja" and
// "Nee", every other style a single "OK"; the icon bits choose the error or question icon.
class QtMessageBox : public ports::MessageDialog {
 public:
  // Boxes belong to `parent` from then on; before that they have no owner window.
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  int Show(const std::string& text, int style, const std::string& title) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace brivanto::qt
