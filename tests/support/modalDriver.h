// Drives a modal dialog from inside its own message loop, as a user would, without waiting for
// one: each step runs on a timer tick once the dialog shows, so whatever one step posts is
// handled before the next step runs.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

using DialogStep = std::function<void(HWND dialog)>;

struct ModalRun {
    int stepsRun; // steps that found the dialog still open
    bool forced;  // the dialog outlived its last step and was ended by the driver
    HWND dialog;  // the dialog the steps saw (no longer a window afterwards)
};

// Calls open(), which shows a modal dialog, and feeds each step to the newest dialog box of the
// thread that is still open.
ModalRun driveModal(const std::function<void()>& open, std::vector<DialogStep> steps);

// A button click as the button itself reports it.
void clickButton(HWND dialog, int id);
// A key pressed and released on a control, through the dialog's own keyboard handling.
void postKey(HWND control, UINT key);
// The dialog's focused control. Other test processes' windows may take the activation away
// meanwhile; activating the dialog again gives the focus back to the control that had it.
HWND focusIn(HWND dialog);
