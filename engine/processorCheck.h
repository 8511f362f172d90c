// The start-up processor check (Windows only).
#pragma once

extern "C" {
// A probe is a routine that returns 0 in EAX after running its instruction; the guard makes it
// return 1 instead when the instruction at [begin, resume) raises an exception.
typedef int (*GuardedProbe)();
}

int runGuardedProbe(GuardedProbe probe, const void* begin, const void* resume);
int checkProcessor();
