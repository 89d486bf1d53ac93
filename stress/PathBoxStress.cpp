// Random edits of the path box (typing, deleting, pasting, dropping) through the window's logic
// over the real Linux services, built with AddressSanitizer and UBSan: no sanitizer report, no
// leak at exit, no file the run did not make on purpose, and the settings always hold the box.
// Usage: stress_path_box [EDITS [SEED]]

#if !defined(__SANITIZE_ADDRESS__)
#error "the path box stress promises sanitizer checks: build it with BRIVANTO_SANITIZE=ON"
#endif

#include <sanitizer/lsan_interface.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <random>

#include "LinuxServices.h"
#include "OdbcTestEnvironment.h"
#include "StressSupport.h"
#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"
#include "text/Text.h"

// The leak check is part of what the run promises, whatever the environment asks for.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=1:halt_on_error=1:abort_on_error=0";
}

namespace {

namespace fs = std::filesystem;
using namespace brivanto;

// The marker a dropped file needs unless Shift+Ctrl forces it: the first 7 characters of the
// pattern of the standard variant, "BrivantoDb.mdb".
constexpr const char* kDropMarker = "brivant";

class Edits {
 public:
  Edits(unsigned seed, std::vector<std::string> pastes)
      : random_(seed), pastes_(std::move(pastes)) {}

  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
  bool OneIn(int chances) { return Below(chances) == 0; }
  const std::string& Paste() { return pastes_[static_cast<std::size_t>(Below(Size(pastes_)))]; }

  // Mostly characters of paths, now and then a byte of a UTF-8 sequence, a control character or
  // a character that ODBC connection strings and INI files give a meaning of their own.
  std::string Typed() {
    static const std::string kKeys = "abcdefmBDdb./-_ ~*?;={}[]\"'\\\t\r\n\xc3\xa9\x7f";
    std::string typed;
    for (int count = 1 + Below(3); count > 0; --count) {
      typed += kKeys[static_cast<std::size_t>(Below(Size(kKeys)))];
    }
    return typed;
  }
  // A position in `text`, and a length from there that stays inside it.
  std::pair<std::size_t, std::size_t> Selection(const std::string& text) {
    const auto start = static_cast<std::size_t>(Below(Size(text) + 1));
    const auto rest = static_cast<int>(std::min<std::size_t>(text.size() - start, 12));
    return {start, static_cast<std::size_t>(Below(rest + 1))};
  }

