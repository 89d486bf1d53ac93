#pragma once

// In-memory stand-ins for every platform service, so the window's logic can be driven and
// observed without a screen, a registry or a database.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Services.h"
#include "ports/Failure.h"
#include "ports/FormView.h"

namespace brivanto::testing {

class FakeResultList : public ports::ResultList {
 public:
  void Clear() override { lines.clear(), selected.clear(); }
  void Append(std::string_view line) override {
    lines.emplace_back(line), selected.push_back(false);
  }
  std::size_t Count() const override { return lines.size(); }
  std::string_view Line(std::size_t index) const override { return lines.at(index); }
  bool IsSelected(std::size_t index) const override { return selected.at(index); }

  std::vector<std::string> lines;
  std::vector<bool> selected;
};

class FakeView : public ports::FormView {
 public:
  std::intptr_t WindowHandle() const override { return 0x1234; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetWindowHeightTwips(int height) override { outerHeight = height; }
  std::string PathText() const override { return path; }
  void SetPathText(const std::string& text) override { path = text; }
  std::string DirText() const override { return dir; }
  void SetDirText(const std::string& text) override { dir = text; }
  bool IsMaintenanceVisible() const override { return maintenanceVisible; }
  void SetMaintenanceVisible(bool visible) override { maintenanceVisible = visible; }
  void SetMaintenanceCaption(const std::string& text) override { maintenanceCaption = text; }
  std::string QueryText() const override { return query; }
  void SetQueryText(const std::string& text) override { query = text; }
  ports::ResultList& Results() override { return results; }

  std::string caption = "Repareren database";
  int outerHeight = 3285;
  std::string path;
  std::string dir;
  bool maintenanceVisible = false;
  std::string maintenanceCaption = "Onderhoud";
  std::string query;
  FakeResultList results;
};

struct ShownMessage {
  std::string text;
  int style;
  std::string title;
};

class FakeMessageBox : public ports::MessageDialog {
 public:
  int Show(const std::string& text, int style, const std::string& title) override {
    shown.push_back({text, style, title});
    if (answers.empty()) {
      return ports::message_box::kAnswerOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;
};

class FakeSettingsStore : public ports::SettingsStore {
 public:
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override {
    const auto found = values.find(Key(application, section, key));
    return found == values.end() ? defaultValue : found->second;
  }
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override {
    if (failSaves) {
      throw Failure(failure_codes::kFileAccess, "Instelling kan niet worden opgeslagen in " +
                                                    application + ".ini: Permission denied");
    }
    values[Key(application, section, key)] = value;
    saves.push_back(value);
  }
  static std::string Key(const std::string& application, const std::string& section,
                         const std::string& key) {
    return application + "|" + section + "|" + key;
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> saves;
  bool failSaves = false;
};

class FakeRegistryReader : public ports::RegistryReader {
 public:
  explicit FakeRegistryReader(std::map<std::string, std::string> values,
                              std::optional<Failure> failure)
      : values_(std::move(values)), failure_(std::move(failure)) {}
  void ReadString(std::uint32_t rootKey, const std::string& keyPath, const std::string& valueName,
                  std::string& value) override {
    if (failure_) {
      throw *failure_;
    }
    const auto found = values_.find(std::to_string(rootKey) + "\\" + keyPath + "\\" + valueName);
    if (found != values_.end()) {
      value = found->second;
    }
  }

 private:
  std::map<std::string, std::string> values_;
  std::optional<Failure> failure_;
};

class FakeRegistry : public ports::RegistryReaderFactory {
 public:
  std::unique_ptr<ports::RegistryReader> Create() override {
    if (createFailure) {
      throw *createFailure;
    }
    return std::make_unique<FakeRegistryReader>(values, readFailure);
  }
  void SetDataSource(const std::string& valueName, const std::string& value) {
    values[std::to_string(ports::kHkeyLocalMachine) + "\\SOFTWARE\\ODBC\\ODBC.INI\\BrivantoDb\\" +
           valueName] = value;
  }

  std::map<std::string, std::string> values;
  std::optional<Failure> createFailure;
  std::optional<Failure> readFailure;
};

// A table of text values: the rows a statement yields.
struct FakeTable {
  std::vector<std::string> columns;
  std::vector<std::vector<ports::FieldValue>> rows;
};

// A result that breaks down while it is read: at one field of `row` (any field when `field` is
// nullopt) or, with `onMoveNext`, when moving on from `row`.
struct FakeReadFault {
  Failure failure;
  std::size_t row = 0;
  std::optional<std::size_t> field;
  bool onMoveNext = false;
};

class FakeRecordset : public ports::Recordset {
 public:
  explicit FakeRecordset(std::optional<FakeTable> table, std::optional<Failure> failOnRow = {},
                         std::size_t failingRow = 0)
      : table_(std::move(table)), failOnRow_(std::move(failOnRow)), failingRow_(failingRow) {}
  FakeRecordset(std::optional<FakeTable> table, const FakeReadFault& fault)
      : FakeRecordset(std::move(table), fault.failure, fault.row) {
    failingField_ = fault.field;
    failOnMoveNext_ = fault.onMoveNext;
  }
  bool IsOpen() const override { return table_.has_value() && !closed_; }
  // Like the real layer, a closed result has no end to be at.
  bool Eof() const override {
    RequireOpen();
    return row_ >= table_->rows.size();
  }
  std::size_t FieldCount() const override { return IsOpen() ? table_->columns.size() : 0; }
  ports::FieldValue Field(std::size_t index) override {
    Check();
    if (failOnRow_ && !failOnMoveNext_ && row_ == failingRow_ &&
        (!failingField_ || *failingField_ == index)) {
      throw *failOnRow_;
    }
    if (index >= table_->columns.size()) {
      throw Failure(failure_codes::kItemNotFound,
                    "De recordset heeft geen veld met nummer " + std::to_string(index));
    }
    return table_->rows.at(row_).at(index);
  }
  ports::FieldValue Field(std::string_view name) override { return Field(IndexOf(name)); }
  void MoveNext() override {
    Check();
    if (failOnRow_ && failOnMoveNext_ && row_ == failingRow_) {
      throw *failOnRow_;
    }
    ++row_;
  }
  std::int32_t RecordCount() override {
    RequireOpen();
    return static_cast<std::int32_t>(table_->rows.size());
  }
  void Close() override { closed_ = true; }
  void UpdateField(std::string_view name, const std::string& value,
                   const ports::RowKey& key) override {
    Check();
    const auto column = IndexOf(name);
    if (!writeBack) {
      ports::Recordset::UpdateField(name, value, key);
    }
    table_->rows.at(row_).at(column) = value;
    writeBack(row_, column, value);
  }

  // Where an updated row goes; unset: the result cannot be updated.
  std::function<void(std::size_t row, std::size_t column, const std::string& value)> writeBack;

 private:
  void RequireOpen() const {
    if (!IsOpen()) {
      throw Failure(failure_codes::kObjectClosed, "De recordset is gesloten");
    }
  }
  void Check() const {
    if (Eof()) {
      throw Failure(failure_codes::kNoCurrentRecord,
                    "Er is geen huidig record: het einde van de recordset is bereikt");
    }
  }
  // Column names are looked up ignoring ASCII case, as the real layer does.
  std::size_t IndexOf(std::string_view name) const {
    Check();
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    const auto& columns = table_->columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (std::equal(columns[i].begin(), columns[i].end(), name.begin(), name.end(),
                     [&](char l, char r) { return lower(l) == lower(r); })) {
        return i;
      }
    }
    throw Failure(failure_codes::kItemNotFound,
                  "De recordset heeft geen veld met de naam '" + std::string(name) + "'");
  }
  std::optional<FakeTable> table_;
  std::optional<Failure> failOnRow_;
  std::size_t failingRow_;
  std::optional<std::size_t> failingField_;
  bool failOnMoveNext_ = false;
  std::size_t row_ = 0;
  bool closed_ = false;
};

struct FakeDatabaseState;

// One executed statement, as the database saw it.
struct ExecutedStatement {
  int connection;
  std::string sql;
  std::vector<std::string> parameters;
};

// One row written back through a recordset opened on `sql`.
struct RecordsetUpdate {
  std::string sql;
  std::size_t row;
  std::string field;
  std::string value;
};

// The shared world behind every fake connection: which files open, what each statement yields.
struct FakeDatabaseState {
  std::map<std::string, FakeTable> results;         // by statement text
  std::map<std::string, Failure> failures;          // by statement text
  std::map<std::string, std::int32_t> affected;     // by statement text
  std::map<std::string, FakeReadFault> readFaults;  // by statement text
  std::vector<std::pair<ports::CursorType, ports::LockType>> recordsetOptions;
  std::optional<Failure> openFailure;
  std::vector<std::string> opened;  // connection texts, in order
  std::vector<ExecutedStatement> executed;
  std::vector<RecordsetUpdate> updates;
  int created = 0;
  int alive = 0;
  std::optional<Failure> createFailure;
};

class FakeConnection : public ports::Connection {
 public:
  FakeConnection(FakeDatabaseState& state, int id) : state_(state), id_(id) { ++state_.alive; }
  ~FakeConnection() override { --state_.alive; }
  FakeConnection(const FakeConnection&) = delete;
  FakeConnection& operator=(const FakeConnection&) = delete;

  void SetCursorLocation(ports::CursorLocation location) override { cursorLocation = location; }
  void Open(const std::string& connectionText) override {
    if (open_) {
      throw Failure(failure_codes::kObjectAlreadyOpen,
                    "De verbinding met de database is al geopend");
    }
    state_.opened.push_back(connectionText);
    if (state_.openFailure) {
      throw *state_.openFailure;
    }
    open_ = true;
  }
  bool IsOpen() const override { return open_; }
  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* recordsAffected) override {
    Run(sql, {});
    if (recordsAffected != nullptr) {
      const auto found = state_.affected.find(sql);
      *recordsAffected = found == state_.affected.end() ? *recordsAffected : found->second;
    }
    return Result(sql);
  }
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override {
    Run(sql, parameters);
    const auto found = state_.affected.find(sql);
    return found == state_.affected.end() ? 0 : found->second;
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql,
                                                  ports::CursorType cursorType,
                                                  ports::LockType lockType) override {
    state_.recordsetOptions.emplace_back(cursorType, lockType);
    Run(sql, {});
    auto recordset = Result(sql);
    // As with the real layer, only an opened recordset can write rows back.
    if (state_.results.count(sql) != 0) {
      recordset->writeBack = [&state = state_, sql](std::size_t row, std::size_t column,
                                                    const std::string& value) {
        auto& table = state.results.at(sql);
        table.rows.at(row).at(column) = value;
        state.updates.push_back({sql, row, table.columns.at(column), value});
      };
    }
    return recordset;
  }

  int Id() const { return id_; }
  ports::CursorLocation cursorLocation = ports::CursorLocation::Server;

 private:
  void Run(const std::string& sql, const std::vector<std::string>& parameters) {
    if (!open_) {
      throw Failure(failure_codes::kConnectionNotOpen,
                    "De verbinding met de database is niet geopend");
    }
    state_.executed.push_back({id_, sql, parameters});
    const auto failure = state_.failures.find(sql);
    if (failure != state_.failures.end()) {
      throw failure->second;
    }
  }
  // A statement `results` has no table for yields what the driver gives it: a query an empty
  // result, anything else no result to read.
  static std::optional<FakeTable> Unscripted(const std::string& sql) {
    const auto start = sql.find_first_not_of(" \t\r\n");
    const bool query = start != std::string::npos && sql.size() - start >= 6 &&
                       std::equal(sql.begin() + static_cast<std::ptrdiff_t>(start),
                                  sql.begin() + static_cast<std::ptrdiff_t>(start) + 6, "select",
                                  [](char c, char lower) { return (c | 0x20) == lower; });
    return query ? std::optional<FakeTable>(FakeTable{}) : std::nullopt;
  }
  std::unique_ptr<FakeRecordset> Result(const std::string& sql) {
    const auto found = state_.results.find(sql);
    auto table =
        found == state_.results.end() ? Unscripted(sql) : std::optional<FakeTable>(found->second);
    const auto fault = state_.readFaults.find(sql);
    if (fault != state_.readFaults.end()) {
      return std::make_unique<FakeRecordset>(std::move(table), fault->second);
    }
    return std::make_unique<FakeRecordset>(std::move(table));
  }
  FakeDatabaseState& state_;
  int id_;
  bool open_ = false;
};

class FakeDatabase : public ports::Database {
 public:
  std::unique_ptr<ports::Connection> CreateConnection() override {
    if (state.createFailure) {
      throw *state.createFailure;
    }
    return std::make_unique<FakeConnection>(state, ++state.created);
  }
  FakeDatabaseState state;
};

// Files are texts in `files`, by path. Appended lines land there at once; `writableLines` limits
// how many more lines can be appended before every write fails with `writeFailure`. Names longer
// than `maxNameLength` are refused as too long.
class FakeFileSystem : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override { return files.count(path) != 0 || allFilesExist; }
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override {
    if (openFailure) {
      throw *openFailure;
    }
    ++openAppendFiles;
    return std::make_unique<FakeAppendFile>(*this, files[path]);
  }
  void CopyToNewFile(const std::string& source, const std::string& target) override {
    copies.emplace_back(source, target);
    if (onCopy) {
      onCopy();
    }
    if (copyFailure) {
      throw *copyFailure;
    }
    if (files.count(target) != 0) {
      throw Failure(failure_codes::kFileAccess, "File exists");
    }
    RequireSource(source);
    files[target] = files[source];
  }
  // Checks every name before copying anything, like the real one, and copies in order.
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& group) override {
    if (onCopy) {
      onCopy();
    }
    if (copyFailure) {
      throw *copyFailure;
    }
    for (const auto& copy : group) {
      if (copy.target.size() - copy.target.find_last_of("/\\") - 1 > maxNameLength) {
        return ports::NewFilesOutcome::kNameTooLong;
      }
      if (files.count(copy.target) != 0) {
        return ports::NewFilesOutcome::kNameTaken;
      }
    }
    // Like the real one, a missing source fails the group before any copy appears.
    for (const auto& copy : group) {
      RequireSource(copy.source);
    }
    for (const auto& copy : group) {
      copies.emplace_back(copy.source, copy.target);
      files[copy.target] = files.at(copy.source);
    }
    return ports::NewFilesOutcome::kCopied;
  }

