#include "Repair.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "ConnectionString.h"
#include "DatabasePath.h"
#include "Messages.h"
#include "SqliteConnection.h"
#include "TempFile.h"

namespace brivanto::standin {
namespace {

// Long enough to ride out a connection that is just closing, short enough not to hang the
// caller behind a program that keeps the database open.
constexpr int kBusyTimeoutMilliseconds = 200;

constexpr char kRebuiltSchema[] = "brivanto_rebuilt";

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw RepairError(std::string(kMessagePrefix) + "Cannot repair '" + path + "': " + reason);
}

std::string UsableFile(const std::string& path) {
  const DatabasePath inspected = InspectDatabasePath(path);
  switch (inspected.status) {
    case PathStatus::kUsable:
      return inspected.canonical;
    case PathStatus::kEmpty:
      throw RepairError(std::string(kMessagePrefix) +
                        "Cannot repair: no database file was given (REPAIR_DB is empty).");
    case PathStatus::kNotFound:
      Fail(path, "the file does not exist.");
    case PathStatus::kNotAFile:
      Fail(path, "it is not a file.");
    case PathStatus::kEmptyFile:
      Fail(path, "it is not a database (the file is empty).");
    case PathStatus::kInaccessible:
      break;
  }
  Fail(path, std::generic_category().message(inspected.error_number) + ".");
}

// Reads through SQLite's own file handle rather than a descriptor of ours: closing any
// descriptor of the file would drop the POSIX locks other connections in this process hold.
std::array<unsigned char, 100> ReadHeader(sqlite3* db, const std::string& path) {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr) {
    Fail(path, "the file cannot be read.");
  }
  std::array<unsigned char, 100> header{};
  const int rc = file->pMethods->xRead(file, header.data(), header.size(), 0);
  if (rc == SQLITE_IOERR_SHORT_READ) {
    Fail(path, "it is not a database (the file is too short).");
  }
  if (rc != SQLITE_OK) {
    Fail(path, "the file cannot be read.");
  }
  return header;
}

// A database in write-ahead-log mode keeps committed data in a -wal file beside it, which
// would be replayed onto the rebuilt file after the swap.
void RequireRollbackJournalDatabase(sqlite3* db, const std::string& path) {
  const std::array<unsigned char, 100> header = ReadHeader(db, path);
  static constexpr char kMagic[] = "SQLite format 3";
  if (std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) {
    Fail(path, "it is not a database (unrecognised file format).");
  }
  constexpr size_t kWriteVersion = 18;
  constexpr size_t kReadVersion = 19;
  if (header[kWriteVersion] == 2 || header[kReadVersion] == 2) {
    Fail(path, "it uses write-ahead logging, which this stand-in does not repair.");
  }
}

// In exclusive locking mode the lock taken by BEGIN EXCLUSIVE outlives the transaction and is
// held until the connection closes, i.e. until after the rebuilt file has replaced this one.
void LockExclusively(SqliteConnection& source, const std::string& path) {
  Check(source.get(), sqlite3_busy_timeout(source.get(), kBusyTimeoutMilliseconds));
  try {
    source.Execute("PRAGMA main.locking_mode=EXCLUSIVE");
    source.Execute("BEGIN EXCLUSIVE");
    source.Execute("COMMIT");
  } catch (const SqliteError& error) {
    if (error.code() == SQLITE_BUSY || error.code() == SQLITE_LOCKED) {
      Fail(path,
           "the database is in use by another program or connection; close it and try again.");
    }
    if (error.code() == SQLITE_NOTADB) {
      Fail(path, "it is not a database (unrecognised file format).");
    }
    if (error.code() == SQLITE_READONLY) {
      Fail(path, "the file is read-only.");
    }
    Fail(path, std::string("it cannot be opened (") + error.what() + ").");
  }
}

// A check that cannot even run counts as failed; the table-by-table rebuild then has its say.
bool PassesIntegrityCheck(SqliteConnection& db) {
  try {
    const std::vector<std::string> findings = db.Texts("PRAGMA integrity_check");
    return findings.size() == 1 && findings.front() == "ok";
  } catch (const SqliteError&) {
    return false;
  }
}

void ReindexAndVerify(const std::string& copy) {
  SqliteConnection rebuilt(copy);
  rebuilt.Execute("REINDEX");
  const std::vector<std::string> findings = rebuilt.Texts("PRAGMA integrity_check");
  if (findings.size() != 1 || findings.front() != "ok") {
    throw SqliteError(SQLITE_CORRUPT, "the rebuilt copy fails its integrity check: " +
                                          (findings.empty() ? std::string() : findings.front()));
  }
}

void VacuumInto(SqliteConnection& source, const std::string& copy) {
  source.Prepare("VACUUM main INTO ?1").Bind(1, copy).Step();
}

struct SchemaObject {
  std::string type;
  std::string name;
  std::string sql;
};

