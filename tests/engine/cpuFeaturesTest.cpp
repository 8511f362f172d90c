#include "cpuFeatures.h"

#include <gtest/gtest.h>

namespace {

uintptr_t flagsRegister() {
    uintptr_t flags;
#if defined(__x86_64__)
    __asm__ volatile("pushfq\n\tpopq %0" : "=r"(flags));
#else
    __asm__ volatile("pushfl\n\tpopl %0" : "=r"(flags));
#endif
    return flags;
}

} // namespace

// Every processor this runs on has the instruction; the check must also put the flags back.
TEST(CpuFeatures, IdentificationInstructionIsFoundAndFlagsRestored) {
    const uintptr_t before = flagsRegister() & 0x200000;
    EXPECT_TRUE(cpuidInstructionPresent());
    EXPECT_EQ(before, flagsRegister() & 0x200000);
}

TEST(CpuFeatures, Sse2NeedsMmxAndSseToo) {
    const uint32_t all = CpuidMmxBit | CpuidSseBit | CpuidSse2Bit;
    EXPECT_TRUE(sse2FeatureBitsPresent(all));
    EXPECT_TRUE(sse2FeatureBitsPresent(0xFFFFFFFF));
    EXPECT_FALSE(sse2FeatureBitsPresent(all & ~CpuidMmxBit));
    EXPECT_FALSE(sse2FeatureBitsPresent(all & ~CpuidSseBit));
    EXPECT_FALSE(sse2FeatureBitsPresent(all & ~CpuidSse2Bit));
    EXPECT_FALSE(sse2FeatureBitsPresent(0));
    EXPECT_TRUE(sse2FeatureBitsPresent(cpuidStandardFeatures())) << "this machine has SSE2";
}
