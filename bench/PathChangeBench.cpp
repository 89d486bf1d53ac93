// Prints what one change of the path box costs: for a path that names no file (each keystroke
// while typing) and for a valid database (open, read the image folder). Real services: the INI
// settings store, unixODBC with the Access stand-in, the file system.

#include <chrono>
#include <cstdio>
#include <string>

#include "BenchEnvironment.h"
#include "app/frmRepairDb.h"
#include "platform/IniSettingsStore.h"
#include "platform/StandardFileSystem.h"
#include "platform/odbc/OdbcDataSourceReader.h"
#include "platform/odbc/OdbcDatabase.h"
#include "platform/odbc/OdbcInstallerLibrary.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtShell.h"

namespace {

using namespace brivanto;
using Clock = std::chrono::steady_clock;

class TextOnlyResults : public app::ResultList {
 public:
  void Clear() override { lines_.clear(); }
  void Append(std::string line) override { lines_.push_back(std::move(line)); }
  std::size_t Count() const override { return lines_.size(); }
  const std::string& Line(std::size_t index) const override { return lines_.at(index); }
  bool IsSelected(std::size_t) const override { return false; }

 private:
  std::vector<std::string> lines_;
};

class TextOnlyView : public app::FormView {
 public:
  std::intptr_t WindowHandle() const override { return 0; }
  void SetCaption(const std::string&) override {}
  void SetWindowHeightTwips(int) override {}
  std::string PathText() const override { return path; }
  void SetPathText(const std::string& text) override { path = text; }
  std::string DirText() const override { return dir; }
  void SetDirText(const std::string& text) override { dir = text; }
  bool IsMaintenanceVisible() const override { return false; }
  void SetMaintenanceVisible(bool) override {}
  void SetMaintenanceCaption(const std::string&) override {}
  std::string QueryText() const override { return {}; }
  void SetQueryText(const std::string&) override {}
  app::ResultList& Results() override { return results; }

  std::string path;
  std::string dir;
  TextOnlyResults results;
};

double MillisecondsPerChange(app::frmRepairDb& form, TextOnlyView& view, const std::string& path,
                             int changes) {
  const auto start = Clock::now();
  for (int i = 0; i < changes; ++i) {
    view.path = path;
    form.txtPath_Change();
  }
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  return elapsed.count() / changes;
}

}  // namespace

int main() {
  bench::BenchEnvironment environment;
  const auto database = environment.Folder() / "BrivantoDb.mdb";
  bench::RunSqlite(database,
                   "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
                   "INSERT INTO tblSettings VALUES ('Storage', 'DocumentPath', '/srv/images');");

  platform::qt::QtMessageBox messageBox;
  platform::IniSettingsStore settings(environment.Folder());
  platform::OdbcDataSourceReaderFactory registry;
  platform::OdbcDatabase odbc;
  platform::StandardFileSystem fileSystem;
  platform::qt::QtFileDialog fileDialog;
  platform::qt::QtClipboard clipboard;
  platform::qt::QtClock clock;
  platform::qt::QtTickCounter ticks;
  platform::OdbcInstallerLibrary installer;
  platform::qt::QtShell shell;
  const app::Services services{
      messageBox, settings,   registry,  odbc,
      fileSystem, fileDialog, clipboard, clock,
      ticks,      installer,  shell,     (environment.Folder() / "repair.log").string()};
  TextOnlyView view;
  app::frmRepairDb form(view, services);

  const auto validPath = database.string();
  const auto missingPath = (environment.Folder() / "BrivantoDb.md").string();
  MillisecondsPerChange(form, view, validPath, 5);  // warm-up: loads the driver libraries
  if (view.dir != "/srv/images") {
    std::fprintf(stderr, "the valid database did not open: image folder '%s'\n", view.dir.c_str());
    return 1;
  }
  const double missing = MillisecondsPerChange(form, view, missingPath, 2000);
  const double valid = MillisecondsPerChange(form, view, validPath, 300);
  std::printf("one change, path naming no file: %.3f ms (goal <= 1 ms)\n", missing);
  std::printf("one change, valid database:      %.3f ms (goal <= 15 ms)\n", valid);
  std::printf("missing_ms=%.3f valid_ms=%.3f\n", missing, valid);
  return 0;
}
