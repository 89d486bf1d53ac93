#pragma once

#include <QWidget>
#include <cstdint>

namespace brivanto::qt {

// The window a dialog record names as its owner, or `fallback` when it names none that exists.
inline QWidget* DialogOwner(std::intptr_t ownerHandle, QWidget* fallback) {
  if (ownerHandle != 0) {
    if (auto* owner = QWidget::find(static_cast<WId>(ownerHandle))) {
      return owner;
    }
  }
  return fallback;
}

}  // namespace brivanto::qt
