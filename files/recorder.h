// Recording side turns of the destination cube into the sequence field.
#pragma once

#include <windows.h>

#include "../engine/packedCube.h"

void startRecording();
// A turn of the destination cube: the move's code, done twice for a half turn.
void recordTurn(MoveCode code, bool halfTurn);
void confirmStopRecording();
