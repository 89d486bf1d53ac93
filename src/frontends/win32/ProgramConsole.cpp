#include "ProgramConsole.h"

#include <windows.h>

#include <cstdio>

namespace brivanto::win32ui {
namespace {

bool HasStream(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void WriteToConsole(std::FILE* stream) {
  // Without the console's output the text is lost, which the caller already accepts.
  static_cast<void>(std::freopen("CONOUT$", "w", stream));
}

}  // namespace

void JoinParentConsole() {
  const bool outputMissing = !HasStream(STD_OUTPUT_HANDLE);
  const bool errorsMissing = !HasStream(STD_ERROR_HANDLE);
  if ((!outputMissing && !errorsMissing) || !::AttachConsole(ATTACH_PARENT_PROCESS)) {
    return;
  }
  if (outputMissing) {
    WriteToConsole(stdout);
  }
  if (errorsMissing) {
    WriteToConsole(stderr);
  }
}

}  // namespace brivanto::win32ui
