// Copies one 200 MB file with the tool's backup copy and with cp, alternating, and prints the
// best of three runs of each. The backup copy waits until its copy is on disk and cp does not,
// so cp followed by a sync of its copy is timed too: the figure with the same durability.
//
// Usage: bench_backup [FOLDER]   (default: the system's temporary folder)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "StandardFileSystem.h"
#include "ports/Failure.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kFileSize = 200'000'000;
constexpr int kRounds = 3;

class BenchFolder {
 public:
  explicit BenchFolder(const fs::path& parent) {
    std::random_device random;
    path_ = parent / "brivanto-bench-";
    path_ += std::to_string(random());
    fs::create_directories(path_);
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Incompressible content, so no layer below can take a short cut.
void WriteRandomFile(const fs::path& path) {
  std::mt19937_64 generator(2026);
  std::vector<std::uint64_t> block(1 << 17);
  std::ofstream out(path, std::ios::binary);
  for (std::uintmax_t written = 0; written < kFileSize;) {
    std::generate(block.begin(), block.end(), std::ref(generator));
    const auto size =
        std::min<std::uintmax_t>(block.size() * sizeof(block[0]), kFileSize - written);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(size));
    written += size;
  }
  if (!out.flush()) {
    throw std::runtime_error("cannot write the test file");
  }
}

std::string Quoted(const fs::path& path) {
  std::string quoted(1, '\'');
  quoted += path.string();
  return quoted += '\'';
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
}

double SecondsFor(const std::function<void()>& copy) {
  const auto start = std::chrono::steady_clock::now();
  copy();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Contender {
  const char* name;
  std::function<void(const fs::path& source, const fs::path& target)> copy;
  double best = 1e300;
};

// Removing each copy at once drops its unwritten pages, so no run pays for the previous one.
void RunOnce(Contender& contender, const fs::path& source, const fs::path& target, bool timed) {
  const double seconds = SecondsFor([&] { contender.copy(source, target); });
  if (fs::file_size(target) != kFileSize) {
    throw std::runtime_error(std::string(contender.name).append(" made an incomplete copy"));
  }
  fs::remove(target);
  if (timed) {
    contender.best = std::min(contender.best, seconds);
  }
}

double MegabytesPerSecond(double seconds) {
  return static_cast<double>(kFileSize) / 1e6 / seconds;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    const BenchFolder folder(argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path());
    brivanto::posix::StandardFileSystem fileSystem;
    WriteRandomFile(folder / "seed");
    // The source goes through the backup copy once so it is on disk before anything is timed.
    fileSystem.CopyToNewFile((folder / "seed").string(), (folder / "source.mdb").string());
    fs::remove(folder / "seed");

    std::vector<Contender> contenders{
        {"backup copy (flushed)",
         [&](const fs::path& from, const fs::path& to) {
           fileSystem.CopyToNewFile(from.string(), to.string());
         }},
        {"cp", [](const fs::path& from,
                  const fs::path& to) { Shell("cp " + Quoted(from) + " " + Quoted(to)); }},
        {"cp + sync of the copy",
         [](const fs::path& from, const fs::path& to) {
           Shell("cp " + Quoted(from) + " " + Quoted(to) + " && sync " + Quoted(to));
         }},
    };
    const auto source = folder / "source.mdb";
    const auto target = folder / "copy.bak";
    for (int round = 0; round <= kRounds; ++round) {
      for (auto& contender : contenders) {
        RunOnce(contender, source, target, round > 0);
      }
    }

    std::printf("file: %.0f MB in %s, best of %d after a warm-up\n",
                static_cast<double>(kFileSize) / 1e6, folder.Path().c_str(), kRounds);
    for (const auto& contender : contenders) {
      std::printf("%-24s %7.3f s  %8.1f MB/s\n", contender.name, contender.best,
                  MegabytesPerSecond(contender.best));
    }
    std::printf("backup_vs_cp_with_sync=%.2f\n", contenders[2].best / contenders[0].best);
    std::printf("backup_vs_cp=%.2f\n", contenders[1].best / contenders[0].best);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_backup: %s\n", error.what());
    return 1;
  }
}
