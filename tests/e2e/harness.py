"""Drives the real emulator from outside, the way a user would, for the end-to-end scenarios.

Each session starts a private Xvfb (its framebuffer is read straight from the file Xvfb keeps
with -fbdir, because `xwd -root` shows dialogs and menus black), runs the exe inside a Wine
virtual desktop in a prefix of its own, types and clicks with xdotool, and asks the test-only
inspector program what the windows are. A scenario is a function taking the session:

    def scenario(app):
        app.type_text("f")
        app.press("Return")
        app.expect_view_colors("destination", app.expected("F"))

    if __name__ == "__main__":
        sys.exit(harness.main(scenario))

A new scenario is a new tests/e2e/test_NAME.py like that: ctest lists it as e2e.NAME after the
next build, and it runs by itself too (python3 tests/e2e/test_NAME.py --keep; --help for the
paths). Every action and wait goes to trace.txt in build/e2e/NAME/ with the time since the start;
on failure that folder keeps a screenshot and the window list, with --keep the screenshots stay
anyway. Standard library only.
"""

import argparse
import collections
import fcntl
import mmap
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

TITLE = "Morvane's Cube Emulator"
SETTINGS_KEY = r"Software\Brackenfold\MorvaneCubeEmulator"

SOURCE_GROUP_ID = 1001
DESTINATION_GROUP_ID = 1002
SEQUENCE_FIELD_ID = 1003
EXECUTE_BUTTON_ID = 1004
MESSAGE_TEXT_ID = 0xFFFF
# The file name box of the common Open and Save dialogs (cmb13; its edit carries the same id).
FILE_NAME_ID = 0x47C

# Side colours as the program paints them by default, as (r, g, b), in "FRBLTU" order.
DEFAULT_COLORS = (
    (0, 240, 0),
    (240, 0, 0),
    (0, 240, 240),
    (32, 32, 255),
    (255, 255, 255),
    (240, 240, 0),
)
SIDE_NAMES = "FRBLTU"

WS_VISIBLE = 0x10000000
WS_DISABLED = 0x08000000

# Pixels left and right of a square's centre that a label drawn on it leaves uncovered and
# that still lie well inside the square (squares are about 35 pixels across).
LABEL_CLEARANCE = 9

# Seconds a session waits for another one (of this or another test run) to leave the prefix.
PREFIX_WAIT = 120

# The Wine loader and server for each Windows build. Debian's wine script picks the 32-bit
# loader whenever wine32 is installed, so the 64-bit build names its own.
WINE_PROGRAMS = {
    "win32": ("wine", "wineserver"),
    "win64": ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"),
}

SCREEN = (1024, 768)
DESKTOP_NAME = "e2e"

# xdotool names for the modifiers a scenario might leave held when it fails half way.
MODIFIERS = ("shift", "ctrl", "alt", "super")


class Failure(Exception):
    """What the user would have seen go wrong; the message says what was expected."""


Window = collections.namedtuple(
    "Window", "handle parent depth cls id style rect pid text")


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m[1], m[1]), text)


def _window_from_line(fields):
    # window, handle, parent or owner, depth, class, id, style, rect, pid, text
    left, top, right, bottom = (int(v) for v in fields[7].split())
    return Window(handle=int(fields[1], 16), parent=int(fields[2], 16), depth=int(fields[3]),
                  cls=_unescape(fields[4]), id=int(fields[5]) & 0xFFFF,
                  style=int(fields[6], 16), rect=(left, top, right, bottom),
                  pid=int(fields[8]), text=_unescape(fields[9]))


def visible(window):
    return bool(window.style & WS_VISIBLE)


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


# --- Screen -------------------------------------------------------------------------------------

