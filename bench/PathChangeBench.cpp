// Prints what one change of the path box costs: for a path that names no file (each keystroke
// while typing) and for a valid database (open, read the image folder). Real services: the INI
// settings store, unixODBC with the Access stand-in, the file system.

#include <chrono>
#include <cstdio>
#include <string>

#include "BenchEnvironment.h"
#include "LinuxServices.h"
#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"

namespace {

using namespace brivanto;
using Clock = std::chrono::steady_clock;

double MillisecondsPerChange(app::frmRepairDb& form, app::TextOnlyView& view,
                             const std::string& path, int changes) {
  const auto start = Clock::now();
  for (int i = 0; i < changes; ++i) {
    view.SetPathText(path);
    form.txtPath_Change();
  }
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  return elapsed.count() / changes;
}

}  // namespace

int main() {
  bench::BenchEnvironment environment;
  const auto database = environment.WorkDirectory() / "BrivantoDb.mdb";
  bench::RunSqlite(database,
                   "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
                   "INSERT INTO tblSettings VALUES ('Storage', 'DocumentPath', '/srv/images');");

  qt::LinuxServices services;
  services.settings = posix::IniSettingsStore(environment.WorkDirectory());
  services.repairLogPath = (environment.WorkDirectory() / "repair.log").string();
  app::TextOnlyView view;
  app::frmRepairDb form(view, services.Bundle());

  const auto validPath = database.string();
  const auto missingPath = (environment.WorkDirectory() / "BrivantoDb.md").string();
  MillisecondsPerChange(form, view, validPath, 5);  // warm-up: loads the driver libraries
  if (view.DirText() != "/srv/images") {
    std::fprintf(stderr, "the valid database did not open: image folder '%s'\n",
                 view.DirText().c_str());
    return 1;
  }
  const double missing = MillisecondsPerChange(form, view, missingPath, 2000);
  const double valid = MillisecondsPerChange(form, view, validPath, 300);
  std::printf("one change, path naming no file: %.3f ms (goal <= 1 ms)\n", missing);
  std::printf("one change, valid database:      %.3f ms (goal <= 15 ms)\n", valid);
  std::printf("missing_ms=%.3f valid_ms=%.3f\n", missing, valid);
  return 0;
}
