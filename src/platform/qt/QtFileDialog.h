#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <string>

#include "platform/FileDialog.h"

namespace brivanto::platform::qt {

// Qt's own (non-native) file dialog, filled from and answered into the dialog record.
class QtFileDialog : public platform::FileDialog {
 public:
  // The owner for records whose hwndOwner is 0.
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  bool GetOpenFileName(OpenFileNameRecord& record) override;
  bool GetSaveFileName(OpenFileNameRecord& record) override;

  // The record's "description NUL pattern NUL ... NUL" list as Qt name filters, in order.
  static QStringList NameFilters(const std::string& filterList);

 private:
  bool Run(OpenFileNameRecord& record, bool open);

  QPointer<QWidget> parent_;
};

}  // namespace brivanto::platform::qt
