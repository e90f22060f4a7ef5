// The virtual Windows file system: drive letters mapped into the desktop's sandbox folder.
#pragma once

#include <filesystem>
#include <string>

#include "win32/types.h"

namespace win32 {

class Desktop;

class FileSystem {
 public:
  explicit FileSystem(Desktop& desktop);
  ~FileSystem();

 private:
  Desktop& desktop_;
};

}  // namespace win32
