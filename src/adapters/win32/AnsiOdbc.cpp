#include "AnsiOdbc.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

#include "AnsiText.h"
#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

std::string Statement(const std::string& utf8) {
  return TextToAnsi(utf8, failure_codes::kProviderError);
}

ports::FieldValue FromAnsiValue(ports::FieldValue value) {
  if (value) {
    *value = FromAnsi(*value);
  }
  return value;
}

// The value of `key` in a "key=value;..." or "key=value\0..." list, without braces or quotes.
std::optional<std::string> ValueOf(std::string_view list, std::string_view key, char separator) {
  std::size_t start = 0;
  while (start < list.size()) {
    auto end = list.find(separator, start);
    if (end == std::string_view::npos) {
      end = list.size();
    }
    auto item = list.substr(start, end - start);
    item.remove_prefix(std::min(item.find_first_not_of(' '), item.size()));
    const auto equals = item.find('=');
    if (equals != std::string_view::npos && equals == key.size()) {
      bool same = true;
      for (std::size_t i = 0; i < key.size(); ++i) {
        same = same && std::tolower(static_cast<unsigned char>(item[i])) ==
                           std::tolower(static_cast<unsigned char>(key[i]));
      }
      if (same) {
        auto value = item.substr(equals + 1);
        if (value.size() >= 2 && ((value.front() == '{' && value.back() == '}') ||
                                  (value.front() == '"' && value.back() == '"'))) {
          value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
      }
    }
    start = end + 1;
  }
  return std::nullopt;
}

// A list naming a database file that the code page cannot carry is refused for that path, by
// name; any other uncarried text as a text. Neither message repeats a password.
std::string ListToAnsi(const std::string& list, std::string_view pathKey, char separator) {
  if (auto ansi = TryToAnsi(list)) {
    return std::move(*ansi);
  }
  if (const auto path = ValueOf(list, pathKey, separator)) {
    PathToAnsi(*path);  // throws, naming the path
  }
  throw Failure(failure_codes::kProviderError,
                "De verbindingsgegevens bevatten tekens die Windows hier niet kan doorgeven");
}

class AnsiRecordset final : public ports::Recordset {
 public:
  explicit AnsiRecordset(std::unique_ptr<ports::Recordset> inner) : inner_(std::move(inner)) {}

  bool IsOpen() const override { return inner_->IsOpen(); }
  bool Eof() const override { return inner_->Eof(); }
  std::size_t FieldCount() const override { return inner_->FieldCount(); }
  ports::FieldValue Field(std::size_t index) override {
    return FromAnsiValue(inner_->Field(index));
  }
  // A name the code page cannot carry names no field; the inner result says so in its words.
  ports::FieldValue Field(std::string_view name) override {
    return FromAnsiValue(inner_->Field(ToAnsiForDisplay(name)));
  }
  void MoveNext() override { inner_->MoveNext(); }
  std::int32_t RecordCount() override { return inner_->RecordCount(); }
  void Close() override { inner_->Close(); }
  void UpdateField(std::string_view name, const std::string& value,
                   const ports::RowKey& key) override {
    inner_->UpdateField(ToAnsiForDisplay(name), Statement(value), key);
  }

 private:
  std::unique_ptr<ports::Recordset> inner_;
};

std::unique_ptr<ports::Recordset> Wrapped(std::unique_ptr<ports::Recordset> inner) {
  if (!inner) {
    return inner;
  }
  return std::make_unique<AnsiRecordset>(std::move(inner));
}

class AnsiConnection final : public ports::Connection {
 public:
  explicit AnsiConnection(std::unique_ptr<ports::Connection> inner) : inner_(std::move(inner)) {}

  void SetCursorLocation(ports::CursorLocation location) override {
    inner_->SetCursorLocation(location);
  }
  void Open(const std::string& connectionText) override {
    inner_->Open(ListToAnsi(connectionText, "DBQ", ';'));
  }
  bool IsOpen() const override { return inner_->IsOpen(); }
  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* recordsAffected) override {
    return Wrapped(inner_->Execute(Statement(sql), recordsAffected));
  }
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override {
    std::vector<std::string> ansiParameters;
    ansiParameters.reserve(parameters.size());
    for (const auto& parameter : parameters) {
      ansiParameters.push_back(Statement(parameter));
    }
    return inner_->ExecuteWithParameters(Statement(sql), ansiParameters);
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql,
                                                  ports::CursorType cursorType,
                                                  ports::LockType lockType) override {
    return Wrapped(inner_->OpenRecordset(Statement(sql), cursorType, lockType));
  }

 private:
  std::unique_ptr<ports::Connection> inner_;
};

}  // namespace

std::unique_ptr<ports::Connection> AnsiDatabase::CreateConnection() {
  auto inner = inner_.CreateConnection();
  if (!inner) {
    return inner;
  }
  return std::make_unique<AnsiConnection>(std::move(inner));
}

bool AnsiOdbcInstaller::ConfigDataSource(std::intptr_t window, int request,
                                         const std::string& driver, const std::string& attributes) {
  return inner_.ConfigDataSource(window, request, Statement(driver),
                                 ListToAnsi(attributes, "REPAIR_DB", '\0'));
}

ports::InstallerError AnsiOdbcInstaller::LastError() {
  auto error = inner_.LastError();
  error.message = FromAnsi(error.message);
  return error;
}

}  // namespace brivanto::win32
