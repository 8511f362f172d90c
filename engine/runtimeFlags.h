// Program-wide run-time bits; changed only on the user-interface thread after start-up.
#pragma once

#include <cstdint>

enum : uint8_t {
    Sse2Available = 0x01,
    Recording = 0x08,
    RecorderWriting = 0x10,
};

extern uint8_t RuntimeFlags;