  std::map<std::string, std::string> files;
  bool allFilesExist = false;
  std::optional<Failure> openFailure;
  std::optional<std::size_t> writableLines;
  Failure writeFailure{failure_codes::kFileAccess, "No space left on device"};
  int openAppendFiles = 0;
  std::optional<Failure> copyFailure;
  std::vector<std::pair<std::string, std::string>> copies;  // source and target, when done
  std::size_t maxNameLength = 255;  // bytes of a file name, as on the usual file systems
  std::function<void()> onCopy;

 private:
  void RequireSource(const std::string& source) const {
    if (files.count(source) == 0) {
      throw Failure(failure_codes::kFileAccess, "No such file or directory");
    }
  }
  class FakeAppendFile : public ports::AppendFile {
   public:
    FakeAppendFile(FakeFileSystem& owner, std::string& content)
        : owner_(owner), content_(content) {}
    ~FakeAppendFile() override { --owner_.openAppendFiles; }
    FakeAppendFile(const FakeAppendFile&) = delete;
    FakeAppendFile& operator=(const FakeAppendFile&) = delete;
    void WriteLine(std::string_view line) override {
      if (owner_.writableLines) {
        if (*owner_.writableLines == 0) {
          throw owner_.writeFailure;
        }
        --*owner_.writableLines;
      }
      content_.append(line).append("\r\n");
    }

