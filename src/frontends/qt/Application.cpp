#include "Application.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "QtFormWindow.h"

namespace brivanto::qt {
namespace {

bool SaveScreenshot(QtFormWindow& window, const QString& file) {
  if (window.grab().save(file, "PNG")) {
    return true;
  }
  std::fprintf(stderr, "Kan de afbeelding niet opslaan: %s\n", qUtf8Printable(file));
  return false;
}

}  // namespace

app::CommandLine ParseQtArguments(const QStringList& arguments) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(arguments.size()));
  for (const QString& argument : arguments) {
    texts.push_back(argument.toStdString());
  }
  return app::ParseCommandLine(texts);
}

void ProvideRuntimeFolder() {
  const char* given = std::getenv("XDG_RUNTIME_DIR");
  if (given != nullptr && *given != '\0') {
    return;
  }
  // The folder Qt would fall back to, made as Qt wants it; Qt keeps warning only when it is
  // somebody else's or open to others, which is worth a warning.
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("runtime-" + std::to_string(::getuid()))).string();
  struct stat status {};
  if (::mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
    return;
  }
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != ::getuid() || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    return;
  }
  ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
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

int RunWindow(QtFormWindow& window, const std::optional<std::string>& screenshotFile) {
  if (!window.Load()) {
    return app::kExitFailure;
  }
  window.show();
  if (screenshotFile) {
    // Queued behind the show, so the window is laid out and polished when it is grabbed.
    QTimer::singleShot(0, &window, [&window, file = QString::fromStdString(*screenshotFile)] {
      QApplication::exit(SaveScreenshot(window, file) ? app::kExitSuccess : kExitScreenshotFailed);
    });
  }
  return QApplication::exec();
}

}  // namespace brivanto::qt