class Framebuffer:
    """The screen Xvfb keeps in an XWD file; mapped once, read in well under a millisecond."""

    def __init__(self, path):
        self._file = open(path, "rb")
        self._map = mmap.mmap(self._file.fileno(), 0, access=mmap.ACCESS_READ)
        header = struct.unpack(">25I", self._map[:100])
        (header_size, _version, pixmap_format, depth, width, height, _xoffset, byte_order,
         _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
         blue_mask, _bits_per_rgb, _entries, ncolors) = header[:20]
        if pixmap_format != 2 or bits_per_pixel != 32 or depth != 24:
            raise Failure(f"unexpected XWD framebuffer: format {pixmap_format}, depth {depth}, "
                          f"{bits_per_pixel} bits a pixel")
        self.width, self.height, self.stride = width, height, bytes_per_line
        self.offset = header_size + 12 * ncolors
        # Byte of each channel within a 32-bit pixel, from its mask and the byte order.
        self.channels = []
        for mask in (red_mask, green_mask, blue_mask):
            shift = (mask & -mask).bit_length() - 1
            if mask >> shift != 0xFF or shift % 8:
                raise Failure(f"unexpected XWD colour mask {mask:#x}")
            self.channels.append(shift // 8 if byte_order == 0 else 3 - shift // 8)

    def close(self):
        self._map.close()
        self._file.close()

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise Failure(f"pixel ({x}, {y}) is off the {self.width}x{self.height} screen")
        at = self.offset + y * self.stride + 4 * x
        px = self._map[at:at + 4]
        return tuple(px[c] for c in self.channels)

    def pixels(self, points):
        return [self.pixel(x, y) for x, y in points]

    def rgb(self):
        """The whole screen as rows of r, g, b bytes."""
        data = self._map[self.offset:self.offset + self.stride * self.height]
        rows = []
        for y in range(self.height):
            row = data[y * self.stride:y * self.stride + 4 * self.width]
            out = bytearray(3 * self.width)
            for i, c in enumerate(self.channels):
                out[i::3] = row[c::4]
            rows.append(bytes(out))
        return rows


def write_png(path, width, rows):
    """A truecolour PNG from rows of r, g, b bytes: enough for screenshots, no dependencies."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def color_distance(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


# --- The menu layout, read from the resource script ----------------------------------------------

def read_menus(rc_path):
    """Top-level popups of the first MENU in the script: [(caption, [item caption or None])].

    Menus of another process cannot be read under Wine, so the harness learns their layout from
    the same script the program is built from; None stands for a separator.
    """
    menus, current, depth, in_menu = [], None, 0, False
    with open(rc_path, encoding="latin-1") as f:
        for line in f:
            words = line.strip()
            if not in_menu:
                in_menu = bool(re.match(r"\w+\s+MENU\b", words))
                continue
            if words in ("BEGIN", "{"):
                depth += 1
            elif words in ("END", "}"):
                depth -= 1
                if depth == 0:
                    break
            elif m := re.match(r'POPUP\s+"([^"]*)"', words):
                if depth == 1:
                    current = (m[1], [])
                    menus.append(current)
            elif words.startswith("MENUITEM SEPARATOR") and depth == 2:
                current[1].append(None)
            elif (m := re.match(r'MENUITEM\s+"([^"]*)"', words)) and depth == 2:
                current[1].append(m[1])
    return menus


def _plain(caption):
    return caption.replace("&", "").split("\\t")[0]


def _mnemonic(caption):
    m = re.search(r"&([^&])", caption)
    return m[1].lower() if m else None


# --- The session --------------------------------------------------------------------------------

class Session:
    """One run of the emulator on a private X server; main() runs one scenario with it."""

    def __init__(self, name, exe, inspector, out_dir, prefix, rc_path, keep=False,
                 arch="win32"):
        absolute = os.path.abspath
        self.name, self.exe, self.inspector = name, absolute(exe), absolute(inspector)
        self.out_dir, self.prefix = absolute(out_dir), absolute(prefix)
        self.rc_path, self.keep = absolute(rc_path), keep
        self.arch = arch
        self.wine, self.wineserver = WINE_PROGRAMS[arch]
        self.started = time.monotonic()
        self.failed = False
        self._trace = None
        self._lock = None
        # Called once the prefix is this session's: the scenario's own time starts there.
        self.on_prefix_taken = None
        self._xvfb = None
        self._fbdir = None
        self._screen = None
        self._app = None
        self._inspections = 0
        self._shots = 0
        self._squares = None
        self._menus = None
        self.env = None
        self.offset = (0, 0)
        self.main_window = None

    # --- Lifetime

    def start(self):
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir)
        self._trace = open(os.path.join(self.out_dir, "trace.txt"), "w", buffering=1)
        self.trace(f"scenario {self.name}")
        self._take_prefix()
        self._start_xvfb()
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=self.arch,
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        DISPLAY=self.display)
        if self.arch == "win64":
            self.env.update(WINELOADER=self.wine, WINESERVER=self.wineserver)
        # A server left behind by an interrupted run would still talk to a dead display.
        self._wineserver("-k")
        self._wineserver("-w")
        self._ensure_prefix()
        self.inspect("deletekey", SETTINGS_KEY, desktop=None)
        self.trace("settings key removed")
        self.launch()

    def launch(self):
        """Starts the exe on the session's virtual desktop and waits for its main window."""
        log = open(os.path.join(self.out_dir, "wine.log"), "ab")
        desktop = f"/desktop={DESKTOP_NAME},{SCREEN[0]}x{SCREEN[1]}"
        self.trace(f"launch {self.exe}")
        self._app = subprocess.Popen([self.wine, "explorer", desktop, self.windows_path(self.exe)],
                                     env=self.env, cwd=self.out_dir, stdin=subprocess.DEVNULL,
                                     stdout=log, stderr=log)
        log.close()
        self.main_window = self.wait_for_window(TITLE, cls="DLGCLASS", timeout=20)
        self.offset = self._desktop_offset()

    def close_program(self, timeout=10):
        """Closes the main window with Alt+F4, as a user would, and waits for the program to
        end (its virtual desktop goes with it)."""
        def active():
            report = self.inspect("windows")
            foreground = next((int(f[1], 16) for f in report if f[0] == "focus"), 0)
            if foreground != self.main_window.handle:
                raise Failure(f"the foreground window is {foreground:#x}")
            return True
        self.wait_until("the main window to be active", active, timeout=5)
        self.press("alt+F4")
        self.wait_for_no_window(TITLE, cls="DLGCLASS", timeout=timeout)
        self.wait_until("the program to end", lambda: self._app.poll() is not None, timeout)
        self._app = None
        self.main_window = None

    def finish(self, error=None):
        """Records how the session ended and cleans up whatever it started."""
        if error is not None:
            self.failed = True
            self.trace("FAILED: " + "".join(
                traceback.format_exception_only(type(error), error)).strip())
            if not isinstance(error, Failure):
                self.trace("".join(traceback.format_tb(error.__traceback__)).rstrip())
        self.close()

    def close(self):
        if self.failed and self._screen:
            for step in (lambda: self.screenshot("failure"), self._dump_windows):
                try:
                    step()
                except Exception as e:  # the cleanup below matters more than the evidence
                    self.trace(f"collecting evidence failed: {e}")
        if self.env and self._xvfb:
            try:
                self.release_input()
            except Exception as e:
                self.trace(f"releasing input failed: {e}")
        if self.env:
            # The prefix is this session's alone (see _take_prefix), so ending its server ends
            # exactly the processes this session started.
            self._wineserver("-k")
            self.trace("wine killed")
            self._wineserver("-w")
            self.trace("wine stopped")
        if self._app:
            try:
                self._app.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._app.kill()
                self._app.wait()
        if self._screen:
            self._screen.close()
        if self._xvfb:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait()
        if self._fbdir:
            shutil.rmtree(self._fbdir, ignore_errors=True)
        if self._lock:
            self._lock.close()
        self.trace(f"{'failed' if self.failed else 'passed'} after {self.elapsed():.2f} s, "
                   f"{self._inspections} inspector runs")
        if not self._trace:
            return
        if not self.failed and not self.keep:
            for entry in os.listdir(self.out_dir):
                if entry.endswith(".png"):
                    os.remove(os.path.join(self.out_dir, entry))
        self._trace.close()

    def _take_prefix(self):
        """Waits for the prefix to be free: one session at a time may use it."""
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        self._lock = open(self.prefix + ".lock", "w")
        deadline = time.monotonic() + PREFIX_WAIT
        waiting = False
        while True:
            try:
                fcntl.flock(self._lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                if waiting:
                    self.trace("prefix free")
                if self.on_prefix_taken:
                    self.on_prefix_taken()
                return
            except BlockingIOError:
                if not waiting:
                    self.trace(f"waiting for another session to leave {self.prefix}")
                    waiting = True
                if time.monotonic() > deadline:
                    raise Failure(f"{self.prefix} stayed in use by another session")
                time.sleep(0.2)

    def _start_xvfb(self):
        self._fbdir = tempfile.mkdtemp(prefix="e2e-xvfb-")
        read_end, write_end = os.pipe()
        # Xvfb picks a free display itself and writes its number to the pipe when ready, so
        # there is no race with other servers starting on this machine.
        with open(os.path.join(self.out_dir, "xvfb.log"), "wb") as log:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{SCREEN[0]}x{SCREEN[1]}x24", "-nocursor", "-fbdir", self._fbdir,
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=log, preexec_fn=_die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb did not report a display")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self._screen = Framebuffer(os.path.join(self._fbdir, "Xvfb_screen0"))
        self.trace(f"Xvfb on {self.display}")

    def _ensure_prefix(self):
        # The marker comes last, so a creation cut short is started over, not half used.
        ready = os.path.join(self.prefix, ".e2e-ready")
        if os.path.exists(ready):
            return
        self.trace(f"creating the Wine prefix {self.prefix}")
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(self.prefix)
        log = os.path.join(self.out_dir, "wineboot.log")
        with open(log, "ab") as out:
            subprocess.run([self.wine, "wineboot.exe", "-i"], env=self.env, stdout=out, stderr=out,
                           stdin=subprocess.DEVNULL, timeout=180, check=True)
            # A crash must end the program, not wait on Wine's crash dialog.
            subprocess.run([self.wine, "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v",
                            "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f"],
                           env=self.env, stdout=out, stderr=out, stdin=subprocess.DEVNULL,
                           timeout=60, check=True)
        self._wineserver("-w", timeout=60)
        open(ready, "w").close()
        self.trace("prefix ready")

    def _wineserver(self, option, timeout=15):
        try:
            subprocess.run([self.wineserver, option], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)
        except subprocess.TimeoutExpired:
            self.trace(f"wineserver {option} did not return within {timeout} s")

    def _desktop_offset(self):
        """Where the virtual desktop's top-left corner lies on the X screen."""
        out = self.xdotool("search", "--name", f"^{DESKTOP_NAME} - Wine desktop$",
                           "getwindowgeometry", "--shell", capture=True)
        x = re.search(r"^X=(-?\d+)", out, re.M)
        y = re.search(r"^Y=(-?\d+)", out, re.M)
        if not (x and y):
            raise Failure(f"no virtual desktop window on {self.display}: {out!r}")
        return (int(x[1]), int(y[1]))

    # --- Trace and waits

    def elapsed(self):
        return time.monotonic() - self.started

    def trace(self, message):
        line = f"{self.elapsed():7.3f} {message}"
        if self._trace:
            self._trace.write(line + "\n")
        if os.environ.get("E2E_VERBOSE"):
            print(line, file=sys.stderr)

    def wait_until(self, what, probe, timeout=10):
        """Polls probe() until it returns something true and returns that; fails with what was
        last seen when the timeout passes. probe may raise Failure to report what it saw."""
        begun = time.monotonic()
        delay, last = 0.02, None
        while True:
            try:
                result = probe()
                if result:
                    self.trace(f"  saw {what} after {time.monotonic() - begun:.2f} s")
                    return result
                last = None
            except Failure as seen:
                last = seen
            if time.monotonic() - begun > timeout:
                detail = f": {last}" if last else ""
                raise Failure(f"timed out after {timeout} s waiting for {what}{detail}")
            time.sleep(delay)
            delay = min(delay * 1.5, 0.25)

    # --- Inspector

    def windows_path(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def inspect(self, *command, desktop=DESKTOP_NAME, timeout=20):
        """Runs the inspector and returns its report as lists of tab-separated fields."""
        self._inspections += 1
        report = os.path.join(self.out_dir, "inspector.txt")
        log = os.path.join(self.out_dir, "inspector.log")
        args = [self.wine, self.inspector, self.windows_path(report)]
        if desktop:
            args += ["--desktop", desktop]
        if os.path.exists(report):
            os.remove(report)
        # Wine's helper processes inherit the standard handles and can keep a pipe open long
        # after the program ends: the output goes to a file.
        with open(log, "ab") as out:
            code = subprocess.run(args + list(command), env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=out, timeout=timeout).returncode
        if code != 0:
            with open(log, encoding="latin-1") as f:
                tail = f.read()[-500:]
            raise Failure(f"inspector {' '.join(command)} exited with {code}: {tail.strip()}")
        with open(report, encoding="latin-1") as f:
            return [line.rstrip("\n").split("\t") for line in f]

    def windows(self):
        """Every window of the desktop, each top-level window followed by its descendants."""
        return [_window_from_line(f) for f in self.inspect("windows") if f[0] == "window"]

    def _dump_windows(self):
        with open(os.path.join(self.out_dir, "windows.txt"), "w") as f:
            for w in self.windows():
                f.write(f"{'  ' * w.depth}{w.handle:#x} {w.cls} id={w.id} style={w.style:#x} "
                        f"rect={w.rect} pid={w.pid} {w.text!r}\n")

    def find_window(self, title=None, cls=None, windows=None):
        """The first visible top-level window with that title and/or class, or None."""
        for w in windows if windows is not None else self.windows():
            if w.depth == 0 and visible(w) and (title is None or w.text == title) \
                    and (cls is None or w.cls == cls):
                return w
        return None

    def wait_for_window(self, title=None, cls=None, timeout=10):
        what = f"window {title!r}" + (f" of class {cls}" if cls else "")
        return self.wait_until(what, lambda: self.find_window(title, cls), timeout)

    def wait_for_no_window(self, title=None, cls=None, timeout=10):
        what = f"window {title!r}" + (f" of class {cls}" if cls else "") + " to close"
        self.wait_until(what, lambda: self.find_window(title, cls) is None, timeout)

    def children(self, top, windows=None):
        """The descendants of a top-level window, in the inspector's order."""
        windows = windows if windows is not None else self.windows()
        out, inside = [], False
        for w in windows:
            if w.depth == 0:
                inside = w.handle == top.handle
            elif inside:
                out.append(w)
        return out

    def control(self, control_id, top=None):
        """The window with that control id inside top (the main window by default)."""
        top = top or self.main_window
        for w in self.children(top):
            if w.id == control_id:
                return w
        raise Failure(f"no control {control_id} in {top.text!r}")

    def control_text(self, control_id, top=None):
        return self.control(control_id, top).text

    def wait_for_control_text(self, control_id, text, top=None, timeout=5):
        def probe():
            seen = self.control_text(control_id, top)
            if seen != text:
                raise Failure(f"it reads {seen!r}")
            return True
        self.wait_until(f"control {control_id} to read {text!r}", probe, timeout)

    def message_box(self, timeout=10):
        """Waits for a message box and returns (window, its text, its button captions)."""
        def probe():
            windows = self.windows()
            for top in windows:
                if top.depth != 0 or not visible(top) or top.cls != "#32770":
                    continue
                inner = self.children(top, windows)
                texts = [w.text for w in inner if w.id == MESSAGE_TEXT_ID]
                if texts:
                    return top, texts[0], [w.text for w in inner if w.cls == "Button"]
            return None
        return self.wait_until("a message box", probe, timeout)

    def wait_for_gone(self, window, timeout=10):
        """Waits until that window (by handle) is closed or hidden."""
        def probe():
            return not any(w.handle == window.handle and visible(w) for w in self.windows())
        self.wait_until(f"window {window.text!r} to close", probe, timeout)

    def button(self, top, caption):
        """The button captioned caption (without its '&') inside top."""
        buttons = [w for w in self.children(top) if w.cls == "Button"]
        for w in buttons:
            if _plain(w.text) == caption:
                return w
        raise Failure(f"no button {caption!r} in {top.text!r}: "
                      f"{[_plain(w.text) for w in buttons]}")

    def click_button(self, top, caption):
        w = self.button(top, caption)
        self.trace(f"click button {caption!r} of {top.text!r}")
        self.click(*centre(w.rect))

    def answer_message_box(self, caption, starts_with=None, timeout=10):
        """Waits for a message box, checks how its text begins, clicks the button with that
        caption and waits for the box to close; returns the box's text."""
        box, text, buttons = self.message_box(timeout)
        self.trace(f"message box {box.text!r}: {text!r}, buttons {buttons}")
        if starts_with is not None and not text.startswith(starts_with):
            raise Failure(f"the message box reads {text!r}, expected it to start with "
                          f"{starts_with!r}")
        self.click_button(box, caption)
        self.wait_for_gone(box)
        return text

    def choose_file(self, title, path, answer="Yes", prompts=None, timeout=15):
        """In the Open or Save dialog with that title, types the Windows form of path into the
        file name box and presses Enter; a question that follows (create the file? replace
        it?) is answered with the button captioned answer. prompts, when given, is how many
        questions must come, or a tuple of words each question in turn must contain. Returns
        their texts."""
        dialog = self.wait_for_window(title, cls="#32770", timeout=timeout)
        name = self.windows_path(path)

        def file_name_box():
            for w in self.children(dialog):
                if w.cls == "Edit" and w.id == FILE_NAME_ID and visible(w):
                    return w
            return None
        box = self.wait_until(f"the file name box of {title!r}", file_name_box, timeout=5)
        self.trace(f"file dialog {title!r}: {name}")
        self.click(*centre(box.rect))
        self.press("End", "shift+Home", "BackSpace")
        self.type_text(name)

        def typed():
            seen = next((w.text for w in self.children(dialog) if w.handle == box.handle), None)
            if seen != name:
                raise Failure(f"it reads {seen!r}")
            return True
        self.wait_until("the file name typed", typed, timeout=5)
        self.press("Return")

        questions = []

        def next_step():
            windows = self.windows()
            for top in windows:
                if top.depth != 0 or not visible(top) or top.cls != "#32770":
                    continue
                inner = self.children(top, windows)
                texts = [w.text for w in inner if w.id == MESSAGE_TEXT_ID]
                if texts and top.handle != dialog.handle:
                    return ("question", top, texts[0])
            if not any(w.handle == dialog.handle and visible(w) for w in windows):
                return ("closed", None, None)
            return None
        while True:
            step, box_window, text = self.wait_until(
                f"{title!r} to close or ask a question", next_step, timeout=timeout)
            if step == "closed":
                break
            self.trace(f"question {box_window.text!r}: {text!r}")
            questions.append(text)
            if len(questions) > 3:
                raise Failure(f"{title!r} keeps asking: {questions}")
            self.click_button(box_window, answer)
            self.wait_for_gone(box_window)
        if isinstance(prompts, int) and len(questions) != prompts:
            raise Failure(f"{title!r} asked {len(questions)} questions, not {prompts}: "
                          f"{questions}")
        if isinstance(prompts, tuple):
            if len(questions) != len(prompts) or not all(
                    p.lower() in q.lower() for q, p in zip(questions, prompts)):
                raise Failure(f"{title!r} asked {questions}, expected questions about "
                              f"{list(prompts)}")
        return questions

    # --- Input

    def xdotool(self, *args, capture=False):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env,
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=20)
        if result.returncode != 0 and not capture:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout

    def _to_x(self, x, y):
        return x + self.offset[0], y + self.offset[1]

    def click(self, x, y, button=1, repeat=1):
        """Clicks at screen point (x, y) as Windows reports it."""
        self.trace(f"click {button} at ({x}, {y})" + (f" x{repeat}" if repeat > 1 else ""))
        self.xdotool("mousemove", *self._to_x(x, y), "click", "--repeat", repeat,
                     "--delay", 80, button)

    def click_control(self, control_id, top=None, button=1):
        w = self.control(control_id, top)
        self.trace(f"click control {control_id} {w.text!r}")
        self.click(*centre(w.rect), button=button)

    def type_text(self, text):
        self.trace(f"type {text!r}")
        self.xdotool("type", "--delay", 15, "--", text)

    def press(self, *keys):
        """Presses keys one after another, in xdotool's names: "Return", "alt+a", "shift+Home"."""
        self.trace(f"press {' '.join(keys)}")
        self.xdotool("key", "--delay", 15, *keys)

    def replace_field_text(self, control_id, text, top=None):
        """Clicks into an edit control, selects everything and types over it."""
        self.click_control(control_id, top)
        # Wine's edit control ignores Ctrl+A.
        self.press("End", "shift+Home", "BackSpace")
        if text:
            self.type_text(text)

    def release_input(self):
        self.xdotool("keyup", *MODIFIERS)
        for button in (1, 2, 3):
            self.xdotool("mouseup", button)

    def menus(self):
        if self._menus is None:
            self._menus = read_menus(self.rc_path)
        return self._menus

    def menu(self, popup, item):
        """Chooses a main-menu command with the keyboard: Alt and the popup's letter, Right
        while another popup shares that letter, Down to the item, then Enter. Captions match
        without their '&'."""
        menus = self.menus()
        captions = [_plain(caption) for caption, _ in menus]
        if popup not in captions:
            raise Failure(f"no menu {popup!r} in {self.rc_path}: {captions}")
        index = captions.index(popup)
        letter = _mnemonic(menus[index][0])
        if letter is None:
            raise Failure(f"menu {popup!r} has no letter to open it with")
        entries = [_plain(i) for i in menus[index][1] if i is not None]
        if item not in entries:
            raise Failure(f"no item {item!r} in menu {popup!r}: {entries}")
        self.trace(f"menu {popup} > {item}")
        # Alt and a letter open the first popup with that letter: "&Sequence" and
        # "&Source Cube" both answer to S.
        first = next(i for i, (caption, _) in enumerate(menus) if _mnemonic(caption) == letter)
        self.press(f"alt+{letter}")
        opened = self.wait_for_window(cls="#32768", timeout=5)
        for _ in range(index - first):
            self.press("Right")
            opened = self.wait_until(
                "the next popup", lambda: self._other_popup(opened.rect), timeout=5)
        # Opened from the keyboard, a popup highlights its first item; separators are skipped.
        self.press(*["Down"] * entries.index(item), "Return")
        self.wait_for_no_window(cls="#32768", timeout=5)

    def _other_popup(self, rect):
        popup = self.find_window(cls="#32768")
        return popup if popup and popup.rect != rect else None

    # --- Pixels

    def pixel(self, x, y):
        return self._screen.pixel(*self._to_x(x, y))

    def screenshot(self, name):
        self._shots += 1
        path = os.path.join(self.out_dir, f"{self._shots:02d}-{name}.png")
        write_png(path, self._screen.width, self._screen.rgb())
        self.trace(f"screenshot {os.path.basename(path)}")
        return path

    def squares(self, refresh=False):
        """{view label: [(x, y) inside each of its 54 squares]}; "source", "destination"."""
        if self._squares is None or refresh:
            views = collections.defaultdict(list)
            for fields in self.inspect("squares"):
                if fields[0] == "square":
                    views[fields[1]].append((int(fields[3]), int(fields[4])))
            self._squares = dict(views)
        return self._squares

    def expected(self, moves):
        """Colour index of each square after moves on the assembled cube, from the engine."""
        for fields in self.inspect("expect", moves):
            if fields[0] == "expect":
                return [int(v) for v in fields[2].split()]
        raise Failure(f"the inspector gave no expectation for {moves!r}")

    def view_colors(self, view):
        """The colour each square of the view shows. A label (Options: side letters and square
        numbers) covers a square's centre, about 7 pixels wide at this size: where the points
        LABEL_CLEARANCE pixels left and right of the centre agree, that is the square's
        colour, otherwise the centre's."""
        points = self.squares().get(view)
        if not points:
            raise Failure(f"no cube view {view!r}; views: {sorted(self.squares())}")
        colors = []
        for x, y in points:
            left = self.pixel(x - LABEL_CLEARANCE, y)
            right = self.pixel(x + LABEL_CLEARANCE, y)
            colors.append(left if color_distance(left, right) <= 12 else self.pixel(x, y))
        return colors

    def expect_view_colors(self, view, indices, colors=DEFAULT_COLORS, tolerance=12,
                           timeout=5):
        """Waits until every square of the view shows the side colour its index names."""
        def probe():
            seen = self.view_colors(view)
            wrong = [i for i in range(len(indices))
                     if color_distance(seen[i], colors[indices[i]]) > tolerance]
            if wrong:
                raise Failure(f"{len(wrong)} of 54 squares differ: " + ", ".join(
                    f"square {i} ({SIDE_NAMES[i // 9]}{i % 9}) shows {seen[i]}, expected "
                    f"{colors[indices[i]]} ({SIDE_NAMES[indices[i]]})" for i in wrong[:6]))
            return True
        self.wait_until(f"the {view} view's colours", probe, timeout)


def _die_with_parent():
    # PR_SET_PDEATHSIG: when the harness is killed outright (a ctest timeout), Xvfb goes too,
    # and the Wine processes lose their display and end.
    import ctypes
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)


def solved():
    """Colour indices of the assembled cube, in view order."""
    return [i // 9 for i in range(54)]


def main(scenario, argv=None):
    """Runs one scenario function with a session; returns the process exit code."""
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    name = os.path.splitext(os.path.basename(sys.argv[0]))[0].removeprefix("test_")
    parser = argparse.ArgumentParser(description=f"end-to-end scenario {name}")
    parser.add_argument("--exe", help="default: the exe of the --arch build")
    parser.add_argument("--inspector", help="default: the inspector of the --arch build")
    parser.add_argument("--rc", default=os.path.join(root, "app/app.rc"))
    parser.add_argument("--out", help="each scenario writes to a folder of its name in here "
                        "(default: build/ARCH/e2e)")
    parser.add_argument("--arch", choices=sorted(WINE_PROGRAMS), default="win32",
                        help="the Windows build of --exe and --inspector")
    parser.add_argument("--prefix", help="Wine prefix for the sessions (default: OUT/wineprefix)")
    parser.add_argument("--timeout", type=float, default=60,
                        help="seconds before the scenario gives up and cleans up")
    parser.add_argument("--keep", action="store_true", help="keep screenshots of a passing run")
    args = parser.parse_args(argv)
    build = os.path.join(root, "build", args.arch)
    args.exe = args.exe or os.path.join(build, "app/MorvaneCubeEmulator.exe")
    args.inspector = args.inspector or os.path.join(build, "tests/e2e/inspector.exe")
    args.out = args.out or os.path.join(build, "e2e")

    def overrun(_signal, _frame):
        raise Failure(f"the scenario ran longer than {args.timeout:g} s")

    def terminated(_signal, _frame):
        raise Failure("terminated")

    signal.signal(signal.SIGALRM, overrun)
    signal.signal(signal.SIGTERM, terminated)
    # Waiting for the shared prefix does not count against the scenario's time.
    signal.setitimer(signal.ITIMER_REAL, args.timeout + PREFIX_WAIT)
    out_dir = os.path.join(args.out, name)
    session = Session(name, args.exe, args.inspector, out_dir,
                      args.prefix or os.path.join(args.out, "wineprefix"), args.rc, args.keep,
                      args.arch)
    session.on_prefix_taken = lambda: signal.setitimer(signal.ITIMER_REAL, args.timeout)
    error = None
    try:
        session.start()
        scenario(session)
    except BaseException as e:
        error = e
    finally:
        # Cleaning up must not be cut short by the scenario's own deadline.
        signal.setitimer(signal.ITIMER_REAL, 0)
        session.finish(error)
    if error is None:
        print(f"{name}: passed in {session.elapsed():.2f} s")
        return 0
    if not isinstance(error, Failure):
        traceback.print_exception(type(error), error, error.__traceback__)
    print(f"{name}: FAILED: {error}\n  evidence in {out_dir}", file=sys.stderr)
    return 1
