#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <stdio.h>  // popen

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "JetFile.h"
#include "OdbcTestEnvironment.h"

namespace brivanto::testing::jet {
namespace {

namespace fs = std::filesystem;

// Every value is read back through MDB Tools, the command-line tools and the ODBC driver.
struct VersionCase {
  Version version;
  const char* versionName;  // as mdb-ver prints it
  std::size_t pageSize;
};

void PrintTo(const VersionCase& versionCase, std::ostream* out) {
  *out << versionCase.versionName;
}

class JetFileTest : public ::testing::TestWithParam<VersionCase> {
 protected:
  void SetUp() override { WriteJetFile(file_, GetParam().version, tables_); }

  static std::string Repeated(const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
      text += piece;
    }
    return text;
  }

  static Table Settings() {
    return {"tblSettings",
            {{"Section"}, {"sKey"}, {"Value"}},
            {{"Storage", "DocumentPath", "C:\\Brivanto\\Images"},
             {"License", "LoggedOn1", "Jan"},
             {"License", "LoggedOn2", std::nullopt},
             {"License", "LoggedOnCafé", "café, 5 € \"quoted\""},
             {"Layout", "Long", Repeated("abcdé", 51)}}};  // 255 characters
  }

  // Enough long rows that the inline usage map cannot cover the pages.
  static Table Big() {
    Table table{"tblBig", {{"Id", ColumnType::Long}, {"Label"}, {"Amount", ColumnType::Long}}, {}};
    for (int id = 1; id <= 10000; ++id) {
      const std::string label = "Row " + std::to_string(id) + " ";
      table.rows.push_back({std::to_string(id), label + std::string(200 - label.size(), 'x'),
                            id % 7 == 0 ? std::nullopt : Value(std::to_string(-3 * id))});
    }
    return table;
  }

  // Rows past 256 bytes, whose Jet 3 offsets need the jump table, with and without gaps.
  static Table Wide() {
    const std::string full = Repeated("wxyzé", 51);
    return {"tblWide",
            {{"A"}, {"B"}, {"C"}, {"D"}, {"E"}},
            {{full, full, full, full, full},
             {full, std::nullopt, full, "x", full},
             {std::nullopt, std::nullopt, std::nullopt, std::nullopt, full},
             {"a", "b", std::nullopt, full, std::nullopt}}};
  }

  static Table Empty() { return {"tblEmpty", {{"Id", ColumnType::Long}, {"Name"}}, {}}; }

