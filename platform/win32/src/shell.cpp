#include "win32/shell.h"

namespace win32 {
Shell::Shell(Transcript& transcript) : transcript_(transcript) {}
Shell::~Shell() = default;
}
