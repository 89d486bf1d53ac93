// Shows the program's window over its real services, as ./run does, with the maintenance panel
// open after QUERY when one is given, and saves its picture: the documentation's pictures.
//
//   qt_window_picture FILE.png [QUERY]

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>

#include "Application.h"
#include "LinuxServices.h"
#include "QtFormWindow.h"

using namespace brivanto::qt;

namespace {

void RunQuery(QtFormWindow& window, const QString& query) {
  window.findChild<QAbstractButton*>("cmdMaintenance")->click();
  window.findChild<QPlainTextEdit*>("txtQuery")->setPlainText(query);
  window.findChild<QAbstractButton*>("cmdExecute")->click();
}

}  // namespace

int main(int argc, char* argv[]) {
  ProvideRuntimeFolder();
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 2) {
    std::fprintf(stderr, "usage: qt_window_picture FILE.png [QUERY]\n");
    return 2;
  }
  LinuxServices services;
  QtFormWindow window(services.Bundle());
  services.messageBox.SetParentWindow(&window);
  if (!window.Load()) {
    return 1;
  }
  window.show();
  if (arguments.size() > 2) {
    RunQuery(window, arguments[2]);
  }
  // Behind the queued list updates and the layout.
  QTimer::singleShot(100, &window, [&window, file = arguments[1]] {
    QApplication::exit(window.grab().save(file, "PNG") ? 0 : 1);
  });
  return QApplication::exec();
}
