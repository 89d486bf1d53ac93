#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Services.h"

namespace brivanto::app {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

struct CommandLine {
  enum class Mode { Window, Repair, Invalid };
  Mode mode = Mode::Window;
  // With Mode::Repair: the database to repair; nullopt lets start-up choose it.
  std::optional<std::string> databasePath;
  // With Mode::Invalid: what is wrong, for the user.
  std::string error;
};

// `arguments` leaves out the program name. Only a first argument of --repair is handled here;
// any other command line belongs to the window's start.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The repair of the window without a window: on `databasePath`, or on the database that
// start-up chooses when it is nullopt. Every message box is printed instead, errors on `err`
// and the rest on `out`, and answered with OK. Returns the program's exit code.
int RunHeadlessRepair(const Services& services, const std::optional<std::string>& databasePath,
                      std::ostream& out, std::ostream& err);

}  // namespace brivanto::app
