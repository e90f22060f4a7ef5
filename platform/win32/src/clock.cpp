#include "win32/clock.h"

namespace win32 {
Clock::Clock() = default;
}
