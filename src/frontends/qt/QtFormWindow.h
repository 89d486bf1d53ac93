#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/frmRepairDb.h"
#include "layout/Layout.h"
#include "ports/FormView.h"

class QGroupBox;
class QIcon;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace brivanto::qt {

class PathLineEdit;
class ResultListModel;

// The window frmRepairDb: its controls as the layout table places them, each event forwarded to
// the toolkit-free frmRepairDb, and the view that class drives. Every control's object name is
// its name in the layout table.
class QtFormWindow : public QWidget, public ports::FormView {
  Q_OBJECT

 public:
  explicit QtFormWindow(const app::Services& services, QWidget* parent = nullptr);
  ~QtFormWindow() override;

  // Runs the load handling; false when the program must end without showing the window.
  bool Load();
  const app::frmRepairDb& Logic() const { return logic_; }

  std::intptr_t WindowHandle() const override;
  void SetCaption(const std::string& caption) override;
  void SetWindowHeightTwips(int outerHeight) override;
  std::string PathText() const override;
  void SetPathText(const std::string& text) override;
  std::string DirText() const override;
  void SetDirText(const std::string& text) override;
  bool IsMaintenanceVisible() const override;
  void SetMaintenanceVisible(bool visible) override;
  void SetMaintenanceCaption(const std::string& caption) override;
  std::string QueryText() const override;
  void SetQueryText(const std::string& text) override;
  ports::ResultList& Results() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateControl(const layout::ControlLayout& control, QWidget& container,
                         const QIcon& folderIcon);
  QWidget* CreateResultList(QWidget& container);
  void OrderTabStops();
  void ConnectHandlers();
  int PixelsX(int twips) const;
  int PixelsY(int twips) const;
  template <typename Control>
  Control& Find(std::string_view name) const;

  app::frmRepairDb logic_;
  QGroupBox* frmMaintenance_ = nullptr;
  PathLineEdit* txtPath_ = nullptr;
  QLineEdit* txtDir_ = nullptr;
  QPlainTextEdit* txtQuery_ = nullptr;
  QPushButton* cmdMaintenance_ = nullptr;
  ResultListModel* results_ = nullptr;
};

}  // namespace brivanto::qt
