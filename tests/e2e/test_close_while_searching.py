#!/usr/bin/env python3
"""Closing the main window while a search runs on its own thread ends the program cleanly: the
window goes, the progress dialog with it, and the process exits."""
import sys

import harness

# Far more than the search can get through while the scenario watches.
SCRAMBLE = "F,R,U',L,B\",T,F',R,U,L',B,T'"
PROGRESS_TITLE = "Sequence Search"
LENGTH_ID = 5004


def scenario(app):
    app.replace_field_text(harness.SEQUENCE_FIELD_ID, SCRAMBLE)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, SCRAMBLE)
    app.press("Return")
    app.menu("Actions", "Find Sequence")
    dialog = app.wait_for_window(PROGRESS_TITLE, timeout=10)

    def under_way():
        text = app.control_text(LENGTH_ID, dialog)
        if not text.isdigit() or int(text) < 4:
            raise harness.Failure(f"the length reads {text!r}")
        return True
    app.wait_until("the search to be under way", under_way, timeout=30)

    # The progress dialog has the focus; the user goes back to the main window and closes it.
    left, top, right, _ = app.main_window.rect
    app.click((left + right) // 2, top + 8)
    # Returns once the process has ended, its search thread and progress dialog with it.
    app.close_program(timeout=15)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
