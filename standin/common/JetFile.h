// A real Access (Jet 3 or Jet 4) file, as both stand-ins recognise and refuse to repair it.
#pragma once

#include <string>
#include <string_view>

namespace brivanto::standin {

// Bytes 0 to 19 of every Jet 3 and Jet 4 database: a magic number and the engine's name.
inline constexpr std::string_view kJetSignature{"\x00\x01\x00\x00Standard Jet DB\x00", 20};

// Why a Jet file cannot be repaired here, for the repair request's refusal (Dutch: the user
// reads it in the repair log).
std::string JetRepairRefusal(const std::string& path);

}  // namespace brivanto::standin
