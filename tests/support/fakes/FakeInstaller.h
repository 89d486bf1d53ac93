#pragma once

// The ODBC installer, recording every request; held to the real one in tests/contracts.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/OdbcInstaller.h"

namespace brivanto::testing {

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

}  // namespace brivanto::testing
