#include "CodePageOdbc.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "TextCompare.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

// The value of `key` in a "key=value;..." or "key=value\0..." list, without braces or quotes.
std::optional<std::string> ValueOf(std::string_view list, std::string_view key, char separator) {
  std::size_t start = 0;
  while (start < list.size()) {
    const auto end = std::min(list.find(separator, start), list.size());
    auto item = list.substr(start, end - start);
    item.remove_prefix(std::min(item.find_first_not_of(' '), item.size()));
    const auto equals = item.find('=');
    if (equals == key.size() && EqualsIgnoringCase(item.substr(0, equals), key)) {
      auto value = item.substr(equals + 1);
      if (value.size() >= 2 && ((value.front() == '{' && value.back() == '}') ||
                                (value.front() == '"' && value.back() == '"'))) {
        value = value.substr(1, value.size() - 2);
      }
      return std::string(value);
    }
    start = end + 1;
  }
  return std::nullopt;
}

class Texts {
 public:
  explicit Texts(const ports::CodePage& codePage) : codePage_(codePage) {}

  std::string Statement(const std::string& utf8) const {
    if (auto converted = codePage_.TryFromUtf8(utf8)) {
      return std::move(*converted);
    }
    throw codePage_.TextRefusal(utf8, failure_codes::kProviderError);
  }

  // A list naming a database file that the code page cannot carry is refused for that path, by
  // name; any other uncarried text as a text. Neither message repeats a password.
  std::string List(const std::string& list, std::string_view pathKey, char separator) const {
    if (auto converted = codePage_.TryFromUtf8(list)) {
      return std::move(*converted);
    }
    if (const auto path = ValueOf(list, pathKey, separator)) {
      if (!codePage_.TryFromUtf8(*path)) {
        throw codePage_.PathRefusal(*path);
      }
    }
    throw Failure(failure_codes::kProviderError,
                  "De verbindingsgegevens bevatten tekens die het stuurprogramma niet kan lezen");
  }

  ports::FieldValue Value(ports::FieldValue value) const {
    if (value) {
      *value = codePage_.ToUtf8(*value);
    }
    return value;
  }

  std::string Name(std::string_view utf8) const { return codePage_.ForDisplay(utf8); }

  // A failure the driver described (it has a SQLSTATE) comes back in UTF-8; the adapter's own
  // texts already are.
  template <typename Call>
  auto Translating(Call&& call) const -> decltype(call()) {
    try {
      return call();
    } catch (const Failure& failure) {
      if (failure.Sqlstate().empty()) {
        throw;
      }
      throw Failure(failure.Number(), codePage_.ToUtf8(failure.Description()), failure.Sqlstate(),
                    failure.NativeError());
    }
  }

 private:
  const ports::CodePage& codePage_;
};

class CodePageRecordset final : public ports::Recordset {
 public:
  CodePageRecordset(std::unique_ptr<ports::Recordset> inner, Texts texts)
      : inner_(std::move(inner)), texts_(texts) {}

  bool IsOpen() const override { return inner_->IsOpen(); }
  bool Eof() const override { return inner_->Eof(); }
  std::size_t FieldCount() const override { return inner_->FieldCount(); }
  ports::FieldValue Field(std::size_t index) override {
    return texts_.Value(texts_.Translating([&] { return inner_->Field(index); }));
  }
  // A name the code page cannot carry names no field; the inner result says so in its words.
  ports::FieldValue Field(std::string_view name) override {
    return texts_.Value(texts_.Translating([&] { return inner_->Field(texts_.Name(name)); }));
  }
  void MoveNext() override {
    texts_.Translating([&] { inner_->MoveNext(); });
  }
  std::int32_t RecordCount() override {
    return texts_.Translating([&] { return inner_->RecordCount(); });
  }
  void Close() override { inner_->Close(); }
  void UpdateField(std::string_view name, const std::string& value,
                   const ports::RowKey& key) override {
    const std::string converted = texts_.Statement(value);
    texts_.Translating([&] { inner_->UpdateField(texts_.Name(name), converted, key); });
  }

 private:
  std::unique_ptr<ports::Recordset> inner_;
  Texts texts_;
};

class CodePageConnection final : public ports::Connection {
 public:
  CodePageConnection(std::unique_ptr<ports::Connection> inner, Texts texts)
      : inner_(std::move(inner)), texts_(texts) {}

  void SetCursorLocation(ports::CursorLocation location) override {
    inner_->SetCursorLocation(location);
  }
  void Open(const std::string& connectionText) override {
    const std::string converted = texts_.List(connectionText, "DBQ", ';');
    texts_.Translating([&] { inner_->Open(converted); });
  }
  bool IsOpen() const override { return inner_->IsOpen(); }
  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* recordsAffected) override {
    const std::string converted = texts_.Statement(sql);
    return Wrapped(texts_.Translating([&] { return inner_->Execute(converted, recordsAffected); }));
  }
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override {
    std::vector<std::string> converted;
    converted.reserve(parameters.size());
    for (const auto& parameter : parameters) {
      converted.push_back(texts_.Statement(parameter));
    }
    const std::string statement = texts_.Statement(sql);
    return texts_.Translating([&] { return inner_->ExecuteWithParameters(statement, converted); });
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql,
                                                  ports::CursorType cursorType,
                                                  ports::LockType lockType) override {
    const std::string converted = texts_.Statement(sql);
    return Wrapped(
        texts_.Translating([&] { return inner_->OpenRecordset(converted, cursorType, lockType); }));
  }

 private:
  std::unique_ptr<ports::Recordset> Wrapped(std::unique_ptr<ports::Recordset> inner) const {
    if (!inner) {
      return inner;
    }
    return std::make_unique<CodePageRecordset>(std::move(inner), texts_);
  }

  std::unique_ptr<ports::Connection> inner_;
  Texts texts_;
};

}  // namespace

std::unique_ptr<ports::Connection> CodePageDatabase::CreateConnection() {
  auto inner = inner_.CreateConnection();
  if (!inner) {
    return inner;
  }
  return std::make_unique<CodePageConnection>(std::move(inner), Texts(codePage_));
}

bool CodePageInstaller::ConfigDataSource(std::intptr_t window, int request,
                                         const std::string& driver, const std::string& attributes) {
  const Texts texts(codePage_);
  return inner_.ConfigDataSource(window, request, texts.Statement(driver),
                                 texts.List(attributes, "REPAIR_DB", '\0'));
}

ports::InstallerError CodePageInstaller::LastError() {
  auto error = inner_.LastError();
  error.message = codePage_.ToUtf8(error.message);
  return error;
}

}  // namespace brivanto::odbc
