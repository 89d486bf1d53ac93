#include "repair/RepairOperation.h"

#include <exception>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "database/ConnectionText.h"
#include "ports/Failure.h"
#include "repair/RepairLog.h"

namespace brivanto::repair {
namespace {

constexpr std::intptr_t kNoWindow = 0;
// Far more than repairs of one file in one second; a bound keeps a broken file system from
// being asked forever.
constexpr int kMaxBackupNumber = 999;
// The name under which the database engine looks for a rollback journal beside a file.
constexpr std::string_view kJournalSuffix = "-journal";

// The log itself failed: an error line cannot be written there either.
struct LogWriteFailure {
  std::string reason;
};

// Writes the lines of the opened log, and tells a failure of the log apart from the repair's.
class LogWriter {
 public:
  explicit LogWriter(std::unique_ptr<ports::AppendFile> file) : file_(std::move(file)) {}

  void Write(std::string_view line) {
    try {
      file_->WriteLine(line);
    } catch (const Failure& failure) {
      throw LogWriteFailure{failure.Description()};
    }
  }
  void Close() { file_.reset(); }

 private:
  std::unique_ptr<ports::AppendFile> file_;
};

// The journal comes first, so the backup never appears without it.
std::vector<ports::FileCopy> BackupCopies(const std::string& databasePath,
                                          const std::string& backup, bool withJournal) {
  std::vector<ports::FileCopy> copies;
  if (withJournal) {
    copies.push_back(
        {databasePath + std::string(kJournalSuffix), backup + std::string(kJournalSuffix)});
  }
  copies.push_back({databasePath, backup});
  return copies;
}

class RepairRun {
 public:
  RepairRun(const RepairServices& services, database::ConnectionHolder& connection, LogWriter& log)
      : services_(services), connection_(connection), log_(log) {}

  void Run(const std::string& databasePath) {
    const auto now = services_.clock.Now();
    log_.Write(HeaderLine(now));
    // An open connection of our own would keep the driver from getting the file to itself.
    connection_.Release();
    try {
      BackUp(databasePath, now);
      RequestRepair(databasePath);
    } catch (const std::exception&) {
      ReopenAsBefore(databasePath);
      throw;
    }
    repaired_ = true;
    OpenConnection(databasePath);
    ReportLoggedOnUsers();
    log_.Write(kClosingLine);
  }

  // Once the driver has repaired the file, a later failure must not read as a failed repair.
  bool Repaired() const { return repaired_; }
  // Empty when there was no file to back up.
  const std::string& Backup() const { return backup_; }

 private:
  // A repair can cut away damaged data, so the file as it was is kept first.
  void BackUp(const std::string& databasePath, const ports::LocalDateTime& now) {
    if (!services_.fileSystem.IsFile(databasePath)) {
      return;
    }
    // A journal left by a crashed writer holds what the file needs to be whole; the repair uses
    // it up, so the backup keeps a copy under the name the engine looks for beside it.
    const auto journal = databasePath + std::string(kJournalSuffix);
    const bool withJournal = services_.fileSystem.IsFile(journal);
    try {
      std::optional<std::string> backup;
      try {
        backup = CopyToFreeNames(databasePath, now, withJournal);
      } catch (const Failure&) {
        // The journal of another program's transaction that ended meanwhile is gone: the file
        // no longer needs it.
        if (!withJournal || services_.fileSystem.IsFile(journal)) {
          throw;
        }
        backup = CopyToFreeNames(databasePath, now, false);
      }
      if (!backup) {
        throw Failure(failure_codes::kFileAccess, "de bestandsnaam is te lang");
      }
      backup_ = *backup;
    } catch (const Failure& failure) {
      throw Failure(failure.Number(),
                    "Backup " + attempted_ + " kan niet worden gemaakt: " + failure.Description());
    }
  }

  std::optional<std::string> CopyToFreeNames(const std::string& databasePath,
                                             const ports::LocalDateTime& now, bool withJournal) {
    auto backup = CopyToFreeName(databasePath, databasePath, now, withJournal);
    if (!backup) {
      backup = CopyToFreeName(databasePath, ShortenedFilePath(databasePath), now, withJournal);
    }
    return backup;
  }

  // The first free name of the series <base>.<stamp>.bak, <base>.<stamp>-2.bak, ..., or nothing
  // when the file system finds these names too long. An existing file is never replaced, so two
  // repairs in the same second each keep their own backup.
  std::optional<std::string> CopyToFreeName(const std::string& databasePath,
                                            const std::string& base,
                                            const ports::LocalDateTime& now, bool withJournal) {
    for (int number = 1; number <= kMaxBackupNumber; ++number) {
      attempted_ = BackupPath(base, now, number);
      switch (services_.fileSystem.CopyToNewFiles(
          BackupCopies(databasePath, attempted_, withJournal))) {
        case ports::NewFilesOutcome::kCopied:
          return attempted_;
        case ports::NewFilesOutcome::kNameTaken:
          continue;
        case ports::NewFilesOutcome::kNameTooLong:
          return std::nullopt;
      }
    }
    throw Failure(failure_codes::kFileAccess, "alle namen zijn al in gebruik");
  }

