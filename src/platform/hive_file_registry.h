#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/hive_text.h"
#include "core/registry.h"

namespace lintari {

// LINTARI_REGISTRY when set, else $XDG_CONFIG_HOME/lintari/hklm.reg, else
// ~/.config/lintari/hklm.reg.
std::string defaultHivePath();

// The HKEY_LOCAL_MACHINE hive kept in one text file. Nothing is cached: every
// operation reads the file afresh, and every change is committed before the
// call returns (lock, re-read, apply, write a temporary file beside the hive,
// fsync, rename over the hive, fsync the folder), so a reader never sees a
// half-written file and two running instances never lose each other's
// writes. A file that cannot be read is never overwritten: the first
// operation that meets it throws Error naming the file and the line, and from
// then on the hive counts as empty and read-only until the program restarts.
class HiveFileRegistry : public Registry {
 public:
  // The points of a commit at which the test hook is called.
  enum class CommitStep { Locked, TempWritten, TempSynced, Renamed, FolderSynced };
  // Called at each step of every commit; an exception it throws fails the
  // commit there, as a failing system call would.
  using CommitHook = std::function<void(CommitStep)>;

  explicit HiveFileRegistry(std::string path);
  ~HiveFileRegistry() override;

  std::unique_ptr<RegistryKey> openReadOnly(std::string_view path) override;
  // Both need the hive file (or, while it does not exist, the nearest folder
  // that does) and its folder to be writable by the user, since a commit
  // writes beside the file; a file with the owner's write bit cleared counts
  // as read-only for its owner, root included. Every key they give can be
  // written, whatever the access mask asks for.
  std::unique_ptr<RegistryKey> openReadWrite(std::string_view path) override;
  std::unique_ptr<RegistryKey> openOrCreate(std::string_view path, std::uint32_t access) override;

  // Reads the file once, for the start-up check: throws the unreadable-file
  // Error when the file cannot be read and it has not been reported yet.
  void check();

  [[nodiscard]] const std::string& path() const { return path_; }
  void setCommitHook(CommitHook hook) { hook_ = std::move(hook); }

 private:
  class Handle;

  // nullopt once the file has been found unreadable.
  std::optional<Hive> load();
  [[nodiscard]] bool mayWrite() const;
  // Applies `change` to the current file under the lock; `change` returns
  // whether it changed anything. False when the commit failed.
  bool commit(const std::function<bool(Hive&)>& change);

  std::string path_;
  CommitHook hook_;
  bool unreadable_ = false;
};

}  // namespace lintari