   private:
    FakeFileSystem& owner_;
    std::string& content_;
  };
};

class FakeFileDialog : public ports::FileDialog {
 public:
  bool GetOpenFileNameA(ports::OpenFileNameRecord& record) override { return Answer(record, true); }
  bool GetSaveFileNameA(ports::OpenFileNameRecord& record) override {
    return Answer(record, false);
  }
  std::vector<ports::OpenFileNameRecord> shown;
  std::vector<bool> openDialogs;
  std::optional<std::string> choice;  // nullopt: the user cancels
  std::uint32_t flagsAfter = 0;

 private:
  bool Answer(ports::OpenFileNameRecord& record, bool open) {
    shown.push_back(record);
    openDialogs.push_back(open);
    if (!choice) {
      return false;
    }
    record.lpstrFile = *choice + std::string(record.nMaxFile - choice->size(), '\0');
    record.Flags = flagsAfter;
    return true;
  }
};

class FakeClipboard : public ports::Clipboard {
 public:
  bool SetText(const std::string& value) override {
    if (busy) {
      return false;
    }
    text = value;
    ++writes;
    return true;
  }
  std::optional<std::string> text;
  int writes = 0;
  bool busy = false;
};

class FakeClock : public ports::Clock {
 public:
  ports::LocalDateTime Now() override {
    if (!script.empty()) {
      now = script.front();
      script.pop_front();
    }
    return now;
  }
  ports::LocalDateTime now{2026, 12, 8, 14, 5, 9};
  std::deque<ports::LocalDateTime> script;
};

class FakeTickCounter : public ports::TickCounter {
 public:
  std::uint32_t GetTickCount() override {
    if (!script.empty()) {
      ticks = script.front();
      script.pop_front();
    }
    return ticks;
  }
  std::uint32_t ticks = 1000;
  std::deque<std::uint32_t> script;
};

class FakeInstaller : public ports::OdbcInstaller {
 public:
  struct Call {
    std::intptr_t window;
    int request;
    std::string driver;
    std::string attributes;
  };
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override {
    calls.push_back({window, request, driver, attributes});
    if (onCall) {
      onCall();
    }
    const auto answer = answers.find(request);
    lastError_ =
        answer != answers.end() ? answer->second : (succeeds ? std::nullopt : std::optional(error));
    return !lastError_;
  }
  // As the installer's own, the error is only there after a failed call.
  ports::InstallerError LastError() override {
    return lastError_.value_or(ports::InstallerError{});
  }

