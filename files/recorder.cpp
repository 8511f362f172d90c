#include "recorder.h"
#include "../engine/runtimeFlags.h"

// Nothing to ask unless a recording is running; Record Sequence is what starts one.
void confirmStopRecording() {
    if (!(RuntimeFlags & Recording)) return;
}
