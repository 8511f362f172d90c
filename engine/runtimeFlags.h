// What the processor can do, found once at start-up.
#pragma once

#include <cstdint>

enum : uint8_t {
    Sse2Available = 0x01,
};

extern uint8_t RuntimeFlags;
