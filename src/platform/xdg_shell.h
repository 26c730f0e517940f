#pragma once

#include "core/shell.h"

namespace lintari {

// Opens files and addresses with the desktop's xdg-open, detached, without
// waiting for it and without reporting a failure.
class XdgShell : public Shell {
 public:
  void open(std::string_view target) override;
};

}  // namespace lintari
