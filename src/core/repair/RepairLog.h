#pragma once

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
inline constexpr std::string_view kLoggedOnQuery =
    "Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'";

// "------------ yyyymmdd ------------"
std::string HeaderLine(const ports::LocalDateTime& now);
std::string LoggedOnCountLine(std::int32_t count);
std::string LoggedOnUserLine(const ports::FieldValue& value);
std::string ErrorLine(std::int32_t number, std::string_view description);

// REPAIR_DB="<path>" NUL PWD=<password> NUL NUL, the path exactly as given.
std::string RepairAttributes(std::string_view databasePath);
// <file>.<yyyymmdd-hhmmss>.bak beside the file.
std::string BackupPath(std::string_view databasePath, const ports::LocalDateTime& now);

std::string FinishedMessage(std::string_view logPath);
std::string FailedMessage(std::string_view logPath);
// Nothing has run when the log cannot be opened; a write can fail later, after the repair.
std::string LogNotOpenedMessage(std::string_view logPath, std::string_view reason);
std::string LogNotWrittenMessage(std::string_view logPath, std::string_view reason);

}  // namespace brivanto::repair
