#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ports/Clock.h"
#include "ports/Database.h"

// The lines of a repair log block, without their line ends, and the other texts the repair
// builds. Every line is a byte string in the system's single-byte code page.
namespace brivanto::repair {

inline constexpr std::string_view kClosingLine = "----------------------------------";
inline constexpr std::string_view kRepairDriver = "Microsoft Access Driver (*.MDB)";
inline constexpr int kConfigDataSourceRequest = 2;  // ODBC_CONFIG_DSN
inline constexpr int kAddDataSourceRequest = 1;     // ODBC_ADD_DSN
// The installer's ODBC_ERROR_INVALID_REQUEST_TYPE: the driver does not take that request.
inline constexpr std::int32_t kInvalidRequestType = 5;
inline constexpr std::string_view kLoggedOnQuery =
    "Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'";

// "------------ yyyymmdd ------------"
std::string HeaderLine(const ports::LocalDateTime& now);
std::string LoggedOnCountLine(std::int32_t count);
// A CR or LF in the value or the description becomes a space, so each stays on its own line.
std::string LoggedOnUserLine(const ports::FieldValue& value);
std::string ErrorLine(std::int32_t number, std::string_view description);

// REPAIR_DB="<path>" NUL PWD=<password> NUL NUL, the path exactly as given.
std::string RepairAttributes(std::string_view databasePath);
// <file>.<yyyymmdd-hhmmss>.bak beside the file; from number 2 on <file>.<stamp>-<number>.bak.
std::string BackupPath(std::string_view databasePath, const ports::LocalDateTime& now,
                       int number = 1);
// Leaves room for the stamp, a number and "-journal" within a 255-byte file name.
inline constexpr std::size_t kShortenedNameBytes = 200;
// The path with its file name cut to its first kShortenedNameBytes bytes, followed by "~" and a
// digest of the whole name, so files that share a long beginning still get backups of their own.
std::string ShortenedFilePath(std::string_view databasePath);

std::string FinishedMessage(std::string_view logPath);
std::string FailedMessage(std::string_view logPath);
// The repair itself succeeded (a backup was kept unless `backup` is empty), but a step after it
// or the log failed: the user must not take the file for unrepaired.
std::string RepairedButLogIncompleteMessage(std::string_view logPath, std::string_view backup);
std::string RepairedButLogNotWrittenMessage(std::string_view logPath, std::string_view backup,
                                            std::string_view reason);
// Nothing has run when the log cannot be opened; a write can fail later, after the repair.
std::string LogNotOpenedMessage(std::string_view logPath, std::string_view reason);
std::string LogNotWrittenMessage(std::string_view logPath, std::string_view reason);

}  // namespace brivanto::repair
