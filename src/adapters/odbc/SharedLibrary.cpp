#include "SharedLibrary.h"

#include <dlfcn.h>

#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

std::string LoaderReason() {
  const char* reason = dlerror();
  return reason != nullptr ? reason : "onbekende reden";
}

void* Load(const std::string& name) {
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

SharedLibrary::Address FindSymbol(void* library, const char* symbol) {
  return reinterpret_cast<SharedLibrary::Address>(dlsym(library, symbol));
}

void Unload(void* library) {
  // Unloading only fails for a handle that is not a loaded library; nothing to report.
  dlclose(library);
}

}  // namespace

SharedLibrary::SharedLibrary(std::string name) : name_(std::move(name)), handle_(Load(name_)) {
  if (handle_ == nullptr) {
    throw Failure(brivanto::failure_codes::kModuleNotFound,
                  "De bibliotheek " + name_ + " kan niet worden geladen: " + LoaderReason());
  }
}

SharedLibrary::~SharedLibrary() {
  Unload(handle_);
}

SharedLibrary::Address SharedLibrary::ResolveAddress(const char* symbol) const {
  const Address address = FindSymbol(handle_, symbol);
  if (address == nullptr) {
    throw Failure(
        brivanto::failure_codes::kModuleNotFound,
        "De bibliotheek " + name_ + " bevat de functie " + symbol + " niet: " + LoaderReason());
  }
  return address;
}

}  // namespace brivanto::odbc
