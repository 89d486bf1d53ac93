#include "QtShell.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <utility>

#include "DialogOwner.h"
#include "QtText.h"

namespace brivanto::qt {
namespace {

constexpr std::size_t kDisplayNameBytes = 260;
constexpr std::intptr_t kUnusedResult = 0;

std::intptr_t HandleOf(const QFileDialog& dialog) {
  return reinterpret_cast<std::intptr_t>(&dialog);
}

void Configure(QFileDialog& dialog, const ports::BrowseInfoRecord& record) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  if ((record.ulFlags & ports::browse_flags::kIncludeFiles) == 0) {
    dialog.setOption(QFileDialog::ShowDirsOnly);
  }
  if (!record.lpszTitle.empty()) {
    dialog.setWindowTitle(ToQString(record.lpszTitle));
  }
}

void WriteDisplayName(const ports::BrowseInfoRecord& record, const QString& path) {
  if (record.pszDisplayName == nullptr) {
    return;
  }
  const auto name = QFileInfo(path).fileName();
  const auto bytes = ToStdString(name.isEmpty() ? path : name);
  const auto length = std::min(bytes.size(), kDisplayNameBytes - 1);
  std::memcpy(record.pszDisplayName, bytes.data(), length);
  record.pszDisplayName[length] = '\0';
}

// Keeps the open dialog reachable for SendMessageA, and forgets it however the run ends.
class OpenDialogScope {
 public:
  OpenDialogScope(QPointer<QFileDialog>& slot, QFileDialog& dialog)
      : slot_(slot), previous_(std::exchange(slot, &dialog)) {}
  ~OpenDialogScope() { slot_ = previous_; }
  OpenDialogScope(const OpenDialogScope&) = delete;
  OpenDialogScope& operator=(const OpenDialogScope&) = delete;

 private:
  QPointer<QFileDialog>& slot_;
  QPointer<QFileDialog> previous_;
};

}  // namespace

ports::ItemList QtShell::SHBrowseForFolderA(ports::BrowseInfoRecord& record) {
  QFileDialog dialog(DialogOwner(record.hwndOwner, parent_));
  Configure(dialog, record);
  const OpenDialogScope open(openDialog_, dialog);
  if (record.lpfn != nullptr) {
    record.lpfn(HandleOf(dialog), ports::browse_messages::kInitialized, 0, record.lParam);
    const auto notify = [this, &record](const QString& path) { NotifySelection(record, path); };
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, notify);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, notify);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return 0;
  }
  const auto chosen = dialog.selectedFiles().constFirst();
  WriteDisplayName(record, chosen);
  return NewItem(chosen);
}

void QtShell::NotifySelection(const ports::BrowseInfoRecord& record, const QString& path) {
  // The item belongs to the dialog and only lives for the call, as with the Windows dialog.
  const auto item = NewItem(path);
  record.lpfn(HandleOf(*openDialog_), ports::browse_messages::kSelectionChanged, item,
              record.lParam);
  CoTaskMemFree(item);
}

int QtShell::SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) {
  const auto found = items_.find(itemList);
  if (found == items_.end() || found->second.size() + 1 > buffer.size()) {
    return 0;
  }
  const auto& path = found->second;
  std::copy(path.begin(), path.end(), buffer.begin());
  buffer[path.size()] = '\0';
  return 1;
}

void QtShell::CoTaskMemFree(ports::ItemList itemList) {
  items_.erase(itemList);
}

std::intptr_t QtShell::SendMessageA(std::intptr_t window, std::uint32_t message,
                                    std::uintptr_t wParam, const char* text) {
  if (openDialog_ == nullptr || window != HandleOf(*openDialog_) ||
      message != ports::browse_messages::kSetSelection || text == nullptr) {
    return kUnusedResult;
  }
  // A wParam of 0 would make `text` an item list; only the path form is ever sent.
  if (wParam != 0) {
    openDialog_->setDirectory(QString::fromUtf8(text));
  }
  return kUnusedResult;
}

ports::ItemList QtShell::NewItem(const QString& path) {
  items_.emplace(++lastItem_, ToStdString(path));
  return lastItem_;
}

}  // namespace brivanto::qt