 private:
  template <typename Sized>
  static int Size(const Sized& items) {
    return static_cast<int>(items.size());
  }
  std::mt19937 random_;
  std::vector<std::string> pastes_;
};

fs::path CreateDatabase(const fs::path& path, const std::string& folder) {
  stress::SqliteFile file(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  file.Execute(
      "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
      "INSERT INTO tblSettings VALUES ('Storage', 'DocumentPath', '" +
      folder + "')");
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const char* options = std::getenv("ASAN_OPTIONS");
  if (options != nullptr && std::string(options).find("detect_leaks=0") != std::string::npos) {
    std::fprintf(stderr, "stress_path_box: ASAN_OPTIONS switches the leak check off\n");
    return 2;
  }
  const int edits = argc > 1 ? std::atoi(argv[1]) : 10000;
  const unsigned seed =
      argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : std::random_device{}();
  std::printf("path box: %d edits, seed %u\n", edits, seed);
  stress::Violations violations;
  stress::Stopwatch stopwatch;
  int onDatabase = 0;
  int drops = 0;
  int rejectedFiles = 0;
  {
    testing::OdbcTestEnvironment environment;
    const fs::path work = environment.WorkDirectory();
    // Relative paths typed into the box resolve inside the work folder, where strays are seen.
    if (chdir(work.c_str()) != 0) {
      std::perror("chdir");
      return 1;
    }
    fs::create_directory(work / "data");
    const std::map<fs::path, std::string> databases = {
        {CreateDatabase(work / "data" / "BrivantoDb.mdb", "/srv/images"), "/srv/images"},
        {CreateDatabase(work / "data" / "other.mdb", "/srv/other"), "/srv/other"}};
    const auto mainDatabase = (work / "data" / "BrivantoDb.mdb").string();
    testing::OdbcTestEnvironment::WriteOdbcIni(
        "[BrivantoDb]\nDriver=" + std::string(testing::OdbcTestEnvironment::kAccessDriver) +
        "\nDBQ=" + mainDatabase + "\n");
    const auto configFolder = testing::OdbcTestEnvironment::ConfigDirectory();
    const auto before = stress::ListTree(configFolder);

    stress::RecordingMessageBox messages;
    qt::LinuxServices services;
    services.settings = posix::IniSettingsStore(work / "config");
    services.repairLogPath = (work / "state" / "repairBrivanto.log").string();
    const auto settingsFile = services.settings.FilePath("Brivanto");
    posix::IniSettingsStore settingsReader(work / "config");
    const auto savedPath = [&] {
      return settingsReader.GetSetting("Brivanto", "RepairDb", "DbPath", "<missing>");
    };

    app::TextOnlyView view;
    app::frmRepairDb form(view, services.Bundle(messages));
    violations.Check(form.Form_Load(), "Form_Load failed");
    violations.Check(view.PathText() == mainDatabase && view.DirText() == "/srv/images",
                     "start-up did not open the data source's database: '%s', folder '%s'",
                     view.PathText().c_str(), view.DirText().c_str());

    // What the image folder box shows after the box is changed to `path`: the folder of the
    // database it names, nothing for any other path, and the old folder when it is emptied.
    const auto FolderAfter = [&databases](const std::string& path, const std::string& shown) {
      std::error_code ignored;
      for (const auto& [database, folder] : databases) {
        if (fs::is_regular_file(path, ignored) && fs::equivalent(path, database, ignored)) {
          return folder;
        }
      }
      return path.empty() ? shown : std::string();
    };
    std::string expectedFolder = view.DirText();
    Edits random(seed, {mainDatabase, mainDatabase, (work / "data" / "other.mdb").string(),
                        "data/BrivantoDb.mdb", "./data//BrivantoDb.mdb", (work / "data").string(),
                        settingsFile.string(), mainDatabase + ".missing", "", " ",
                        "C:\\Brivanto\\BrivantoDb.mdb", "\xc3\xa9\xe2\x82\xac.mdb",
                        std::string(300, 'x') + ".mdb", "/", "data/other.mdb;DBQ=x"});
    for (int edit = 0; edit < edits; ++edit) {
      const int kind = random.Below(10);
      std::string text = view.PathText();
      if (kind < 7 || kind == 9) {
        const auto [start, length] = random.Selection(text);
        if (kind < 4) {
          text.replace(start, length, random.Typed());
        } else if (kind < 7) {
          text.erase(start, std::max<std::size_t>(length, 1));
        } else {
          text.replace(random.OneIn(2) ? 0 : start, random.OneIn(2) ? text.size() : length,
                       random.Paste());
        }
        view.SetPathText(text);
        form.txtPath_Change();
        expectedFolder = FolderAfter(text, expectedFolder);
      } else {
        ++drops;
        std::optional<std::vector<std::string>> files;
        if (!random.OneIn(5)) {
          files.emplace();
          for (int count = random.Below(3); count >= 0; --count) {
            files->push_back(random.Paste());
          }
        }
        const app::KeyModifiers modifiers{random.OneIn(2), random.OneIn(2), random.OneIn(3)};
        const bool forced = modifiers.shift && modifiers.ctrl && !modifiers.alt;
        for (const auto& file : files.value_or(std::vector<std::string>{})) {
          if (forced || text::ToLowerAscii(file).find(kDropMarker) != std::string::npos) {
            expectedFolder = FolderAfter(file, expectedFolder);
          } else {
            ++rejectedFiles;
          }
        }
        form.txtPath_OLEDragDrop(files, modifiers);
      }
      const auto path = view.PathText();
      onDatabase += path.empty() || expectedFolder.empty() ? 0 : 1;
      violations.Check(view.DirText() == expectedFolder,
                       "edit %d: path '%s' shows folder '%s', not '%s'", edit, path.c_str(),
                       view.DirText().c_str(), expectedFolder.c_str());
      violations.Check(savedPath() == path, "edit %d: settings hold '%s', the box '%s'", edit,
                       savedPath().c_str(), path.c_str());
    }
    violations.Check(messages.shown == rejectedFiles, "%d boxes for %d refused dropped files",
                     messages.shown, rejectedFiles);
    bool cancel = false;
    form.Form_Unload(cancel);
    for (const auto& [database, folder] : databases) {
      violations.Check(testing::OdbcTestEnvironment::OpenDescriptorCount(database) == 0,
                       "%s still open after unload", database.c_str());
    }
    violations.Check(savedPath() == view.PathText(),
                     "the settings file does not hold the last path");

    auto expected = before;
    for (auto made = settingsFile; made != work; made = made.parent_path()) {
      expected.insert(fs::relative(made, configFolder).string());
    }
    for (const auto& entry : stress::ListTree(configFolder)) {
      violations.Check(expected.count(entry) == 1, "stray file: %s", entry.c_str());
    }
    for (const auto& entry : expected) {
      violations.Check(fs::exists(configFolder / entry), "missing: %s", entry.c_str());
    }
    if (chdir("/") != 0) {
      std::perror("chdir");
      return 1;
    }
  }
  const int leaks = __lsan_do_recoverable_leak_check();
  violations.Check(leaks == 0, "LeakSanitizer found leaks");
  std::printf("path box: %d edits (%d drops, %d refused files) in %.1f s, %d on a real database\n",
              edits, drops, rejectedFiles, stopwatch.Seconds(), onDatabase);
  std::printf("edits=%d on_database=%d drops=%d refused=%d leaks=%d violations=%d seconds=%.1f\n",
              edits, onDatabase, drops, rejectedFiles, leaks, violations.Count(),
              stopwatch.Seconds());
  return violations.Finish("stress_path_box");
}
