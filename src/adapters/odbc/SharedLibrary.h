#pragma once

#include <string>

namespace brivanto::odbc {

// A library loaded at run time (dlopen), unloaded with its owner. Linux only: on Windows the
// registry is read directly and the installer is linked.
class SharedLibrary {
 public:
  // Throws Failure numbered failure_codes::kModuleNotFound, naming the library and the loader's
  // reason.
  explicit SharedLibrary(std::string name);
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  ~SharedLibrary();

  // Throws Failure numbered failure_codes::kModuleNotFound when the library lacks `symbol`.
  template <typename Function>
  Function* Resolve(const char* symbol) const {
    return reinterpret_cast<Function*>(ResolveAddress(symbol));
  }

  using Address = void (*)();

 private:
  Address ResolveAddress(const char* symbol) const;

  std::string name_;
  void* handle_ = nullptr;
};

}  // namespace brivanto::odbc
