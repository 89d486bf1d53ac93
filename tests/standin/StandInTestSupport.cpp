#include "StandInTestSupport.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <linux/capability.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "OdbcTestEnvironment.h"

namespace brivanto::standin::test {
namespace {

std::filesystem::path MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brivanto-standin-XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  return pattern;
}

// Registers the data source in the tests' private unixODBC configuration, for the whole run. It
// is written before the first ODBC call, because unixODBC caches what it has read.
class OdbcRegistration : public ::testing::Environment {
 public:
  void SetUp() override {
    testing::OdbcTestEnvironment::WriteOdbcIni(std::string("[") + kDataSourceName + "]\n" +
                                               "Driver=" + kDriverName + "\n" +
                                               "DBQ=" + DataSourceDatabase() + "\n");
  }
};

const auto* const registration = ::testing::AddGlobalTestEnvironment(new OdbcRegistration);

std::string RowOf(SQLHSTMT statement, SQLSMALLINT columns) {
  std::string row;
  for (SQLUSMALLINT column = 1; column <= columns; ++column) {
    std::array<char, 1024> value{};
    SQLLEN indicator = 0;
    SQLGetData(statement, column, SQL_C_CHAR, value.data(), value.size(), &indicator);
    row += (column > 1 ? "|" : "") +
           (indicator == SQL_NULL_DATA ? std::string("<null>") : std::string(value.data()));
  }
  return row;
}

}  // namespace

std::string DataSourceDatabase() {
  return (testing::OdbcTestEnvironment::ConfigDirectory() / "data source.mdb").string();
}

std::string AccessConnectionText(const std::string& database) {
  return std::string("driver={") + kDriverName + "};DBQ=" + database + "; pwd=Gk58w2n7;";
}

TempDir::TempDir() : path_(MakeTempDir()) {}

TempDir::~TempDir() {
  std::error_code ignored;  // a leftover temp folder must not fail a test
  std::filesystem::remove_all(path_, ignored);
}

std::optional<DiagnosticRecord> FirstDiagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  std::array<SQLCHAR, 6> sqlstate{};
  std::array<SQLCHAR, 1024> message{};
  DiagnosticRecord record;
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, sqlstate.data(), &record.native_error,
                                   message.data(), message.size(), &length))) {
    return std::nullopt;
  }
  record.sqlstate = reinterpret_cast<const char*>(sqlstate.data());
  record.message = reinterpret_cast<const char*>(message.data());
  return record;
}

std::vector<DiagnosticRecord> AllDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  for (SQLSMALLINT number = 1;; ++number) {
    std::array<SQLCHAR, 6> sqlstate{};
    std::array<SQLCHAR, 1024> message{};
    DiagnosticRecord record;
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, number, sqlstate.data(), &record.native_error,
                                     message.data(), message.size(), &length))) {
      return records;
    }
    record.sqlstate = reinterpret_cast<const char*>(sqlstate.data());
    record.message = reinterpret_cast<const char*>(message.data());
    records.push_back(record);
  }
}

std::vector<std::string> Sqlstates(const std::vector<DiagnosticRecord>& records) {
  std::vector<std::string> states;
  states.reserve(records.size());
  for (const DiagnosticRecord& record : records) {
    states.push_back(record.sqlstate);
  }
  return states;
}

std::string InWindows1252(const std::string& utf8) {
  iconv_t converter = ::iconv_open("WINDOWS-1252", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw std::system_error(errno, std::generic_category(), "iconv_open");
  }
  std::string in = utf8;
  std::string out(utf8.size(), '\0');
  char* in_pointer = in.data();
  char* out_pointer = out.data();
  size_t in_left = in.size();
  size_t out_left = out.size();
  const size_t converted = ::iconv(converter, &in_pointer, &in_left, &out_pointer, &out_left);
  ::iconv_close(converter);
  if (converted == static_cast<size_t>(-1)) {
    throw std::runtime_error("not in Windows-1252: " + utf8);
  }
  out.resize(out.size() - out_left);
  return out;
}

OdbcEnvironment::OdbcEnvironment(SQLULEN version) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_)) ||
      !SQL_SUCCEEDED(SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION,
                                   reinterpret_cast<SQLPOINTER>(version), 0))) {
    throw std::runtime_error("cannot set up an ODBC environment");
  }
}

OdbcEnvironment::~OdbcEnvironment() {
  SQLFreeHandle(SQL_HANDLE_ENV, handle_);
}

OdbcConnection::OdbcConnection(const OdbcEnvironment& environment) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment.get(), &handle_))) {
    throw std::runtime_error("cannot allocate an ODBC connection");
  }
}

OdbcConnection::~OdbcConnection() {
  if (connected_) {
    SQLDisconnect(handle_);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, handle_);
}

SQLRETURN OdbcConnection::Connect(const std::string& text, std::string* completed) {
  std::array<SQLCHAR, 4096> out{};
  SQLSMALLINT out_length = 0;
  std::string in = text;
  const SQLRETURN rc =
      SQLDriverConnect(handle_, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out.data(),
                       out.size(), &out_length, SQL_DRIVER_NOPROMPT);
  connected_ = SQL_SUCCEEDED(rc);
  if (completed != nullptr) {
    *completed = reinterpret_cast<const char*>(out.data());
  }
  return rc;
}

