#include "repair/RepairOperation.h"

#include <exception>
#include <memory>
#include <string_view>

#include "database/ConnectionText.h"
#include "ports/Failure.h"
#include "repair/RepairLog.h"

namespace brivanto::repair {
namespace {

constexpr std::intptr_t kNoWindow = 0;

// The log itself failed: an error line cannot be written there either.
struct LogWriteFailure {
  std::string reason;
};

class RepairLog {
 public:
  explicit RepairLog(std::unique_ptr<ports::AppendFile> file) : file_(std::move(file)) {}

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

class RepairRun {
 public:
  RepairRun(const RepairServices& services, database::ConnectionHolder& connection, RepairLog& log)
      : services_(services), connection_(connection), log_(log) {}

  void Run(const std::string& databasePath) {
    const auto now = services_.clock.Now();
    log_.Write(HeaderLine(now));
    // An open connection of our own would keep the driver from getting the file to itself.
    connection_.Release();
    BackUp(databasePath, now);
    RequestRepair(databasePath);
    OpenConnection(databasePath);
    ReportLoggedOnUsers();
    log_.Write(kClosingLine);
  }

 private:
  // A repair can cut away damaged data, so the file as it was is kept first.
  void BackUp(const std::string& databasePath, const ports::LocalDateTime& now) {
    if (!services_.fileSystem.IsFile(databasePath)) {
      return;
    }
    const auto backup = BackupPath(databasePath, now);
    try {
      services_.fileSystem.CopyToNewFile(databasePath, backup);
    } catch (const Failure& failure) {
      throw Failure(failure.Number(),
                    "Backup " + backup + " kan niet worden gemaakt: " + failure.Description());
    }
  }

  void RequestRepair(const std::string& databasePath) {
    if (services_.installer.ConfigDataSource(kNoWindow, kConfigDataSourceRequest,
                                             std::string(kRepairDriver),
                                             RepairAttributes(databasePath))) {
      return;
    }
    auto error = services_.installer.LastError();
    if (error.message.empty()) {
      error.message = "De driver meldt geen reden";
    }
    throw Failure(error.code, error.message);
  }

  void OpenConnection(const std::string& databasePath) {
    connection_.Replace(services_.database.CreateConnection());
    auto& opened = connection_.Get();
    opened.SetCursorLocation(ports::CursorLocation::Client);
    opened.Open(database::ConnectionText(databasePath));
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
  RepairLog& log_;
};

RepairOutcome Failed(std::string message) {
  return {false, std::move(message)};
}

RepairOutcome LogFailure(RepairLog& log, const std::string& logPath, std::int32_t number,
                         std::string_view description) {
  try {
    log.Write(ErrorLine(number, description));
  } catch (const LogWriteFailure& failure) {
    return Failed(LogNotWrittenMessage(logPath, failure.reason));
  }
  return Failed(FailedMessage(logPath));
}

RepairOutcome RunWithLog(const RepairServices& services, database::ConnectionHolder& connection,
                         const std::string& databasePath, RepairLog& log) {
  try {
    RepairRun(services, connection, log).Run(databasePath);
    log.Close();
    return {true, FinishedMessage(services.logPath)};
  } catch (const LogWriteFailure& failure) {
    return Failed(LogNotWrittenMessage(services.logPath, failure.reason));
  } catch (const std::exception& error) {
    const auto failure = AsFailure(error);
    return LogFailure(log, services.logPath, failure.Number(), failure.Description());
  }
}

}  // namespace

RepairOutcome RepairDatabase(const RepairServices& services, database::ConnectionHolder& connection,
                             const std::string& databasePath) {
  std::unique_ptr<ports::AppendFile> file;
  try {
    file = services.fileSystem.OpenForAppend(services.logPath);
  } catch (const std::exception& error) {
    return Failed(LogNotOpenedMessage(services.logPath, error.what()));
  }
  RepairLog log(std::move(file));
  return RunWithLog(services, connection, databasePath, log);
}

}  // namespace brivanto::repair
