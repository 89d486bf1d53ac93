#include "platform/StandardFileSystem.h"

#include <filesystem>
#include <system_error>

namespace brivanto::platform {

bool StandardFileSystem::IsFile(const std::string& path) {
  std::error_code error;
  // An unreadable or malformed path counts as no file.
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), error) && !error;
}

}  // namespace brivanto::platform
