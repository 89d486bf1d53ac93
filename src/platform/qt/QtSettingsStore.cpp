#include "platform/qt/QtSettingsStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <utility>

#include "platform/Failure.h"
#include "platform/qt/QtText.h"

namespace brivanto::platform::qt {
namespace {

constexpr char kVendorFolder[] = "Brivanto";

// QSettings reads '/' and '\' in a name as group separators; escaping them, and the escape
// character itself, keeps every application, section and key one name of its own.
QString EscapeSeparators(const std::string& name) {
  QString escaped;
  for (const QChar character : ToQString(name)) {
    if (character == u'%' || character == u'/' || character == u'\\') {
      escaped += QStringLiteral("%%1").arg(character.unicode(), 2, 16, QChar(u'0')).toUpper();
    } else {
      escaped += character;
    }
  }
  return escaped;
}

QString SettingsKey(const std::string& section, const std::string& key) {
  return EscapeSeparators(section) + u'/' + EscapeSeparators(key);
}

}  // namespace

QString QtSettingsStore::DefaultBaseFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QtSettingsStore::QtSettingsStore(QString baseFolder) : baseFolder_(std::move(baseFolder)) {}

QString QtSettingsStore::FilePath(const std::string& application) const {
  return baseFolder_ + u'/' + QLatin1String(kVendorFolder) + u'/' + EscapeSeparators(application) +
         QStringLiteral(".ini");
}

std::string QtSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& defaultValue) {
  // A missing or unreadable file reads as an empty store: every key then has its default.
  const QSettings settings(FilePath(application), QSettings::IniFormat);
  const auto value = settings.value(SettingsKey(section, key));
  return value.isValid() ? ToStdString(value.toString()) : defaultValue;
}

void QtSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
  QSettings settings(FilePath(application), QSettings::IniFormat);
  settings.setValue(SettingsKey(section, key), ToQString(value));
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    throw Failure(failure_codes::kFileAccess,
                  "Instelling kan niet worden opgeslagen in " + ToStdString(FilePath(application)));
  }
}

}  // namespace brivanto::platform::qt