std::vector<SchemaObject> ReadSchema(SqliteConnection& source) {
  SqliteStatement statement = source.Prepare(
      "SELECT type, name, sql FROM main.sqlite_schema WHERE sql IS NOT NULL "
      "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
  std::vector<SchemaObject> objects;
  while (statement.Step()) {
    objects.push_back({statement.Text(0), statement.Text(1), statement.Text(2)});
  }
  return objects;
}

void RefuseVirtualTables(const std::vector<SchemaObject>& schema) {
  const bool has_virtual = std::any_of(schema.begin(), schema.end(), [](const SchemaObject& o) {
    return AsciiLower(o.sql).starts_with("create virtual table");
  });
  if (has_virtual) {
    throw SqliteError(SQLITE_CORRUPT, "virtual tables cannot be rebuilt table by table");
  }
}

// What a fresh file must be told before its first table, and what it must get afterwards.
struct FileSettings {
  sqlite3_int64 page_size = 0;
  sqlite3_int64 auto_vacuum = 0;
  std::string encoding;
  sqlite3_int64 user_version = 0;
  sqlite3_int64 application_id = 0;
  bool has_statistics = false;
  bool has_sequence = false;
};

FileSettings ReadSettings(SqliteConnection& source) {
  FileSettings settings;
  settings.page_size = source.Integer("PRAGMA main.page_size");
  settings.auto_vacuum = source.Integer("PRAGMA main.auto_vacuum");
  settings.encoding = source.Texts("PRAGMA main.encoding").at(0);
  settings.user_version = source.Integer("PRAGMA main.user_version");
  settings.application_id = source.Integer("PRAGMA main.application_id");
  settings.has_statistics =
      source.Integer("SELECT count(*) FROM main.sqlite_schema WHERE name = 'sqlite_stat1'") > 0;
  settings.has_sequence =
      source.Integer("SELECT count(*) FROM main.sqlite_schema WHERE name = 'sqlite_sequence'") > 0;
  return settings;
}

void ApplyLayout(SqliteConnection& target, const FileSettings& settings) {
  target.Execute("PRAGMA page_size=" + std::to_string(settings.page_size));
  target.Execute("PRAGMA auto_vacuum=" + std::to_string(settings.auto_vacuum));
  target.Execute("PRAGMA encoding='" + settings.encoding + "'");
}

void ApplyHeaders(SqliteConnection& target, const FileSettings& settings) {
  target.Execute("PRAGMA user_version=" + std::to_string(settings.user_version));
  target.Execute("PRAGMA application_id=" + std::to_string(settings.application_id));
  if (settings.has_statistics) {
    target.Execute("ANALYZE");
  }
}

template <typename Predicate>
void CreateObjects(SqliteConnection& target, const std::vector<SchemaObject>& schema,
                   Predicate wanted) {
  target.Execute("BEGIN");
  for (const SchemaObject& object : schema) {
    if (wanted(object)) {
      target.Execute(object.sql);
    }
  }
  target.Execute("COMMIT");
}

std::vector<std::string> StoredColumns(SqliteConnection& source, const std::string& table) {
  SqliteStatement statement =
      source.Prepare("SELECT name FROM pragma_table_xinfo(?1, 'main') WHERE hidden = 0");
  statement.Bind(1, table);
  std::vector<std::string> columns;
  while (statement.Step()) {
    columns.push_back(statement.Text(0));
  }
  return columns;
}

bool KeepsRowid(SqliteConnection& source, const std::string& table,
                const std::vector<std::string>& columns) {
  SqliteStatement statement =
      source.Prepare("SELECT wr FROM pragma_table_list WHERE schema = 'main' AND name = ?1");
  statement.Bind(1, table);
  const bool without_rowid = statement.Step() && statement.Integer(0) != 0;
  const bool rowid_is_a_column = std::any_of(
      columns.begin(), columns.end(), [](const auto& c) { return AsciiLower(c) == "rowid"; });
  return !without_rowid && !rowid_is_a_column;
}

// Reads the table itself, never a covering index that might be the damaged part. The explicit
// column list also keeps SQLite from copying index b-trees verbatim, as it may for SELECT *.
std::string CopyRowsStatement(SqliteConnection& source, const std::string& table) {
  const std::vector<std::string> columns = StoredColumns(source, table);
  std::string list = KeepsRowid(source, table, columns) ? "rowid" : "";
  for (const std::string& column : columns) {
    list += (list.empty() ? "" : ", ") + QuoteIdentifier(column);
  }
  const std::string name = QuoteIdentifier(table);
  return std::string("INSERT INTO ") + kRebuiltSchema + "." + name + " (" + list + ") SELECT " +
         list + " FROM main." + name + " NOT INDEXED";
}

void CopySequence(SqliteConnection& source, const FileSettings& settings) {
  const std::string target_schema = std::string(kRebuiltSchema) + ".sqlite_schema";
  if (!settings.has_sequence || source.Integer("SELECT count(*) FROM " + target_schema +
                                               " WHERE name = 'sqlite_sequence'") == 0) {
    return;
  }
  source.Execute(std::string("DELETE FROM ") + kRebuiltSchema + ".sqlite_sequence");
  source.Execute(std::string("INSERT INTO ") + kRebuiltSchema +
                 ".sqlite_sequence (name, seq) SELECT name, seq FROM main.sqlite_sequence");
}

// The copy attached to the source connection, which alone may read the locked original.
class Attachment {
 public:
  Attachment(SqliteConnection& source, const std::string& copy) : source_(source) {
    source.Prepare(std::string("ATTACH ?1 AS ") + kRebuiltSchema).Bind(1, copy).Step();
  }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
  ~Attachment() {
    if (!attached_) {
      return;
    }
    // Only reached when a failure is already being reported; these just release the copy.
    if (sqlite3_get_autocommit(source_.get()) == 0) {
      sqlite3_exec(source_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(source_.get(), (std::string("DETACH ") + kRebuiltSchema).c_str(), nullptr, nullptr,
                 nullptr);
  }

  void Detach() {
    source_.Execute(std::string("DETACH ") + kRebuiltSchema);
    attached_ = false;
  }

 private:
  SqliteConnection& source_;
  bool attached_ = true;
};

void CopyRows(SqliteConnection& source, const std::string& copy,
              const std::vector<SchemaObject>& schema, const FileSettings& settings) {
  Attachment attachment(source, copy);
  source.Execute("BEGIN");
  for (const SchemaObject& object : schema) {
    if (object.type == "table") {
      source.Execute(CopyRowsStatement(source, object.name));
    }
  }
  CopySequence(source, settings);
  source.Execute("COMMIT");
  attachment.Detach();
}

// Tables first, then their rows, then indexes built afresh from those rows, then views and
// triggers; triggers must not fire while rows are copied.
void RebuildTableByTable(SqliteConnection& source, const std::string& copy) {
  const std::vector<SchemaObject> schema = ReadSchema(source);
  RefuseVirtualTables(schema);
  const FileSettings settings = ReadSettings(source);
  {
    SqliteConnection target(copy);
    ApplyLayout(target, settings);
    CreateObjects(target, schema, [](const SchemaObject& o) { return o.type == "table"; });
  }
  CopyRows(source, copy, schema, settings);
  SqliteConnection target(copy);
  CreateObjects(target, schema, [](const SchemaObject& o) { return o.type != "table"; });
  ApplyHeaders(target, settings);
}

TempFile RebuiltCopy(SqliteConnection& source, const std::string& file, const std::string& path) {
  if (PassesIntegrityCheck(source)) {
    TempFile copy(file);
    try {
      VacuumInto(source, copy.path());
      ReindexAndVerify(copy.path());
      return copy;
    } catch (const SqliteError&) {
      // Not final: the table-by-table rebuild below copies less and may still succeed.
    }
  }
  TempFile copy(file);
  try {
    RebuildTableByTable(source, copy.path());
    ReindexAndVerify(copy.path());
  } catch (const SqliteError& error) {
    Fail(path, std::string("the database is damaged beyond Repair (") + error.what() + ").");
  }
  return copy;
}

// Keeps the original's permissions and, where allowed, its owner.
void TakeOverAttributes(int descriptor, const struct stat& original) {
  if (::fchmod(descriptor, original.st_mode & 07777) != 0) {
    throw std::system_error(errno, std::generic_category(), "fchmod");
  }
  if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
    // Only a privileged process may hand a file to someone else; otherwise the rebuilt file
    // belongs to whoever ran the repair, like any file saved by replacing it.
    static_cast<void>(::fchown(descriptor, original.st_uid, original.st_gid));
  }
}

void ReplaceOriginal(TempFile& copy, const std::string& file, const std::string& path) {
  struct stat original {};
  if (::stat(file.c_str(), &original) != 0) {
    Fail(path, "the file disappeared during the repair.");
  }
  FileDescriptor rebuilt =
      CheckedDescriptor(::open(copy.path().c_str(), O_RDWR | O_CLOEXEC), "open");
  TakeOverAttributes(rebuilt.Get(), original);
  if (::fsync(rebuilt.Get()) != 0) {
    throw std::system_error(errno, std::generic_category(), "fsync");
  }
  CloseOrThrow(rebuilt);
  copy.MoveOver(file);
  try {
    SyncFolder(FolderOf(file));
  } catch (const std::system_error& error) {
    Fail(path, "the repaired file is in place, but its folder could not be flushed to disk (" +
                   error.code().message() + ").");
  }
}

}  // namespace

void RepairDatabase(const std::string& path) {
  const std::string file = UsableFile(path);
  try {
    SqliteConnection source(file);
    RequireRollbackJournalDatabase(source.get(), path);
    LockExclusively(source, path);
    TempFile copy = RebuiltCopy(source, file, path);
    ReplaceOriginal(copy, file, path);
  } catch (const SqliteError& error) {
    Fail(path, std::string("it cannot be opened (") + error.what() + ").");
  } catch (const std::system_error& error) {
    Fail(path, "its repaired copy cannot be written beside it (" + error.code().message() + ").");
  }
}

}  // namespace brivanto::standin
