#pragma once

// The registry as a map of "root\\key\\value" to text.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ports/Failure.h"
#include "ports/RegistryReader.h"

namespace brivanto::testing {

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

}  // namespace brivanto::testing