std::vector<std::string> OdbcConnection::Query(const std::string& sql) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handle_, &statement))) {
    return {"error: cannot allocate a statement"};
  }
  std::string text = sql;
  std::vector<std::string> rows;
  if (!SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS))) {
    // The Access driver puts the record that explains a failure last.
    const std::vector<DiagnosticRecord> records = AllDiagnostics(SQL_HANDLE_STMT, statement);
    rows.push_back("error: " + (records.empty() ? std::string("?") : records.back().message));
  } else {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement, &columns);
    while (columns > 0 && SQL_SUCCEEDED(SQLFetch(statement))) {
      rows.push_back(RowOf(statement, columns));
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return rows;
}

OdbcStatement::OdbcStatement(const OdbcConnection& connection) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.get(), &handle_))) {
    throw std::runtime_error("cannot allocate an ODBC statement");
  }
}

OdbcStatement::~OdbcStatement() {
  SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

SQLRETURN OdbcStatement::Execute(const std::string& sql) {
  std::string text = sql;
  return SQLExecDirect(handle_, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
}

SQLRETURN OdbcStatement::Prepare(const std::string& sql) {
  std::string text = sql;
  return SQLPrepare(handle_, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
}

std::string OdbcStatement::Text(SQLUSMALLINT column) {
  std::array<char, 8192> value{};
  SQLLEN indicator = 0;
  if (!SQL_SUCCEEDED(
          SQLGetData(handle_, column, SQL_C_CHAR, value.data(), value.size(), &indicator))) {
    return "<error>";
  }
  return indicator == SQL_NULL_DATA ? "<null>" : value.data();
}

ConnectedDatabase::ConnectedDatabase(const std::string& path)
    : path_(path), connection_(environment_) {
  CreateSettingsDatabase(path);
  if (!SQL_SUCCEEDED(connection_.Connect(AccessConnectionText(path)))) {
    throw std::runtime_error("cannot connect to " + path);
  }
}

SqliteFile::SqliteFile(const std::string& path, bool create) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + path + ": " + message);
  }
}

SqliteFile::~SqliteFile() {
  sqlite3_close(db_);
}

void SqliteFile::Execute(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error != nullptr ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(sql + ": " + message);
  }
}

std::vector<std::string> SqliteFile::Query(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    return {std::string("error: ") + sqlite3_errmsg(db_)};
  }
  std::vector<std::string> rows;
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    std::string row;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      const auto* value = sqlite3_column_text(statement, column);
      row += (column > 0 ? "|" : "") +
             (value == nullptr ? std::string("<null>") : reinterpret_cast<const char*>(value));
    }
    rows.push_back(row);
  }
  if (rc != SQLITE_DONE) {
    rows.push_back(std::string("error: ") + sqlite3_errmsg(db_));
  }
  sqlite3_finalize(statement);
  return rows;
}

void CreateSettingsDatabase(const std::string& path) {
  SqliteFile db(path);
  db.Execute(
      "CREATE TABLE tblSettings(Section text, sKey text, Value text);"
      "INSERT INTO tblSettings VALUES ('Main', 'Version', '42');");
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> ListTree(const std::filesystem::path& folder) {
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    entries.insert(std::filesystem::relative(entry.path(), folder).string());
  }
  return entries;
}

std::string RepairAttributes(const std::string& database) {
  using namespace std::string_literals;
  return "REPAIR_DB=\""s + database + "\"\0PWD=Gk58w2n7\0\0"s;
}

bool Repair(const std::string& database) {
  return SQLConfigDataSource(nullptr, ODBC_ADD_DSN, "Microsoft Access Driver (*.MDB)",
                             RepairAttributes(database).c_str()) != 0;
}

InstallerMessage InstallerError() {
  InstallerMessage message;
  std::array<char, 1024> text{};
  WORD length = 0;
  // unixODBC writes the terminating NUL one past the size it is given.
  SQLInstallerError(1, &message.code, text.data(), text.size() - 1, &length);
  message.text = text.data();
  return message;
}

pid_t StartChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) {
    throw std::system_error(errno, std::generic_category(), "fork");
  }
  if (child == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    ::_exit(code);  // never back into the test framework from a child
  }
  return child;
}

int WaitFor(pid_t child, bool stopped_too) {
  int status = 0;
  if (::waitpid(child, &status, stopped_too ? WUNTRACED : 0) != child) {
    throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  return status;
}

pid_t EndedPid() {
  const pid_t child = StartChild([] { return 0; });
  WaitFor(child);
  return child;
}

bool StopOverridingFilePermissions() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> sets{};
  if (::syscall(SYS_capget, &header, sets.data()) != 0) {
    return false;
  }
  sets[0].effective &= ~(1U << CAP_DAC_OVERRIDE);
  sets[0].permitted &= ~(1U << CAP_DAC_OVERRIDE);
  return ::syscall(SYS_capset, &header, sets.data()) == 0;
}

TmpfsMount::TmpfsMount(const std::string& folder, const std::string& size) : folder_(folder) {
  const std::string options = "size=" + size;
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    failure_ = std::strerror(errno);
  }
}

TmpfsMount::~TmpfsMount() {
  if (failure_.empty()) {
    // A busy mount is detached lazily; nothing a destructor could do better.
    static_cast<void>(::umount2(folder_.c_str(), MNT_DETACH));
  }
}

}  // namespace brivanto::standin::test
