#pragma once

#include <memory>
#include <string>

#include "ports/CodePage.h"
#include "ports/Database.h"
#include "ports/OdbcInstaller.h"

namespace brivanto::odbc {

// The ODBC layer's texts at the driver's boundary. The ODBC adapter passes bytes through as they
// are; the Access driver speaks the ANSI code page, the core UTF-8. These wrappers convert in
// both directions through a ports::CodePage, so a folder "Scans België" reaches the database as
// "België" and comes back the same:
//  - statements, parameters, written values and the connection text go out in the code page; a
//    text it cannot carry is refused with a Failure that names it, instead of reaching the
//    database changed (a path: failure_codes::kFileAccess, other texts: kProviderError);
//  - field values, the driver's failure texts and the installer's messages come back in UTF-8.

// A Database whose connections, and their results, convert as above.
class CodePageDatabase : public ports::Database {
 public:
  CodePageDatabase(ports::Database& inner, const ports::CodePage& codePage)
      : inner_(inner), codePage_(codePage) {}
  std::unique_ptr<ports::Connection> CreateConnection() override;

 private:
  ports::Database& inner_;
  const ports::CodePage& codePage_;
};

// An installer whose driver name and attributes go out in the code page, and whose messages
// come back in UTF-8.
class CodePageInstaller : public ports::OdbcInstaller {
 public:
  CodePageInstaller(ports::OdbcInstaller& inner, const ports::CodePage& codePage)
      : inner_(inner), codePage_(codePage) {}
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  ports::InstallerError LastError() override;

 private:
  ports::OdbcInstaller& inner_;
  const ports::CodePage& codePage_;
};

}  // namespace brivanto::odbc
