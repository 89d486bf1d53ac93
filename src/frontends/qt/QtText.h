#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brivanto::qt {

// The core's byte strings hold UTF-8 here, the code page of a Linux desktop.
inline QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStdString(const QString& text) {
  return text.toStdString();
}

}  // namespace brivanto::qt
