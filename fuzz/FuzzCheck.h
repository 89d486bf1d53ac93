#pragma once

#include <cstdio>
#include <cstdlib>

namespace brivanto::fuzz {

// libFuzzer keeps the input of any abort as a crash file, so a broken property is reported like
// a crash, with the condition that failed.
[[noreturn]] inline void PropertyFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace brivanto::fuzz

#define FUZZ_CHECK(condition)         \
  ((condition) ? static_cast<void>(0) \
               : ::brivanto::fuzz::PropertyFailed(#condition, __FILE__, __LINE__))
