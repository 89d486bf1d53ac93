#include "LogLocation.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace brivanto::posix {
namespace {

// Relative values are invalid in the base-directory convention and must be ignored.
std::filesystem::path AbsoluteFolder(const char* value) {
  if (value == nullptr) {
    return {};
  }
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path{};
}

std::filesystem::path StateFolder(const EnvironmentLookup& lookup) {
  if (auto state = AbsoluteFolder(lookup("XDG_STATE_HOME")); !state.empty()) {
    return state;
  }
  if (auto home = AbsoluteFolder(lookup("HOME")); !home.empty()) {
    return home / ".local" / "state";
  }
  std::error_code error;
  auto temporary = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path("/tmp") : temporary;
}

}  // namespace

std::string DefaultRepairLogPath(const EnvironmentLookup& lookup) {
  return (StateFolder(lookup) / "brivanto" / "repairBrivanto.log").string();
}

std::string DefaultRepairLogPath() {
  return DefaultRepairLogPath([](const char* name) { return std::getenv(name); });
}

}  // namespace brivanto::posix
