#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/Services.h"
#include "app/frmRepairDb.h"
#include "ports/Failure.h"
#include "ports/MessageDialog.h"

namespace brivanto::app {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CommandLine {
  enum class Mode { Window, Repair, Help, Invalid };
  Mode mode = Mode::Window;
  // With Mode::Repair: the database to repair; nullopt lets start-up choose it.
  std::optional<std::string> databasePath;
  // With Mode::Window: save a picture of the started window to this PNG file, then end.
  std::optional<std::string> screenshotFile;
  // With Mode::Invalid: what is wrong, for the user.
  std::string error;

  // A repair or the help text runs without a window, and so without a display.
  bool NeedsWindow() const { return mode == Mode::Window || (mode == Mode::Invalid && !repair); }
  bool repair = false;
};

// `arguments` leaves out the program name. --help anywhere asks for the help text.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The help text; `logLocation` says where this platform keeps the repair log.
std::string UsageText(std::string_view logLocation);

// The services of a run whose messages all go to the given message box.
using ServicesWith = std::function<Services(ports::MessageDialog&)>;

// The repair of the window without a window: on `databasePath`, or on the database that
// start-up chooses when it is nullopt. Every message box is printed instead, errors on `err`
// and the rest on `out`, and answered with OK. Returns the program's exit code.
int RunHeadlessRepair(const ServicesWith& services, const std::optional<std::string>& databasePath,
                      std::ostream& out, std::ostream& err);

// The same over a program's own services (a type with Bundle(ports::MessageDialog&)), set up
// here so that a failure to set them up (no driver manager, say) is reported like any other.
template <typename ProgramServices>
int RunHeadlessRepairWith(const std::optional<std::string>& databasePath, std::ostream& out,
                          std::ostream& err) {
  try {
    ProgramServices services;
    return RunHeadlessRepair(
        [&services](ports::MessageDialog& messages) { return services.Bundle(messages); },
        databasePath, out, err);
  } catch (const std::exception& error) {
    err << FailureText(AsFailure(error)) << std::endl;
  }
  return kExitFailure;
}

}  // namespace brivanto::app
