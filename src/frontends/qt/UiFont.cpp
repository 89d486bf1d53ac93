#include "UiFont.h"

#include <QApplication>
#include <QFontDatabase>

namespace brivanto::qt {

QString FirstInstalledFamily(const QStringList& installed) {
  for (const char* family : kUiFontFamilies) {
    // An exact family, not fontconfig's nearest match: that would answer for every name.
    if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) {
      return QString::fromLatin1(family);
    }
  }
  return {};
}

QFont UiFont() {
  QFont font = QApplication::font();
  const QString family = FirstInstalledFamily(QFontDatabase::families());
  if (!family.isEmpty()) {
    font.setFamilies({family});
  }
  font.setPointSize(kUiFontPoints);
  return font;
}

}  // namespace brivanto::qt
