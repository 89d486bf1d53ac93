#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/frmRepairDb.h"

namespace brivanto::qt {

// A line edit that takes every drop itself instead of inserting the dropped text, and hands
// the dropped files (nullopt when the data holds no local file) and the held keys on.
class PathLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  using DropHandler = std::function<void(const std::optional<std::vector<std::string>>& files,
                                         app::KeyModifiers modifiers)>;

  explicit PathLineEdit(QWidget* parent = nullptr);

  void SetDropHandler(DropHandler handler) { dropHandler_ = std::move(handler); }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  DropHandler dropHandler_;
};

}  // namespace brivanto::qt