  OdbcTestEnvironment environment_;
  fs::path file_ = environment_.WorkDirectory() / "written.mdb";
  std::vector<Table> tables_{Settings(), Big(), Wide(), Empty()};
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// Runs an MDB Tools program found on PATH and returns what it printed.
std::string RunMdbTool(const std::string& tool, const std::vector<std::string>& arguments) {
  bool found = false;
  std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
  for (std::string folder; std::getline(path, folder, ':') && !found;) {
    found = !folder.empty() && fs::exists(fs::path(folder) / tool);
  }
  if (!found) {
    ADD_FAILURE() << tool << " is not on PATH: install the package mdbtools";
    return {};
  }
  // Jet 3 text must be read in the default code page, Windows-1252, and come out as UTF-8.
  std::string command = "env -u MDB_JET3_CHARSET -u MDBICONV " + tool;
  for (const std::string& argument : arguments) {
    command += " " + Quoted(argument);
  }
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  for (int c = 0; pipe && (c = fgetc(pipe.get())) != EOF;) {
    output += static_cast<char>(c);
  }
  return output;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) {
    parts.push_back(part);
  }
  return parts;
}

std::vector<Row> Export(const fs::path& file, const std::string& table) {
  const std::string kNull = "\x1a";
  const std::string output =
      RunMdbTool("mdb-export", {"-H", "-Q", "-d", "\x1f", "-R", "\x1e", "-0", kNull, file, table});
  std::vector<Row> rows;
  for (const std::string& line : Split(output, '\x1e')) {
    Row& row = rows.emplace_back();
    for (const std::string& field : Split(line + '\x1f', '\x1f')) {
      row.push_back(field == kNull ? std::nullopt : Value(field));
    }
  }
  return rows;
}

TEST_P(JetFileTest, MdbToolsSeeTheVersionAndTheUserTables) {
  EXPECT_EQ(RunMdbTool("mdb-ver", {file_}), std::string(GetParam().versionName) + "\n");
  EXPECT_EQ(RunMdbTool("mdb-tables", {"-1", file_}), "tblSettings\ntblBig\ntblWide\ntblEmpty\n");
  std::ifstream in(file_, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(bytes.substr(0, 20), std::string("\0\1\0\0Standard Jet DB\0", 20));
  ASSERT_EQ(bytes.size() % GetParam().pageSize, 0u);
  bool bitmapPage = false;  // tblBig's pages are too many for an inline usage map
  for (std::size_t page = 0; page < bytes.size(); page += GetParam().pageSize) {
    bitmapPage = bitmapPage || bytes[page] == '\x05';
  }
  EXPECT_TRUE(bitmapPage);
}

TEST_P(JetFileTest, MdbExportReadsEveryValueBack) {
  for (const Table& table : tables_) {
    SCOPED_TRACE(table.name);
    const std::vector<Row> rows = Export(file_, table.name);
    ASSERT_EQ(rows.size(), table.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      ASSERT_EQ(rows[i], table.rows[i]) << "row " << i;
    }
  }
}

// A handle of unixODBC, freed when it goes.
class OdbcHandle {
 public:
  OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
      throw std::runtime_error("SQLAllocHandle failed");
    }
  }
  ~OdbcHandle() { SQLFreeHandle(type_, handle_); }
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
  SQLHANDLE Get() const { return handle_; }

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

std::vector<Row> QueryThroughMdbToolsDriver(const fs::path& file, const std::string& sql) {
  if (!fs::exists(BRIVANTO_MDBTOOLS_ODBC_DRIVER)) {
    ADD_FAILURE() << BRIVANTO_MDBTOOLS_ODBC_DRIVER << " is missing: install odbc-mdbtools";
    return {};
  }
  const OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  const OdbcHandle connection(SQL_HANDLE_DBC, environment.Get());
  std::string text =
      std::string("Driver=") + BRIVANTO_MDBTOOLS_ODBC_DRIVER + ";DBQ=" + file.string();
  if (!SQL_SUCCEEDED(SQLDriverConnect(connection.Get(), nullptr,
                                      reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                      nullptr, SQL_DRIVER_NOPROMPT))) {
    ADD_FAILURE() << "cannot connect: " << text;
    return {};
  }
  std::vector<Row> rows;
  {
    const OdbcHandle statement(SQL_HANDLE_STMT, connection.Get());
    std::string query = sql;
    EXPECT_TRUE(SQL_SUCCEEDED(
        SQLExecDirect(statement.Get(), reinterpret_cast<SQLCHAR*>(query.data()), SQL_NTS)));
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement.Get(), &columns);
    while (SQL_SUCCEEDED(SQLFetch(statement.Get()))) {
      Row& row = rows.emplace_back();
      for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        char buffer[1024] = {};
        SQLLEN length = 0;
        SQLGetData(statement.Get(), column, SQL_C_CHAR, buffer, sizeof buffer, &length);
        row.push_back(length == SQL_NULL_DATA ? std::nullopt : Value(buffer));
      }
    }
  }
  SQLDisconnect(connection.Get());
  return rows;
}

TEST_P(JetFileTest, MdbToolsOdbcDriverSelectsTheLoggedOnRows) {
  const std::vector<Row> rows = QueryThroughMdbToolsDriver(
      file_, "Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'");
  const std::vector<Row> expected(tables_[0].rows.begin() + 1, tables_[0].rows.begin() + 4);
  EXPECT_EQ(rows, expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, JetFileTest,
                         ::testing::Values(VersionCase{Version::Jet3, "JET3", 2048},
                                           VersionCase{Version::Jet4, "JET4", 4096}),
                         [](const auto& info) { return std::string(info.param.versionName); });

// What the format cannot hold is refused, not written wrongly.
struct RefusedCase {
  const char* what;
  Version version;
  Column column;
  std::string value;
};

TEST(JetFileRefusalTest, RefusesWhatTheFormatCannotHold) {
  const RefusedCase cases[] = {
      {"Greek in Jet 3", Version::Jet3, {"T"}, "Ω"},
      {"outside UCS-2", Version::Jet4, {"T"}, "\xF0\x9F\x98\x80"},
      {"longer than the column", Version::Jet4, {"T", ColumnType::Text, 10}, "12345678901"},
      {"256 characters", Version::Jet3, {"T"}, std::string(256, 'a')},
      {"invalid UTF-8", Version::Jet4, {"T"}, "caf\xE9"},
      {"not a number", Version::Jet3, {"N", ColumnType::Long}, "12x"},
      {"beyond 32 bits", Version::Jet4, {"N", ColumnType::Long}, "2147483648"},
  };
  OdbcTestEnvironment environment;
  for (const RefusedCase& refused : cases) {
    SCOPED_TRACE(refused.what);
    const Table table{"tblRefused", {refused.column}, {{refused.value}}};
    EXPECT_THROW(
        WriteJetFile(environment.WorkDirectory() / "refused.mdb", refused.version, {table}),
        std::runtime_error);
  }
}

}  // namespace
}  // namespace brivanto::testing::jet
