#include "runtimeFlags.h"

uint8_t RuntimeFlags = 0;
