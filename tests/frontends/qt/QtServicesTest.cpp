// The Qt services on their own: message box, file and folder dialogs,
// clipboard.

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <optional>
#include <string>

#include "ModalAnswerer.h"
#include "QtClipboard.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtShell.h"
#include "dialogs/ComDlg.h"
#include "dialogs/ComDlgFolder.h"
#include "ports/Failure.h"

using namespace brivanto;
using namespace brivanto::guitest;
using qt::QtFileDialog;

namespace {

constexpr char kNul = '\0';
const std::string kTwoFilters = std::string("Brivanto database") + kNul + "BrivantoDb.mdb" + kNul +
                                "All files (*.*)" + kNul + "*.*" + kNul;

void Touch(const QString& path) {
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

std::string Padded(const QString& path, std::size_t length) {
  auto padded = path.toStdString();
  padded.resize(length, kNul);
  return padded;
}

// The globs of a name filter "description (glob glob ...)".
QStringList GlobsOf(const QString& filter) {
  const auto open = filter.lastIndexOf(u'(');
  return filter.mid(open + 1, filter.size() - open - 2).split(u' ');
}

}  // namespace

class QtServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBox_data();
  void messageBox();
  void nameFilters_data();
  void nameFilters();
  void nameFiltersMatchAsOnWindows();
  void fileDialogHonoursRecord();
  void fileDialogResult_data();
  void fileDialogResult();
  void folderBrowserOpensAtTheStartFolder();
  void clipboardRoundTrip();
};

void QtServicesTest::messageBox_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<QString>("click");
  QTest::addColumn<int>("icon");
  QTest::addColumn<QStringList>("buttons");
  QTest::addColumn<int>("answer");

  const QStringList ok{"OK"};
  const QStringList yesNo{"Ja", "Nee"};
  QTest::newRow("0: OK, no icon") << 0 << "OK" << static_cast<int>(QMessageBox::NoIcon) << ok << 1;
  QTest::newRow("16: error") << 16 << "OK" << static_cast<int>(QMessageBox::Critical) << ok << 1;
  QTest::newRow("36: Ja") << 36 << "Ja" << static_cast<int>(QMessageBox::Question) << yesNo << 6;
  QTest::newRow("36: Nee") << 36 << "Nee" << static_cast<int>(QMessageBox::Question) << yesNo << 7;
  QTest::newRow("36: closed") << 36 << "" << static_cast<int>(QMessageBox::Question) << yesNo << 7;
  QTest::newRow("0: closed") << 0 << "" << static_cast<int>(QMessageBox::NoIcon) << ok << 1;
}

void QtServicesTest::messageBox() {
  QFETCH(int, style);
  QFETCH(QString, click);
  QFETCH(int, icon);
  QFETCH(QStringList, buttons);
  QFETCH(int, answer);
  std::vector<SeenMessageBox> seen;
  const ModalAnswerer answerer(AnswerMessageBoxes(seen, click));

  qt::QtMessageBox box;
  QCOMPARE(box.Show("Regel <b>1</b> & meer\r\nRegel 2", style, "Precies deze titel"), answer);

  QCOMPARE(seen.size(), 1u);
  QCOMPARE(seen[0].title, "Precies deze titel");
  QCOMPARE(seen[0].text, "Regel <b>1</b> & meer\nRegel 2");
  QVERIFY(seen[0].plainText);
  QCOMPARE(int(seen[0].icon), icon);
  QCOMPARE(seen[0].buttons, buttons);
}

void QtServicesTest::nameFilters_data() {
  QTest::addColumn<QString>("filterList");  // '|' stands for NUL
  QTest::addColumn<QStringList>("expected");

  QTest::newRow("one pair") << "Brivanto database|BrivantoDb.mdb||"
                            << QStringList{"Brivanto database (BrivantoDb.mdb)"};
  QTest::newRow("all files") << "All files (*.*)|*.*||" << QStringList{"All files (*.*) (*)"};
  QTest::newRow("several globs") << "Access|*.mdb; *.accdb||"
                                 << QStringList{"Access (*.mdb *.accdb)"};
  QTest::newRow("two pairs") << "Een|?1|Twee|*2||" << QStringList{"Een (?1)", "Twee (*2)"};
  QTest::newRow("ends at empty description") << "Een|?1|||*2||" << QStringList{"Een (?1)"};
  QTest::newRow("pattern missing") << "Een" << QStringList{};
  QTest::newRow("empty") << "" << QStringList{};
}

void QtServicesTest::nameFilters() {
  QFETCH(QString, filterList);
  QFETCH(QStringList, expected);
  auto list = filterList.toStdString();
  std::replace(list.begin(), list.end(), '|', kNul);

  QCOMPARE(QtFileDialog::NameFilters(list), expected);
}

