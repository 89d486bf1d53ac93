// Lists "select * from" a table of N rows through the SQL console, over the real ODBC layer and
// the Access stand-in, and times unixODBC's isql fetching the same query through the same
// driver. Usage: bench_console [rows ...]   (default: 100000 1000000)

#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "BenchEnvironment.h"
#include "OdbcDatabase.h"
#include "database/ConnectionHolder.h"
#include "database/ConnectionText.h"
#include "maintenance/LineStore.h"
#include "maintenance/Panel.h"
#include "maintenance/ResultLines.h"
#include "maintenance/SqlConsole.h"
#include "ports/Failure.h"

#ifdef BRIVANTO_BENCH_QT_LIST
#include <QApplication>
#include <QListView>

#include "QtClipboard.h"
#include "ResultListModel.h"
#endif

namespace {

namespace fs = std::filesystem;
using namespace brivanto;
using Stopwatch = std::chrono::steady_clock;

constexpr const char* kTable = "console_rows";
// The best of several runs, taken in turns, keeps other work on a shared machine out of the
// figures as far as possible.
constexpr int kRepetitions = 3;
// Lines of a run besides its rows: start, blank, spacer, count, three blanks and the end line.
constexpr std::size_t kFrameLines = 8;

double MillisecondsSince(Stopwatch::time_point start) {
  return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

void SetEnvironment(const char* name, const std::string& value) {
  if (setenv(name, value.c_str(), 1) != 0) {
    throw std::system_error(errno, std::generic_category(), "setenv");
  }
}

class SqliteFile {
 public:
  explicit SqliteFile(const fs::path& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
      const std::string message = sqlite3_errmsg(db_);
      sqlite3_close(db_);
      throw std::runtime_error("sqlite: " + message);
    }
  }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;
  // Every statement is finalized before this runs, so closing cannot be refused.
  ~SqliteFile() { sqlite3_close(db_); }

  void Execute(const std::string& sql) {
    Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr));
  }
  void Check(int code) const {
    if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
      throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_));
    }
  }
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// Four columns: text, integer, real and one that is always null.
void FillTable(const fs::path& path, std::size_t rows) {
  SqliteFile file(path);
  file.Execute(std::string("drop table if exists ") + kTable);
  file.Execute(std::string("create table ") + kTable +
               " (name text, quantity integer, price real, note text)");
  file.Execute("begin");
  sqlite3_stmt* raw = nullptr;
  file.Check(sqlite3_prepare_v2(
      file.Handle(), (std::string("insert into ") + kTable + " values (?, ?, ?, null)").c_str(), -1,
      &raw, nullptr));
  const Statement insert(raw, &sqlite3_finalize);
  for (std::size_t row = 0; row < rows; ++row) {
    const std::string name = "Artikel " + std::to_string(row);
    file.Check(sqlite3_bind_text(insert.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT));
    file.Check(sqlite3_bind_int64(insert.get(), 2, static_cast<sqlite3_int64>(row)));
    file.Check(sqlite3_bind_double(insert.get(), 3, static_cast<double>(row) * 0.25 + 0.5));
    file.Check(sqlite3_step(insert.get()));
    file.Check(sqlite3_reset(insert.get()));
  }
  file.Execute("commit");
}

#ifdef BRIVANTO_BENCH_QT_LIST
// The window's own list: the model the frontend gives lstResult, shown in a list view set up
// the same way, so announcing and laying out the rows is part of the time.
class ListUnderTest {
 public:
  ListUnderTest() : model_(new qt::ResultListModel(&view_)) {
    view_.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_.setUniformItemSizes(true);
    view_.setModel(model_);
    model_->WatchSelection(view_.selectionModel());
    view_.resize(600, 380);
    view_.show();
  }
  static const char* Kind() { return "ResultListModel in a QListView (Qt, offscreen)"; }
  ports::ResultList& Results() { return *model_; }
  void Settle() {
    model_->Flush();
    QCoreApplication::processEvents();
  }
  void SelectAll() { view_.selectAll(); }
  bool PutOnClipboard(const std::string& text) { return qt::QtClipboard().SetText(text); }

 private:
  QListView view_;
  qt::ResultListModel* model_;
};
#else
class ListUnderTest : public ports::ResultList {
 public:
  static const char* Kind() { return "LineStore-backed ResultList"; }
  ports::ResultList& Results() { return *this; }
  void Settle() {}
  void SelectAll() { selectAll_ = true; }
  bool PutOnClipboard(const std::string&) { return false; }

  void Clear() override { lines_.Clear(); }
  void Append(std::string_view line) override { lines_.Append(line); }
  std::size_t Count() const override { return lines_.Count(); }
  std::string_view Line(std::size_t index) const override { return lines_.Line(index); }
  bool IsSelected(std::size_t) const override { return selectAll_; }

 private:
  maintenance::LineStore lines_;
  bool selectAll_ = false;
};
#endif

std::string Query() {
  return std::string("select * from ") + kTable;
}

void RequireCompleteListing(const ports::ResultList& results, std::size_t rows) {
  const std::size_t count = results.Count();
  const std::string last(count == 0 ? std::string_view() : results.Line(count - 1));
  if (count != rows + kFrameLines ||
      results.Line(rows + 3) != maintenance::CountLine(static_cast<std::int32_t>(rows)) ||
      last.rfind("Einde Query ", 0) != 0) {
    throw std::runtime_error("console listed " + std::to_string(count) + " lines, last: " + last);
  }
}

