// A driver library loaded for the life of the stand-in, with its entry points.
#pragma once

#include <memory>

#include "DriverFunctions.h"

namespace brivanto::standin {

class DriverLibrary {
 public:
  // Loads the library named by the environment variable if set, else the configured path. A
  // library that cannot be loaded leaves every function null.
  DriverLibrary(const char* environment_variable, const char* default_path, const char* what);

  bool loaded() const { return library_ != nullptr; }
  const DriverFunctions& functions() const { return functions_; }
  DriverFunctions& functions() { return functions_; }

 private:
  struct Closer {
    // Runs while the stand-in is being unloaded; a failing dlclose has nobody left to tell.
    void operator()(void* library) const;
  };
  std::unique_ptr<void, Closer> library_;
  DriverFunctions functions_;
};

}  // namespace brivanto::standin
