// The program itself, started as a user would, with the real ODBC services behind it.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTimeoutMilliseconds = 60'000;

struct Finished {
  int exitCode = -1;
  QString output;
  QString errors;
};

// Runs the program headless, in a private world: no data source, settings and state under
// `home`, so the user's own ODBC and settings files stay untouched.
Finished RunProgram(const QTemporaryDir& home, const QStringList& arguments) {
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("ODBCSYSINI", home.path());
  environment.insert("ODBCINI", home.filePath("odbc.ini"));
  environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
  environment.insert("XDG_STATE_HOME", home.filePath("state"));
  // As in a root shell or a service: the program must not make Qt warn about it.
  environment.remove("XDG_RUNTIME_DIR");
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(BRIVANTO_PROGRAM, arguments);
  if (!program.waitForFinished(kTimeoutMilliseconds)) {
    program.kill();
    program.waitForFinished();
    return {};
  }
  return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
          QString::fromUtf8(program.readAllStandardOutput()),
          QString::fromUtf8(program.readAllStandardError())};
}

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void screenshotWritesPng();
  void commandLine_data();
  void commandLine();
};

void ProgramTest::screenshotWritesPng() {
  const QTemporaryDir home;
  const auto file = home.filePath("venster.png");

  const auto finished = RunProgram(home, {"--screenshot", file});

  QVERIFY2(finished.exitCode == 0, qPrintable(finished.errors));
  QCOMPARE(finished.errors, QString());
  const QImage picture(file, "PNG");
  QVERIFY(!picture.isNull());
  QVERIFY(picture.width() > picture.height());
}

void ProgramTest::commandLine_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<QString>("usageOn");

  QTest::newRow("--help") << QStringList{"--help"} << 0 << "output";
  QTest::newRow("--repair --help") << QStringList{"--repair", "--help"} << 0 << "output";
  QTest::newRow("unknown argument") << QStringList{"--onbekend"} << 2 << "errors";
  QTest::newRow("screenshot without file") << QStringList{"--screenshot"} << 2 << "errors";
  QTest::newRow("unwritable screenshot")
      << QStringList{"--screenshot", "/nonexistent/map/venster.png"} << 1 << "";
}

void ProgramTest::commandLine() {
  QFETCH(QStringList, arguments);
  QFETCH(int, exitCode);
  QFETCH(QString, usageOn);
  const QTemporaryDir home;

  const auto finished = RunProgram(home, arguments);

  QCOMPARE(finished.exitCode, exitCode);
  if (!usageOn.isEmpty()) {
    QVERIFY((usageOn == "output" ? finished.output : finished.errors).contains("Gebruik:"));
  }
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
