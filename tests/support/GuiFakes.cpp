#include "support/GuiFakes.h"

namespace brivanto::guitest {
namespace {

constexpr std::int32_t kNoDriver = failure_codes::kProviderError;

class ScriptedReader : public ports::RegistryReader {
 public:
  explicit ScriptedReader(const ScriptedRegistry& registry) : registry_(registry) {}

  void ReadString(std::uint32_t /*rootKey*/, const std::string& /*keyPath*/,
                  const std::string& valueName, std::string& value) override {
    const auto& found = valueName == "driver" ? registry_.driver : registry_.databaseFile;
    if (found) {
      value = *found;
    }
  }

 private:
  const ScriptedRegistry& registry_;
};

class UnopenableConnection : public ports::Connection {
 public:
  explicit UnopenableConnection(int& alive) : alive_(alive) { ++alive_; }
  ~UnopenableConnection() override { --alive_; }
  UnopenableConnection(const UnopenableConnection&) = delete;
  UnopenableConnection& operator=(const UnopenableConnection&) = delete;

  void SetCursorLocation(ports::CursorLocation /*location*/) override {}
  void Open(const std::string& /*connectionText*/) override { Fail(); }
  bool IsOpen() const override { return false; }
  std::unique_ptr<ports::Recordset> Execute(const std::string& /*sql*/,
                                            std::int32_t* /*recordsAffected*/) override {
    Fail();
  }
  std::int32_t ExecuteWithParameters(const std::string& /*sql*/,
                                     const std::vector<std::string>& /*parameters*/) override {
    Fail();
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& /*sql*/,
                                                  ports::CursorType /*cursorType*/,
                                                  ports::LockType /*lockType*/) override {
    Fail();
  }

 private:
  [[noreturn]] static void Fail() { throw Failure(kNoDriver, "Geen database in GUI-tests"); }

  int& alive_;
};

[[noreturn]] void RefuseFileAccess() {
  throw Failure(failure_codes::kFileAccess, "Geen bestanden in GUI-tests");
}

}  // namespace

std::string RecordingSettingsStore::GetSetting(const std::string& /*application*/,
                                               const std::string& /*section*/,
                                               const std::string& /*key*/,
                                               const std::string& defaultValue) {
  return savedValues.empty() ? defaultValue : savedValues.back();
}

void RecordingSettingsStore::SaveSetting(const std::string& /*application*/,
                                         const std::string& /*section*/, const std::string& /*key*/,
                                         const std::string& value) {
  savedValues.push_back(value);
}

std::unique_ptr<ports::RegistryReader> ScriptedRegistry::Create() {
  if (createFailure) {
    throw *createFailure;
  }
  return std::make_unique<ScriptedReader>(*this);
}

std::unique_ptr<ports::Connection> CountingDatabase::CreateConnection() {
  ++created;
  return std::make_unique<UnopenableConnection>(alive);
}

bool EmptyFileSystem::IsFile(const std::string& /*path*/) {
  return false;
}

std::unique_ptr<ports::AppendFile> EmptyFileSystem::OpenForAppend(const std::string& /*path*/) {
  RefuseFileAccess();
}

void EmptyFileSystem::CopyToNewFile(const std::string& /*source*/, const std::string& /*target*/) {
  RefuseFileAccess();
}

ports::NewFilesOutcome EmptyFileSystem::CopyToNewFiles(
    const std::vector<ports::FileCopy>& /*copies*/) {
  RefuseFileAccess();
}

bool RefusingInstaller::ConfigDataSource(std::intptr_t /*window*/, int /*request*/,
                                         const std::string& /*driver*/,
                                         const std::string& /*attributes*/) {
  return false;
}

ports::InstallerError RefusingInstaller::LastError() {
  return {1, "General installer error"};
}

bool SwitchableFileDialog::GetOpenFileNameA(ports::OpenFileNameRecord& record) {
  if (failure) {
    throw *failure;
  }
  return real.GetOpenFileNameA(record);
}

bool SwitchableFileDialog::GetSaveFileNameA(ports::OpenFileNameRecord& record) {
  if (failure) {
    throw *failure;
  }
  return real.GetSaveFileNameA(record);
}

app::Services GuiTestServices::Bundle() {
  return {messageBox, settings,   registry,
          database,   fileSystem, fileDialog,
          clipboard,  clock,      ticks,
          installer,  shell,      logFolder.filePath(QStringLiteral("repair.log")).toStdString()};
}

}  // namespace brivanto::guitest
