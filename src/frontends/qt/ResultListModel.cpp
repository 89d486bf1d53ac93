#include "ResultListModel.h"

#include <QMetaObject>

#include "QtText.h"

namespace brivanto::qt {

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(announced_);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
    return {};
  }
  return ToQString(lines_.Line(static_cast<std::size_t>(index.row())));
}

void ResultListModel::Clear() {
  beginResetModel();
  lines_.Clear();
  announced_ = 0;
  endResetModel();
}

void ResultListModel::Append(std::string_view line) {
  lines_.Append(line);
  if (!flushQueued_) {
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &ResultListModel::Flush, Qt::QueuedConnection);
  }
}

bool ResultListModel::IsSelected(std::size_t index) const {
  return selection_ != nullptr && index < announced_ &&
         selection_->isRowSelected(static_cast<int>(index));
}

void ResultListModel::Flush() {
  flushQueued_ = false;
  if (announced_ == lines_.Count()) {
    return;
  }
  beginInsertRows(QModelIndex(), static_cast<int>(announced_),
                  static_cast<int>(lines_.Count() - 1));
  announced_ = lines_.Count();
  endInsertRows();
}

}  // namespace brivanto::qt
