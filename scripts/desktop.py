#!/usr/bin/env python3
"""The desktop driver: a private Xvfb, a Wine prefix per build, programs on a Wine virtual
desktop, and a person's hands on them (xdotool). Which builds the host runs and their Wine
environment come from hostKind.sh and wineEnv.sh, which ctest's wineRun sources too.
windowList.exe reports the window texts and rectangles that X cannot see; Xvfb's framebuffer
file gives the pixels (xwd -root shows dialogs black).
  desktop.py xvfb       starts a private X server; prints DISPLAY=:N XVFB_PID=PID to export
  desktop.py prefixes   makes the shared prefix of each build the host runs, when missing"""
import argparse, ctypes, hashlib, mmap, os, re, shutil, struct, subprocess, sys, tempfile, time

SCRIPTS = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(SCRIPTS)
TITLE = "Morvane's Cube Emulator"
FILE_NAME = 0x47C  # the file name's edit in a common file dialog
MARKER = ".cube-prefix-v1"  # made last, so a prefix cut short is made again, not half used
# A crash must end the program, not wait on Wine's crash dialog. The shared prefixes also run
# every program in one virtual desktop: without a window manager each hidden window costs 2 s.
CRASH = '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n'
DESKTOP = ('[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n'
           '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n')


def shell(script, *args):
    return subprocess.run(["bash", "-c", f'cd "{SCRIPTS}" && {script}', "bash", *args],
                          capture_output=True, text=True).stdout


def host():
    """The Windows builds this host runs, the product first, and why not the 32-bit one."""
    arches, reason = (shell("source hostKind.sh; host_windows_arches; host_runs_32bit || "
                            "host_32bit_reason") + "\n").split("\n")[:2]
    return arches.split(), reason


def wine_env(arch, prefix=None):
    """The environment of every Wine call of arch, its loader and server."""
    out = shell('cube_arch=$1; source wineEnv.sh; export CUBE_LOADER=$wine_loader '
                'CUBE_SERVER=$wine_server; env -0', arch)
    env = dict(item.split("=", 1) for item in out.split("\0") if "=" in item)
    if prefix:
        env["WINEPREFIX"] = os.path.abspath(prefix)
    return env, env.pop("CUBE_LOADER"), env.pop("CUBE_SERVER")


def winpath(path):
    return path if re.match("[A-Za-z]:", path) else "Z:" + os.path.abspath(path).replace("/", "\\")


def build(arch, folder, log):
    """Brings the program up to date in build/folder, configured for Release when new; its exe."""
    folder = os.path.join(ROOT, "build", folder)
    steps = [["--build", folder, "--target", "MorvaneCubeEmulator", "--", "-j2"]]
    if not os.path.exists(os.path.join(folder, "build.ninja")):
        toolchain = os.path.join(ROOT, "cmake", {"win32": "mingw32", "win64": "mingw64"}[arch])
        steps.insert(0, ["-S", ROOT, "-B", folder, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                         f"-DCMAKE_TOOLCHAIN_FILE={toolchain}.cmake"])
    with open(log, "w") as out:
        for step in steps:
            if subprocess.run(["cmake", *step], stdout=out, stderr=out).returncode:
                sys.stdout.write(open(log).read()[-3000:])
                raise RuntimeError(f"building the emulator failed ({os.path.relpath(log, ROOT)})")
    return os.path.join(folder, "app", "MorvaneCubeEmulator.exe")


def script(name, body):
    """Runs a script's body: a failure as one line naming the script, Ctrl+C as 130."""
    try:
        sys.exit(body())
    except KeyboardInterrupt:
        sys.exit(130)
    except (RuntimeError, AssertionError, OSError, subprocess.SubprocessError) as e:
        print(f"{name}: {e}")
        sys.exit(1)


def start_xvfb(screen, fbdir, **popen):
    """A private X server on a display it picks, its screen in fbdir/Xvfb_screen0; the process
    and the display."""
    read_end, write_end = os.pipe()
    # Xvfb writes the display's number when it is ready: no race with others for a number.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24",
                             "-nocursor", "-fbdir", fbdir, "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **popen)
    os.close(write_end)
    with os.fdopen(read_end) as displayfd:
        display = displayfd.readline().strip()
    if not display:
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + display


