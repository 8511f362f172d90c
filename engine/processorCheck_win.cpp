#include "processorCheck.h"
#include "cpuFeatures.h"
#include "runtimeFlags.h"

#include <windows.h>

// One SSE2 register instruction. If the system does not save the SSE state it faults, and the
// guard resumes at sse2ProbeResume with EAX = 1. The labels are named explicitly because 32-bit
// and 64-bit Windows decorate C names differently.
extern "C" int sse2Probe() __asm__("sse2Probe");
extern "C" char sse2ProbeInstruction[] __asm__("sse2ProbeInstruction");
extern "C" char sse2ProbeResume[] __asm__("sse2ProbeResume");
__asm__(".text\n"
        ".globl sse2Probe\n"
        "sse2Probe:\n"
        "    xorl %eax, %eax\n"
        ".globl sse2ProbeInstruction\n"
        "sse2ProbeInstruction:\n"
        "    pxor %xmm0, %xmm0\n"
        ".globl sse2ProbeResume\n"
        "sse2ProbeResume:\n"
        "    ret\n");

namespace {

const void* probeBegin;
const void* probeResume;

// Only an exception raised inside the probe is taken; the stack and frame are untouched, as
// the probe faults before it changes either.
LONG CALLBACK probeExceptionHandler(EXCEPTION_POINTERS* info) {
    const char* at = static_cast<const char*>(info->ExceptionRecord->ExceptionAddress);
    if (at < probeBegin || at >= probeResume) return EXCEPTION_CONTINUE_SEARCH;
#if defined(_WIN64)
    info->ContextRecord->Rax = 1;
    info->ContextRecord->Rip = reinterpret_cast<DWORD64>(probeResume);
#else
    info->ContextRecord->Eax = 1;
    info->ContextRecord->Eip = reinterpret_cast<DWORD>(probeResume);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

int runGuardedProbe(GuardedProbe probe, const void* begin, const void* resume) {
    probeBegin = begin;
    probeResume = resume;
    PVOID guard = AddVectoredExceptionHandler(1, probeExceptionHandler);
    if (!guard) return 1;
    const int failed = probe();
    RemoveVectoredExceptionHandler(guard);
    return failed;
}

// Runs before any window exists: without the identification instruction the program cannot
// tell what it may use, so it says so and ends.
int checkProcessor() {
    if (!cpuidInstructionPresent()) {
        MessageBoxA(nullptr,
                    "This program requires Pentium processor or higher.\r\nPress OK to exit.",
                    "Morvane's Cube Emulator", MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return -1;
    }
    const bool featureBits = sse2FeatureBitsPresent(cpuidStandardFeatures());
    const bool probeFailed = runGuardedProbe(sse2Probe, sse2ProbeInstruction, sse2ProbeResume) != 0;
    if (!featureBits || probeFailed) return 0;
    RuntimeFlags |= Sse2Available;
    return 1;
}
