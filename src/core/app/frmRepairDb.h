#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/DropAcceptance.h"
#include "app/Services.h"
#include "database/ConnectionHolder.h"
#include "ports/Failure.h"
#include "ports/FormView.h"

namespace brivanto::app {

inline constexpr const char* kApplicationTitle = "BrivantoRepairDb";

// The one window of the tool, free of any toolkit: its two variables, its load and unload
// handling and every event handler. The frontend forwards the events of its controls here.
class frmRepairDb {
 public:
  frmRepairDb(ports::FormView& view, const Services& services);

  // False when the program must end at once, before the window is shown.
  bool Form_Load();
  void Form_Unload(bool& cancel);

  // Every change of the path box by the user; changes made by this class run it themselves.
  void txtPath_Change();
  // `files` is empty when the dropped data holds no file list.
  void txtPath_OLEDragDrop(const std::optional<std::vector<std::string>>& files,
                           KeyModifiers modifiers);
  void btnSelectPath_Click();
  void cmdRepair_Click();
  void cmdMaintenance_Click();
  void cmdClear_Click();
  void cmdCopy_Click();
  void cmdExecute_Click();
  void btnSelectImagePath_Click();

  // Runs one event handler. A failure the handler does not report itself is shown in an error
  // box, so the window stays usable.
  void RunHandler(const std::function<void()>& handler);

  const std::string& DbPattern() const { return sDbPattern; }
  const database::ConnectionHolder& Connection() const { return cnDatabase; }
  // Why the last repair failed, as its log line says; empty after a success.
  const std::string& LastRepairFailure() const { return lastRepairFailure_; }

 private:
  void SelectStandardVariant();
  void SelectZelvorantaVariant();
  void ReadDataSourceDefinition();
  void SetPath(const std::string& path);
  void OpenDatabase(const std::string& path);
  void ShowImageFolder();
  int ShowMessage(const std::string& text, int style, const std::string& title = {});

  ports::FormView& view_;
  Services services_;
  std::string sDbPattern;
  database::ConnectionHolder cnDatabase;
  std::string lastRepairFailure_;
};

}  // namespace brivanto::app