  std::vector<Call> calls;
  bool succeeds = true;
  ports::InstallerError error{11, "Request failed"};
  // By request number, ahead of `succeeds`: nullopt accepts, an error refuses with it.
  std::map<int, std::optional<ports::InstallerError>> answers;
  std::function<void()> onCall;

 private:
  std::optional<ports::InstallerError> lastError_;
};

// A folder dialog that plays a scripted session the way the system does: it calls the record's
// callback with INITIALIZED on opening and with SELCHANGED for each folder in `passedOver`, then
// hands out `choice` as a new item list, or 0 for a cancel.
class FakeShell : public ports::Shell {
 public:
  struct SentMessage {
    std::intptr_t window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::string text;
  };
  static constexpr std::intptr_t kDialogWindow = 0x4711;

  ports::ItemList SHBrowseForFolderA(ports::BrowseInfoRecord& record) override {
    shown.push_back(record);
    Notify(record, ports::browse_messages::kInitialized, 0);
    for (const auto& folder : passedOver) {
      Notify(record, ports::browse_messages::kSelectionChanged, NewItem(folder));
    }
    if (!choice) {
      return 0;
    }
    handedOut.push_back(NewItem(*choice));
    return handedOut.back();
  }
  int SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) override {
    lookupBuffers.push_back(buffer);
    const auto found = items_.find(itemList);
    if (found == items_.end() || lookupResult == 0 || found->second.size() >= buffer.size()) {
      return 0;
    }
    buffer.replace(0, found->second.size() + 1, found->second + '\0');
    return lookupResult;
  }
  void CoTaskMemFree(ports::ItemList itemList) override { freed.push_back(itemList); }
  std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message, std::uintptr_t wParam,
                             const char* text) override {
    sent.push_back({window, message, wParam, text == nullptr ? "" : text});
    return 0;
  }

  std::optional<std::string> choice;    // nullopt: the user cancels
  std::vector<std::string> passedOver;  // folders selected on the way to the choice
  int lookupResult = 1;                 // what every path lookup of a known item returns
  std::vector<ports::BrowseInfoRecord> shown;
  std::vector<SentMessage> sent;
  std::vector<std::string> lookupBuffers;  // each lookup's buffer as it came in
  std::vector<ports::ItemList> handedOut;
  std::vector<ports::ItemList> freed;

 private:
  ports::ItemList NewItem(const std::string& path) {
    items_[++lastItem_] = path;
    return lastItem_;
  }
  static void Notify(const ports::BrowseInfoRecord& record, std::uint32_t message,
                     ports::ItemList item) {
    if (record.lpfn != nullptr) {
      record.lpfn(kDialogWindow, message, item, record.lParam);
    }
  }
  std::map<ports::ItemList, std::string> items_;
  ports::ItemList lastItem_ = 0;
};

// Every fake, wired into one Services bundle. A test that runs over real parts sets them in
// place of the fakes they replace.
struct FakeServices {
  FakeMessageBox messageBox;
  FakeSettingsStore settings;
  FakeRegistry registry;
  FakeDatabase database;
  FakeFileSystem fileSystem;
  FakeFileDialog fileDialog;
  FakeClipboard clipboard;
  FakeClock clock;
  FakeTickCounter ticks;
  FakeInstaller installer;
  FakeShell shell;
  std::string repairLogPath = "repair.log";

  ports::Database* realDatabase = nullptr;
  ports::FileSystem* realFileSystem = nullptr;
  ports::OdbcInstaller* realInstaller = nullptr;

  app::Services Bundle(ports::MessageDialog& messages) {
    return app::Services{messages,
                         settings,
                         registry,
                         realDatabase != nullptr ? *realDatabase : database,
                         realFileSystem != nullptr ? *realFileSystem : fileSystem,
                         fileDialog,
                         clipboard,
                         clock,
                         ticks,
                         realInstaller != nullptr ? *realInstaller : installer,
                         shell,
                         repairLogPath};
  }
  app::Services Bundle() { return Bundle(messageBox); }
};

}  // namespace brivanto::testing
