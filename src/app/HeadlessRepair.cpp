#include "app/HeadlessRepair.h"

#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"

namespace brivanto::app {
namespace {

constexpr int kIconMask = 0xF0;

class PrintingMessageBox : public platform::MessageBox {
 public:
  PrintingMessageBox(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  int Show(const std::string& text, int style, const std::string& title) override {
    const bool isError = (style & kIconMask) == platform::message_box::kIconError;
    errorShown_ = errorShown_ || isError;
    auto& stream = isError ? err_ : out_;
    if (title != kApplicationTitle) {
      stream << title << ": ";
    }
    stream << text << std::endl;
    return platform::message_box::kAnswerOk;
  }
  bool ErrorShown() const { return errorShown_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool errorShown_ = false;
};

Services WithMessageBox(const Services& services, platform::MessageBox& messageBox) {
  return Services{messageBox,         services.settings,   services.registry,
                  services.database,  services.fileSystem, services.fileDialog,
                  services.clipboard, services.clock,      services.ticks,
                  services.installer, services.shell,      services.repairLogPath};
}

CommandLine Invalid(std::string error) {
  return CommandLine{CommandLine::Mode::Invalid, std::nullopt, std::move(error)};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.front() != "--repair") {
    return {};
  }
  if (arguments.size() == 1) {
    return {CommandLine::Mode::Repair, std::nullopt, {}};
  }
  if (arguments.size() > 2) {
    return Invalid("Te veel argumenten: --repair neemt hoogstens een pad");
  }
  return {CommandLine::Mode::Repair, arguments[1], {}};
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  return ParseCommandLine(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                                   : std::vector<std::string>{});
}

int RunHeadlessRepair(const Services& services, const std::optional<std::string>& databasePath,
                      std::ostream& out, std::ostream& err) {
  TextOnlyView view;
  PrintingMessageBox messageBox(out, err);
  frmRepairDb form(view, WithMessageBox(services, messageBox));
  if (databasePath) {
    // Set directly, so a path given for one run does not become the window's saved path.
    view.SetPathText(*databasePath);
  } else if (!form.Form_Load()) {
    return kExitFailure;
  }
  form.cmdRepair_Click();
  bool cancel = false;
  form.Form_Unload(cancel);
  return messageBox.ErrorShown() ? kExitFailure : kExitSuccess;
}

}  // namespace brivanto::app
