#include "mainWindow.h"
#include "../shell/shell.h"
#include "../engine/processorCheck.h"

// The processor check comes before anything else: without the identification instruction
// there is nothing the program can safely do.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (checkProcessor() < 0) return 1;
    return runMainRoutine(instance);
}
