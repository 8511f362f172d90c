// Undo and Redo of the two cubes: each change of either cube's state, by the mouse or by a
// command, is one step.
#pragma once

// The cubes as they are now are where the steps start, with none to undo or redo.
void startCubeHistory();
// After anything that may have changed a cube: a change becomes a step, and drops the steps
// that Undo had left to redo.
void noteCubeChange();
void undoCubeChange();
void redoCubeChange();
