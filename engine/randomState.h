// A state drawn uniformly from all that the assembled cube can be turned into: its pieces placed
// and turned at random within what moves allow, not a random walk of moves.
#pragma once

#include "cubies.h"

#include <cstdint>

// The same seed gives the same state on every build.
CubieState randomCubies(uint64_t seed);
PackedCube randomState(uint64_t seed);
// A seed from the system's source of randomness.
uint64_t freshSeed();
