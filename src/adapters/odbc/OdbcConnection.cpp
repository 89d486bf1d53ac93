#include "OdbcConnection.h"

#include "OdbcRecordset.h"
#include "OdbcStatementExecution.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

SQLULEN ToOdbcCursorType(ports::CursorType cursorType) {
  switch (cursorType) {
    case ports::CursorType::Keyset:
      return SQL_CURSOR_KEYSET_DRIVEN;
    case ports::CursorType::Dynamic:
      return SQL_CURSOR_DYNAMIC;
    case ports::CursorType::Static:
      return SQL_CURSOR_STATIC;
    case ports::CursorType::ForwardOnly:
      break;
  }
  return SQL_CURSOR_FORWARD_ONLY;
}

SQLULEN ToOdbcConcurrency(ports::LockType lockType) {
  return lockType == ports::LockType::Optimistic ? SQL_CONCUR_VALUES : SQL_CONCUR_READ_ONLY;
}

void SetStatementAttribute(SQLHSTMT statement, SQLINTEGER attribute, SQLULEN value) {
  Check(SQLSetStmtAttr(statement, attribute, reinterpret_cast<SQLPOINTER>(value), 0),
        SQL_HANDLE_STMT, statement, "SQLSetStmtAttr");
}

}  // namespace

OdbcConnection::OdbcConnection(std::shared_ptr<const OdbcEnvironment> environment)
    : environment_(std::move(environment)),
      connection_(ConnectionHandle::Allocate(SQL_HANDLE_ENV, environment_->Get())) {}

OdbcConnection::~OdbcConnection() {
  Disconnect();
}

void OdbcConnection::SetCursorLocation(ports::CursorLocation /*location*/) {
  // ODBC has no counterpart: every cursor is the driver's, wherever the caller asks for it.
}

void OdbcConnection::Open(const std::string& connectionText) {
  if (connected_) {
    throw Failure(failure_codes::kObjectAlreadyOpen, "De verbinding met de database is al geopend");
  }
  Check(SQLDriverConnect(connection_.Get(), nullptr, AsSqlText(connectionText), SQL_NTS, nullptr, 0,
                         nullptr, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, connection_.Get(), "SQLDriverConnect");
  connected_ = true;
}

std::unique_ptr<ports::Recordset> OdbcConnection::Execute(const std::string& sql,
                                                          std::int32_t* recordsAffected) {
  auto statement = NewStatement();
  CheckExecution(SQLExecDirect(statement->Get(), AsSqlText(sql), SQL_NTS), statement->Get(),
                 "SQLExecDirect");
  if (recordsAffected != nullptr) {
    *recordsAffected = AffectedRows(statement->Get());
  }
  return std::make_unique<OdbcRecordset>(std::move(statement), connection_.Get(),
                                         ResultUpdates::Refused);
}

std::int32_t OdbcConnection::ExecuteWithParameters(const std::string& sql,
                                                   const std::vector<std::string>& parameters) {
  RequireOpen();
  std::vector<TextParameter> texts;
  texts.reserve(parameters.size());
  for (const std::string& parameter : parameters) {
    texts.push_back(TextColumnParameter(parameter));
  }
  return ExecutePrepared(connection_.Get(), sql, texts);
}

std::unique_ptr<ports::Recordset> OdbcConnection::OpenRecordset(const std::string& sql,
                                                                ports::CursorType cursorType,
                                                                ports::LockType lockType) {
  auto statement = NewStatement();
  SetStatementAttribute(statement->Get(), SQL_ATTR_CURSOR_TYPE, ToOdbcCursorType(cursorType));
  SetStatementAttribute(statement->Get(), SQL_ATTR_CONCURRENCY, ToOdbcConcurrency(lockType));
  CheckExecution(SQLExecDirect(statement->Get(), AsSqlText(sql), SQL_NTS), statement->Get(),
                 "SQLExecDirect");
  const auto updates =
      lockType == ports::LockType::ReadOnly ? ResultUpdates::Refused : ResultUpdates::Allowed;
  return std::make_unique<OdbcRecordset>(std::move(statement), connection_.Get(), updates);
}

void OdbcConnection::RequireOpen() const {
  if (!connected_) {
    throw Failure(failure_codes::kConnectionNotOpen,
                  "De verbinding met de database is niet geopend");
  }
}

std::shared_ptr<StatementHandle> OdbcConnection::NewStatement() {
  RequireOpen();
  auto statement = std::make_shared<StatementHandle>(
      StatementHandle::Allocate(SQL_HANDLE_DBC, connection_.Get()));
  std::erase_if(statements_, [](const auto& known) { return known.expired(); });
  statements_.push_back(statement);
  return statement;
}

void OdbcConnection::Disconnect() noexcept {
  for (const auto& known : statements_) {
    if (const auto statement = known.lock()) {
      statement->Reset();
    }
  }
  statements_.clear();
  if (connected_) {
    // A failed disconnect leaves nothing to retry: the handle is freed right after anyway.
    SQLDisconnect(connection_.Get());
    connected_ = false;
  }
}

}  // namespace brivanto::odbc
