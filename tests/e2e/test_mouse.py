#!/usr/bin/env python3
"""Editing the cubes with the mouse: dragging along a side turns it, a Ctrl click twists a
corner in place, and while a sequence is being recorded the destination's turns are written
into the yellow sequence field."""
import math
import sys

import harness

RECORDING_YELLOW = (255, 255, 208)
FIELD_WHITE = (255, 255, 255)
STOP_QUESTION = "Sequence recording is about to be stopped."


def square(app, view, side, position):
    return app.squares()[view][9 * harness.SIDE_NAMES.index(side) + position]


def drag_side(app, view, side, start, end):
    app.drag(square(app, view, side, start), square(app, view, side, end))


def near_corner(app, view):
    """The three corner squares around the vertex nearest the viewer in the left picture of
    the view, in clockwise order as seen on the screen (from outside the cube)."""
    points = app.squares()[view]
    centres = {s: points[9 * s + 8] for s in range(6)}
    middle = sum(x for x, _ in centres.values()) / 6
    left = [s for s, (x, _) in centres.items() if x < middle]
    if len(left) != 3:
        raise harness.Failure(f"the left picture of the {view} view shows sides {left}")
    # In an isometric picture the centres of the three sides lie evenly around the vertex.
    vx = sum(centres[s][0] for s in left) / 3
    vy = sum(centres[s][1] for s in left) / 3
    corner = [min((9 * s + p for p in (0, 2, 4, 6)),
                  key=lambda i: math.dist(points[i], (vx, vy))) for s in left]
    # The screen's y axis points down, so a growing angle runs clockwise.
    return sorted(corner, key=lambda i: math.atan2(points[i][1] - vy, points[i][0] - vx))


def twisted(indices, corner, clockwise):
    """The colours after the corner's cubelet turns in place: each square's colour moves on
    to the next square clockwise (or back)."""
    out = list(indices)
    for k, i in enumerate(corner):
        j = corner[(k + (1 if clockwise else -1)) % 3]
        out[j] = indices[i]
    return out


def name(i):
    return f"{harness.SIDE_NAMES[i // 9]}{i % 9}"


def field_point(app):
    """A point of the sequence field's background, right of any short text."""
    left, top, right, bottom = app.control(harness.SEQUENCE_FIELD_ID).rect
    return right - 8, (top + bottom) // 2


def side_turns(app):
    # Two places clockwise along the front's ring: a quarter turn.
    drag_side(app, "destination", "F", 0, 2)
    app.expect_view_colors("destination", app.expected("F"))
    # Six places: a quarter turn back.
    drag_side(app, "destination", "R", 0, 6)
    app.expect_view_colors("destination", app.expected("F,R'"))
    # Four places, edge to edge: a half turn.
    drag_side(app, "destination", "T", 1, 5)
    app.expect_view_colors("destination", app.expected("F,R',T\""))
    app.expect_view_colors("source", harness.solved(), timeout=0)


def corner_twist(app):
    before = app.expected("F,R',T\"")
    corner = near_corner(app, "destination")
    app.trace("near corner, clockwise: " + ", ".join(name(i) for i in corner))
    points = app.squares()["destination"]
    app.click_with("ctrl", *points[corner[0]], button=3)
    app.expect_view_colors("destination", twisted(before, corner, clockwise=True))
    app.screenshot("corner-twisted")
    # Back again from another square of the same corner.
    app.click_with("ctrl", *points[corner[1]], button=1)
    app.expect_view_colors("destination", before)


def recording(app):
    before = "F,R',T\""
    x, y = field_point(app)
    app.wait_for_pixel(x, y, FIELD_WHITE, what="the sequence field on white")
    app.menu("Sequence", "Record Sequence")
    app.wait_for_pixel(x, y, RECORDING_YELLOW, what="the sequence field on yellow")
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, "")

    drag_side(app, "destination", "L", 0, 1)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, "L")
    drag_side(app, "destination", "U", 2, 1)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, "L,U'")
    drag_side(app, "destination", "B", 3, 7)
    recorded = "L,U',B\""
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, recorded)
    app.expect_view_colors("destination", app.expected(f"{before},{recorded}"))
    app.wait_for_pixel(x, y, RECORDING_YELLOW, what="the sequence field still on yellow")

    # The source cube turns too, but only the destination's turns are recorded.
    drag_side(app, "source", "F", 0, 1)
    app.expect_view_colors("source", app.expected("F"))
    field = app.control_text(harness.SEQUENCE_FIELD_ID)
    if field != recorded:
        raise harness.Failure(f"after turning the source cube the field reads {field!r}")
    app.screenshot("recording")

    # Cancel goes on recording; No stops without saving.
    app.menu("Sequence", "Stop Recording")
    app.answer_message_box("Cancel", starts_with=STOP_QUESTION)
    drag_side(app, "destination", "F", 2, 0)
    recorded += ",F'"
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, recorded)
    app.wait_for_pixel(x, y, RECORDING_YELLOW, what="the sequence field still on yellow")
    app.menu("Sequence", "Stop Recording")
    app.answer_message_box("No", starts_with=STOP_QUESTION)
    app.wait_for_pixel(x, y, FIELD_WHITE, what="the sequence field back on white")
    # Turns are no longer recorded.
    drag_side(app, "destination", "F", 0, 2)
    app.expect_view_colors("destination", app.expected(f"{before},{recorded},F"))
    field = app.control_text(harness.SEQUENCE_FIELD_ID)
    if field != recorded:
        raise harness.Failure(f"after recording stopped, a turn changed the field to {field!r}")


def scenario(app):
    side_turns(app)
    corner_twist(app)
    recording(app)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
