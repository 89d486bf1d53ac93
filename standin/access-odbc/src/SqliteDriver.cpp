#include "SqliteDriver.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace brivanto::standin {
namespace {

struct LibraryCloser {
  // Runs while the stand-in is being unloaded; a failing dlclose has nobody left to tell.
  void operator()(void* library) const { dlclose(library); }
};

using Library = std::unique_ptr<void, LibraryCloser>;

std::string LibraryPath() {
  const char* configured = std::getenv("BRIVANTO_SQLITE_ODBC_DRIVER");
  return configured != nullptr && *configured != '\0' ? configured
                                                      : BRIVANTO_SQLITE_ODBC_DEFAULT_PATH;
}

template <typename Function>
void Resolve(void* library, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(dlsym(library, name));
}

class LoadedDriver {
 public:
  LoadedDriver() {
    const std::string path = LibraryPath();
    library_.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library_) {
      // No ODBC handle exists yet to carry a diagnostic, so this is the only place to say why.
      std::fprintf(stderr, "[Brivanto Access stand-in] cannot load the SQLite ODBC driver: %s\n",
                   dlerror());
      return;
    }
#define BRIVANTO_RESOLVE_FORWARDED(prologue, name, id, params, args) \
  Resolve(library_.get(), #name, functions_.name);
#define BRIVANTO_RESOLVE_INTERCEPTED(name, id) Resolve(library_.get(), #name, functions_.name);
    BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_RESOLVE_FORWARDED)
    BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_RESOLVE_INTERCEPTED)
#undef BRIVANTO_RESOLVE_FORWARDED
#undef BRIVANTO_RESOLVE_INTERCEPTED
  }

  const SqliteDriver& functions() const {
    return functions_;
  }

 private:
  Library library_;
  SqliteDriver functions_;
};

}  // namespace

bool SqliteDriver::Provides(SQLUSMALLINT function_id) const {
#define BRIVANTO_PROVIDES_FORWARDED(prologue, name, id, params, args) \
  if (function_id == (id)) {                                          \
    return name != nullptr;                                           \
  }
#define BRIVANTO_PROVIDES_INTERCEPTED(name, id) \
  if (function_id == (id)) {                    \
    return name != nullptr;                     \
  }
  BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_PROVIDES_FORWARDED)
  BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_PROVIDES_INTERCEPTED)
#undef BRIVANTO_PROVIDES_FORWARDED
#undef BRIVANTO_PROVIDES_INTERCEPTED
  return false;
}

const SqliteDriver& GetSqliteDriver() {
  // A function-local static is initialised exactly once even when threads race to it.
  static const LoadedDriver loaded;
  return loaded.functions();
}

}  // namespace brivanto::standin
