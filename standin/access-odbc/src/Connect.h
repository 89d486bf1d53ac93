// Opening a database through the SQLite driver, the way the Access driver would.
#pragma once

#include <sql.h>

#include <string>
#include <string_view>

namespace brivanto::standin {

// Native error numbers of the stand-in's own connect refusals (SQLSTATE HY000).
enum ConnectRefusal : SQLINTEGER {
  kNoDatabaseGiven = 1001,
  kFileNotFound = 1002,
  kNotAFile = 1003,
  kNotADatabase = 1004,
  kFileInaccessible = 1005,
  kMalformedConnectionText = 1006,
  kFileInUse = 1007,
  kPathTooLong = 1008,
  kJetDriverMissing = 1009,
  kJetRefused = 1010,
};

// Connects to the file named by DBQ, or by the DBQ entry of the data source named by DSN.
// A refusal leaves its diagnostic pending on the connection.
SQLRETURN ConnectWithText(SQLHDBC connection, std::string_view text);

SQLRETURN ConnectToDataSource(SQLHDBC connection, const std::string& data_source);

}  // namespace brivanto::standin
