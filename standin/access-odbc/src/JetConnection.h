// Real Access (Jet) files, opened read-only through MDB Tools: what works is handed to it, what
// only the Access driver on Windows can do is refused in Dutch, leaving the file as it was.
#pragma once

#include <sql.h>

#include <optional>
#include <string>

#include "JetFile.h"
#include "Statements.h"

namespace brivanto::standin {

// Routes the application's connection to a new MDB Tools connection to the file, or refuses.
SQLRETURN ConnectToJetFile(SQLHDBC connection, const std::string& path,
                           const std::string& canonical);

// Disconnects and frees the MDB Tools connection behind the application's, if there is one.
void DropJetConnection(SQLHDBC connection);

// A statement MDB Tools cannot run on a Jet file: every statement that writes, as the file is
// opened read-only. Nothing for other statements and for statements on SQLite files.
std::optional<SQLRETURN> RefuseJetStatement(SQLHSTMT statement, const StatementState& state,
                                            const std::string& sql);

// The statement as the statement's driver is given it: rewritten for MDB Tools (ForMdbTools),
// unchanged for the SQLite driver.
std::string JetSql(const StatementState& state, const std::string& sql);

}  // namespace brivanto::standin
