// The host build's tick count, for the native tools and tests.
#include "ticks.h"

#include <chrono>

uint32_t tickCount() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
