#pragma once

#include <cstdint>
#include <string>

#include "ports/Failure.h"

namespace brivanto::win32 {

// The system's own text for a Windows error code (FormatMessage), in UTF-8 and without the final
// line break; "Windows-foutcode <n>" when the system has no text for it.
std::string SystemMessage(std::uint32_t errorCode);

// A Failure numbered `number` whose description is the system's text for `errorCode`.
Failure SystemFailure(std::uint32_t errorCode, std::int32_t number = failure_codes::kFileAccess);

}  // namespace brivanto::win32
