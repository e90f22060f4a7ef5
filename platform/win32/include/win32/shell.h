// The shell: documents and addresses opened with ShellExecuteW are recorded, not launched.
#pragma once

#include "win32/types.h"

namespace win32 {

class Transcript;

class Shell {
 public:
  explicit Shell(Transcript& transcript);
  ~Shell();

 private:
  Transcript& transcript_;
};

}  // namespace win32
