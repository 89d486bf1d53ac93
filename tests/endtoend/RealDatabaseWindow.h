#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AccessDriver.h"
#include "OdbcTestEnvironment.h"
#include "StandardFileSystem.h"
#include "Windows1252.h"
#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {

// The window's logic over the real ODBC layer, unixODBC and the Access stand-in driver, with
// the real file system; dialogs, clock and tick counter are fakes, so every outcome is exact.
class RealDatabaseWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
    access.emplace(codePage);
    form.emplace(view, Services());
  }

  app::Services Services() {
    fakes.realDatabase = &access->database;
    fakes.realFileSystem = &fileSystem;
    return fakes.Bundle();
  }
  std::filesystem::path CreateDatabase(const std::vector<SettingsRow>& rows) {
    return environment.CreateSettingsDatabase(
        OdbcTestEnvironment::UniqueName("BrivantoDb") + ".mdb", rows);
  }
  // What the path box does for every change: reconnect and show the stored folder.
  void Open(const std::filesystem::path& file) {
    view.path = file.string();
    form->txtPath_Change();
  }

  // Constructed first: it points the ODBC configuration at a private directory.
  OdbcTestEnvironment environment;
  odbc::Windows1252 codePage;
  std::optional<odbc::AccessDriver> access;
  posix::StandardFileSystem fileSystem;
  FakeServices fakes;
  FakeView view;
  std::optional<app::frmRepairDb> form;
};

}  // namespace brivanto::testing
