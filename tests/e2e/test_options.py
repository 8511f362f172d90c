#!/usr/bin/env python3
"""Options and comments: the move limit and the square labels set in Emulator Settings take
effect at once, Save Settings keeps them for the next start of the program; the cube comment
typed in its dialog goes into the source cube's file and comes back with it."""
import os
import struct
import sys

import harness

OPTIONS_TITLE = "Emulator Settings"
MAX_MOVES_ID = 4010
SHOW_LABELS_ID = 4003
COMMENT_TITLE = "Cube Comment Dialog"
COMMENT_EDIT_ID = 3002
MOVE_LIMIT = "4"
# Needs far more than four moves to undo.
SCRAMBLE = "F,R,U',L,B\",T,F',R,U,L',B,T'"
COMMENT_LINES = ("Scrambled for practice", "corners first")
COMMENT = "\r\n".join(COMMENT_LINES)
DEFAULT_COLOR_BYTES = b"".join(bytes((r, g, b, 0)) for r, g, b in harness.DEFAULT_COLORS)


def labelled_squares(app, view):
    """How many squares of the view show a label: dark pixels around the square's centre,
    where an unlabelled square shows only its side colour (every side colour has a bright
    channel)."""
    count = 0
    for x, y in app.squares()[view]:
        dark = sum(1 for dx in range(-4, 5) for dy in range(-6, 7)
                   if max(app.pixel(x + dx, y + dy)) < 100)
        if dark >= 3:
            count += 1
    return count


def expect_labels(app, shown, timeout=5):
    want = 54 if shown else 0

    def probe():
        counts = {view: labelled_squares(app, view) for view in ("source", "destination")}
        if any(c != want for c in counts.values()):
            raise harness.Failure(f"labelled squares: {counts}")
        return True
    app.wait_until(f"{want} labelled squares in each view", probe, timeout)


def open_options(app):
    app.menu("Settings", "Options...")
    return app.wait_for_window(OPTIONS_TITLE)


def set_options(app):
    dialog = open_options(app)
    app.replace_field_text(MAX_MOVES_ID, MOVE_LIMIT, top=dialog)
    app.wait_for_control_text(MAX_MOVES_ID, MOVE_LIMIT, top=dialog)
    app.click_control(SHOW_LABELS_ID, top=dialog)
    app.screenshot("options")
    app.click_button(dialog, "OK")
    app.wait_for_gone(dialog)
    expect_labels(app, True)
    app.screenshot("labels")


def search_within_limit(app):
    app.replace_field_text(harness.SEQUENCE_FIELD_ID, SCRAMBLE)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, SCRAMBLE)
    app.press("Return")
    app.expect_view_colors("destination", app.expected(SCRAMBLE))
    app.menu("Actions", "Find Sequence")
    app.answer_message_box(
        "OK", starts_with=f"No sequence was found for current limit of moves ({MOVE_LIMIT}).",
        timeout=30)


def settings_kept(app):
    app.menu("Settings", "Save Settings")
    app.restart()
    expect_labels(app, True)
    dialog = open_options(app)
    app.wait_for_control_text(MAX_MOVES_ID, MOVE_LIMIT, top=dialog)
    app.click_button(dialog, "Cancel")
    app.wait_for_gone(dialog)


def edit_cube_comment(app, lines):
    app.menu("Settings", "Cube Comment...")
    dialog = app.wait_for_window(COMMENT_TITLE)
    app.click_control(COMMENT_EDIT_ID, top=dialog)
    # Wine's edit control ignores Ctrl+A; this selects the whole text of a multi-line edit.
    app.press("ctrl+End", "ctrl+shift+Home", "BackSpace")
    for i, line in enumerate(lines):
        if i:
            app.press("Return")
        app.type_text(line)
    app.wait_for_control_text(COMMENT_EDIT_ID, "\r\n".join(lines), top=dialog)
    app.click_button(dialog, "OK")
    app.wait_for_gone(dialog)


def cube_comment(app):
    path = os.path.join(app.out_dir, "commented.csf")
    edit_cube_comment(app, COMMENT_LINES)
    app.menu("Source Cube", "Save Cube As...")
    app.choose_file("Save Cube State File", path)
    app.wait_for_control_text(harness.SOURCE_GROUP_ID, "Source Cube - commented.csf")
    text = COMMENT.encode("latin-1") + b"\0"
    size = 104 + len(text)
    expected = (b"MCSF" + struct.pack("<7I", size, 0, 32, 32, 56, 104, len(text))
                + DEFAULT_COLOR_BYTES + bytes(i // 9 for i in range(54) if i % 9 != 8) + text)

    def saved():
        if not os.path.exists(path):
            raise harness.Failure("there is no file")
        with open(path, "rb") as f:
            data = f.read()
        if data != expected:
            raise harness.Failure(f"it holds {data.hex(' ')}, expected {expected.hex(' ')}")
        return True
    app.wait_until("the cube file with its comment", saved, timeout=5)

    # Another comment now; loading the file brings its own back.
    edit_cube_comment(app, ("something else",))
    app.menu("Source Cube", "Load Cube...")
    app.choose_file("Open Cube State File", path, prompts=0)
    app.menu("Settings", "Cube Comment...")
    dialog = app.wait_for_window(COMMENT_TITLE)
    app.wait_for_control_text(COMMENT_EDIT_ID, COMMENT, top=dialog)
    app.click_button(dialog, "Cancel")
    app.wait_for_gone(dialog)


def scenario(app):
    expect_labels(app, False)
    set_options(app)
    search_within_limit(app)
    settings_kept(app)
    cube_comment(app)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
