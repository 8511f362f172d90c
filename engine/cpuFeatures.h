// What the processor says about itself through its identification instruction.
#pragma once

#include <cstdint>

// Standard feature flags of identification function 1 (EDX).
constexpr uint32_t CpuidMmxBit = 1u << 23;
constexpr uint32_t CpuidSseBit = 1u << 25;
constexpr uint32_t CpuidSse2Bit = 1u << 26;

bool cpuidInstructionPresent();
uint32_t cpuidStandardFeatures();
bool sse2FeatureBitsPresent(uint32_t standardFeatures);
