#include "processorCheck.h"
#include "runtimeFlags.h"

#include <gtest/gtest.h>

// An instruction that always faults, to show that the guard catches it and resumes.
extern "C" int faultingProbe() __asm__("faultingProbe");
extern "C" char faultingProbeInstruction[] __asm__("faultingProbeInstruction");
extern "C" char faultingProbeResume[] __asm__("faultingProbeResume");
__asm__(".text\n"
        "faultingProbe:\n"
        "    xorl %eax, %eax\n"
        "faultingProbeInstruction:\n"
        "    ud2\n"
        "faultingProbeResume:\n"
        "    ret\n");

TEST(ProcessorCheck, GuardResumesAfterAFaultingProbe) {
    EXPECT_EQ(1, runGuardedProbe(faultingProbe, faultingProbeInstruction, faultingProbeResume));
    // The guard is gone afterwards and the process goes on normally.
    EXPECT_EQ(1, runGuardedProbe(faultingProbe, faultingProbeInstruction, faultingProbeResume));
}

TEST(ProcessorCheck, FindsUsableSse2) {
    RuntimeFlags = 0;
    EXPECT_EQ(1, checkProcessor());
    EXPECT_EQ(Sse2Available, RuntimeFlags & Sse2Available);
}
