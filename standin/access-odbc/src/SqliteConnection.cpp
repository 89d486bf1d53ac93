#include "SqliteConnection.h"

namespace brivanto::standin {

void Check(sqlite3* db, int rc, int accepted) {
  if (rc != SQLITE_OK && rc != accepted) {
    throw SqliteError(rc, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  }
}

std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (const char c : name) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + '"';
}

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : db_(db) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  statement_.reset(raw);
  Check(db, rc);
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& text) {
  Check(db_, sqlite3_bind_text(statement_.get(), index, text.c_str(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT));
  return *this;
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(statement_.get());
  if (rc == SQLITE_ROW) {
    return true;
  }
  Check(db_, rc, SQLITE_DONE);
  return false;
}

std::string SqliteStatement::Text(int column) const {
  const unsigned char* value = sqlite3_column_text(statement_.get(), column);
  return value != nullptr ? reinterpret_cast<const char*>(value) : std::string();
}

sqlite3_int64 SqliteStatement::Integer(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

SqliteConnection::SqliteConnection(const std::string& path) {
  sqlite3* raw = nullptr;
  // Callers pass absolute paths, which SQLite never reads as URIs.
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  db_.reset(raw);
  Check(raw, rc);
}

void SqliteConnection::Execute(const std::string& sql) {
  Check(get(), sqlite3_exec(get(), sql.c_str(), nullptr, nullptr, nullptr));
}

std::vector<std::string> SqliteConnection::Texts(const std::string& sql) {
  SqliteStatement statement = Prepare(sql);
  std::vector<std::string> values;
  while (statement.Step()) {
    values.push_back(statement.Text(0));
  }
  return values;
}

sqlite3_int64 SqliteConnection::Integer(const std::string& sql) {
  SqliteStatement statement = Prepare(sql);
  return statement.Step() ? statement.Integer(0) : 0;
}

}  // namespace brivanto::standin
