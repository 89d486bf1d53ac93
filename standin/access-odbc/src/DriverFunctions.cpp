#include "DriverFunctions.h"

#include <dlfcn.h>

#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

thread_local const DriverFunctions* current_driver = nullptr;

template <typename Function>
void Resolve(void* library, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

void ResolveFunctions(void* library, DriverFunctions& functions) {
#define BRIVANTO_RESOLVE_FORWARDED(prologue, name, id, params, args) \
  Resolve(library, #name, functions.name);
#define BRIVANTO_RESOLVE_INTERCEPTED(name, id) Resolve(library, #name, functions.name);
  BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_RESOLVE_FORWARDED)
  BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_RESOLVE_INTERCEPTED)
#undef BRIVANTO_RESOLVE_FORWARDED
#undef BRIVANTO_RESOLVE_INTERCEPTED
}

bool DriverFunctions::Provides(SQLUSMALLINT function_id) const {
// The macro arguments are names, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define BRIVANTO_PROVIDES_FORWARDED(prologue, name, id, params, args) \
  if (function_id == (id)) {                                          \
    return name != nullptr;                                           \
  }
#define BRIVANTO_PROVIDES_INTERCEPTED(name, id) \
  if (function_id == (id)) {                    \
    return name != nullptr;                     \
  }
  // NOLINTEND(bugprone-macro-parentheses)
  BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_PROVIDES_FORWARDED)
  BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_PROVIDES_INTERCEPTED)
#undef BRIVANTO_PROVIDES_FORWARDED
#undef BRIVANTO_PROVIDES_INTERCEPTED
  return false;
}

const DriverFunctions& CurrentDriver() {
  return current_driver != nullptr ? *current_driver : GetSqliteDriver();
}

DriverScope::DriverScope(const DriverFunctions* driver) : previous_(current_driver) {
  current_driver = driver;
}

DriverScope::~DriverScope() {
  current_driver = previous_;
}

}  // namespace brivanto::standin
