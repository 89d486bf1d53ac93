#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>

#include "ports/Shell.h"

class QFileDialog;

namespace brivanto::qt {

// The folder dialog as Qt's own (non-native) file dialog in folder mode. An item list is a
// number standing for one chosen path; it lives until CoTaskMemFree. The record's title is the
// dialog's caption, and the callback gets the messages of its Windows model: "initialized"
// before the dialog opens, "selection changed" whenever the current folder or item changes.
class QtShell : public ports::Shell {
 public:
  // The owner for records whose hwndOwner is 0.
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  ports::ItemList SHBrowseForFolderA(ports::BrowseInfoRecord& record) override;
  int SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) override;
  void CoTaskMemFree(ports::ItemList itemList) override;
  // Understands the selection message with a path; the status text has no place in Qt's
  // dialog and is dropped.
  std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message, std::uintptr_t wParam,
                             const char* text) override;

 private:
  ports::ItemList NewItem(const QString& path);
  void NotifySelection(const ports::BrowseInfoRecord& record, const QString& path);

  QPointer<QWidget> parent_;
  QPointer<QFileDialog> openDialog_;
  std::map<ports::ItemList, std::string> items_;
  ports::ItemList lastItem_ = 0;
};

}  // namespace brivanto::qt
