#include "SystemError.h"

#include <windows.h>

#include "AnsiText.h"
#include "UniqueHandle.h"

namespace brivanto::win32 {

std::string SystemMessage(std::uint32_t errorCode) {
  UniqueLocalText buffer;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, errorCode, 0, reinterpret_cast<char*>(buffer.put()), 0, nullptr);
  std::string text;
  if (length > 0 && buffer) {
    text = FromAnsi(std::string_view(buffer.get(), length));
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "Windows-foutcode " + std::to_string(errorCode) : text;
}

Failure SystemFailure(std::uint32_t errorCode, std::int32_t number) {
  return Failure(number, SystemMessage(errorCode));
}

}  // namespace brivanto::win32
