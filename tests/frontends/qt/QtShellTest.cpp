#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <string>
#include <vector>

#include "ModalAnswerer.h"
#include "QtShell.h"
#include "dialogs/ComDlgFolder.h"

namespace brivanto::guitest {
namespace {

using ports::BrowseInfoRecord;
using ports::ItemList;
namespace messages = ports::browse_messages;

struct Heard {
  std::intptr_t window;
  std::uint32_t message;
  ItemList itemList;
  std::string path;  // read during the call, while the item list is valid
};

// The callback has the system's plain form, so what it hears goes to module storage.
ports::Shell* listeningShell = nullptr;
std::vector<Heard> heard;

int Listen(std::intptr_t window, std::uint32_t message, std::intptr_t itemList, std::intptr_t) {
  std::string buffer(260, ' ');
  const bool found = listeningShell->SHGetPathFromIDListA(itemList, buffer) == 1;
  heard.push_back({window, message, itemList, found ? buffer.substr(0, buffer.find('\0')) : ""});
  return 0;
}

// What a user's click does: makes the folder the view's current item.
void ClickFolder(QFileDialog& dialog, const QString& folder) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  auto* view = dialog.findChild<QListView*>("listView");
  if (model != nullptr && view != nullptr) {
    view->setCurrentIndex(model->index(folder));
  }
}

std::string PathText(const QString& path) {
  return QDir::cleanPath(path).toStdString();
}

std::string TextBeforeNul(const std::string& buffer) {
  return buffer.substr(0, buffer.find('\0'));
}

}  // namespace

class QtShellTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void theCallbackHearsTheOpeningAndEachClickedFolder();
  void aChosenItemListLivesUntilItIsFreed();
  void aMissingStartFolderLeavesTheDialogAtAFolder();

 private:
  QString Path(const QString& relative) const { return QDir(folders_.path()).filePath(relative); }

  QTemporaryDir folders_;
};

void QtShellTest::init() {
  QVERIFY(folders_.isValid());
  QVERIFY(QDir(folders_.path()).mkpath("start/inner"));
  QVERIFY(QDir(folders_.path()).mkpath("other"));
  heard.clear();
}

void QtShellTest::theCallbackHearsTheOpeningAndEachClickedFolder() {
  qt::QtShell shell;
  listeningShell = &shell;
  BrowseInfoRecord record;
  record.lpfn = Listen;
  bool everyClickHeard = true;
  const ModalAnswerer answerer([&](QWidget& modal) {
    auto& dialog = *qobject_cast<QFileDialog*>(&modal);
    dialog.setDirectory(folders_.path());
    for (const auto* folder : {"start", "other"}) {
      ClickFolder(dialog, Path(folder));
      // The dialog lists a folder in the background; its entries can be clicked after that.
      everyClickHeard = QTest::qWaitFor([&] {
                          return !heard.empty() && heard.back().path == PathText(Path(folder));
                        }) &&
                        everyClickHeard;
    }
    static_cast<QDialog&>(dialog).accept();
  });

  const auto chosen = shell.SHBrowseForFolderA(record);

  QVERIFY(everyClickHeard);
  QCOMPARE(heard.front().message, messages::kInitialized);
  for (const auto& message : heard) {
    QCOMPARE(message.window, heard.front().window);
    QVERIFY(message.message == messages::kInitialized ||
            message.message == messages::kSelectionChanged);
  }
  // The lists the callback was given belong to the dialog and went with it.
  std::string buffer(512, ' ');
  for (const auto& message : heard) {
    QCOMPARE(shell.SHGetPathFromIDListA(message.itemList, buffer), 0);
  }
  QCOMPARE(shell.SHGetPathFromIDListA(chosen, buffer), 1);
  QCOMPARE(TextBeforeNul(buffer), PathText(Path("other")));
  QCOMPARE(buffer.size(), std::size_t{512});
  shell.CoTaskMemFree(chosen);
}

void QtShellTest::aChosenItemListLivesUntilItIsFreed() {
  qt::QtShell shell;
  BrowseInfoRecord record;
  const ModalAnswerer answerer([&](QWidget& modal) {
    auto& dialog = *qobject_cast<QFileDialog*>(&modal);
    dialog.setDirectory(Path("start/inner"));
    static_cast<QDialog&>(dialog).accept();
  });
  const auto chosen = shell.SHBrowseForFolderA(record);

  std::string tooShort(4, ' ');
  QCOMPARE(shell.SHGetPathFromIDListA(chosen, tooShort), 0);
  QCOMPARE(tooShort, std::string(4, ' '));
  std::string buffer(512, ' ');
  QCOMPARE(shell.SHGetPathFromIDListA(chosen, buffer), 1);
  QCOMPARE(TextBeforeNul(buffer), PathText(Path("start/inner")));
  shell.CoTaskMemFree(chosen);
  QCOMPARE(shell.SHGetPathFromIDListA(chosen, buffer), 0);
  QCOMPARE(shell.SHGetPathFromIDListA(0, buffer), 0);
}

void QtShellTest::aMissingStartFolderLeavesTheDialogAtAFolder() {
  qt::QtShell shell;
  QString openedIn;
  const ModalAnswerer answerer([&](QWidget& modal) {
    auto& dialog = *qobject_cast<QFileDialog*>(&modal);
    openedIn = dialog.directory().absolutePath();
    dialog.reject();
  });

  const auto chosen =
      ComDlg::BrowseForFolder(shell, 0, PathText(Path("start/missing")), "Kies", false, true);

  QCOMPARE(chosen, std::string());
  QVERIFY2(QFileInfo(openedIn).isDir(), qPrintable(openedIn));
}

}  // namespace brivanto::guitest

QTEST_MAIN(brivanto::guitest::QtShellTest)
#include "QtShellTest.moc"
