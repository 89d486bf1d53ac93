#pragma once

#include <string>

#include "database/ConnectionHolder.h"
#include "ports/Clock.h"
#include "ports/Database.h"
#include "ports/FileSystem.h"
#include "ports/OdbcInstaller.h"

namespace brivanto::repair {

struct RepairServices {
  ports::FileSystem& fileSystem;
  ports::Clock& clock;
  ports::OdbcInstaller& installer;
  ports::Database& database;
  std::string logPath;
  // Opened when `logPath` cannot be; empty: no second choice.
  std::string fallbackLogPath = {};
};

struct RepairOutcome {
  bool succeeded = false;
  // What the user is told: where the log is, or why there is none.
  std::string message;
  // The failure as the log's error line gives it, "description (number)"; empty on success and
  // when the failure is in the log itself (the message then says why).
  std::string reason;
};

// Backs the database file up beside itself under a name no other file has (with a leftover
// rollback journal beside the backup), has the driver repair it in place and appends one
// block to the repair log: a dated header, the users the database still records as logged on
// and a closing line, or an error line instead of the lines after the failing step. A failure
// after the driver repaired the file says so, with the backup's name. The log is `logPath`, or
// `fallbackLogPath` when `logPath` cannot be opened; the message names the log written.
// `connection` is the window's connection: it is released first, because the driver needs the
// file to itself, and afterwards holds a fresh connection to the repaired file.
RepairOutcome RepairDatabase(const RepairServices& services, database::ConnectionHolder& connection,
                             const std::string& databasePath);

}  // namespace brivanto::repair
