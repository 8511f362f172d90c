#!/usr/bin/env python3
"""A sequence typed in lower case and confirmed with Enter turns the destination cube; the
source cube stays as it was."""
import sys

import harness

MOVES = "F,R'"


def scenario(app):
    app.expect_view_colors("destination", harness.solved())
    app.click_control(harness.SEQUENCE_FIELD_ID)
    app.type_text(MOVES.lower())
    # The field upper-cases what is typed.
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, MOVES)
    app.press("Return")
    app.expect_view_colors("destination", app.expected(MOVES))
    # The destination has changed, so the command has run: the source must be untouched now.
    app.expect_view_colors("source", harness.solved(), timeout=0)
    field = app.control_text(harness.SEQUENCE_FIELD_ID)
    if field != MOVES:
        raise harness.Failure(f"after executing, the field reads {field!r}, not {MOVES!r}")
    app.screenshot("executed")


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
