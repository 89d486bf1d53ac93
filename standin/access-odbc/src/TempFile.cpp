#include "TempFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

namespace brivanto::standin {
namespace {

constexpr std::string_view kTempPrefix = ".brivanto-repair-";
constexpr std::string_view kJournalSuffix = "-journal";

// The signals that ask a process to end and can be caught; SIGKILL and power loss are left to
// RemoveAbandonedTempFiles.
constexpr std::array<int, 3> kInterruptions = {SIGINT, SIGTERM, SIGHUP};

// What the signal handler removes. Kept in static buffers because a handler may not allocate.
constexpr size_t kPathCapacity = PATH_MAX + kJournalSuffix.size() + 1;
char registered_file[kPathCapacity];
char registered_journal[kPathCapacity];
std::atomic<bool> registered{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads it");

// Only async-signal-safe calls. The default action, re-raised, then ends the process as the
// sender meant; the signal stays blocked until this handler returns.
void RemoveRegisteredAndEnd(int signal_number) {
  if (registered.load()) {
    ::unlink(registered_journal);
    ::unlink(registered_file);
  }
  // Neither can be reported from a handler; when one fails, the process ends at the handler's
  // return as it would have without it.
  static_cast<void>(::signal(signal_number, SIG_DFL));
  static_cast<void>(::raise(signal_number));
}

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// The owner's pid from a temp file's name (.brivanto-repair-<pid>-XXXXXX[-journal]), or 0.
pid_t OwnerOf(std::string_view name) {
  if (!name.starts_with(kTempPrefix)) {
    return 0;
  }
  name.remove_prefix(kTempPrefix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  const bool followed_by_dash = end != name.data() + name.size() && *end == '-';
  return error == std::errc() && followed_by_dash && pid > 0 ? pid : 0;
}

// EPERM means it runs under another user; only ESRCH says nobody has that pid.
bool IsRunning(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

// Holds the process-wide registration for one temp file: its path for the handler, and the
// handlers themselves, installed only over the default action. A signal the program ignores
// stays ignored, and one the program handles itself ends nothing, so the repair then finishes
// and cleans up as usual.
class InterruptCleanup {
 public:
  InterruptCleanup() : lock_(Mutex()) {
    for (size_t i = 0; i < kInterruptions.size(); ++i) {
      installed_[i] = InstallOverDefault(kInterruptions[i], previous_[i]);
    }
  }
  InterruptCleanup(const InterruptCleanup&) = delete;
  InterruptCleanup& operator=(const InterruptCleanup&) = delete;
  ~InterruptCleanup() {
    registered.store(false);
    for (size_t i = 0; i < kInterruptions.size(); ++i) {
      if (installed_[i]) {
        // Putting back what was there before cannot fail for a valid signal and action.
        static_cast<void>(::sigaction(kInterruptions[i], &previous_[i], nullptr));
      }
    }
  }

  // A path too long for the buffers is left to RemoveAbandonedTempFiles.
  static void Register(const std::string& path) {
    if (path.size() + kJournalSuffix.size() < kPathCapacity) {
      std::memcpy(registered_file, path.c_str(), path.size() + 1);
      std::memcpy(registered_journal, path.c_str(), path.size());
      std::memcpy(registered_journal + path.size(), kJournalSuffix.data(), kJournalSuffix.size());
      registered_journal[path.size() + kJournalSuffix.size()] = '\0';
      registered.store(true);
    }
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }

  static bool InstallOverDefault(int signal_number, struct sigaction& previous) {
    if (::sigaction(signal_number, nullptr, &previous) != 0 ||
        (previous.sa_flags & SA_SIGINFO) != 0 || previous.sa_handler != SIG_DFL) {
      return false;
    }
    struct sigaction action {};
    action.sa_handler = RemoveRegisteredAndEnd;
    sigemptyset(&action.sa_mask);
    return ::sigaction(signal_number, &action, nullptr) == 0;
  }

  std::unique_lock<std::mutex> lock_;
  std::array<struct sigaction, kInterruptions.size()> previous_{};
  std::array<bool, kInterruptions.size()> installed_{};
};

FileDescriptor CheckedDescriptor(int descriptor, const char* what) {
  if (descriptor < 0) {
    ThrowErrno(what);
  }
  return FileDescriptor(descriptor);
}

void CloseOrThrow(FileDescriptor& descriptor) {
  if (const int error = descriptor.Close(); error != 0) {
    throw std::system_error(error, std::generic_category(), "close");
  }
}

std::string FolderOf(const std::string& absolute_path) {
  const size_t slash = absolute_path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : absolute_path.substr(0, slash);
}

TempFile::TempFile(const std::string& neighbour) : cleanup_(std::make_unique<InterruptCleanup>()) {
  std::string pattern =
      FolderOf(neighbour) + "/" + std::string(kTempPrefix) + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  FileDescriptor file = CheckedDescriptor(::mkstemp(name.data()), "mkstemp");
  path_ = name.data();
  InterruptCleanup::Register(path_);
  CloseOrThrow(file);
}

TempFile::TempFile(TempFile&& other) noexcept
    : cleanup_(std::move(other.cleanup_)), path_(std::move(other.path_)) {
  other.path_.clear();
}

TempFile::~TempFile() {
  if (path_.empty()) {
    return;
  }
  // Nothing to report from here; SQLite normally removes its journal itself, so a missing one
  // is the usual case. Removed before the handler lets go of them, so no signal can slip between.
  ::unlink((path_ + std::string(kJournalSuffix)).c_str());
  ::unlink(path_.c_str());
}

// A live owner's pid is never reused while it runs, so nothing a running repair still needs is
// touched; a dead owner's pid may be taken by an unrelated process, which only postpones the
// removal to a later repair. A repair on another host sharing the folder, or in another pid
// namespace, may look ended; removing its copy makes that repair fail without touching the
// database, since it reopens the copy by name before writing it back. Best effort: a folder that
// cannot be listed is the repair's own problem to report, and a file another repair removes first
// is simply gone.
void RemoveAbandonedTempFiles(const std::string& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    return;
  }
  const std::unique_ptr<DIR, int (*)(DIR*)> closer(listing, ::closedir);
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t owner = OwnerOf(entry->d_name);
    if (owner != 0 && !IsRunning(owner)) {
      static_cast<void>(::unlinkat(::dirfd(listing), entry->d_name, 0));
    }
  }
}

}  // namespace brivanto::standin
