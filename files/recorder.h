// Recording side turns of the destination cube into the sequence field.
#pragma once

#include <windows.h>

void startRecording();
void recordMove(HWND view, int side, bool counterClockwise, bool halfTurn);
void confirmStopRecording();