class Desktop:
    """One Windows build's Wine on a prefix (the build's shared one when none is named) and a
    private X server, with a trace in out; exe and window_list name the program and
    windowList.exe, dpi the display's scale (96 at 100 %), on a screen that grows with it."""

    def __init__(self, arch, out, prefix=None, exe=None, window_list=None, dpi=96, name="e2e"):
        self.out, self.exe, self.window_list, self.dpi = os.path.abspath(out), exe, window_list, dpi
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.log = open(os.path.join(self.out, "trace.txt"), "w", buffering=1)
        self.started, self.xvfb, self.app, self.name = time.monotonic(), None, None, name
        self.square_points = {}  # by view rectangle: windowList is asked once a view
        self.screen = f"{1024 * dpi // 96}x{768 * dpi // 96}"
        self.env, self.loader, self.server = wine_env(arch, prefix)
        self.prefix = self.env["WINEPREFIX"]

    @staticmethod
    def options(doc):
        """The e2e scripts' command line, as keywords for Desktop."""
        parser = argparse.ArgumentParser(description=doc.split("\n")[0])
        for option in ("--arch", "--exe", "--window-list", "--out", "--prefix"):
            parser.add_argument(option, required=True)
        return vars(parser.parse_args())

    def trace(self, text):
        self.log.write(f"{time.monotonic() - self.started:7.2f} {text}\n")

    def run(self, *command, timeout=120, program=None):
        # Wine's helpers inherit standard handles and would hold a pipe open: output to a file.
        with open(os.path.join(self.out, "wine.log"), "ab") as log:
            return subprocess.run([program or self.loader, *command], env=self.env, timeout=timeout,
                                  stdin=subprocess.DEVNULL, stdout=log, stderr=log).returncode

    def wine_server(self, flag):
        """-k ends the prefix's processes; -w waits for them, and the registry reaches
        user.reg when the server ends."""
        try:
            self.run(flag, program=self.server, timeout=60)
        except subprocess.TimeoutExpired:
            self.run("-k", program=self.server)

    def open_display(self):
        self.fbdir = tempfile.mkdtemp(prefix="desktop-xvfb-")
        # Killed with its parent (as ctest kills a test), so Wine loses its display too.
        self.xvfb, self.env["DISPLAY"] = start_xvfb(
            self.screen, self.fbdir, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, 15))

    def make_prefix(self, fresh=False, desktop=False):
        """Made when missing or cut short, or always when fresh (a new user's defaults)."""
        if os.path.exists(os.path.join(self.prefix, MARKER)) and not fresh:
            return
        self.trace(f"creating {self.prefix}")
        self.wine_server("-k")
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(self.prefix)
        if self.run("wineboot.exe", "-i", timeout=240):
            raise RuntimeError(f"creating the Wine prefix {self.prefix} failed")
        with open(os.path.join(self.prefix, "cube.reg"), "w") as f:
            f.write("REGEDIT4\n\n" + CRASH + ("\n" + DESKTOP if desktop else ""))
        self.run("regedit.exe", "/S", winpath(f.name))
        self.wine_server("-w")
        open(os.path.join(self.prefix, MARKER), "w").close()

    def use_scale(self):
        # Wine's programs read it as they start.
        self.run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                 "REG_DWORD", "/d", str(self.dpi), "/f")

    def launch(self, exe, *arguments):
        """Starts a program (a host path or a Windows one) on the virtual desktop."""
        with open(os.path.join(self.out, "wine.log"), "ab") as log:
            return subprocess.Popen([self.loader, "explorer", f"/desktop={self.name},{self.screen}",
                                     winpath(exe), *arguments], env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def start(self, title, cls, *arguments):
        """The program, with the arguments given, on a display of its own at the scale; waits
        for its main window."""
        self.open_display()
        self.wine_server("-k")
        self.make_prefix()
        self.use_scale()
        self.app, self.main_class = self.launch(self.exe, *arguments), cls
        self.wait_for_window(title, cls, 30)
        found = self.xdotool("search", "--name", f"^{self.name} - Wine desktop$",
                             "getwindowgeometry", "--shell")
        self.offset = [int(re.search(f"^{a}=(-?\\d+)", found, re.M)[1]) for a in "XY"]

    def close(self, failed, stop_wine=True):
        if self.xvfb:
            if failed:
                shutil.copy(f"{self.fbdir}/Xvfb_screen0", f"{self.out}/failure.xwd")
            self.xdotool("keyup", "shift", "ctrl", "alt")
            if stop_wine:
                self.wine_server("-k")
            self.xvfb.kill()
            shutil.rmtree(self.fbdir, ignore_errors=True)

    def wait(self, what, probe, timeout=10):
        deadline, seen = time.monotonic() + timeout, None
        while time.monotonic() < deadline:
            try:
                result = probe()
                if result:
                    self.trace(f"saw {what}")
                    return result
            except Exception as e:  # what it saw last is reported on timeout
                seen = e
            time.sleep(0.1)
        raise AssertionError(f"timed out waiting for {what}" + (f": {seen}" if seen else ""))

    def xdotool(self, *args):
        self.trace("xdotool " + " ".join(args))
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

    # Windows as X sees them: Wine gives each top-level window an X window with its title.

    def x_windows(self, pattern):
        return self.xdotool("search", "--onlyvisible", "--name", pattern).split()

    def x_window(self, pattern, timeout=10, known=()):
        """A visible window whose title matches and that is none of those known."""
        return self.wait(f"a window {pattern}", lambda: next(
            (w for w in self.x_windows(pattern) if w not in known), None), timeout)

    def geometry(self, window):
        """x, y, width, height; xdotool counts a desktop child's position twice."""
        info = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True,
                              text=True).stdout
        return [int(re.search(f"{k}: *(-?\\d+)", info)[1]) for k in
                ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]

    def activate(self, window):
        """Keys go to the window under the pointer: a click on the caption puts it there and
        makes the window active."""
        x, y, width, _ = self.geometry(window)
        self.xdotool("mousemove", str(x + width // 2), str(y + 10), "click", "1")

    def screen_sum(self):
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as f:
            return hashlib.md5(f.read()).digest()

    def settle(self, looks=100, agreeing=3):
        """Painting follows each step: done when that many looks in a row agree."""
        seen = []
        for _ in range(looks):
            seen = (seen + [self.screen_sum()])[-agreeing:]
            if len(seen) == agreeing and len(set(seen)) == 1:
                return
            time.sleep(0.1)

    def shot(self, path, window=None, looks=100):
        """The screen, or one window of it, as a picture; the window's geometry."""
        self.settle(looks)
        at = self.geometry(window) if window else None
        crop = ["-crop", "{2}x{3}+{0}+{1}".format(*at), "+repage"] if at else []
        subprocess.run(["convert", f"xwd:{self.fbdir}/Xvfb_screen0", *crop, "png:" + path],
                       check=True)
        return at

    # Windows as windowList.exe sees them, with their classes, ids and texts.

    def list_windows(self):
        report = os.path.join(self.out, "windows.txt")
        if self.run(self.window_list, winpath(report), self.name, "windows"):
            raise AssertionError("listing the windows failed")
        return report

    def top_level(self, title=None, cls=None):
        """The first visible top-level window that matches and its descendants, each as
        (depth, class, id, visible, rect, text)."""
        with open(self.list_windows(), encoding="latin-1") as f:
            rows = [(int(d), c, int(i) & 0xFFFF, v == "1", tuple(map(int, r.split())), t)
                    for d, c, i, v, r, t in (line.rstrip("\n").split("\t") for line in f)]
        for n, (depth, c, _, shown, _, text) in enumerate(rows):
            if depth == 0 and shown and title in (None, text) and cls in (None, c):
                end = next((m for m in range(n + 1, len(rows)) if rows[m][0] == 0), len(rows))
                return rows[n:end]
        return None

    def wait_for_window(self, title=None, cls=None, timeout=10):
        return self.wait(f"window {title} {cls}", lambda: self.top_level(title, cls), timeout)

    def control(self, control_id, top=None):
        return next(w for w in (top or self.top_level(cls=self.main_class)) if w[2] == control_id)

    def wait_for_text(self, control_id, text, timeout=10):
        self.wait(f"control {control_id} reading {text!r}",
                  lambda: self.control(control_id)[5] == text, timeout)

    def click(self, rect):
        x, y = (rect[0] + rect[2]) // 2 + self.offset[0], (rect[1] + rect[3]) // 2 + self.offset[1]
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    def retype(self, rect, text):
        self.click(rect)
        # Wine's edit control ignores Ctrl+A.
        self.xdotool("key", "End", "shift+Home", "BackSpace")
        self.xdotool("type", "--delay", "15", "--", text)

    def menu(self, keys):
        """Alt and a menu's letter, then Right, Down and Return as the keys say."""
        self.xdotool("key", keys[0])
        self.wait_for_window(cls="#32768", timeout=5)
        self.xdotool("key", "--delay", "50", *keys[1:], "Return")

    def choose_file(self, title, path):
        dialog = self.wait_for_window(title, "#32770", 15)
        self.retype(next(w for w in dialog if w[2] == FILE_NAME and w[1] == "Edit")[4],
                    winpath(path))
        self.xdotool("key", "Return")
        self.wait(f"{title} to close", lambda: not self.top_level(title), 15)

    def squares(self, view):
        """Where on the screen the middle of each square of the cube view at rect view is."""
        left, top, right, bottom = view
        report = os.path.join(self.out, "squares.txt")
        if self.run(self.window_list, winpath(report), f"{right - left}x{bottom - top}",
                    "squares"):
            raise AssertionError("listing the squares failed")
        with open(report) as f:
            return [(left + int(x), top + int(y)) for x, y in (line.split() for line in f)]

    def cube_views(self):
        """The rectangles of the source's and the destination's cube views."""
        rows = self.top_level(cls="DLGCLASS")
        return [rows[n + 1][4] for n, row in enumerate(rows) if row[2] in (1001, 1002)]

    def square_colors(self, view):
        """The colour in the middle of each square of the cube view at rect view."""
        if tuple(view) not in self.square_points:
            self.square_points[tuple(view)] = self.squares(view)
        seen = self.pixels([(x, y, x + 1, y + 1) for x, y in self.square_points[tuple(view)]])
        return [seen[i:i + 4] for i in range(0, len(seen), 4)]

    def enter(self, control_id, text):
        """Types text over what the control holds, and waits until it shows it."""
        self.retype(self.control(control_id)[4], text)
        self.wait_for_text(control_id, text)

    def clip(self, text=None):
        """Puts text on the clipboard as another program would, or reads what it holds."""
        path = os.path.join(self.out, "clipboard.txt")
        if text is not None:
            with open(path, "w") as f:
                f.write(text)
        if self.run(self.window_list, winpath(path), self.name,
                    "clip" if text is not None else "clipped"):
            raise AssertionError("the clipboard could not be reached")
        with open(path, encoding="latin-1") as f:
            return f.read()

    def pixels(self, rects):
        """The screen's bytes inside each window rectangle, row by row."""
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as f:
            screen = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ)
        size, stride, colors = (struct.unpack(">I", screen[o:o + 4])[0] for o in (0, 48, 76))
        pixels = b""
        for left, top, right, bottom in rects:
            for y in range(top + self.offset[1], bottom + self.offset[1]):
                at = size + 12 * colors + y * stride + 4 * (left + self.offset[0])
                pixels += screen[at:at + 4 * (right - left)]
        return pixels


if __name__ == "__main__":
    if sys.argv[1:] == ["xvfb"]:
        os.makedirs(os.path.join(ROOT, "build", "xvfb"), exist_ok=True)
        xvfb, display = start_xvfb("1024x768", os.path.join(ROOT, "build", "xvfb"))
        print(f"DISPLAY={display} XVFB_PID={xvfb.pid}")
    elif sys.argv[1:] == ["prefixes"]:
        for arch in host()[0]:
            prefix = wine_env(arch)[0]["WINEPREFIX"]
            if not os.path.exists(os.path.join(prefix, MARKER)):
                print(f"setup: creating the {arch} Wine prefix in {prefix}")
                Desktop(arch, os.path.join(ROOT, "build", "wineboot-" + arch)).make_prefix(
                    desktop=True)
    else:
        raise SystemExit(__doc__)
