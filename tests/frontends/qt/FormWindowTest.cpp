// The real window with the core behind it: layout, focus, typing, dropping, dialogs, start-up.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "ModalAnswerer.h"
#include "QtFormWindow.h"
#include "layout/Layout.h"
#include "support/GuiFakes.h"

using namespace brivanto;
using namespace brivanto::guitest;
using qt::QtFormWindow;
using Strings = std::vector<std::string>;

namespace {

constexpr int kDesignDpi = 96;
const QString kWrongFile = "Bestand is geen juist databasebestand. Selecteer een ander bestand";

// The drop's data: local files, or other URLs, or only text when `urls` is empty.
std::unique_ptr<QMimeData> DropData(const QStringList& urls) {
  auto data = std::make_unique<QMimeData>();
  if (urls.isEmpty()) {
    data->setText("gesleepte tekst");
    return data;
  }
  QList<QUrl> list;
  for (const auto& url : urls) {
    list << (url.startsWith(u'/') ? QUrl::fromLocalFile(url) : QUrl(url));
  }
  data->setUrls(list);
  return data;
}

void Drop(QWidget& target, const QMimeData& data, Qt::KeyboardModifiers modifiers) {
  const QPoint position(5, 5);
  QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(&target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(position), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(&target, &drop);
  QVERIFY(drop.isAccepted());
  // The window handles the drop once the drop itself is over.
  QCoreApplication::sendPostedEvents();
}

}  // namespace

class FormWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void controlGeometry_data();
  void controlGeometry();
  void windowHeightFollowsTheLogic();
  void iconsAndTooltip();
  void tabOrder();
  void viewReflectsTheLogic();
  void typingFiresOneChangePerKeystroke();
  void settingTextsFiresNoChange();
  void drop_data();
  void drop();
  void browseButtonFillsThePath_data();
  void browseButtonFillsThePath();
  void failingHandlerIsReported();
  void closingUnloads();
  void loadFailureEndsBeforeShowing();

 private:
  template <typename Control>
  Control& Find(const char* name) {
    auto* control = window_->findChild<Control*>(name);
    if (control == nullptr) {
      qFatal("no control %s", name);
    }
    return *control;
  }
  void CreateWindow();

  std::unique_ptr<GuiTestServices> services_;
  std::unique_ptr<QtFormWindow> window_;
};

void FormWindowTest::init() {
  services_ = std::make_unique<GuiTestServices>();
  CreateWindow();
  QVERIFY(window_->Load());
}

void FormWindowTest::CreateWindow() {
  window_ = std::make_unique<QtFormWindow>(services_->Bundle());
  services_->messageBox.SetParentWindow(window_.get());
  services_->fileDialog.real.SetParentWindow(window_.get());
  services_->shell.SetParentWindow(window_.get());
}

void FormWindowTest::cleanup() {
  window_.reset();
  services_.reset();
}

void FormWindowTest::controlGeometry_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QRect>("expected");  // at 96 dpi: 15 twips a pixel, halves rounded up

  QTest::newRow("txtPath") << "txtPath" << QRect(16, 40, 521, 19);
  QTest::newRow("btnSelectPath") << "btnSelectPath" << QRect(560, 32, 33, 33);
  QTest::newRow("cmdRepair") << "cmdRepair" << QRect(168, 152, 113, 33);
  QTest::newRow("frame") << "frmMaintenance" << QRect(8, 192, 593, 577);
  QTest::newRow("cmdCopy in the frame") << "cmdCopy" << QRect(263, 536, 89, 25);
  QTest::newRow("lstResult in the frame") << "lstResult" << QRect(8, 144, 577, 381);
}

void FormWindowTest::controlGeometry() {
  QFETCH(QString, name);
  QFETCH(QRect, expected);
  // The test runs on the offscreen screen at 96 dpi; any other density is a fault of the run.
  QCOMPARE(window_->logicalDpiX(), kDesignDpi);
  QCOMPARE(window_->logicalDpiY(), kDesignDpi);
  QCOMPARE(Find<QWidget>(qPrintable(name)).geometry(), expected);
}

