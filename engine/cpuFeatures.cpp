#include "cpuFeatures.h"

#include <cpuid.h>

// A processor has the identification instruction exactly when software can set the ID bit
// (bit 21) of the flags register. The original flags are restored before returning.
bool cpuidInstructionPresent() {
    uintptr_t readBack; // the whole flags register: unsigned long is 32 bits on Win64
#if defined(__x86_64__)
    __asm__ volatile("pushfq\n\t"
                     "pushfq\n\t"
                     "orq $0x200000, (%%rsp)\n\t"
                     "popfq\n\t"
                     "pushfq\n\t"
                     "popq %0\n\t"
                     "popfq"
                     : "=r"(readBack)
                     :
                     : "cc");
#else
    __asm__ volatile("pushfl\n\t"
                     "pushfl\n\t"
                     "orl $0x200000, (%%esp)\n\t"
                     "popfl\n\t"
                     "pushfl\n\t"
                     "popl %0\n\t"
                     "popfl"
                     : "=r"(readBack)
                     :
                     : "cc");
#endif
    return (readBack & 0x200000) != 0;
}

uint32_t cpuidStandardFeatures() {
    unsigned int eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
    return edx;
}

// SSE2 counts only together with the MMX and SSE flags it builds on.
bool sse2FeatureBitsPresent(uint32_t standardFeatures) {
    const uint32_t needed = CpuidMmxBit | CpuidSseBit | CpuidSse2Bit;
    return (standardFeatures & needed) == needed;
}
