#include "platform/qt/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "platform/qt/QtFormWindow.h"

namespace brivanto::platform::qt {
namespace {

bool SaveScreenshot(QtFormWindow& window, const QString& file) {
  if (window.grab().save(file, "PNG")) {
    return true;
  }
  std::fprintf(stderr, "Kan de afbeelding niet opslaan: %s\n", qUtf8Printable(file));
  return false;
}

}  // namespace

std::variant<StartOptions, QString> ParseArguments(const QStringList& arguments) {
  StartOptions options;
  for (auto argument = arguments.cbegin(); argument != arguments.cend(); ++argument) {
    if (*argument == u"--help" || *argument == u"-h") {
      options.showHelp = true;
    } else if (*argument == u"--screenshot") {
      if (++argument == arguments.cend()) {
        return QStringLiteral("--screenshot verwacht een bestandsnaam");
      }
      options.screenshotFile = *argument;
    } else {
      return QStringLiteral("Onbekend argument: ") + *argument;
    }
  }
  return options;
}

QString UsageText() {
  return QStringLiteral(
      "Gebruik: BrivantoRepairDb [--repair [PAD] | --screenshot BESTAND.png] [--help]\n"
      "Repareert de Brivanto-database (Microsoft Access) via ODBC.\n"
      "\n"
      "  --repair [PAD]            repareer zonder venster de database PAD, of zonder PAD de\n"
      "                            database die het venster bij het starten kiest. Eerst komt een\n"
      "                            kopie naast het bestand (<bestand>.<jjjjmmdd-uummss>.bak); "
      "lukt\n"
      "                            die niet, dan wordt er niet gerepareerd. Melding op\n"
      "                            standaarduitvoer, fout op standaardfout; afsluitcode 0 bij\n"
      "                            succes, 1 bij een fout\n"
      "  --screenshot BESTAND.png  start het venster, bewaar er een afbeelding van en stop\n"
      "  -h, --help                toon deze hulp\n"
      "\n"
      "Repairlog: $XDG_STATE_HOME/brivanto/repairBrivanto.log (standaard ~/.local/state/...)\n");
}

void InstallDutchTranslation(QApplication& application) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::Dutch, QLocale::Netherlands), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    // Without the translation package Qt's few own texts stay English; the tool still works.
    return;
  }
  translator->setParent(&application);
  QApplication::installTranslator(translator.release());
}

int RunWindow(QtFormWindow& window, const StartOptions& options) {
  if (!window.Load()) {
    return kExitLoadFailed;
  }
  window.show();
  if (options.screenshotFile) {
    // Queued behind the show, so the window is laid out and polished when it is grabbed.
    QTimer::singleShot(0, &window, [&window, file = *options.screenshotFile] {
      QApplication::exit(SaveScreenshot(window, file) ? kExitOk : kExitScreenshotFailed);
    });
  }
  return QApplication::exec();
}

}  // namespace brivanto::platform::qt
