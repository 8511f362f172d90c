#include "ticks.h"

#include <windows.h>

uint32_t tickCount() {
    return GetTickCount();
}
