#include "app/HeadlessRepair.h"

#include <algorithm>

#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"

namespace brivanto::app {
namespace {

constexpr int kIconMask = 0xF0;

class PrintingMessageBox : public ports::MessageDialog {
 public:
  PrintingMessageBox(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  int Show(const std::string& text, int style, const std::string& title) override {
    const bool isError = (style & kIconMask) == ports::message_box::kIconError;
    errorShown_ = errorShown_ || isError;
    auto& stream = isError ? err_ : out_;
    if (title != kApplicationTitle) {
      stream << title << ": ";
    }
    stream << text << std::endl;
    return ports::message_box::kAnswerOk;
  }
  bool ErrorShown() const { return errorShown_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool errorShown_ = false;
};

CommandLine Invalid(std::string error, bool repair) {
  CommandLine commandLine{CommandLine::Mode::Invalid, std::nullopt, std::nullopt, std::move(error)};
  commandLine.repair = repair;
  return commandLine;
}

bool IsHelp(const std::string& argument) {
  return argument == "--help" || argument == "-h";
}

CommandLine ParseRepair(const std::vector<std::string>& arguments) {
  CommandLine commandLine{CommandLine::Mode::Repair, std::nullopt, std::nullopt, {}};
  commandLine.repair = true;
  if (arguments.size() > 2) {
    return Invalid("Te veel argumenten: --repair neemt hoogstens een pad", true);
  }
  if (arguments.size() == 2) {
    if (arguments[1].starts_with("--")) {
      return Invalid("Onbekend argument: " + arguments[1], true);
    }
    commandLine.databasePath = arguments[1];
  }
  return commandLine;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  if (std::any_of(arguments.begin(), arguments.end(), IsHelp)) {
    return {CommandLine::Mode::Help, std::nullopt, std::nullopt, {}};
  }
  if (!arguments.empty() && arguments.front() == "--repair") {
    return ParseRepair(arguments);
  }
  CommandLine commandLine;
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    if (*argument != "--screenshot") {
      return Invalid("Onbekend argument: " + *argument, false);
    }
    if (++argument == arguments.end()) {
      return Invalid("--screenshot verwacht een bestandsnaam", false);
    }
    commandLine.screenshotFile = *argument;
  }
  return commandLine;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  return ParseCommandLine(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                                   : std::vector<std::string>{});
}

std::string UsageText(std::string_view logLocation) {
  return "Gebruik: BrivantoRepairDb [--repair [PAD] | --screenshot BESTAND.png] [--help]\n"
         "Repareert de Brivanto-database (Microsoft Access) via ODBC.\n"
         "\n"
         "  --repair [PAD]            repareer zonder venster de database PAD, of zonder PAD de\n"
         "                            database die het venster bij het starten kiest. Eerst komt "
         "een\n"
         "                            kopie naast het bestand (<bestand>.<jjjjmmdd-uummss>.bak, "
         "of\n"
         "                            -2.bak, -3.bak ... als die naam al bestaat); lukt die niet,\n"
         "                            dan wordt er niet gerepareerd. Melding op standaarduitvoer,\n"
         "                            fout en reden op standaardfout; afsluitcode 0 bij succes, 1\n"
         "                            bij een fout\n"
         "  --screenshot BESTAND.png  start het venster, bewaar er een afbeelding van en stop\n"
         "  -h, --help                toon deze hulp\n"
         "\n"
         "Repairlog: " +
         std::string(logLocation) + "\n";
}

int RunHeadlessRepair(const ServicesWith& services, const std::optional<std::string>& databasePath,
                      std::ostream& out, std::ostream& err) {
  TextOnlyView view;
  PrintingMessageBox messageBox(out, err);
  frmRepairDb form(view, services(messageBox));
  if (databasePath) {
    // Set directly, so a path given for one run does not become the window's saved path.
    view.SetPathText(*databasePath);
  } else if (!form.Form_Load()) {
    return kExitFailure;
  }
  form.cmdRepair_Click();
  // A script has no log viewer at hand: the reason goes where its errors go.
  if (!form.LastRepairFailure().empty()) {
    err << "Reden: " << form.LastRepairFailure() << std::endl;
  }
  bool cancel = false;
  form.Form_Unload(cancel);
  return messageBox.ErrorShown() ? kExitFailure : kExitSuccess;
}

}  // namespace brivanto::app
