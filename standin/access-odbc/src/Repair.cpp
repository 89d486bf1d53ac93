#include "Repair.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "ConnectionString.h"
#include "DatabasePath.h"
#include "JetConnection.h"
#include "MdbToolsDriver.h"
#include "Messages.h"
#include "SqliteConnection.h"
#include "TempFile.h"

namespace brivanto::standin {
namespace {

// Long enough to ride out a connection that is just closing, short enough not to hang the
// caller behind a program that keeps the database open.
constexpr int kBusyTimeoutMilliseconds = 200;

constexpr char kRebuiltSchema[] = "brivanto_rebuilt";

// Lets a test make a named step fail as if SQLite had failed there. Compiled into test builds
// only, and even there inert unless the environment names the step.
bool TestAsksToFailAt([[maybe_unused]] const char* stage) {
#ifdef BRIVANTO_STANDIN_TEST_HOOKS
  const char* wanted = std::getenv("BRIVANTO_STANDIN_TEST_FAIL_AT");
  return wanted != nullptr && std::strcmp(wanted, stage) == 0;
#else
  return false;
#endif
}

void FailForTest(const char* stage, int code) {
  if (TestAsksToFailAt(stage)) {
    throw SqliteError(code, std::string("injected failure at ") + stage);
  }
}

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

// A database in write-ahead-log mode keeps committed data in a -wal file beside it, which the
// rebuild would not see and which would be replayed over the written-back content.
void RequireRollbackJournalDatabase(sqlite3* db, const std::string& path) {
  const std::array<unsigned char, 100> header = ReadHeader(db, path);
  if (std::memcmp(header.data(), kJetSignature.data(), kJetSignature.size()) == 0) {
    throw RepairError(std::string(kMessagePrefix) + JetRepairRefusal(path));
  }
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
// held until the connection closes, i.e. until the rebuild has been written back into the file.
void LockExclusively(SqliteConnection& source, const std::string& path) {
  Check(source.get(), sqlite3_busy_timeout(source.get(), kBusyTimeoutMilliseconds));
  try {
    FailForTest("lock", SQLITE_BUSY);
    source.Execute("PRAGMA main.locking_mode=EXCLUSIVE");
    source.Execute("BEGIN EXCLUSIVE");
    source.Execute("COMMIT");
  } catch (const SqliteError& error) {
    if (error.code() == SQLITE_BUSY || error.code() == SQLITE_LOCKED) {
      // The Access driver speaks the language of Windows, Dutch here.
      throw RepairError(std::string(kMessagePrefix) + "Kan '" + path +
                        "' niet herstellen: de database is in gebruik door een ander programma of "
                        "een andere verbinding. Beëindig die en probeer het opnieuw.");
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
    FailForTest("integrity", SQLITE_CORRUPT);
    const std::vector<std::string> findings = db.Texts("PRAGMA integrity_check");
    return findings.size() == 1 && findings.front() == "ok";
  } catch (const SqliteError&) {
    return false;
  }
}

void ReindexAndVerify(const std::string& copy) {
  SqliteConnection rebuilt(copy);
  rebuilt.Execute("REINDEX");
  FailForTest("verify", SQLITE_CORRUPT);
  const std::vector<std::string> findings = rebuilt.Texts("PRAGMA integrity_check");
  if (findings.size() != 1 || findings.front() != "ok") {
    throw SqliteError(SQLITE_CORRUPT, "the rebuilt copy fails its integrity check: " +
                                          (findings.empty() ? std::string() : findings.front()));
  }
}

void VacuumInto(SqliteConnection& source, const std::string& copy) {
  FailForTest("rebuild", SQLITE_IOERR);
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

// Disk space and I/O failures say nothing about the database; anything else met while reading
// it does.
bool IsDamage(const SqliteError& error) {
  switch (error.code() & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_NOMEM:
      return false;
    default:
      return true;
  }
}

[[noreturn]] void FailForLackOfResources(const std::string& path, const std::string& step,
                                         const std::string& reason, bool out_of_space) {
  Fail(path, (out_of_space ? "not enough disk space to " : "the system failed to ") + step + " (" +
                 reason + "); the database was not changed.");
}

[[noreturn]] void FailForLackOfResources(const std::string& path, const std::string& step,
                                         const SqliteError& error) {
  FailForLackOfResources(path, step, error.what(), (error.code() & 0xff) == SQLITE_FULL);
}

constexpr char kRebuildStep[] = "rebuild the database";
constexpr char kWriteBackStep[] = "write the repaired database back";

TempFile RebuiltCopy(SqliteConnection& source, const std::string& file, const std::string& path) {
  if (PassesIntegrityCheck(source)) {
    TempFile copy(file);
    try {
      VacuumInto(source, copy.path());
      ReindexAndVerify(copy.path());
      return copy;
    } catch (const SqliteError& error) {
      if (!IsDamage(error)) {
        FailForLackOfResources(path, kRebuildStep, error);
      }
      // Not final: the table-by-table rebuild below copies less and may still succeed.
    }
  }
  TempFile copy(file);
  try {
    RebuildTableByTable(source, copy.path());
    ReindexAndVerify(copy.path());
  } catch (const SqliteError& error) {
    if (!IsDamage(error)) {
      FailForLackOfResources(path, kRebuildStep, error);
    }
    Fail(path, std::string("the database is damaged beyond Repair (") + error.what() + ").");
  }
  return copy;
}

// SQLite opens a file it may not write read-only without a word, and the lock a read-only
// connection takes does not keep other writers out; so such a file is refused up front.
void RequireWritable(const std::string& file, const std::string& path) {
  if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) {
    Fail(path,
         "the file is read-only for this user (" + std::generic_category().message(errno) + ").");
  }
}

void RequireOpenedForWriting(SqliteConnection& source, const std::string& path) {
  if (sqlite3_db_readonly(source.get(), "main") != 0) {
    Fail(path, "the file is read-only for this user (it cannot be opened for writing).");
  }
}

// The lock covers the file SQLite opened; the repair must be of the file the path names now,
// not of one another program has since moved aside or replaced.
void RequireStillNamedByPath(SqliteConnection& source, const std::string& path) {
  int moved = 0;
  if (sqlite3_file_control(source.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK) {
    Fail(path, "the file cannot be checked (SQLite cannot tell whether it was replaced).");
  }
  if (moved != 0) {
    Fail(path, "the file was moved or replaced by another program during the repair; try again.");
  }
}

// Lets a test stop the repair at a named point to interrupt it there. Compiled into test builds
// only, and even there inert unless the environment asks for it.
void PauseForTest([[maybe_unused]] const char* stage) {
#ifdef BRIVANTO_STANDIN_TEST_HOOKS
  const char* wanted = std::getenv("BRIVANTO_STANDIN_TEST_PAUSE_AT");
  if (wanted != nullptr && std::strcmp(wanted, stage) == 0) {
    // A stop that cannot be raised just lets the repair run on.
    static_cast<void>(std::raise(SIGSTOP));
  }
#endif
}

// A write-back failing halfway, with a first page already written inside the transaction.
void FailHalfwayForTest(sqlite3_backup* backup) {
  if (TestAsksToFailAt("write-back")) {
    // Its result does not matter: the failure that follows is the one under test.
    static_cast<void>(sqlite3_backup_step(backup, 1));
    FailForTest("write-back", SQLITE_IOERR);
  }
}

struct BackupFinisher {
  // Only reached when a failure is already being reported.
  void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

// Copies the verified rebuild page by page into the original file itself, in one transaction of
// the connection that has held the exclusive lock since before the rebuild: no commit of anyone
// else fits in between, the rollback journal leaves either the old or the new content after a
// crash, and the file keeps its inode, owner, mode, links and extended attributes, so every
// connection still open on it, idle ones too, sees the repaired content.
void WriteBack(SqliteConnection& original, const std::string& copy) {
  SqliteConnection rebuilt(copy);
  std::unique_ptr<sqlite3_backup, BackupFinisher> backup(
      sqlite3_backup_init(original.get(), "main", rebuilt.get(), "main"));
  if (!backup) {
    Check(original.get(), sqlite3_errcode(original.get()));
    throw SqliteError(SQLITE_ERROR, "the write-back cannot start");
  }
  FailHalfwayForTest(backup.get());
  const int stepped = sqlite3_backup_step(backup.get(), -1);
  const int finished = sqlite3_backup_finish(backup.release());
  Check(original.get(), stepped == SQLITE_DONE ? finished : stepped);
}

}  // namespace

void RepairDatabase(const std::string& path) {
  const std::string file = UsableFile(path);
  RequireWritable(file, path);
  RemoveAbandonedTempFiles(FolderOf(file));
  try {
    SqliteConnection source(file);
    RequireOpenedForWriting(source, path);
    RequireRollbackJournalDatabase(source.get(), path);
    LockExclusively(source, path);
    RequireStillNamedByPath(source, path);
    const TempFile copy = RebuiltCopy(source, file, path);
    PauseForTest("rebuilt");
    RequireStillNamedByPath(source, path);
    try {
      WriteBack(source, copy.path());
    } catch (const SqliteError& error) {
      FailForLackOfResources(path, kWriteBackStep, error);
    }
  } catch (const SqliteError& error) {
    Fail(path, std::string("it cannot be opened (") + error.what() + ").");
  } catch (const std::system_error& error) {
    const int code = error.code().value();
    if (code == ENOSPC || code == EDQUOT) {
      FailForLackOfResources(path, kRebuildStep, error.code().message(), true);
    }
    Fail(path, "its repaired copy cannot be written beside it (" + error.code().message() + ").");
  }
}

}  // namespace brivanto::standin
