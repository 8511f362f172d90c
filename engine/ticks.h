// Millisecond tick count; each platform supplies its own.
#pragma once

#include <cstdint>

uint32_t tickCount();