  // What the Access driver answers to ODBC_CONFIG_DSN with REPAIR_DB and no data source is not
  // documented: it may repair the file and still answer FALSE, or take the repair only as
  // ODBC_ADD_DSN. A FALSE is therefore asked once more as ODBC_ADD_DSN, and only a driver that
  // refuses both has not repaired.
  void RequestRepair(const std::string& databasePath) {
    const auto attributes = RepairAttributes(databasePath);
    std::vector<ports::InstallerError> refusals;
    for (const int request : {kConfigDataSourceRequest, kAddDataSourceRequest}) {
      if (services_.installer.ConfigDataSource(kNoWindow, request, std::string(kRepairDriver),
                                               attributes)) {
        return;
      }
      refusals.push_back(services_.installer.LastError());
    }
    const auto error = ExplainingRefusal(refusals);
    throw Failure(error.code, error.message);
  }

  // The refusal that says why the file was not repaired: not one that only turns the request
  // type down, when the other request met a real obstacle such as a file in use.
  static ports::InstallerError ExplainingRefusal(
      const std::vector<ports::InstallerError>& refusals) {
    for (const bool skipRequestType : {true, false}) {
      for (const auto& refusal : refusals) {
        if (!refusal.message.empty() && !(skipRequestType && refusal.code == kInvalidRequestType)) {
          return refusal;
        }
      }
    }
    return {refusals.empty() ? 0 : refusals.front().code, "De driver meldt geen reden"};
  }

  void OpenConnection(const std::string& databasePath) {
    connection_.Replace(services_.database.CreateConnection());
    auto& opened = connection_.Get();
    opened.SetCursorLocation(ports::CursorLocation::Client);
    opened.Open(database::ConnectionText(databasePath));
  }

  // Nothing was repaired, so the window goes on with the file as before the repair, instead of
  // a console that finds no database until the path changes.
  void ReopenAsBefore(const std::string& databasePath) {
    try {
      OpenConnection(databasePath);
    } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): the repair's own failure is
                                       // what gets reported; a file that will not open stays closed
    }
  }

  void ReportLoggedOnUsers() {
    const auto users = connection_.Get().OpenRecordset(
        std::string(kLoggedOnQuery), ports::CursorType::Static, ports::LockType::Optimistic);
    const auto count = users->RecordCount();
    log_.Write(LoggedOnCountLine(count));
    if (count >= 1) {
      for (; !users->Eof(); users->MoveNext()) {
        log_.Write(LoggedOnUserLine(users->Field("Value")));
      }
    }
    users->Close();
  }

  const RepairServices& services_;
  database::ConnectionHolder& connection_;
  LogWriter& log_;
  std::string attempted_;
  std::string backup_;
  bool repaired_ = false;
};

RepairOutcome Failed(std::string message) {
  return {false, std::move(message), {}};
}

RepairOutcome LogNotWritten(const RepairRun& run, const std::string& logPath,
                            std::string_view reason) {
  if (run.Repaired()) {
    return Failed(RepairedButLogNotWrittenMessage(logPath, run.Backup(), reason));
  }
  return Failed(LogNotWrittenMessage(logPath, reason));
}

RepairOutcome LogFailure(LogWriter& log, const RepairRun& run, const std::string& logPath,
                         const Failure& failure) {
  try {
    log.Write(ErrorLine(failure.Number(), failure.Description()));
  } catch (const LogWriteFailure& writeFailure) {
    return LogNotWritten(run, logPath, writeFailure.reason);
  }
  auto outcome = Failed(run.Repaired() ? RepairedButLogIncompleteMessage(logPath, run.Backup())
                                       : FailedMessage(logPath));
  outcome.reason = FailureText(failure);
  return outcome;
}

RepairOutcome RunWithLog(const RepairServices& services, database::ConnectionHolder& connection,
                         const std::string& databasePath, LogWriter& log,
                         const std::string& logPath) {
  RepairRun run(services, connection, log);
  try {
    run.Run(databasePath);
    log.Close();
    return {true, FinishedMessage(logPath), {}};
  } catch (const LogWriteFailure& failure) {
    return LogNotWritten(run, logPath, failure.reason);
  } catch (const std::exception& error) {
    return LogFailure(log, run, logPath, AsFailure(error));
  }
}

// The opened log and its path, or the reason why neither path could be opened.
struct OpenedLog {
  std::unique_ptr<ports::AppendFile> file;
  std::string path;
  std::string failure;
};

OpenedLog OpenLog(const RepairServices& services) {
  std::string reason;
  try {
    return {services.fileSystem.OpenForAppend(services.logPath), services.logPath, {}};
  } catch (const std::exception& error) {
    reason = error.what();
  }
  if (services.fallbackLogPath.empty() || services.fallbackLogPath == services.logPath) {
    return {nullptr, services.logPath, std::move(reason)};
  }
  try {
    return {
        services.fileSystem.OpenForAppend(services.fallbackLogPath), services.fallbackLogPath, {}};
  } catch (const std::exception& error) {
    return {nullptr, services.logPath,
            reason + "; ook " + services.fallbackLogPath + " niet: " + error.what()};
  }
}

}  // namespace

RepairOutcome RepairDatabase(const RepairServices& services, database::ConnectionHolder& connection,
                             const std::string& databasePath) {
  auto opened = OpenLog(services);
  if (!opened.file) {
    return Failed(LogNotOpenedMessage(opened.path, opened.failure));
  }
  LogWriter log(std::move(opened.file));
  return RunWithLog(services, connection, databasePath, log, opened.path);
}

}  // namespace brivanto::repair
