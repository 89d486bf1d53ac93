// A TEST STAND-IN for the setup library of the Access driver on Windows; it never repairs.
//
// Under Wine, SQLConfigDataSource loads the DLL named by the value Driver of
// HKLM\Software\ODBC\ODBCINST.INI\<driver name> and calls its ConfigDSN; it never reaches the
// Linux stand-in behind odbc32. So the Windows exe's repair request ends here. This library
// checks the request as the driver would: an attribute list of key=value entries (NUL-separated,
// ending in an empty one) with REPAIR_DB and at most PWD, UID and DSN beside it, a value
// optionally in double quotes, and a file that exists and is a database (a SQLite file, as the
// Linux stand-in's databases are). A refused request is posted with SQLPostInstallerError and
// answered FALSE, so the program must report it. A well-formed request for a database is answered
// without touching the file: the repair itself is proven on Linux.
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
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kPrefix = "[Brivanto Access setup stand-in] ";
constexpr std::string_view kDatabaseSignature{"SQLite format 3\0", 16};
// A real Access (Jet) file: the data path reads it through MDB Tools, read-only.
constexpr std::string_view kJetSignature{"\x00\x01\x00\x00Standard Jet DB\x00", 20};

struct Refusal {
  DWORD code;
  std::string text;
};

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

std::string WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

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

// PWD and UID come with every request of the program; a DSN is ignored beside REPAIR_DB, as the
// driver ignores it beside COMPACT_DB and CREATE_DB.
bool Accepted(const std::string& key) {
  return key == "repair_db" || key == "pwd" || key == "uid" || key == "dsn";
}

std::string DatabaseToRepair(const char* attributes) {
  std::optional<std::string> database;
  for (const char* entry = attributes != nullptr ? attributes : ""; *entry != '\0';
       entry += std::strlen(entry) + 1) {
    const std::string_view pair(entry);
    const auto equals = pair.find('=');
    const std::string key = Lower(pair.substr(0, equals));
    if (equals == std::string_view::npos || !Accepted(key)) {
      throw Refusal{ODBC_ERROR_INVALID_KEYWORD_VALUE,
                    "The attribute '" + std::string(pair) + "' is not supported"};
    }
    if (key == "repair_db" && !database) {
      database = WithoutQuotes(pair.substr(equals + 1));
    }
  }
  if (!database || database->empty()) {
    throw Refusal{ODBC_ERROR_INVALID_KEYWORD_VALUE, "A request without REPAIR_DB"};
  }
  return *database;
}

void CheckIsDatabase(const std::string& path) {
  const UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    throw Refusal{ODBC_ERROR_REQUEST_FAILED, "Cannot repair '" + path +
                                                 "': the file cannot be opened (system error " +
                                                 std::to_string(::GetLastError()) + ")"};
  }
  std::array<char, kJetSignature.size()> start{};
  DWORD read = 0;
  const bool was_read =
      ::ReadFile(file.get(), start.data(), static_cast<DWORD>(start.size()), &read, nullptr);
  const std::string_view header(start.data(), read);
  if (was_read && header == kJetSignature) {
    throw Refusal{ODBC_ERROR_REQUEST_FAILED,
                  "'" + path + "' is een Access-bestand (Jet). Alleen het Access-stuurprogramma " +
                      "van Windows kan het repareren; op Linux wordt het alleen-lezen geopend, " +
                      "via MDB Tools."};
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
