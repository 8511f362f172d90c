#include "peakMemory.h"

#include <sys/resource.h>

double peakMemoryMiB() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}
