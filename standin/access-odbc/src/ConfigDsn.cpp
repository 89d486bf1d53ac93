// The installer entry points unixODBC calls in the library named by Setup= in odbcinst.ini.
#include <odbcinst.h>

#include <exception>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Messages.h"
#include "Repair.h"
#include "RepairRequest.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// unixODBC's headers define BOOL but no TRUE or FALSE for it.
constexpr BOOL kSucceeded = 1;
constexpr BOOL kFailed = 0;

struct InstallerError {
  DWORD code;
  std::string message;
};

void Post(DWORD code, const std::string& message) {
  // The posted error is the only report there is; if posting fails, nothing else could tell.
  static_cast<void>(SQLPostInstallerError(code, ToApplication(message).c_str()));
}

InstallerError Unsupported(DWORD code, const std::string& what) {
  return InstallerError{code, std::string(kMessagePrefix) + what +
                                  " is not supported by this stand-in; it can only repair a "
                                  "database (REPAIR_DB)."};
}

// What a request with REPAIR_DB is answered. "SQLConfigDataSource (Access Driver)" does not say
// which requests repair, nor what ODBC_CONFIG_DSN returns when no DSN is named
// (BRIVANTO_STANDIN_REPAIR_ANSWER).
enum class Answer { kRepairAndSucceed, kRepairAndReturnFalse, kRefuse };

Answer AnswerTo(WORD request) {
  const RepairAnswer setting = RepairAnswerSetting();
  if (request == ODBC_ADD_DSN) {
    const bool adds =
        setting == RepairAnswer::kFalseAfterRepair || setting == RepairAnswer::kAddOnly;
    return adds ? Answer::kRepairAndSucceed : Answer::kRefuse;
  }
  if (request != ODBC_CONFIG_DSN) {
    return Answer::kRefuse;
  }
  switch (setting) {
    case RepairAnswer::kFalseAfterRepair:
      return Answer::kRepairAndReturnFalse;
    case RepairAnswer::kConfig:
      return Answer::kRepairAndSucceed;
    case RepairAnswer::kAddOnly:
    case RepairAnswer::kRefuseBoth:
      break;
  }
  return Answer::kRefuse;
}

std::string DatabaseToRepair(const char* attributes) {
  // The entries come in the application's code page.
  std::vector<std::string> entries = AttributeEntries(attributes);
  for (std::string& entry : entries) {
    entry = FromApplication(entry);
  }
  const RepairRequest request = ReadRepairRequest(entries);
  if (request.unsupported) {
    throw Unsupported(ODBC_ERROR_INVALID_KEYWORD_VALUE,
                      "The attribute '" + *request.unsupported + "'");
  }
  if (!request.database) {
    throw Unsupported(ODBC_ERROR_INVALID_KEYWORD_VALUE, "A request without REPAIR_DB");
  }
  return *request.database;
}

}  // namespace
}  // namespace brivanto::standin

extern "C" BOOL INSTAPI ConfigDSN(HWND /*parent*/, WORD request, LPCSTR /*driver*/,
                                  LPCSTR attributes) {
  using namespace brivanto::standin;
  try {
    const Answer answer = AnswerTo(request);
    if (answer == Answer::kRefuse) {
      throw Unsupported(ODBC_ERROR_INVALID_REQUEST_TYPE, "Request " + std::to_string(request));
    }
    RepairDatabase(DatabaseToRepair(attributes));
    // A FALSE after a repair that went well has nothing to post.
    return answer == Answer::kRepairAndSucceed ? kSucceeded : kFailed;
  } catch (const InstallerError& error) {
    Post(error.code, error.message);
  } catch (const RepairError& error) {
    Post(ODBC_ERROR_REQUEST_FAILED, error.what());
  } catch (const std::exception& error) {
    Post(ODBC_ERROR_GENERAL_ERR, std::string(kMessagePrefix) + error.what());
  }
  return kFailed;
}

// unixODBC calls this only for ODBC_INSTALL_DRIVER and ODBC_REMOVE_DRIVER, ignores the result
// and leaves the message length unset unless the driver sets it. Registering the stand-in
// needs nothing beyond its odbcinst.ini lines, so those two succeed without doing anything.
extern "C" BOOL INSTAPI ConfigDriver(HWND /*parent*/, WORD request, LPCSTR /*driver*/,
                                     LPCSTR /*arguments*/, LPSTR message, WORD message_size,
                                     WORD* message_length) {
  using namespace brivanto::standin;
  if (message != nullptr && message_size > 0) {
    message[0] = '\0';
  }
  if (message_length != nullptr) {
    *message_length = 0;
  }
  if (request == ODBC_INSTALL_DRIVER || request == ODBC_REMOVE_DRIVER) {
    return kSucceeded;
  }
  Post(ODBC_ERROR_INVALID_REQUEST_TYPE,
       std::string(kMessagePrefix) + "Driver configuration is not supported by this stand-in.");
  return kFailed;
}
