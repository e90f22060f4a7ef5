// The registry (HKEY_CURRENT_USER), kept in a file of the desktop's sandbox.
#pragma once

#include "win32/types.h"

namespace win32 {

class Desktop;

class Registry {
 public:
  explicit Registry(Desktop& desktop);
  ~Registry();

 private:
  Desktop& desktop_;
};

}  // namespace win32
