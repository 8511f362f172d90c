// The text form of move sequences: letters "LRTUFB", ' for counter-clockwise, " for a half turn.
#pragma once

#include "packedCube.h"

uint32_t parseMoveText(MoveCode* codes, const char* text, uint32_t allowance);
void formatMoveText(const MoveCode* codes, char* text, uint32_t count);
uint32_t optimizeMoves(MoveCode* codes, uint32_t count);
