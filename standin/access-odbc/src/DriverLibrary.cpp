#include "DriverLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace brivanto::standin {

void DriverLibrary::Closer::operator()(void* library) const {
  dlclose(library);
}

DriverLibrary::DriverLibrary(const char* environment_variable, const char* default_path,
                             const char* what) {
  const char* configured = std::getenv(environment_variable);
  const std::string path = configured != nullptr && *configured != '\0' ? configured : default_path;
  library_.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!library_) {
    // No ODBC handle exists yet to carry a diagnostic, so this is the only place to say why.
    std::fprintf(stderr, "[Brivanto Access stand-in] cannot load %s: %s\n", what, dlerror());
    return;
  }
  ResolveFunctions(library_.get(), functions_);
}

}  // namespace brivanto::standin
