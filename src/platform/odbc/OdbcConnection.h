#pragma once

#include <memory>
#include <vector>

#include "platform/Database.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/odbc/OdbcHandle.h"

namespace brivanto::platform::odbc {

class OdbcConnection final : public Connection {
 public:
  explicit OdbcConnection(std::shared_ptr<const OdbcEnvironment> environment);
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;
  ~OdbcConnection() override;

  void SetCursorLocation(CursorLocation location) override;
  // Hands `connectionText` to the driver manager unchanged and never prompts.
  void Open(const std::string& connectionText) override;
  bool IsOpen() const override { return connected_; }

  std::unique_ptr<Recordset> Execute(const std::string& sql,
                                     std::int32_t* recordsAffected = nullptr) override;
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override;
  std::unique_ptr<Recordset> OpenRecordset(const std::string& sql, CursorType cursorType,
                                           LockType lockType) override;

 private:
  void RequireOpen() const;
  std::shared_ptr<StatementHandle> NewStatement();
  void Disconnect() noexcept;

  std::shared_ptr<const OdbcEnvironment> environment_;
  ConnectionHandle connection_;
  bool connected_ = false;
  CursorLocation cursorLocation_ = CursorLocation::Server;
  // Recordsets own their statements; the connection frees any that are still alive before it
  // disconnects, because disconnecting invalidates them.
  std::vector<std::weak_ptr<StatementHandle>> statements_;
};

}  // namespace brivanto::platform::odbc
