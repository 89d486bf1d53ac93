// The result list model behind lstResult: batching of appends, selection, clearing.

#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <string>

#include "ResultListModel.h"

using brivanto::qt::ResultListModel;

namespace {

void AppendNumbered(ResultListModel& model, int count) {
  for (int i = 0; i < count; ++i) {
    model.Append("Regel " + std::to_string(i));
  }
}

}  // namespace

class ResultListTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void appendsReachTheViewInOneBatch();
  void manyLinesCanBeSelected();
  void clearEmptiesListAndSelection();

 private:
  QListView* view_ = nullptr;
  ResultListModel* model_ = nullptr;
};

void ResultListTest::init() {
  view_ = new QListView;
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setUniformItemSizes(true);
  model_ = new ResultListModel(view_);
  view_->setModel(model_);
  model_->WatchSelection(view_->selectionModel());
  view_->resize(300, 200);
  view_->show();
  QVERIFY(QTest::qWaitForWindowExposed(view_));
}

void ResultListTest::cleanup() {
  delete view_;
}

void ResultListTest::appendsReachTheViewInOneBatch() {
  const QSignalSpy inserted(model_, &QAbstractItemModel::rowsInserted);

  AppendNumbered(*model_, 1'000'000);

  QCOMPARE(model_->Count(), 1'000'000u);
  QCOMPARE(model_->Line(999'999), "Regel 999999");
  QCOMPARE(inserted.count(), 0);
  QTRY_COMPARE(inserted.count(), 1);
  QCOMPARE(model_->rowCount(), 1'000'000);
  QCOMPARE(model_->index(123'456).data().toString(), "Regel 123456");
}

void ResultListTest::manyLinesCanBeSelected() {
  AppendNumbered(*model_, 100'000);
  QCoreApplication::processEvents();

  for (const int row : {3, 1}) {
    const auto rect = view_->visualRect(model_->index(row));
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
  }

  QCOMPARE(model_->Count(), 100'000u);
  QVERIFY(model_->IsSelected(1));
  QVERIFY(!model_->IsSelected(2));
  QVERIFY(model_->IsSelected(3));
  QVERIFY(!model_->IsSelected(99'999));
  // Lines that the view has not been told of yet cannot be selected.
  model_->Append("Nieuw");
  QVERIFY(!model_->IsSelected(100'000));
}

void ResultListTest::clearEmptiesListAndSelection() {
  AppendNumbered(*model_, 10);
  QCoreApplication::processEvents();
  view_->selectionModel()->select(model_->index(2), QItemSelectionModel::Select);
  AppendNumbered(*model_, 5);

  model_->Clear();
  QCoreApplication::processEvents();

  QCOMPARE(model_->Count(), 0u);
  QCOMPARE(model_->rowCount(), 0);
  QVERIFY(!model_->IsSelected(2));
  model_->Append("Na wissen");
  QTRY_COMPARE(model_->rowCount(), 1);
  QCOMPARE(model_->index(0).data().toString(), "Na wissen");
}

QTEST_MAIN(ResultListTest)
#include "ResultListTest.moc"