void FormWindowTest::windowHeightFollowsTheLogic() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  const auto& frame = Find<QGroupBox>("frmMaintenance");
  QCOMPARE(window_->logicalDpiX(), kDesignDpi);
  QCOMPARE(window_->logicalDpiY(), kDesignDpi);

  QCOMPARE(window_->size(), QSize(614, 193));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  QVERIFY(frame.isHidden());
  for (const auto* upper : {"Label1", "txtPath", "btnSelectPath", "lblImageDir", "txtDir",
                            "btnSelectImagePath", "cmdRepair", "cmdMaintenance"}) {
    QVERIFY2(Find<QWidget>(upper).geometry().bottom() < frame.y(), upper);
  }

  window_->SetWindowHeightTwips(layout::kOuterHeightPanelShown);
  const int frameMargin = window_->frameGeometry().height() - window_->height();
  QCOMPARE(window_->height() + frameMargin, 803);
  QVERIFY(frame.geometry().bottom() < window_->height());
  QCOMPARE(window_->width(), 614);
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
}

void FormWindowTest::iconsAndTooltip() {
  const auto folder = Find<QToolButton>("btnSelectPath").icon();
  const auto windowIcon = window_->windowIcon();

  QCOMPARE(folder.availableSizes(), QList<QSize>{QSize(32, 32)});
  QCOMPARE(Find<QToolButton>("btnSelectImagePath").icon().cacheKey(), folder.cacheKey());
  QCOMPARE(windowIcon.availableSizes(), QList<QSize>{QSize(32, 32)});
  QVERIFY(windowIcon.pixmap(32).toImage() != folder.pixmap(32).toImage());
  for (const auto* control : window_->findChildren<QWidget*>()) {
    const bool isBrowse = control->objectName() == "btnSelectPath";
    QCOMPARE(control->toolTip(),
             isBrowse ? QString("Selecteer de database om te repareren") : QString());
  }
}

void FormWindowTest::tabOrder() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  const auto focusAfterTab = [] {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget()->objectName();
  };

  QCOMPARE(QApplication::focusWidget()->objectName(), "cmdRepair");
  for (const auto* next : {"txtPath", "btnSelectPath", "txtDir", "btnSelectImagePath",
                           "cmdMaintenance", "cmdRepair"}) {
    QCOMPARE(focusAfterTab(), next);
  }
  window_->SetMaintenanceVisible(true);
  Find<QWidget>("cmdMaintenance").setFocus();
  for (const auto* next : {"lstResult", "cmdExecute", "cmdClear", "txtQuery", "cmdCopy"}) {
    QCOMPARE(focusAfterTab(), next);
  }
}

void FormWindowTest::viewReflectsTheLogic() {
  QCOMPARE(window_->windowTitle(), "Brivanto: Repareren database");
  QCOMPARE(Find<QLineEdit>("txtPath").text(), "/data/BrivantoDb.mdb");
  QVERIFY(window_->WindowHandle() != 0);
  QCOMPARE(QWidget::find(static_cast<WId>(window_->WindowHandle())), window_.get());

  // While the window itself is hidden, the frame's own state still counts.
  window_->SetMaintenanceVisible(true);
  QVERIFY(window_->IsMaintenanceVisible());
  window_->SetMaintenanceCaption("Verbergen");
  QCOMPARE(Find<QPushButton>("cmdMaintenance").text(), "Verbergen");
  window_->SetQueryText("select *\nfrom tblSettings");
  QCOMPARE(Find<QPlainTextEdit>("txtQuery").toPlainText(), "select *\nfrom tblSettings");
  QCOMPARE(window_->QueryText(), "select *\nfrom tblSettings");
  window_->Results().Append("Start Query 12:00:00");
  QTRY_COMPARE(Find<QListView>("lstResult").model()->rowCount(), 1);
}

void FormWindowTest::typingFiresOneChangePerKeystroke() {
  auto& path = Find<QLineEdit>("txtPath");
  path.clear();
  services_->settings.savedValues.clear();
  const int connectionsBefore = services_->database.created;

  QTest::keyClicks(&path, "C:\\a");

  QCOMPARE(services_->settings.savedValues, (Strings{"C", "C:", "C:\\", "C:\\a"}));
  QCOMPARE(services_->database.created - connectionsBefore, 4);
}

void FormWindowTest::settingTextsFiresNoChange() {
  services_->settings.savedValues.clear();

  window_->SetPathText("/elders/BrivantoDb.mdb");
  window_->SetDirText("/images");

  QCOMPARE(services_->settings.savedValues, Strings{});
  QCOMPARE(window_->PathText(), "/elders/BrivantoDb.mdb");
  QCOMPARE(window_->DirText(), "/images");
}

