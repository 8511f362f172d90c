#!/usr/bin/env python3
"""Find Sequence: a short search finds the moves that made the destination and, once accepted,
puts them into the field; a long search shows its progress and ends when aborted, with the
not-found report."""
import sys

import harness

SHORT = "F,R'"
# Twelve moves in no pattern: nothing shorter than ten moves undoes them, and the search takes
# hours to get that far, so it cannot end by itself while the scenario watches it (it gets
# through all sequences of seven moves in well under a second).
SCRAMBLE = "F,R,U',L,B\",T,F',R,U,L',B,T'"
PROGRESS_TITLE = "Sequence Search"
LENGTH_ID = 5004
CANDIDATE_ID = 5006
ELAPSED_ID = 5008
PAUSE_ID = 5007
ABORT_ID = 5010
# Long enough to show the search is well under way, short enough to be reached in seconds.
ABORT_AT_LENGTH = 5


def execute(app, moves):
    app.replace_field_text(harness.SEQUENCE_FIELD_ID, moves)
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, moves)
    app.press("Return")
    app.expect_view_colors("destination", app.expected(moves))


def short_search(app):
    execute(app, SHORT)
    app.menu("Actions", "Find Sequence")
    text = app.answer_message_box("OK", starts_with="The required sequence was found.",
                                  timeout=20)
    lines = text.split("\r\n")
    if "Length of the sequence: 2 moves." not in lines or SHORT not in lines:
        raise harness.Failure(f"the report does not give the two moves {SHORT}: {text!r}")
    app.wait_for_control_text(harness.SEQUENCE_FIELD_ID, SHORT)
    app.wait_for_no_window(PROGRESS_TITLE)


def long_search(app):
    execute(app, SCRAMBLE)
    app.menu("Actions", "Find Sequence")
    dialog = app.wait_for_window(PROGRESS_TITLE, timeout=10)

    def far_enough():
        text = app.control_text(LENGTH_ID, dialog)
        if not text.isdigit() or int(text) < ABORT_AT_LENGTH:
            raise harness.Failure(f"the length reads {text!r}")
        return int(text)
    length = app.wait_until(f"the search to explore sequences of {ABORT_AT_LENGTH} moves",
                            far_enough, timeout=30)
    candidate = app.control_text(CANDIDATE_ID, dialog)
    elapsed = app.control_text(ELAPSED_ID, dialog)
    app.trace(f"progress: length {length}, candidate {candidate!r}, elapsed {elapsed!r}")
    if len(candidate.split(",")) < ABORT_AT_LENGTH:
        raise harness.Failure(f"at length {length} the current sequence reads {candidate!r}")
    if "seconds" not in elapsed:
        raise harness.Failure(f"the elapsed time reads {elapsed!r}")
    if app.control_text(PAUSE_ID, dialog) != "Pause":
        raise harness.Failure("the running search's first button does not read 'Pause'")
    app.screenshot("searching")

    app.click_control(ABORT_ID, dialog)
    app.answer_message_box(
        "OK", starts_with="No sequence was found for current limit of moves (876).", timeout=20)
    app.wait_for_gone(dialog)
    # Nothing was accepted: the field still holds the scramble.
    field = app.control_text(harness.SEQUENCE_FIELD_ID)
    if field != SCRAMBLE:
        raise harness.Failure(f"after the aborted search the field reads {field!r}")


def scenario(app):
    short_search(app)
    long_search(app)


if __name__ == "__main__":
    sys.exit(harness.main(scenario))
