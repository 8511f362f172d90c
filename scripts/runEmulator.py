#!/usr/bin/env python3
"""The body of scripts/run, once the set-up has run: builds the emulator when it is out of date
and starts it under Wine in a virtual desktop, on $DISPLAY when there is one: the 32-bit exe, or
the 64-bit one where 32-bit code cannot run. Without a display it runs on a private Xvfb: a
screenshot of the started window goes to build/run-screenshot.png and the display is printed for
xdotool. Either way the command returns when the program exits; Ctrl+C on the private Xvfb ends
both. Arguments go to the program."""
import os, re, sys

sys.dont_write_bytecode = True
from desktop import ROOT, TITLE, Desktop, build, host, script  # noqa: E402


def main():
    arches, why = host()
    arch = arches[0]
    if why:
        print(f"run: starting the 64-bit build: {why}", flush=True)
    exe = build(arch, arch, os.path.join(ROOT, "build", "run.build.log"))
    desktop = Desktop(arch, os.path.join(ROOT, "build", "run"))
    if not os.environ.get("DISPLAY"):
        desktop.open_display()
    # Wine keeps one desktop per name in the prefix: a name per display keeps a second run on
    # another display from opening its window on the first one's desktop.
    display = desktop.env["DISPLAY"]
    desktop.name = "MorvaneCubeEmulator_" + re.sub("[^A-Za-z0-9]", "_", display[1:]).rstrip("_")
    if not desktop.xvfb:
        return desktop.launch(exe, *sys.argv[1:]).wait()
    try:
        desktop.app = desktop.launch(exe, *sys.argv[1:])
        desktop.wait(f'a "{TITLE}" window (build/run/wine.log)', lambda: desktop.x_windows(
            f"^{TITLE}$") or desktop.app.poll() is not None, 20)
        if desktop.app.poll() is not None:
            raise RuntimeError("the program ended at once (build/run/wine.log)")
        desktop.shot(os.path.join(ROOT, "build", "run-screenshot.png"), looks=50)
        print(f"run: the emulator is running on the private display {display}"
              f" (Xvfb, {desktop.screen})\nrun: screenshot: build/run-screenshot.png\n"
              f"run: drive it with e.g. DISPLAY={display} xdotool ...; "
              "Ctrl+C stops it", flush=True)
        desktop.app.wait()
    finally:
        # The program ends with its display; the prefix's server may be serving others.
        desktop.close(False, stop_wine=False)
        if desktop.app:
            desktop.app.wait()


script("run", main)
