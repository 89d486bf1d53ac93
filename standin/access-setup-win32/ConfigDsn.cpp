// A TEST STAND-IN for the setup library of the Access driver on Windows; it never repairs.
//
// Under Wine, SQLConfigDataSource loads the DLL named by the value Driver of
// HKLM\Software\ODBC\ODBCINST.INI\<driver name> and calls its ConfigDSN; it never reaches the
// Linux stand-in behind odbc32. So the Windows exe's repair request ends here. This library
// checks the request as the driver would: an attribute list of key=value entries (NUL-separated,
// ending in an empty one) with REPAIR_DB and at most PWD, UID and DSN beside it, a value
// optionally in double quotes (read as the Linux stand-in reads it, standin/common), and a file
// that exists and is a database (a SQLite file, as the Linux stand-in's databases are). A refused
// request is posted with SQLPostInstallerError and answered FALSE, so the program must report it.
// A well-formed request for a database is answered without touching the file: the repair itself
// is proven on Linux.
//
// Which requests repair, and what they answer, "SQLConfigDataSource (Access Driver)" leaves open;
// BRIVANTO_STANDIN_REPAIR_ANSWER chooses as for the Linux stand-in (this library exists for tests
// only, so it always reads it): false-after-repair (default: ODBC_ADD_DSN answers TRUE,
// ODBC_CONFIG_DSN FALSE without posting anything), add-only (ODBC_CONFIG_DSN is refused),
// config (ODBC_ADD_DSN is refused) or refuse-both.
//
// The path reaches CreateFileA as the program sent it; under Wine a Linux path such as
// "/tmp/x.mdb" names the file on the current drive, which is Z: (the host's root) when the
// program runs from a host folder.

#include <windows.h>
// Needs <windows.h> first.
#include <odbcinst.h>

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "JetFile.h"
#include "RepairRequest.h"
#include "UniqueHandle.h"

namespace {

constexpr const char* kPrefix = "[Brivanto Access setup stand-in] ";
constexpr std::string_view kDatabaseSignature{"SQLite format 3\0", 16};

struct Refusal {
  DWORD code;
  std::string text;
};

enum class Answer { kRepairAndSucceed, kRepairAndReturnFalse, kRefuse };

std::string_view RepairAnswerSetting() {
  const char* setting = std::getenv("BRIVANTO_STANDIN_REPAIR_ANSWER");
  return setting != nullptr ? setting : "false-after-repair";
}

Answer AnswerTo(WORD request) {
  const std::string_view setting = RepairAnswerSetting();
  const bool refuse_both = setting == "refuse-both";
  if (request == ODBC_ADD_DSN) {
    return refuse_both || setting == "config" ? Answer::kRefuse : Answer::kRepairAndSucceed;
  }
  if (request != ODBC_CONFIG_DSN || refuse_both || setting == "add-only") {
    return Answer::kRefuse;
  }
  return setting == "config" ? Answer::kRepairAndSucceed : Answer::kRepairAndReturnFalse;
}

std::string DatabaseToRepair(const char* attributes) {
  const auto request =
      brivanto::standin::ReadRepairRequest(brivanto::standin::AttributeEntries(attributes));
  if (request.unsupported) {
    throw Refusal{ODBC_ERROR_INVALID_KEYWORD_VALUE,
                  "The attribute '" + *request.unsupported + "' is not supported"};
  }
  if (!request.database) {
    throw Refusal{ODBC_ERROR_INVALID_KEYWORD_VALUE, "A request without REPAIR_DB"};
  }
  return *request.database;
}

void CheckIsDatabase(const std::string& path) {
  const brivanto::win32::UniqueFile file(
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    throw Refusal{ODBC_ERROR_REQUEST_FAILED, "Cannot repair '" + path +
                                                 "': the file cannot be opened (system error " +
                                                 std::to_string(::GetLastError()) + ")"};
  }
  // A real Access (Jet) file: the data path reads it through MDB Tools, read-only.
  using brivanto::standin::kJetSignature;
  std::array<char, kJetSignature.size()> start{};
  DWORD read = 0;
  const bool was_read =
      ::ReadFile(file.get(), start.data(), static_cast<DWORD>(start.size()), &read, nullptr);
  const std::string_view header(start.data(), read);
  if (was_read && header == kJetSignature) {
    throw Refusal{ODBC_ERROR_REQUEST_FAILED, brivanto::standin::JetRepairRefusal(path)};
  }
  if (!was_read || !header.starts_with(kDatabaseSignature)) {
    throw Refusal{ODBC_ERROR_REQUEST_FAILED, "Cannot repair '" + path + "': not a database"};
  }
}

}  // namespace

extern "C" BOOL WINAPI ConfigDSN(HWND /*parent*/, WORD request, LPCSTR /*driver*/,
                                 LPCSTR attributes) {
  try {
    const Answer answer = AnswerTo(request);
    if (answer == Answer::kRefuse) {
      throw Refusal{ODBC_ERROR_INVALID_REQUEST_TYPE,
                    "Request " + std::to_string(request) + " is not supported"};
    }
    CheckIsDatabase(DatabaseToRepair(attributes));
    // A FALSE after a repair that would have gone well has nothing to post.
    return answer == Answer::kRepairAndSucceed ? TRUE : FALSE;
  } catch (const Refusal& refusal) {
    // The posted error is the only report there is; a failed post leaves nothing else to tell.
    static_cast<void>(SQLPostInstallerError(refusal.code, (kPrefix + refusal.text).c_str()));
  } catch (...) {
    static_cast<void>(SQLPostInstallerError(ODBC_ERROR_GENERAL_ERR, kPrefix));
  }
  return FALSE;
}
