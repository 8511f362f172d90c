#!/usr/bin/env python3
"""The program starts with both cubes assembled, painted in the default side colours."""
import sys

import harness


def scenario(app):
    app.expect_view_colors("source", harness.solved())
    app.expect_view_colors("destination", harness.solved())
    field = app.control_text(harness.SEQUENCE_FIELD_ID)
    if field != "":
        raise harness.Failure(f"the sequence field starts with {field!r}")
    app.screenshot("started")


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
