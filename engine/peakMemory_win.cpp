#include "peakMemory.h"

#include <windows.h>
#include <psapi.h>

double peakMemoryMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize / 1048576.0;
}
