#pragma once

#include <memory>
#include <vector>

#include "OdbcEnvironment.h"
#include "OdbcHandle.h"
#include "ports/Database.h"

namespace brivanto::odbc {

class OdbcConnection final : public ports::Connection {
 public:
  explicit OdbcConnection(std::shared_ptr<const OdbcEnvironment> environment);
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;
  ~OdbcConnection() override;

  void SetCursorLocation(ports::CursorLocation location) override;
  // Hands `connectionText` to the driver manager unchanged and never prompts.
  void Open(const std::string& connectionText) override;
  bool IsOpen() const override { return connected_; }

  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* recordsAffected = nullptr) override;
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override;
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql,
                                                  ports::CursorType cursorType,
                                                  ports::LockType lockType) override;

 private:
  void RequireOpen() const;
  std::shared_ptr<StatementHandle> NewStatement();
  void Disconnect() noexcept;

  std::shared_ptr<const OdbcEnvironment> environment_;
  ConnectionHandle connection_;
  bool connected_ = false;
  // Recordsets own their statements; the connection frees any that are still alive before it
  // disconnects, because disconnecting invalidates them.
  std::vector<std::weak_ptr<StatementHandle>> statements_;
};

}  // namespace brivanto::odbc
