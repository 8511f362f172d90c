// Recording side turns into the sequence field.
#pragma once

void confirmStopRecording();