void QtServicesTest::nameFiltersMatchAsOnWindows() {
  const QTemporaryDir folder;
  for (const auto* name : {"BrivantoDb.mdb", "BRIVANTODB.MDB", "kestrin01.Mdb", "LEESMIJ"}) {
    Touch(folder.filePath(name));
  }
  const auto filters =
      QtFileDialog::NameFilters(std::string("a") + kNul + "brivantodb.mdb" + kNul + "b" + kNul +
                                "KESTRIN*.MDB" + kNul + "c" + kNul + "*.*" + kNul);
  const auto matching = [&](int index) {
    // Matched like the dialog's file model does: without regard to case.
    return QDir(folder.path()).entryList(GlobsOf(filters.at(index)), QDir::Files, QDir::Name);
  };

  QCOMPARE(matching(0), (QStringList{"BRIVANTODB.MDB", "BrivantoDb.mdb"}));
  QCOMPARE(matching(1), QStringList{"kestrin01.Mdb"});
  QCOMPARE(matching(2).size(), 4);
}

void QtServicesTest::fileDialogHonoursRecord() {
  const QTemporaryDir folder;
  const auto chosen = folder.filePath("BrivantoDb.mdb");
  Touch(chosen);
  ComDlg::FileDialogArguments arguments;
  arguments.filter = kTwoFilters;
  arguments.filterIndex = 2;
  arguments.initialFolder = folder.path().toStdString();
  arguments.title = "Selecteer de database";
  arguments.flagsIn = ComDlg::kShowOpenFlags;
  auto record = ComDlg::BuildFileDialogRecord("", arguments);
  SeenFileDialog seen;
  const ModalAnswerer answerer(AnswerFileDialog(seen, chosen));

  QVERIFY(QtFileDialog().GetOpenFileNameA(record));

  QCOMPARE(seen.title, "Selecteer de database");
  QCOMPARE(seen.nameFilters, QtFileDialog::NameFilters(kTwoFilters));
  QCOMPARE(seen.selectedNameFilter, "All files (*.*)");
  QCOMPARE(seen.directory, folder.path());
  QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
  QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
  QCOMPARE(record.lpstrFile.size(), std::size_t{ComDlg::kDialogBufferLength});
  QCOMPARE(record.lpstrFile, Padded(chosen, ComDlg::kDialogBufferLength));
}

void QtServicesTest::fileDialogResult_data() {
  QTest::addColumn<int>("spareRoom");  // nMaxFile minus the path length
  QTest::addColumn<bool>("choose");
  QTest::addColumn<bool>("expected");

  QTest::newRow("path and NUL fit exactly") << 1 << true << true;
  QTest::newRow("no room for the NUL") << 0 << true << false;
  QTest::newRow("cancelled") << 50 << false << false;
}

void QtServicesTest::fileDialogResult() {
  QFETCH(int, spareRoom);
  QFETCH(bool, choose);
  QFETCH(bool, expected);
  const QTemporaryDir folder;
  const auto chosen = folder.filePath("gekozen.mdb");
  Touch(chosen);
  ports::OpenFileNameRecord record;
  record.nMaxFile = static_cast<std::uint32_t>(chosen.toStdString().size() + spareRoom);
  record.lpstrFile = Padded("begin", record.nMaxFile);
  record.lpstrInitialDir = folder.path().toStdString();
  SeenFileDialog seen;
  const ModalAnswerer answerer(
      AnswerFileDialog(seen, choose ? std::optional(chosen) : std::nullopt));

  QCOMPARE(QtFileDialog().GetOpenFileNameA(record), expected);

  QCOMPARE(record.lpstrFile, Padded(expected ? chosen : "begin", record.nMaxFile));
}

void QtServicesTest::folderBrowserOpensAtTheStartFolder() {
  const QTemporaryDir folder;
  QVERIFY(QDir(folder.path()).mkdir("images"));
  const auto chosen = folder.filePath("images");
  SeenFileDialog seen;
  const ModalAnswerer answerer(AnswerFileDialog(seen, chosen));
  qt::QtShell shell;

  const auto result =
      ComDlg::BrowseForFolder(shell, 0, folder.path().toStdString(), "Kies de map", false, true);

  QCOMPARE(QString::fromStdString(result), chosen);
  QCOMPARE(seen.title, "Kies de map");
  QCOMPARE(seen.fileMode, QFileDialog::Directory);
  QCOMPARE(seen.directory, folder.path());
}

void QtServicesTest::clipboardRoundTrip() {
  const std::string text = "Regel één\r\n Regel 2 \r\n";

  QVERIFY(qt::QtClipboard().SetText(text));

  QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), text);
}

QTEST_MAIN(QtServicesTest)
#include "QtServicesTest.moc"
