#include "ProgramConsole.h"

#include <io.h>
#include <windows.h>

#include "AnsiText.h"

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

// The console behind `stream`, or nullptr when it is a file, a pipe or nothing.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return handle;
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

ConsoleText::~ConsoleText() {
  sync();
}

ConsoleText::int_type ConsoleText::overflow(int_type character) {
  if (!traits_type::eq_int_type(character, traits_type::eof())) {
    pending_ += traits_type::to_char_type(character);
  }
  return traits_type::not_eof(character);
}

std::streamsize ConsoleText::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  return count;
}

// A text that does not arrive has nobody left to be reported to: printing is the report.
int ConsoleText::sync() {
  if (pending_.empty()) {
    return 0;
  }
  if (const HANDLE console = ConsoleOf(stream_)) {
    std::fflush(stream_);
    const std::wstring wide = win32::ToWide(pending_);
    DWORD written = 0;
    static_cast<void>(
        ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr));
  } else {
    static_cast<void>(std::fwrite(pending_.data(), 1, pending_.size(), stream_));
    static_cast<void>(std::fflush(stream_));
  }
  pending_.clear();
  return 0;
}

}  // namespace brivanto::win32ui
