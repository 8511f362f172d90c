#!/usr/bin/env python3
"""The real program at 100 %, 150 % and 200 % display scale (the prefix's LogPixels), started
as Explorer opens a sequence file and driven as a user would: the file is loaded, the window and
its cubes grow with the scale, every square shows its side's colour, a drag turns the same side
at every scale, and the menu and the Options dialog fit."""
import os, struct, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from desktop import Desktop, winpath  # noqa: E402


def inside(inner, outer):
    return all(o <= i for o, i in zip(outer[:2], inner[:2])) and \
        all(i <= o for i, o in zip(inner[2:], outer[2:]))


def at_scale(s):
    """The window's and its views' sizes, and the destination's colours after one drag."""
    window, (source, destination) = s.top_level(cls="DLGCLASS")[0][4], s.cube_views()
    assembled = s.square_colors(source)
    sides = [set(assembled[9 * k:9 * k + 9]) for k in range(6)]
    if any(len(side) != 1 for side in sides) or len(set().union(*sides)) != 6:
        raise AssertionError("the assembled source does not show six sides of one colour each")
    # From the front's first square to its second, as a person drags.
    (x0, y0), (x1, y1) = [(x + s.offset[0], y + s.offset[1]) for x, y in s.squares(destination)[:2]]
    s.xdotool("mousemove", str(x0), str(y0), "mousedown", "1", "mousemove", str(x1), str(y1),
              "mouseup", "1")
    turned = s.wait("the destination turned", lambda: (lambda now: now != assembled and now)(
        s.square_colors(destination)))
    desktop = (0, 0, *map(int, s.screen.split("x")))
    s.xdotool("key", "alt+a")
    popup = s.wait_for_window(cls="#32768", timeout=5)[0][4]
    s.xdotool("key", "Escape", "Escape")
    s.menu(["alt+a", "Right", "Down", "Down", "Down"])  # Settings: Options...
    dialog = s.wait_for_window("Emulator Settings", "#32770")
    clipped = [row for row in dialog[1:] if row[3] and not inside(row[4], dialog[0][4])]
    if clipped or not inside(dialog[0][4], desktop) or not inside(popup, desktop):
        raise AssertionError(f"the menu {popup} or Options {dialog[0][4]} clips {clipped}")
    s.click(next(row for row in dialog if row[2] == 4013)[4])  # Cancel
    s.wait("the Options dialog to close", lambda: not s.top_level("Emulator Settings"))
    return [(r[2] - r[0], r[3] - r[1]) for r in (window, source, destination)], turned


def main():
    args, seen, failed = Desktop.options(__doc__), {}, None
    for dpi in (96, 144, 192):
        s = Desktop(**dict(args, dpi=dpi, out=os.path.join(args["out"], str(dpi))))
        try:
            # Started as Explorer opens a file: F,R' in a sequence file named on its command line.
            moves = os.path.join(s.out, "two.csq")
            with open(moves, "wb") as f:
                f.write(b"CSQF" + struct.pack("<7I", 34, 0, 32, 32, 2, 0, 0) + bytes((8, 3)))
            s.start("Morvane's Cube Emulator - two.csq", "DLGCLASS", winpath(moves))
            s.wait_for_text(1003, "F,R'")
            sizes, turned = seen[dpi] = at_scale(s)
            # Dialog units follow the font, whose sizes come in steps: roughly in scale.
            for now, then in zip(sizes, seen[96][0]):
                if any(abs(a - b * dpi / 96) > 0.12 * a for a, b in zip(now, then)):
                    raise AssertionError(f"{now} is not {then} at {dpi} dots per inch")
            if turned != seen[96][1]:
                raise AssertionError("the same drag turned another side")
        except Exception as e:
            failed = f"{dpi} dpi: {e}"
            s.trace(f"FAILED: {e!r}")
        finally:
            s.close(failed is not None)
        if failed:
            break
    print(f"scales: {'FAILED: ' + failed if failed else 'passed'} (traces in {args['out']})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
