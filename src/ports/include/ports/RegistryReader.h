#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace brivanto::ports {

inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002U;

// Reads one text value of the machine-wide data-source definitions. An absent key or value
// leaves `value` as it was and is no error.
class RegistryReader {
 public:
  virtual ~RegistryReader() = default;
  virtual void ReadString(std::uint32_t rootKey, const std::string& keyPath,
                          const std::string& valueName, std::string& value) = 0;
};

// Creating a reader throws a Failure numbered failure_codes::kModuleNotFound when the component
// that does the reading cannot be loaded.
class RegistryReaderFactory {
 public:
  virtual ~RegistryReaderFactory() = default;
  virtual std::unique_ptr<RegistryReader> Create() = 0;
};

}  // namespace brivanto::ports
