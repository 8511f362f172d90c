#!/usr/bin/env python3
"""Sequence and cube state files through the Open and Save dialogs: a sequence saved, cleared
and loaded back, with the window title naming the file; the source cube saved, changed and
loaded back, with its frame naming the file; the bytes of both files on disk."""
import os
import struct
import sys

import harness

MOVES = "F,R,B,L,T,U"
# Move codes as stored: side times two, plus one for a counter-clockwise turn.
MOVE_BYTES = bytes((8, 2, 10, 0, 4, 6))
SOURCE_MOVES = "F,T',R\""
# 0x00BBGGRR, as the program stores its default side colours.
DEFAULT_COLOR_BYTES = b"".join(bytes((r, g, b, 0)) for r, g, b in harness.DEFAULT_COLORS)


def header(magic, size, first, second, third):
    return magic + struct.pack("<7I", size, 0, first, second, third, 0, 0)


def wait_for_file(app, path, size):
    def probe():
        if not os.path.exists(path):
            raise harness.Failure("there is no file")
        seen = os.path.getsize(path)
        if seen != size:
            raise harness.Failure(f"it has {seen} bytes")
        with open(path, "rb") as f:
            return f.read()
    return app.wait_until(f"{os.path.basename(path)} of {size} bytes", probe, timeout=5)


def expect_bytes(what, seen, expected):
    if seen != expected:
        raise harness.Failure(f"{what} holds {seen.hex(' ')}, expected {expected.hex(' ')}")


def state_bytes(indices):
    """The 48 state bytes of a cube: each side's eight outer squares, centres left out."""
    return bytes(indices[9 * side + position] for side in range(6) for position in range(8))


def wait_for_title(app, title):
    def probe():
        seen = app.find_window(cls="DLGCLASS")
        if seen is None or seen.text != title:
            raise harness.Failure(f"it reads {seen.text if seen else None!r}")
        return True
    app.wait_until(f"the title {title!r}", probe, timeout=5)


def sequence_file(app, folder):
    path = os.path.join(folder, "moves.csq")
    app.replace_field_text(harness.SEQUENCE_FIELD_ID, MOVES)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, MOVES)
    app.menu("Sequence", "Save Sequence As...")
    # Windows asks before creating a new file; Wine 8 does not. Either way it is made.
    app.choose_file("Save Move Sequence File", path)
    wait_for_title(app, f"{harness.TITLE} - moves.csq")
    data = wait_for_file(app, path, 38)
    expect_bytes("moves.csq", data, header(b"CSQF", 38, 32, 32, 6) + MOVE_BYTES)

    app.menu("Sequence", "Clear Sequence")
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, "")
    wait_for_title(app, harness.TITLE)

    app.menu("Sequence", "Load Sequence...")
    app.choose_file("Open Move Sequence File", path, prompts=0)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, MOVES)
    wait_for_title(app, f"{harness.TITLE} - moves.csq")
    # Loading neither executes the sequence nor touches the cubes.
    app.expect_view_colors("destination", harness.solved(), timeout=0)

    # Saved again under the same name, after the question whether to replace the file.
    app.menu("Sequence", "Save Sequence As...")
    app.choose_file("Save Move Sequence File", path, prompts=("replace",))
    wait_for_title(app, f"{harness.TITLE} - moves.csq")
    expect_bytes("moves.csq", wait_for_file(app, path, 38),
                 header(b"CSQF", 38, 32, 32, 6) + MOVE_BYTES)


def cube_file(app, folder):
    path = os.path.join(folder, "cube.csf")
    turned = app.expected(SOURCE_MOVES)
    app.replace_field_text(harness.SEQUENCE_FIELD_ID, SOURCE_MOVES)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, SOURCE_MOVES)
    app.press("Return")
    app.expect_view_colors("destination", turned)
    app.menu("Destination Cube", "Copy Cube")
    app.expect_view_colors("source", turned)

    app.menu("Source Cube", "Save Cube As...")
    app.choose_file("Save Cube State File", path)
    app.wait_for_control_text(harness.SOURCE_GROUP_ID, "Source Cube - cube.csf")
    data = wait_for_file(app, path, 104)
    expect_bytes("cube.csf", data, header(b"MCSF", 104, 32, 32, 56) + DEFAULT_COLOR_BYTES
                 + state_bytes(turned))
    if app.control_text(harness.DESTINATION_GROUP_ID) != "Destination Cube":
        raise harness.Failure("saving the source cube renamed the destination's frame")

    app.menu("Source Cube", "Assemble Cube")
    app.expect_view_colors("source", harness.solved())
    app.menu("Destination Cube", "Assemble Cube")
    app.expect_view_colors("destination", harness.solved())
    app.menu("Source Cube", "Load Cube...")
    app.choose_file("Open Cube State File", path, prompts=0)
    app.expect_view_colors("source", turned)
    app.wait_for_control_text(harness.SOURCE_GROUP_ID, "Source Cube - cube.csf")
    app.expect_view_colors("destination", harness.solved(), timeout=0)
    app.screenshot("loaded")


def scenario(app):
    folder = os.path.join(app.out_dir, "files")
    os.makedirs(folder)
    sequence_file(app, folder)
    cube_file(app, folder)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
