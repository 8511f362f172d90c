#!/usr/bin/env python3
"""The real program driven from outside as a user would, through every layer: execute, find,
save and load, close while searching, on the project's desktop driver (scripts/desktop.py)."""
import os, struct, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from desktop import Desktop  # noqa: E402

TITLE = "Morvane's Cube Emulator"
FIELD, DESTINATION, LENGTH, MESSAGE_TEXT = 1003, 1002, 5004, 0xFFFF
SHORT = "F,R'"
# Nothing shorter than ten moves undoes it: the search cannot end while the journey watches.
LONG = "F,R,U',L,B\",T,F',R,U,L',B,T'"


def destination(s):
    return s.square_colors(s.cube_views()[1])


def expect_file(path, magic, size, *offsets):
    """The file's bytes after a header of that magic, size and block offsets."""
    data = open(path, "rb").read()
    if data[:32] != magic + struct.pack("<7I", size, 0, 32, *offsets, 0, 0) or len(data) != size:
        raise AssertionError(f"{path} holds {data.hex(' ')}")
    return data[32:]


def journey(s):
    files = os.path.join(s.out, "files")
    os.makedirs(files)
    moves, cube = os.path.join(files, "moves.csq"), os.path.join(files, "cube.csf")
    assembled = destination(s)
    s.enter(FIELD, SHORT)
    s.xdotool("key", "Return")
    turned = s.wait("the destination turned", lambda: destination(s) != assembled
                    and destination(s))
    # Cleared, so the found sequence must come back into the field once accepted.
    s.enter(FIELD, "")
    s.menu(["alt+a"])  # Find Sequence
    found = s.control(MESSAGE_TEXT, s.wait_for_window(TITLE, "#32770", 20))[5]
    if not found.startswith("The required sequence was found.") or SHORT not in found:
        raise AssertionError(f"the search reports {found!r}")
    s.xdotool("key", "Return")
    s.wait_for_text(FIELD, SHORT)

    s.menu(["alt+s", "Down", "Down", "Down"])  # Save Sequence As...
    s.choose_file("Save Move Sequence File", moves)
    s.wait("the title naming the file", lambda: s.top_level(f"{TITLE} - moves.csq"))
    if expect_file(moves, b"CSQF", 34, 32, 2) != bytes((8, 3)):
        raise AssertionError("the moves saved are not F, R'")

    s.menu(["alt+d", "Down", "Down", "Down"])  # Destination Cube: Save Cube As...
    s.choose_file("Save Cube State File", cube)
    # The destination's file holds its state alone, no colours.
    state = expect_file(cube, b"MCSF", 80, 0, 32)
    if sorted(state) != sorted(i // 8 for i in range(48)) or state == bytes(sorted(state)):
        raise AssertionError(f"the saved state {state.hex(' ')} is not a turned cube")
    s.menu(["alt+d"])  # Assemble Cube
    s.wait("the destination assembled", lambda: destination(s) == assembled)
    # Undone and done again from the keyboard, the sequence field having the focus.
    s.click(s.control(FIELD)[4])
    s.xdotool("key", "ctrl+z")
    s.wait("the assembly undone", lambda: destination(s) == turned)
    s.xdotool("key", "ctrl+y")
    s.wait("the assembly redone", lambda: destination(s) == assembled)
    s.menu(["alt+d", "Down"])  # Load Cube...
    s.choose_file("Open Cube State File", cube)
    s.wait("the destination loaded", lambda: destination(s) == turned)
    s.wait_for_text(DESTINATION, "Destination Cube - cube.csf")

    s.menu(["alt+s", "Down", "Down", "Down", "Down"])  # Clear Sequence
    s.wait_for_text(FIELD, "")
    s.menu(["alt+s", "Down"])  # Load Sequence...
    s.choose_file("Open Move Sequence File", moves)
    s.wait_for_text(FIELD, SHORT)

    # A scramble in standard notation from another program, pasted, and copied back out.
    s.clip("F2 D' L U2 B // from elsewhere")
    s.enter(FIELD, "")
    s.menu(["alt+s"] + ["Down"] * 7)  # Paste Standard Notation
    s.wait_for_text(FIELD, "F\",U',L,T\",B")
    s.menu(["alt+s"] + ["Down"] * 8)  # Copy as Standard Notation
    s.wait("the field as standard notation", lambda: s.clip() == "F2 D' L U2 B")

    # Closing the main window while the search thread runs ends the program cleanly.
    s.enter(FIELD, LONG)
    s.xdotool("key", "Return")
    s.menu(["alt+a"])
    s.wait("the search past four moves", lambda: int(s.control(
        LENGTH, s.top_level("Sequence Search"))[5]) >= 4, 30)
    # The progress dialog has the focus: back to the main window by its caption, then close it.
    left, top, right, _ = s.top_level(cls="DLGCLASS")[0][4]
    s.click((left, top, right, top + 16))
    s.xdotool("key", "alt+F4")
    s.wait("the program to end", lambda: s.app.poll() is not None, 15)


def main():
    session, error = Desktop(**Desktop.options(__doc__)), None
    try:
        session.start(TITLE, "DLGCLASS")
        journey(session)
    except Exception as e:
        error = e
        session.trace(f"FAILED: {e!r}")
    finally:
        session.close(error is not None)
    print(f"journey: {f'FAILED: {error}' if error else 'passed'} (trace in {session.out})")
    return 1 if error else 0


if __name__ == "__main__":
    sys.exit(main())
