#include "WineSite.h"

#include <commctrl.h>
#include <shlobj.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace brivanto::win32test {
namespace {

struct OdbcHandle {
  SQLSMALLINT type;
  SQLHANDLE handle = SQL_NULL_HANDLE;
  OdbcHandle(SQLSMALLINT handleType, SQLHANDLE parent) : type(handleType) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle))) {
      throw std::runtime_error("SQLAllocHandle failed");
    }
  }
  ~OdbcHandle() { SQLFreeHandle(type, handle); }
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
};

std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {};
  SQLCHAR message[512] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof(message), &length);
  return reinterpret_cast<const char*>(message);
}

std::string ClassName(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)), '\0');
  ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

BOOL CALLBACK ReadChild(HWND child, LPARAM seen) {
  auto& dialog = *reinterpret_cast<SeenDialog*>(seen);
  const std::string name = ClassName(child);
  if (lstrcmpiA(name.c_str(), "Static") == 0) {
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      const auto icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
      dialog.errorIcon = dialog.errorIcon || icon == ::LoadIconA(nullptr, IDI_HAND);
    } else if (const std::string text = WindowText(child); text.size() > dialog.text.size()) {
      dialog.text = text;
    }
  } else if (name == "SysTreeView32") {
    dialog.folderBrowser = true;
  }
  return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == ::GetCurrentProcessId() && ClassName(window) == "#32770" &&
      ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
  if (ClassName(child) == "SysTreeView32") {
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
  }
  return TRUE;
}

std::string SelectedItemText(HWND tree) {
  char text[MAX_PATH] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  if (item.hItem == nullptr ||
      !::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
    return {};
  }
  return text;
}

// The browser still selects the program's start folder while it fills its tree, so the choice is
// repeated until the tree shows it selected.
void SelectFolder(HWND dialog, const std::string& folder) {
  using namespace std::chrono_literals;
  HWND tree = nullptr;
  ::EnumChildWindows(dialog, &FindTree, reinterpret_cast<LPARAM>(&tree));
  const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
  for (int attempt = 0; attempt < 50 && SelectedItemText(tree) != leaf; ++attempt) {
    ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    std::this_thread::sleep_for(100ms);
  }
}

}  // namespace

std::string NewWorkFolder() {
  static int count = 0;
  const char* work = std::getenv("BRIVANTO_WINE_WORK");
  if (work == nullptr || *work != '/') {
    throw std::runtime_error(
        "BRIVANTO_WINE_WORK is not set: run through scripts/wine.sh "
        "run-odbc-tests");
  }
  // Linux paths starting with '/' must name the host's files.
  if (!::SetCurrentDirectoryA("Z:\\")) {
    throw std::runtime_error("no drive Z: for the host's root");
  }
  const std::string folder = std::string(work) + "/case" + std::to_string(++count);
  if (!::CreateDirectoryA(folder.c_str(), nullptr)) {
    throw std::runtime_error("cannot create " + folder);
  }
  return folder;
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  for (char& c : path) {
    c = c == '/' ? '\\' : c;
  }
  return path;
}

void RunOnSqlite(const std::string& file, const std::vector<std::string>& statements) {
  const OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  SQLSetEnvAttr(environment.handle, SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  const OdbcHandle connection(SQL_HANDLE_DBC, environment.handle);
  std::string text = "Driver={SQLite3 Test};Database=" + file + ";";
  if (!SQL_SUCCEEDED(SQLDriverConnect(connection.handle, nullptr,
                                      reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                      nullptr, SQL_DRIVER_NOPROMPT))) {
    throw std::runtime_error("cannot open " + file + ": " +
                             Diagnostic(SQL_HANDLE_DBC, connection.handle));
  }
  for (std::string statement : statements) {
    const OdbcHandle handle(SQL_HANDLE_STMT, connection.handle);
    if (!SQL_SUCCEEDED(
            SQLExecDirect(handle.handle, reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS))) {
      throw std::runtime_error(statement + ": " + Diagnostic(SQL_HANDLE_STMT, handle.handle));
    }
  }
  SQLDisconnect(connection.handle);
}

std::string CreateSiteDatabase(const std::string& folder, const std::string& imageFolder) {
  const std::string file = folder + "/BrivantoDb.mdb";
  std::string literal;
  for (const char c : imageFolder) {
    literal += c == '\'' ? std::string("''") : std::string(1, c);
  }
  RunOnSqlite(file, {"create table tblSettings(Section text, sKey text, Value text)",
                     "insert into tblSettings values ('License', 'LoggedOn1', 'PC-07 jan'), "
                     "('Storage', 'DocumentPath', '" +
                         literal +
                         "'), "
                         "('License', 'LoggedOn2', 'PC-03 piet'), ('License', 'Serial', 'X-1')"});
  return file;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (std::string(entry.cFileName) != "." && std::string(entry.cFileName) != "..") {
        RemoveTree(path + "\\" + entry.cFileName);
      }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(path.c_str());
}

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

RegistryKey::RegistryKey(std::string key,
                         const std::vector<std::pair<std::string, std::string>>& values)
    : key_(std::move(key)) {
  HKEY handle = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create HKLM\\" + key_);
  }
  const std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&::RegCloseKey)> owned(
      handle, &::RegCloseKey);
  for (const auto& [name, value] : values) {
    ::RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  }
}

RegistryKey::~RegistryKey() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

DialogAnswerer::DialogAnswerer(std::string folderChoice)
    : folderChoice_(std::move(folderChoice)), thread_([this] { Watch(); }) {}

DialogAnswerer::~DialogAnswerer() {
  stop_ = true;
  thread_.join();
}

std::vector<SeenDialog> DialogAnswerer::Seen() const {
  const std::lock_guard lock(mutex_);
  return seen_;
}

void DialogAnswerer::Watch() {
  using namespace std::chrono_literals;
  while (!stop_) {
    std::this_thread::sleep_for(50ms);
    HWND dialog = nullptr;
    ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
      continue;
    }
    // A browser fills its tree after it is shown.
    std::this_thread::sleep_for(300ms);
    SeenDialog seen;
    seen.title = WindowText(dialog);
    ::EnumChildWindows(dialog, &ReadChild, reinterpret_cast<LPARAM>(&seen));
    WPARAM answer = ::GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK;
    if (seen.folderBrowser && !folderChoice_.empty()) {
      SelectFolder(dialog, folderChoice_);
    }
    {
      const std::lock_guard lock(mutex_);
      seen_.push_back(seen);
    }
    ::PostMessageA(dialog, WM_COMMAND, answer, 0);
    for (int wait = 0; wait < 100 && ::IsWindow(dialog) && ::IsWindowVisible(dialog); ++wait) {
      std::this_thread::sleep_for(20ms);
    }
  }
}

}  // namespace brivanto::win32test
