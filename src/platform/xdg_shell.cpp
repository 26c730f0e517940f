#include "platform/xdg_shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char** environ;

namespace lintari {

void XdgShell::open(std::string_view target) {
  // The short-lived shell puts xdg-open in the background and exits at once,
  // so the program neither waits for the opener nor keeps a zombie child.
  std::string arg(target);
  char shell[] = "/bin/sh";
  char dashC[] = "-c";
  char script[] = "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &";
  char name[] = "lintari-open";
  char* argv[] = {shell, dashC, script, name, arg.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) == 0) {
    waitpid(pid, nullptr, 0);
  }
}

}  // namespace lintari
