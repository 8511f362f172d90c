#!/usr/bin/env python3
"""Menu commands from the keyboard on the Execute button's result: swap the cubes, copy the
source cube over the destination, assemble the destination."""
import sys

import harness

MOVES = "B,U'"


def scenario(app):
    turned = app.expected(MOVES)
    app.click_control(harness.SEQUENCE_FIELD_ID)
    app.type_text(MOVES)
    app.click_control(harness.EXECUTE_BUTTON_ID)
    app.expect_view_colors("destination", turned)

    app.menu("Actions", "Swap Cubes")
    app.expect_view_colors("source", turned)
    app.expect_view_colors("destination", harness.solved())
    app.screenshot("swapped")

    # Shares its letter with the Sequence menu, and the item is not the first: the arrow keys
    # have to get there.
    app.menu("Source Cube", "Copy Cube")
    app.expect_view_colors("destination", turned)
    app.expect_view_colors("source", turned, timeout=0)

    app.menu("Destination Cube", "Assemble Cube")
    app.expect_view_colors("destination", harness.solved())
    app.expect_view_colors("source", turned, timeout=0)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
