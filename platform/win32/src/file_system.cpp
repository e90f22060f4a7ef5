#include "win32/file_system.h"

namespace win32 {
FileSystem::FileSystem(Desktop& desktop) : desktop_(desktop) {}
FileSystem::~FileSystem() = default;
}
