#include "OdbcDataSourceReader.h"

#include <optional>
#include <string_view>
#include <vector>

#include "OdbcApi.h"
#include "SharedLibrary.h"
#include "TextCompare.h"

namespace brivanto::odbc {
namespace {

using GetConfigModeFunction = decltype(::SQLGetConfigMode);
using SetConfigModeFunction = decltype(::SQLSetConfigMode);
using GetProfileStringFunction = decltype(::SQLGetPrivateProfileString);

constexpr std::string_view kDataSourcesKey = "SOFTWARE\\ODBC\\ODBC.INI\\";

// unixODBC keeps each answer for 20 seconds and hands a cached, truncated answer to a later call
// with a larger buffer, so the first buffer already exceeds the longest line its ini parser keeps
// (1000 bytes). Growing only matters for installers without that limit.
constexpr std::size_t kFirstBufferSize = 4096;
// Registry texts are far shorter in practice; this only bounds a misbehaving installer.
constexpr std::size_t kLargestBufferSize = std::size_t{1024} * 1024;

// No stored value can equal this text, so receiving it back means the key is absent. A present
// but empty key answers "" instead.
constexpr char kAbsentMarker[] = "\x1f<absent>\x1f";

std::optional<std::string> DataSourceOf(std::string_view keyPath) {
  if (keyPath.size() <= kDataSourcesKey.size() ||
      !EqualsIgnoringCase(keyPath.substr(0, kDataSourcesKey.size()), kDataSourcesKey)) {
    return std::nullopt;
  }
  const std::string_view dataSource = keyPath.substr(kDataSourcesKey.size());
  if (dataSource.find('\\') != std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(dataSource);
}

// Switches the process-wide installer mode to system data sources and restores the previous mode.
class SystemDataSourceMode {
 public:
  SystemDataSourceMode(GetConfigModeFunction* getMode, SetConfigModeFunction* setMode)
      : setMode_(setMode) {
    if (!getMode(&previous_)) {
      previous_ = ODBC_BOTH_DSN;
    }
    active_ = setMode_(ODBC_SYSTEM_DSN);
  }
  SystemDataSourceMode(const SystemDataSourceMode&) = delete;
  SystemDataSourceMode& operator=(const SystemDataSourceMode&) = delete;
  ~SystemDataSourceMode() {
    // Setting back a mode the installer reported itself cannot fail, and a release has nobody to
    // tell.
    setMode_(previous_);
  }

  bool Active() const { return active_; }

 private:
  SetConfigModeFunction* setMode_;
  UWORD previous_ = ODBC_BOTH_DSN;
  bool active_ = false;
};

class OdbcDataSourceReader final : public ports::RegistryReader {
 public:
  explicit OdbcDataSourceReader(std::unique_ptr<SharedLibrary> library)
      : library_(std::move(library)),
        getConfigMode_(library_->Resolve<GetConfigModeFunction>("SQLGetConfigMode")),
        setConfigMode_(library_->Resolve<SetConfigModeFunction>("SQLSetConfigMode")),
        getProfileString_(
            library_->Resolve<GetProfileStringFunction>("SQLGetPrivateProfileString")) {}

  void ReadString(std::uint32_t rootKey, const std::string& keyPath, const std::string& valueName,
                  std::string& value) override {
    if (rootKey != ports::kHkeyLocalMachine) {
      return;
    }
    const auto dataSource = DataSourceOf(keyPath);
    if (!dataSource) {
      return;
    }
    const SystemDataSourceMode mode(getConfigMode_, setConfigMode_);
    // In any other mode a user data source of the same name could answer instead.
    if (!mode.Active()) {
      return;
    }
    if (auto text = ReadSystemValue(*dataSource, valueName)) {
      value = std::move(*text);
    }
  }

 private:
  std::optional<std::string> ReadSystemValue(const std::string& section,
                                             const std::string& key) const {
    std::vector<char> buffer(kFirstBufferSize);
    for (;;) {
      const int length =
          getProfileString_(section.c_str(), key.c_str(), kAbsentMarker, buffer.data(),
                            static_cast<int>(buffer.size()), "ODBC.INI");
      // A negative length means there is no readable odbc.ini: nothing is defined.
      if (length < 0) {
        return std::nullopt;
      }
      const bool filled = static_cast<std::size_t>(length) + 1 >= buffer.size();
      if (!filled || buffer.size() >= kLargestBufferSize) {
        break;
      }
      buffer.resize(buffer.size() * 4);
    }
    buffer.back() = '\0';
    std::string text(buffer.data());
    if (text == kAbsentMarker) {
      return std::nullopt;
    }
    return text;
  }

  std::unique_ptr<SharedLibrary> library_;
  GetConfigModeFunction* getConfigMode_;
  SetConfigModeFunction* setConfigMode_;
  GetProfileStringFunction* getProfileString_;
};

}  // namespace

OdbcDataSourceReaderFactory::OdbcDataSourceReaderFactory(std::string installerLibrary)
    : installerLibrary_(std::move(installerLibrary)) {}

std::unique_ptr<ports::RegistryReader> OdbcDataSourceReaderFactory::Create() {
  return std::make_unique<OdbcDataSourceReader>(std::make_unique<SharedLibrary>(installerLibrary_));
}

}  // namespace brivanto::odbc
