#include "processorCheck.h"
#include "runtimeFlags.h"

#include <gtest/gtest.h>

// An instruction that always faults, to show that the guard catches it and resumes.
extern "C" int faultingProbe();
extern "C" char faultingProbeInstruction[], faultingProbeResume[];
__asm__(".text\n"
        "_faultingProbe:\n"
        "    xorl %eax, %eax\n"
        "_faultingProbeInstruction:\n"
        "    ud2\n"
        "_faultingProbeResume:\n"
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
