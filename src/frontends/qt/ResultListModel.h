#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QPointer>
#include <cstddef>
#include <string_view>

#include "maintenance/LineStore.h"
#include "ports/FormView.h"

namespace brivanto::qt {

// The lines of the result list, shown by a QListView. A run may append a million lines one by
// one, so appended lines are only announced to the view in one batch: when control returns to
// the event loop, or at once through Flush(). Until then the view, and with it the selection,
// knows only the rows announced so far.
class ResultListModel : public QAbstractListModel, public ports::ResultList {
  Q_OBJECT

 public:
  explicit ResultListModel(QObject* parent = nullptr);

  // The selection that IsSelected() answers from; normally the list view's.
  void WatchSelection(const QItemSelectionModel* selection) { selection_ = selection; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  void Clear() override;
  void Append(std::string_view line) override;
  std::size_t Count() const override { return lines_.Count(); }
  // Throws std::out_of_range past the last line.
  std::string_view Line(std::size_t index) const override { return lines_.Line(index); }
  // Rows not yet announced cannot have been selected, so no flush is needed here.
  bool IsSelected(std::size_t index) const override;

  void Flush();

 private:
  // The view asks for a row's text only while it draws it, so only drawn rows become QStrings.
  maintenance::LineStore lines_;
  std::size_t announced_ = 0;
  bool flushQueued_ = false;
  QPointer<const QItemSelectionModel> selection_;
};

}  // namespace brivanto::qt
