#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <string>

#include "ports/FileDialog.h"

namespace brivanto::qt {

// Qt's own (non-native) file dialog, filled from and answered into the dialog record.
class QtFileDialog : public ports::FileDialog {
 public:
  // The owner for records whose hwndOwner is 0.
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  bool GetOpenFileNameA(ports::OpenFileNameRecord& record) override;
  bool GetSaveFileNameA(ports::OpenFileNameRecord& record) override;

  // The record's "description NUL pattern NUL ... NUL" list as Qt name filters, in order.
  static QStringList NameFilters(const std::string& filterList);

 private:
  bool Run(ports::OpenFileNameRecord& record, bool open);

  QPointer<QWidget> parent_;
};

}  // namespace brivanto::qt
