#include "win32/registry.h"

namespace win32 {
Registry::Registry(Desktop& desktop) : desktop_(desktop) {}
Registry::~Registry() = default;
}
