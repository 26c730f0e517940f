#include "platform/hive_file_registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/error.h"

namespace lintari {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }
  // Closes now and reports the result: a failed close can be a failed
  // write-back.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Commits go to the file a symbolic link points at, so a linked hive (a
// dotfiles checkout, for example) stays linked.
std::string resolved(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string out(real);
  std::free(real);
  return out;
}

// A file whose owner's write bit is cleared is read-only for its owner even
// when that is root, who access() would otherwise let write anything.
bool userMayWrite(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  if (st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) == 0) return false;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool makeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string defaultHivePath() {
  if (const char* explicitPath = std::getenv("LINTARI_REGISTRY"); explicitPath != nullptr && *explicitPath) {
    return explicitPath;
  }
  // A relative XDG_CONFIG_HOME is invalid by the base directory rules and
  // is ignored like an unset one.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    return std::string(config) + "/lintari/hklm.reg";
  }
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && *env) {
    home = env;
  } else if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir != nullptr) {
    home = user->pw_dir;
  }
  return home + "/.config/lintari/hklm.reg";
}

class HiveFileRegistry::Handle : public RegistryKey {
 public:
  Handle(HiveFileRegistry& owner, std::string_view path, bool writable)
      : owner_(owner), path_(path), writable_(writable) {}

  std::size_t subkeyCount() const override {
    const std::optional<Hive> hive = owner_.load();
    return hive ? hive->subkeyCount(path_) : 0;
  }

  std::optional<std::string> readString(std::string_view name) const override {
    const std::optional<Hive> hive = owner_.load();
    return hive ? hive->readString(path_, name) : std::nullopt;
  }

  std::vector<RegistryValue> listValues() const override {
    const std::optional<Hive> hive = owner_.load();
    return hive ? hive->listValues(path_) : std::vector<RegistryValue>();
  }

  void writeString(std::string_view name, std::string_view data) override {
    if (!writable_ || !owner_.commit([&](Hive& hive) { return hive.setString(path_, name, data); })) {
      throw Error(formatMessage("Failed to set data for '%s'", {name}));
    }
  }

  bool deleteValue(std::string_view name) override {
    if (!writable_) return false;
    bool removed = false;
    const bool committed = owner_.commit([&](Hive& hive) { return removed = hive.deleteValue(path_, name); });
    return committed && removed;
  }

 private:
  HiveFileRegistry& owner_;
  std::string path_;
  bool writable_;
};

HiveFileRegistry::HiveFileRegistry(std::string path) : path_(std::move(path)) {}

HiveFileRegistry::~HiveFileRegistry() = default;

std::unique_ptr<RegistryKey> HiveFileRegistry::openReadOnly(std::string_view path) {
  if (!namesKey(path)) return nullptr;
  const std::optional<Hive> hive = load();
  if (!hive || !hive->keyExists(path)) return nullptr;
  return std::make_unique<Handle>(*this, path, false);
}

std::unique_ptr<RegistryKey> HiveFileRegistry::openReadWrite(std::string_view path) {
  if (!namesKey(path)) return nullptr;
  const std::optional<Hive> hive = load();
  if (!hive || !hive->keyExists(path) || !mayWrite()) return nullptr;
  return std::make_unique<Handle>(*this, path, true);
}

std::unique_ptr<RegistryKey> HiveFileRegistry::openOrCreate(std::string_view path, std::uint32_t /*access*/) {
  if (!namesKey(path) || !Hive::validKeyPath(path)) return nullptr;
  const std::optional<Hive> hive = load();
  if (!hive || !mayWrite()) return nullptr;
  if (!hive->keyExists(path) && !commit([&](Hive& h) { return h.createKey(path); })) return nullptr;
  return std::make_unique<Handle>(*this, path, true);
}

void HiveFileRegistry::check() { (void)load(); }

std::optional<Hive> HiveFileRegistry::load() {
  if (unreadable_) return std::nullopt;
  std::string detail;
  Fd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT) return Hive();
    detail = std::strerror(errno);
  } else {
    std::string bytes;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd.get(), buffer, sizeof buffer)) != 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (n < 0) {
      detail = std::strerror(errno);
    } else {
      try {
        return Hive::parse(bytes);
      } catch (const HiveSyntaxError& e) {
        detail = e.what();
      }
    }
  }
  unreadable_ = true;
  throw Error("The registry file " + path_ + " cannot be read (" + detail +
              "); Lintari leaves it unchanged and works without it until restarted");
}

bool HiveFileRegistry::mayWrite() const {
  const std::string target = resolved(path_);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return userMayWrite(target) && userMayWrite(folderOf(target));
  if (errno != ENOENT) return false;
  // The folders are made at the first commit: the nearest one that exists
  // decides.
  std::string folder = folderOf(target);
  while (::stat(folder.c_str(), &st) != 0) {
    if (errno != ENOENT || folder == "/" || folder == ".") return false;
    folder = folderOf(folder);
  }
  return S_ISDIR(st.st_mode) && userMayWrite(folder);
}

bool HiveFileRegistry::commit(const std::function<bool(Hive&)>& change) {
  if (unreadable_ || !mayWrite()) return false;
  const std::string target = resolved(path_);
  const std::string folder = folderOf(target);
  // One fixed name, used only under the lock: a temporary file left by a
  // crash is simply overwritten by the next commit and never read as the hive.
  const std::string temp = target + ".tmp";
  auto step = [this](CommitStep s) {
    if (hook_) hook_(s);
  };
  if (!makeFolders(folder)) return false;
  // The lock lives in a file of its own: the hive's inode is replaced by
  // every commit, and a lock on it would be lost with it.
  Fd lock(::open((target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid()) return false;
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  try {
    step(CommitStep::Locked);
  } catch (...) {
    return false;
  }
  // A file found unreadable under the lock is reported like any other read.
  std::optional<Hive> hive = load();
  if (!hive) return false;
  bool renamed = false;
  try {
    if (!change(*hive)) return true;
    const std::string text = hive->serialize();
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
    auto abandon = [&temp] {
      ::unlink(temp.c_str());
      return false;
    };
    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!out.valid()) return false;
    if (::fchmod(out.get(), mode) != 0 || !writeAll(out.get(), text)) return abandon();
    step(CommitStep::TempWritten);
    if (::fsync(out.get()) != 0) return abandon();
    step(CommitStep::TempSynced);
    if (!out.close() || ::rename(temp.c_str(), target.c_str()) != 0) return abandon();
    renamed = true;
    step(CommitStep::Renamed);
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid() || ::fsync(dir.get()) != 0) return false;
    step(CommitStep::FolderSynced);
    return true;
  } catch (...) {
    if (!renamed) ::unlink(temp.c_str());
    return false;
  }
}

}  // namespace lintari
