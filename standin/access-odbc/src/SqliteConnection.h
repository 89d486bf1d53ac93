// Just enough of the SQLite C API, with ownership, for rebuilding a database file.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace brivanto::standin {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const std::string& sql);
  SqliteStatement& Bind(int index, const std::string& text);
  // True while a row is available.
  bool Step();
  std::string Text(int column) const;
  sqlite3_int64 Integer(int column) const;

 private:
  struct Finalizer {
    // The statement's last error was already reported by Step().
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
  };
  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

class SqliteConnection {
 public:
  // Opens an existing file read-write; never creates one.
  explicit SqliteConnection(const std::string& path);

  sqlite3* get() const { return db_.get(); }
  void Execute(const std::string& sql);
  SqliteStatement Prepare(const std::string& sql) { return SqliteStatement(get(), sql); }
  // First column of every row.
  std::vector<std::string> Texts(const std::string& sql);
  sqlite3_int64 Integer(const std::string& sql);

 private:
  struct Closer {
    // With sqlite3_close_v2 unfinished statements defer the close instead of failing it.
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

// Throws SqliteError carrying the connection's message unless rc is one of the accepted codes.
void Check(sqlite3* db, int rc, int accepted = SQLITE_OK);

std::string QuoteIdentifier(const std::string& name);

}  // namespace brivanto::standin