double TimeConsole(const std::string& connectionText, ListUnderTest& list, std::size_t rows) {
  bench::SystemClock clock;
  bench::SteadyTicks ticks;
  list.Results().Clear();
  list.Settle();
  const auto start = Stopwatch::now();
  {
    odbc::OdbcDatabase database;
    database::ConnectionHolder connection;
    connection.Replace(database.CreateConnection());
    connection.Get().Open(connectionText);
    maintenance::SqlConsole(list.Results(), connection, clock, ticks).Run(Query());
    list.Settle();
  }
  const double elapsed = MillisecondsSince(start);
  RequireCompleteListing(list.Results(), rows);
  return elapsed;
}

std::string IsqlCommand(const std::string& connectionText, const fs::path& queryFile) {
  return "isql -b -v -k '" + connectionText + "' < '" + queryFile.string() + "'";
}

double TimeIsql(const std::string& command) {
  const auto start = Stopwatch::now();
  const int status = std::system((command + " > /dev/null").c_str());
  const double elapsed = MillisecondsSince(start);
  if (status != 0) {
    throw std::runtime_error("isql failed with status " + std::to_string(status));
  }
  return elapsed;
}

// isql prints one line per row plus a frame; fewer lines than rows means it did not read them.
void RequireIsqlReadsAllRows(const std::string& command, std::size_t rows) {
  const std::unique_ptr<FILE, decltype(&pclose)> output(popen((command + " | wc -l").c_str(), "r"),
                                                        &pclose);
  unsigned long long lines = 0;
  if (!output || std::fscanf(output.get(), "%llu", &lines) != 1 || lines < rows) {
    throw std::runtime_error("isql did not list " + std::to_string(rows) + " rows");
  }
}

struct Timing {
  double consoleMs;
  double isqlMs;
  double Ratio() const { return consoleMs / isqlMs; }
};

Timing Measure(const fs::path& directory, ListUnderTest& list, std::size_t rows) {
  const fs::path databaseFile = directory / ("rows" + std::to_string(rows) + ".mdb");
  FillTable(databaseFile, rows);
  const std::string connectionText = database::ConnectionText(databaseFile.string());
  const fs::path queryFile = directory / "query.sql";
  bench::WriteFile(queryFile, Query() + "\n");
  const std::string isql = IsqlCommand(connectionText, queryFile);
  RequireIsqlReadsAllRows(isql, rows);

  Timing best{1e300, 1e300};
  for (int repetition = 0; repetition < kRepetitions; ++repetition) {
    best.isqlMs = std::min(best.isqlMs, TimeIsql(isql));
    best.consoleMs = std::min(best.consoleMs, TimeConsole(connectionText, list, rows));
  }
  fs::remove(databaseFile);
  return best;
}

// The copy command over every listed line: the text must be built in one linear pass.
void CopyEverything(ListUnderTest& list) {
  list.SelectAll();
  const auto start = Stopwatch::now();
  const std::string text = maintenance::SelectedText(list.Results());
  const double buildMs = MillisecondsSince(start);
  std::size_t expected = 0;
  for (std::size_t index = 0; index < list.Results().Count(); ++index) {
    expected += list.Results().Line(index).size() + 2;
  }
  if (text.size() != expected) {
    throw std::runtime_error("copy text has " + std::to_string(text.size()) + " bytes, expected " +
                             std::to_string(expected));
  }
  const auto clipboardStart = Stopwatch::now();
  const bool onClipboard = list.PutOnClipboard(text);
  std::cout << "copy_all lines=" << list.Results().Count() << " bytes=" << text.size()
            << " build_ms=" << static_cast<long long>(buildMs);
  if (onClipboard) {
    std::cout << " clipboard_ms=" << static_cast<long long>(MillisecondsSince(clipboardStart));
  }
  std::cout << std::endl;
}

long PeakResidentMegabytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) {
    throw std::system_error(errno, std::generic_category(), "getrusage");
  }
  return (usage.ru_maxrss + 1023) / 1024;  // kilobytes on Linux
}

std::vector<std::size_t> RowCounts(int argc, char** argv) {
  std::vector<std::size_t> counts;
  for (int index = 1; index < argc; ++index) {
    counts.push_back(std::stoul(argv[index]));
  }
  if (counts.empty()) {
    counts = {100000, 1000000};
  }
  return counts;
}

int Run(const std::vector<std::size_t>& rowCounts) {
  const bench::BenchEnvironment environment;
  ListUnderTest list;
  std::cout << "result list: " << ListUnderTest::Kind() << std::endl;
  double lastRatio = 0;
  for (const std::size_t rows : rowCounts) {
    const Timing timing = Measure(environment.WorkDirectory(), list, rows);
    lastRatio = timing.Ratio();
    std::printf("rows=%zu console_ms=%.0f isql_ms=%.0f ratio=%.2f peak_rss_mb_so_far=%ld\n", rows,
                timing.consoleMs, timing.isqlMs, lastRatio, PeakResidentMegabytes());
    // Only to show each size's line while the next runs; a failing stdout fails the final line.
    static_cast<void>(std::fflush(stdout));
  }
  CopyEverything(list);
  std::printf("console_vs_isql=%.2f peak_rss_mb=%ld\n", lastRatio, PeakResidentMegabytes());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::size_t> rowCounts = RowCounts(argc, argv);
#ifdef BRIVANTO_BENCH_QT_LIST
    // Headless unless the caller chose a platform.
    if (getenv("QT_QPA_PLATFORM") == nullptr) {
      SetEnvironment("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
#endif
    return Run(rowCounts);
  } catch (const Failure& failure) {
    std::cerr << "bench_console: " << failure.Number() << " " << failure.Description() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "bench_console: " << error.what() << "\n";
  }
  return 1;
}
