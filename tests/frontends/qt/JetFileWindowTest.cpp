// The real window and the real services on a real Access (Jet 3 and Jet 4) file, which the
// stand-in hands to MDB Tools: what can be read is shown exactly as for any other database, and
// what would write is refused in Dutch with the file left byte for byte as it was.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "JetFile.h"
#include "JetSite.h"
#include "LinuxServices.h"
#include "ModalAnswerer.h"
#include "OdbcTestEnvironment.h"
#include "QtFormWindow.h"

using namespace brivanto;
using namespace brivanto::guitest;
namespace jet = brivanto::testing::jet;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

// Answers every modal window as a user who goes ahead would: Ja to a question, OK otherwise,
// and `folder` in a folder browser.
ModalAnswerer::Action GoAhead(std::vector<SeenMessageBox>& boxes, SeenFileDialog& browser,
                              const QString& folder) {
  auto answerBox = AnswerMessageBoxes(boxes, "Ja");
  auto answerBrowser = AnswerFileDialog(browser, folder);
  return [answerBox, answerBrowser](QWidget& modal) {
    if (qobject_cast<QFileDialog*>(&modal) != nullptr) {
      answerBrowser(modal);
    } else {
      answerBox(modal);
    }
  };
}

}  // namespace

class JetFileWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void cleanup();
  void readsAndRefusesWrites_data();
  void readsAndRefusesWrites();

 private:
  template <typename Control>
  Control& Find(const char* name) {
    auto* control = window_->findChild<Control*>(name);
    if (control == nullptr) {
      qFatal("no control %s", name);
    }
    return *control;
  }
  Lines Run(const QString& query);
  QString RefusedRepair();
  QString RefusedImageFolderChange();

  std::unique_ptr<testing::OdbcTestEnvironment> environment_;
  // The window remembers the last database in its settings, which must not outlive the test.
  std::unique_ptr<testing::ScopedEnvironment> settingsHome_;
  std::unique_ptr<qt::LinuxServices> services_;
  std::unique_ptr<qt::QtFormWindow> window_;
  fs::path database_;
};

// One data source for every case: unixODBC keeps what it read of odbc.ini while the file's
// modification time stays the same, so each case rewrites the database it names instead.
void JetFileWindowTest::initTestCase() {
  environment_ = std::make_unique<testing::OdbcTestEnvironment>();
  QVERIFY(testing::OdbcTestEnvironment::AccessStandInBuilt());
  settingsHome_ = std::make_unique<testing::ScopedEnvironment>(
      "XDG_CONFIG_HOME", (environment_->WorkDirectory() / "config").string());
  database_ = environment_->WorkDirectory() / "BrivantoDb.mdb";
  testing::OdbcTestEnvironment::WriteOdbcIni(
      "[BrivantoDb]\nDriver=" + std::string(testing::OdbcTestEnvironment::kAccessDriver) +
      "\nDBQ=" + database_.string() + "\n");
}

void JetFileWindowTest::cleanup() {
  window_.reset();
  services_.reset();
  fs::remove(environment_->WorkDirectory() / "repair.log");
}

void JetFileWindowTest::cleanupTestCase() {
  settingsHome_.reset();
  environment_.reset();
}

Lines JetFileWindowTest::Run(const QString& query) {
  Find<QPlainTextEdit>("txtQuery").setPlainText(query);
  Find<QAbstractButton>("cmdExecute").click();
  // The list announces its new lines once the window's queue is worked off.
  QCoreApplication::processEvents();
  const auto* model = Find<QListView>("lstResult").model();
  Lines lines;
  for (int row = 0; row < model->rowCount(); ++row) {
    lines.push_back(Utf8(model->index(row, 0).data().toString()));
  }
  return lines;
}

QString JetFileWindowTest::RefusedRepair() {
  std::vector<SeenMessageBox> boxes;
  SeenFileDialog browser;
  const ModalAnswerer answerer(GoAhead(boxes, browser, {}));
  Find<QAbstractButton>("cmdRepair").click();
  return boxes.empty() ? QString() : boxes.back().text;
}

QString JetFileWindowTest::RefusedImageFolderChange() {
  std::vector<SeenMessageBox> boxes;
  SeenFileDialog browser;
  const QString folder = QString::fromStdString(environment_->WorkDirectory().string());
  const ModalAnswerer answerer(GoAhead(boxes, browser, folder));
  Find<QAbstractButton>("btnSelectImagePath").click();
  return boxes.empty() ? QString() : boxes.back().text;
}

void JetFileWindowTest::readsAndRefusesWrites_data() {
  QTest::addColumn<int>("version");
  QTest::newRow("Jet 4") << static_cast<int>(jet::Version::Jet4);
  QTest::newRow("Jet 3") << static_cast<int>(jet::Version::Jet3);
}

void JetFileWindowTest::readsAndRefusesWrites() {
  QFETCH(int, version);
  jet::WriteJetFile(database_, static_cast<jet::Version>(version), jet::SiteTables());
  const std::string original = Contents(database_);
  services_ = std::make_unique<qt::LinuxServices>();
  services_->repairLogPath = (environment_->WorkDirectory() / "repair.log").string();
  window_ = std::make_unique<qt::QtFormWindow>(services_->Bundle());
  services_->messageBox.SetParentWindow(window_.get());
  services_->shell.SetParentWindow(window_.get());
  QVERIFY(window_->Load());
  window_->show();

  QCOMPARE(Find<QLineEdit>("txtPath").text(), QString::fromStdString(database_.string()));
  QCOMPARE(Find<QLineEdit>("txtDir").text(), QString::fromStdString(jet::kSiteImageFolder));
  Find<QAbstractButton>("cmdMaintenance").click();
  const Lines listed = Run("Select * from tblSettings");
  const Lines rows = jet::SiteSettingsLines();
  QString shown;
  for (const auto& line : listed) {
    shown += QString::fromStdString(line) + "\n";
  }
  QVERIFY2(listed.size() == rows.size() + 8, qPrintable(shown));
  QCOMPARE(Lines(listed.begin() + 2, listed.begin() + 2 + long(rows.size())), rows);
  QCOMPARE(listed[rows.size() + 3], std::string("5 records gevonden"));
  const Lines loggedOn =
      Run("Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'");
  QCOMPARE(Lines(loggedOn.begin() + 2, loggedOn.begin() + 5),
           Lines(rows.begin() + 1, rows.begin() + 4));

  const Lines written = Run("Update tblSettings set [Value] = 'x' where [sKey] = 'LoggedOn1'");
  QVERIFY2(written.size() > 2 && written[2].find("alleen-lezen") != std::string::npos,
           written.size() > 2 ? written[2].c_str() : "no failure line");

  const QString folderRefusal = RefusedImageFolderChange();
  QVERIFY2(folderRefusal.contains("alleen-lezen"), qPrintable(folderRefusal));
  QCOMPARE(Utf8(Find<QLineEdit>("txtDir").text()), jet::kSiteImageFolder);

  const QString repairRefusal = RefusedRepair();
  QVERIFY2(repairRefusal.startsWith("Repareren mislukt"), qPrintable(repairRefusal));
  const std::string log = Contents(services_->repairLogPath);
  QVERIFY2(log.find("Access-bestand (Jet)") != std::string::npos, log.c_str());
  QVERIFY2(log.find("Windows") != std::string::npos, log.c_str());

  QVERIFY(Contents(database_) == original);
}

QTEST_MAIN(JetFileWindowTest)
#include "JetFileWindowTest.moc"
