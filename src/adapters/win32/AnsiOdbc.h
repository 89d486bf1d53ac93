#pragma once

#include <memory>
#include <string>

#include "ports/Database.h"
#include "ports/OdbcInstaller.h"

namespace brivanto::win32 {

// The ODBC layer's texts at the Windows boundary. The ODBC adapter passes bytes through as they
// are; on Windows the driver and the installer speak the ANSI code page, the core UTF-8. These
// wrappers convert in both directions through AnsiText, so a folder "Scans België" reaches the
// database as "België" and comes back the same:
//  - statements, parameters, written values and the connection text go out in ANSI; a text the
//    code page cannot carry is refused with a Failure that names it, instead of reaching the
//    database changed (a path: failure_codes::kFileAccess, other texts: kProviderError);
//  - field values and the installer's messages come back in UTF-8.
// Failure descriptions of the driver pass unchanged.

// A Database whose connections, and their results, convert as above.
class AnsiDatabase final : public ports::Database {
 public:
  explicit AnsiDatabase(ports::Database& inner) : inner_(inner) {}
  std::unique_ptr<ports::Connection> CreateConnection() override;

 private:
  ports::Database& inner_;
};

// An installer whose driver name and attributes go out in ANSI, and whose messages come back
// in UTF-8.
class AnsiOdbcInstaller final : public ports::OdbcInstaller {
 public:
  explicit AnsiOdbcInstaller(ports::OdbcInstaller& inner) : inner_(inner) {}
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  ports::InstallerError LastError() override;

 private:
  ports::OdbcInstaller& inner_;
};

}  // namespace brivanto::win32
