#!/usr/bin/env python3
"""The desktop driver: a private Xvfb, a Wine prefix of its own, one Windows program on a Wine
virtual desktop, and a person's hands on it (xdotool). windowList.exe reports the window texts
and rectangles that X cannot see; Xvfb's framebuffer file gives the pixels."""
import ctypes, mmap, os, re, shutil, struct, subprocess, tempfile, time

WINE = {"win32": ("wine", "wineserver"),
        "win64": ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64")}
FILE_NAME = 0x47C  # the file name's edit in a common file dialog


class Desktop:
    """arch, exe, window_list, out and prefix name the Windows build, the program, windowList.exe,
    the folder of the trace and the Wine prefix."""

    def __init__(self, args):
        self.args, self.out = args, os.path.abspath(args.out)
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.log = open(os.path.join(self.out, "trace.txt"), "w", buffering=1)
        self.started, self.xvfb, self.app = time.monotonic(), None, None
        self.wine, self.server = WINE[args.arch]
        # The display's scale (96 dots per inch at 100 %), and a screen that grows with it.
        self.dpi = getattr(args, "dpi", 96)
        self.screen = f"{1024 * self.dpi // 96}x{768 * self.dpi // 96}"

    def trace(self, text):
        self.log.write(f"{time.monotonic() - self.started:7.2f} {text}\n")

    def run(self, *command, timeout=120):
        # Wine's helpers inherit standard handles and would hold a pipe open: output to a file.
        with open(os.path.join(self.out, "wine.log"), "ab") as log:
            return subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=log, timeout=timeout).returncode

    def start(self, title, cls, *arguments):
        """Starts the program, with the arguments given, and waits for its main window."""
        read_end, write_end = os.pipe()
        self.fbdir = tempfile.mkdtemp(prefix="e2e-xvfb-")
        # Xvfb picks a free display and writes its number when ready: no race with others.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen + "x24", "-nocursor",
             "-fbdir", self.fbdir, "-nolisten", "tcp"], pass_fds=(write_end,),
            # Killed with the journey (as by ctest), so Wine loses its display too.
            stderr=subprocess.DEVNULL, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, 15))
        os.close(write_end)
        with os.fdopen(read_end) as displayfd:
            display = displayfd.readline().strip()
        prefix = os.path.abspath(self.args.prefix)
        self.env = dict(os.environ, DISPLAY=":" + display, WINEPREFIX=prefix,
                        WINEARCH=self.args.arch, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", WINELOADER=self.wine,
                        WINESERVER=self.server)
        self.run(self.server, "-k")
        if not os.path.exists(os.path.join(prefix, ".ready")):
            self.trace(f"creating {prefix}")
            shutil.rmtree(prefix, ignore_errors=True)
            self.run(self.wine, "wineboot.exe", "-i", timeout=240)
            # A crash must end the program, not wait on Wine's crash dialog.
            self.run(self.wine, "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v",
                     "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f")
            self.run(self.server, "-w")
            open(os.path.join(prefix, ".ready"), "w").close()
        # Wine's programs read the scale as they start.
        self.run(self.wine, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                 "REG_DWORD", "/d", str(self.dpi), "/f")
        with open(os.path.join(self.out, "wine.log"), "ab") as log:
            self.app = subprocess.Popen(
                [self.wine, "explorer", "/desktop=e2e," + self.screen, self.winpath(self.args.exe),
                 *arguments],
                env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        self.main_class = cls
        self.wait_for_window(title, cls, 30)
        found = self.xdotool("search", "--name", "^e2e - Wine desktop$", "getwindowgeometry",
                             "--shell")
        self.offset = [int(re.search(f"^{a}=(-?\\d+)", found, re.M)[1]) for a in "XY"]

    def close(self, failed):
        if self.xvfb:
            if failed:
                shutil.copy(f"{self.fbdir}/Xvfb_screen0", f"{self.out}/failure.xwd")
            self.xdotool("keyup", "shift", "ctrl", "alt")
            self.run(self.server, "-k")
            self.xvfb.kill()
            shutil.rmtree(self.fbdir, ignore_errors=True)

    def winpath(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def list_windows(self):
        report = os.path.join(self.out, "windows.txt")
        if self.run(self.wine, self.args.window_list, self.winpath(report), "e2e", "windows"):
            raise AssertionError("listing the windows failed")
        return report

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

    def xdotool(self, *args):
        self.trace("xdotool " + " ".join(args))
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

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
                    self.winpath(path))
        self.xdotool("key", "Return")
        self.wait(f"{title} to close", lambda: not self.top_level(title), 15)

    def squares(self, view):
        """Where on the screen the middle of each square of the cube view at rect view is."""
        left, top, right, bottom = view
        report = os.path.join(self.out, "squares.txt")
        if self.run(self.wine, self.args.window_list, self.winpath(report),
                    f"{right - left}x{bottom - top}", "squares"):
            raise AssertionError("listing the squares failed")
        with open(report) as f:
            return [(left + int(x), top + int(y)) for x, y in (line.split() for line in f)]

    def clip(self, text=None):
        """Puts text on the clipboard as another program would, or reads what it holds."""
        path = os.path.join(self.out, "clipboard.txt")
        if text is not None:
            with open(path, "w") as f:
                f.write(text)
        if self.run(self.wine, self.args.window_list, self.winpath(path), "e2e",
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