void FormWindowTest::drop_data() {
  QTest::addColumn<QStringList>("urls");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<int>("boxes");
  QTest::addColumn<QString>("path");  // empty: the box keeps its text

  const Qt::KeyboardModifiers none;
  const auto shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
  QTest::newRow("matching folder")
      << QStringList{"/d/Brivanto/oud.mdb"} << none << 0 << "/d/Brivanto/oud.mdb";
  QTest::newRow("other file") << QStringList{"/d/data/x.mdb"} << none << 1 << "";
  QTest::newRow("other file, Shift+Ctrl")
      << QStringList{"/d/data/x.mdb"} << shiftCtrl << 0 << "/d/data/x.mdb";
  QTest::newRow("other file, Shift+Ctrl+Alt")
      << QStringList{"/d/data/x.mdb"} << (shiftCtrl | Qt::AltModifier) << 1 << "";
  QTest::newRow("second of two matches")
      << QStringList{"/d/x.mdb", "/d/BRIVANTODB.MDB"} << none << 1 << "/d/BRIVANTODB.MDB";
  QTest::newRow("text only") << QStringList{} << shiftCtrl << 0 << "";
  QTest::newRow("web link") << QStringList{"https://example.org/BrivantoDb.mdb"} << shiftCtrl << 0
                            << "";
}

void FormWindowTest::drop() {
  QFETCH(QStringList, urls);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(int, boxes);
  QFETCH(QString, path);
  const auto before = window_->PathText();
  services_->settings.savedValues.clear();
  std::vector<SeenMessageBox> seen;
  const ModalAnswerer answerer(AnswerMessageBoxes(seen, "OK"));
  const auto data = DropData(urls);

  Drop(Find<QLineEdit>("txtPath"), *data, modifiers);

  QCOMPARE(int(seen.size()), boxes);
  for (const auto& box : seen) {
    QCOMPARE(box.text, kWrongFile);
    QCOMPARE(box.title, "BrivantoRepairDb");
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QStringList{"OK"});
  }
  QCOMPARE(QString::fromStdString(window_->PathText()),
           path.isEmpty() ? QString::fromStdString(before) : path);
  // Each accepted file is one change: the logic's own, never a second one from the box.
  QCOMPARE(services_->settings.savedValues,
           path.isEmpty() ? Strings{} : Strings{path.toStdString()});
}

void FormWindowTest::browseButtonFillsThePath_data() {
  QTest::addColumn<bool>("choose");
  QTest::newRow("file chosen") << true;
  QTest::newRow("cancelled") << false;
}

void FormWindowTest::browseButtonFillsThePath() {
  QFETCH(bool, choose);
  const QTemporaryDir folder;
  const auto file = folder.filePath("BrivantoDb.mdb");
  QFile(file).open(QIODevice::WriteOnly);
  SeenFileDialog seen;
  const ModalAnswerer answerer(AnswerFileDialog(seen, choose ? std::optional(file) : std::nullopt));

  Find<QToolButton>("btnSelectPath").click();

  QCOMPARE(answerer.Handled(), 1);
  QCOMPARE(seen.title, "Selecteer de database");
  QCOMPARE(seen.nameFilters, QStringList{"Brivanto database (BrivantoDb.mdb)"});
  QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
  QCOMPARE(QString::fromStdString(window_->PathText()), choose ? file : "/data/BrivantoDb.mdb");
}

void FormWindowTest::failingHandlerIsReported() {
  services_->fileDialog.failure = Failure(-2147467259, "Dialoog <kapot>");
  std::vector<SeenMessageBox> seen;
  const ModalAnswerer answerer(AnswerMessageBoxes(seen, "OK"));

  Find<QToolButton>("btnSelectPath").click();

  QCOMPARE(seen.size(), 1u);
  QCOMPARE(seen[0].text, "Dialoog <kapot> (-2147467259)");
  QCOMPARE(seen[0].icon, QMessageBox::Critical);
  QCOMPARE(seen[0].title, "BrivantoRepairDb");
}

void FormWindowTest::closingUnloads() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QCOMPARE(services_->database.alive, 1);

  QVERIFY(window_->close());

  QCOMPARE(services_->database.alive, 0);
}

void FormWindowTest::loadFailureEndsBeforeShowing() {
  services_->registry.createFailure = Failure(-2147467259, "Onbekende fout");
  CreateWindow();
  std::vector<SeenMessageBox> seen;
  const ModalAnswerer answerer(AnswerMessageBoxes(seen, "OK"));

  QCOMPARE(qt::RunWindow(*window_, std::nullopt), app::kExitFailure);

  QCOMPARE(seen.size(), 1u);
  QCOMPARE(seen[0].title, "Error in load form");
  QCOMPARE(seen[0].text, "Onbekende fout (-2147467259)");
  QCOMPARE(seen[0].icon, QMessageBox::Critical);
  QVERIFY(!window_->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

QTEST_MAIN(FormWindowTest)
#include "FormWindowTest.moc"
