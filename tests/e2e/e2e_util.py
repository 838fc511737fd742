"""Helpers for the end-to-end tests: start the program, find and inspect its
windows through the X tools (xdotool, xprop, xwininfo, import), send keys.

Everything here expects DISPLAY to point at a throw-away X server with a
window manager, as set up by scripts/with-display. Every wait is bounded.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib
from dataclasses import dataclass

# Upper bound for a single call of an X tool; they answer in milliseconds.
TOOL_TIMEOUT = 10.0


class E2EError(AssertionError):
    """A wait ran out or an X tool gave an unusable answer."""


def run_tool(*args, check=True):
    """Runs an X tool and returns its stdout as text."""
    env = dict(os.environ, LC_ALL="C.UTF-8")
    try:
        res = subprocess.run(args, capture_output=True, timeout=TOOL_TIMEOUT, env=env)
    except subprocess.TimeoutExpired as exc:
        raise E2EError(f"{args[0]} did not answer within {TOOL_TIMEOUT} s: {args}") from exc
    if check and res.returncode != 0:
        raise E2EError(f"{' '.join(args)} failed ({res.returncode}): "
                       f"{res.stderr.decode(errors='replace').strip()}")
    return res.stdout.decode("utf-8", errors="replace")


def require_display():
    if not os.environ.get("DISPLAY"):
        raise SystemExit("DISPLAY is not set: run the tests under scripts/with-display")


# --------------------------------------------------------------------------
# The program under test

# A settings file that switches the hint dialog off, as the program writes it.
HINT_OFF = b"HideTip = 1\r\n"


def settings_file(config):
    """The settings file inside an XDG_CONFIG_HOME folder."""
    return os.path.join(config, "Zendravo", "Kerbo.ini")


def read_settings(config):
    """The settings file's bytes, or None when there is none."""
    try:
        with open(settings_file(config), "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class App:
    """The program, started with its output going to files and with a private
    HOME and XDG_CONFIG_HOME, so no setting of the user is read or written.

    `settings` is written as the settings file before the start (None: no file,
    as on a first start); by default the hint dialog is switched off. `config`
    names an XDG_CONFIG_HOME folder of the caller's, to share it between starts;
    then `settings` is left alone."""

    def __init__(self, binary, args=(), extra_env=None, stdout_reader_gone=False,
                 settings=HINT_OFF, config=None):
        self.dir = tempfile.mkdtemp(prefix="e2e-app-")
        home = os.path.join(self.dir, "home")
        os.makedirs(home)
        if config is None:
            config = os.path.join(self.dir, "config")
            os.makedirs(config)
            if settings is not None:
                os.makedirs(os.path.dirname(settings_file(config)))
                with open(settings_file(config), "wb") as f:
                    f.write(settings)
        self.config = config
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config)
        env.update(extra_env or {})
        self.stdout_path = os.path.join(self.dir, "stdout.txt")
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        self.argv = [binary, *args]
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            if stdout_reader_gone:
                # stdout is a pipe nobody reads: every write to it fails.
                reader, writer = os.pipe()
                os.close(reader)
                out = writer
            try:
                self.proc = subprocess.Popen(self.argv, stdin=subprocess.DEVNULL, stdout=out,
                                             stderr=err, env=env, cwd=self.dir)
            finally:
                if stdout_reader_gone:
                    os.close(writer)

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def stdout(self):
        with open(self.stdout_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stderr(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_exit(self, timeout):
        """Waits for the program to end and returns its exit code. On timeout
        the program is killed and the wait fails."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise E2EError(f"{self.argv} still running after {timeout} s; killed it") from None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            try:
                self.proc.wait(timeout=TOOL_TIMEOUT)
            except subprocess.TimeoutExpired:
                pass

    def close(self):
        """Kills the program if still running and removes its files."""
        self.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def describe(self):
        """The program's state and output, for failure messages."""
        rc = self.proc.poll()
        state = "running" if rc is None else f"exited with {rc}"
        return (f"program {state}\n--- stdout ---\n{self.stdout()[-3000:]}"
                f"\n--- stderr ---\n{self.stderr()[-3000:]}")


# --------------------------------------------------------------------------
# Windows

def _ere_escape(text):
    """Escapes text for the POSIX extended regexes of xdotool search."""
    return re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", text)


def _parse_xprop_string(value):
    """Decodes the value part of an xprop string line: "..." with \\" \\\\
    and \\ooo escapes (non-ASCII bytes come as octal outside UTF-8 locales)."""
    value = value.strip()
    if len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        value = value[1:-1]
    out = bytearray()
    i = 0
    raw = value.encode("utf-8")
    while i < len(raw):
        c = raw[i]
        if c == 0x5C and i + 1 < len(raw):  # backslash
            octal = raw[i + 1:i + 4]
            if len(octal) == 3 and all(0x30 <= b <= 0x37 for b in octal):
                out.append(int(octal, 8))
                i += 4
                continue
            nxt = raw[i + 1]
            out.append({ord("n"): 0x0A, ord("t"): 0x09}.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return out.decode("utf-8", errors="replace")


def parse_title_line(line):
    """Title from one xprop line such as '_NET_WM_NAME(UTF8_STRING) = "x"';
    None when the property is missing."""
    if " = " not in line:
        return None
    return _parse_xprop_string(line.split(" = ", 1)[1])


def window_title(wid):
    """The window's title: _NET_WM_NAME, or WM_NAME when that is missing."""
    for prop in ("_NET_WM_NAME", "WM_NAME"):
        out = run_tool("xprop", "-id", str(wid), prop, check=False)
        title = parse_title_line(out.strip())
        if title is not None:
            return title
    return None


def window_pid(wid):
    out = run_tool("xprop", "-id", str(wid), "_NET_WM_PID", check=False)
    m = re.search(r"=\s*(\d+)", out)
    return int(m.group(1)) if m else None


def find_windows(title, prefix=False, pid=None):
    """Visible windows whose title is `title` (or starts with it)."""
    pattern = "^" + _ere_escape(title) + ("" if prefix else "$")
    out = run_tool("xdotool", "search", "--onlyvisible", "--name", pattern, check=False)
    found = []
    for wid in (int(w) for w in out.split()):
        t = window_title(wid)
        if t is None or not (t.startswith(title) if prefix else t == title):
            continue  # xdotool matches case-insensitively
        if pid is not None and window_pid(wid) != pid:
            continue
        found.append(wid)
    return found


def wait_for_window(title, prefix=False, pid=None, timeout=30.0, app=None, framed=False):
    """Waits for exactly one visible top-level window with that title (or
    title prefix) and returns its id. With `app`, fails early when it exits.
    With `framed`, only windows with a title bar count: the splash window,
    which carries the same title, is left out."""
    what = ("framed " if framed else "") + f"window titled {title!r}"
    deadline = time.monotonic() + timeout
    while True:
        found = find_windows(title, prefix=prefix, pid=pid)
        if framed:
            found = [w for w in found if is_framed(w)]
        if len(found) == 1:
            return found[0]
        if len(found) > 1:
            raise E2EError(f"{len(found)} of {what}: {found}")
        if app is not None and not app.running():
            raise E2EError(f"no {what}; {app.describe()}")
        if time.monotonic() > deadline:
            extra = f"\n{app.describe()}" if app is not None else ""
            raise E2EError(f"no {what} within {timeout} s{extra}")
        time.sleep(0.1)


def wait_for_framed_window(title, **options):
    """wait_for_window for a window with a title bar."""
    return wait_for_window(title, framed=True, **options)


def is_viewable(wid):
    """The window exists and is mapped (shown)."""
    res = subprocess.run(["xwininfo", "-id", str(wid)], capture_output=True,
                         timeout=TOOL_TIMEOUT)
    return res.returncode == 0 and b"IsViewable" in res.stdout


def is_framed(wid):
    """The window manager has put a title bar on it (the splash window has none)."""
    extents = frame_extents(wid)
    return extents is not None and extents.top > 0


def window_exists(wid):
    res = subprocess.run(["xwininfo", "-id", str(wid)], capture_output=True,
                         timeout=TOOL_TIMEOUT)
    return res.returncode == 0


@dataclass(frozen=True)
class Geometry:
    x: int
    y: int
    width: int
    height: int


def window_geometry(wid):
    """Client area of the window: absolute position and size. Under openbox
    xwininfo's absolute upper-left corner is that of the client area."""
    out = run_tool("xwininfo", "-id", str(wid))

    def field(name):
        m = re.search(rf"^\s*{re.escape(name)}:\s*(-?\d+)", out, re.M)
        if not m:
            raise E2EError(f"xwininfo gave no {name!r}:\n{out}")
        return int(m.group(1))

    return Geometry(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                    field("Width"), field("Height"))


@dataclass(frozen=True)
class Extents:
    left: int
    right: int
    top: int
    bottom: int


def frame_extents(wid):
    """The window manager's frame around the client (_NET_FRAME_EXTENTS);
    None while the window manager has not set it."""
    out = run_tool("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", check=False)
    m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
    return Extents(*map(int, m.groups())) if m else None


def screen_size():
    out = run_tool("xwininfo", "-root")
    w = re.search(r"^\s*Width:\s*(\d+)", out, re.M)
    h = re.search(r"^\s*Height:\s*(\d+)", out, re.M)
    if not (w and h):
        raise E2EError(f"xwininfo -root gave no size:\n{out}")
    return int(w.group(1)), int(h.group(1))


def wait_until_placed(wid, timeout=10.0, settle=0.5):
    """Waits until the window manager has framed the window and its geometry
    has stopped changing for `settle` seconds; returns (geometry, extents)."""
    deadline = time.monotonic() + timeout
    last, since = None, time.monotonic()
    while True:
        state = (window_geometry(wid), frame_extents(wid))
        now = time.monotonic()
        if state != last:
            last, since = state, now
        elif state[1] is not None and now - since >= settle:
            return state
        if now > deadline:
            raise E2EError(f"window {wid} not settled within {timeout} s: {last}")
        time.sleep(0.05)


def send_key(wid, key):
    """Activates the window, then types `key` (xdotool key syntax)."""
    run_tool("xdotool", "windowactivate", "--sync", str(wid))
    run_tool("xdotool", "key", "--clearmodifiers", key)


def press(*keys):
    """Types keys into whichever window is active now (xdotool key syntax)."""
    run_tool("xdotool", "key", "--clearmodifiers", *keys)


def active_window():
    out = run_tool("xdotool", "getactivewindow", check=False).strip()
    return int(out) if out.isdigit() else None


def wait_active(wid, timeout=5.0):
    """Waits until the window manager has made `wid` the active window."""
    deadline = time.monotonic() + timeout
    while active_window() != wid:
        if time.monotonic() > deadline:
            raise E2EError(f"window {wid} not active within {timeout} s "
                           f"(active: {active_window()})")
        time.sleep(0.05)


def clipboard_text():
    """The CLIPBOARD selection as text (asked of its owner, the program)."""
    return run_tool("xclip", "-o", "-selection", "clipboard")


class TitleWatcher:
    """Records every title change of a window, with the time it was seen.

    Uses `xprop -spy`, which prints the property on each change, so no
    change is lost between polls however briefly a title stands."""

    def __init__(self, wid):
        self.wid = wid
        self._lock = threading.Lock()
        self._changed = threading.Condition(self._lock)
        self._titles = []  # (monotonic time, title)
        env = dict(os.environ, LC_ALL="C.UTF-8")
        self._proc = subprocess.Popen(["xprop", "-spy", "-id", str(wid), "_NET_WM_NAME"],
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      stdin=subprocess.DEVNULL, env=env)
        self._ready = threading.Event()
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()
        # xprop prints the current value once it listens; changes from then
        # on are all seen.
        if not self._ready.wait(TOOL_TIMEOUT):
            self.stop()
            raise E2EError(f"xprop -spy on window {wid} printed nothing")

    def _read(self):
        for raw in self._proc.stdout:
            self._ready.set()
            title = parse_title_line(raw.decode("utf-8", errors="replace").rstrip("\n"))
            if title is None:
                continue
            with self._changed:
                self._titles.append((time.monotonic(), title))
                self._changed.notify_all()
        self._ready.set()
        with self._changed:
            self._changed.notify_all()

    def titles(self):
        with self._lock:
            return list(self._titles)

    def wait_for(self, predicate, timeout):
        """Waits until predicate(list of (time, title)) is true; returns it."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                if predicate(self._titles):
                    return list(self._titles)
                left = deadline - time.monotonic()
                if left <= 0 or (self._proc.poll() is not None and not self._thread.is_alive()):
                    return None
                self._changed.wait(min(left, 0.5))

    def stop(self):
        if self._proc.poll() is None:
            self._proc.terminate()
        try:
            self._proc.wait(timeout=TOOL_TIMEOUT)
        except subprocess.TimeoutExpired:
            self._proc.kill()
        self._thread.join(timeout=TOOL_TIMEOUT)
        if not self._thread.is_alive():
            self._proc.stdout.close()


# --------------------------------------------------------------------------
# Screenshots

@dataclass
class Image:
    width: int
    height: int
    rgb: bytes  # rows of width * 3 bytes

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def crop(self, g):
        rows = [self.rgb[((g.y + r) * self.width + g.x) * 3:
                         ((g.y + r) * self.width + g.x + g.width) * 3]
                for r in range(g.height)]
        return Image(g.width, g.height, b"".join(rows))


def _read_ppm(data):
    m = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not m or int(m.group(3)) != 255:
        raise E2EError("screenshot is not an 8-bit binary PPM")
    w, h = int(m.group(1)), int(m.group(2))
    body = data[m.end():m.end() + w * h * 3]
    if len(body) != w * h * 3:
        raise E2EError("screenshot PPM is truncated")
    return Image(w, h, body)


def write_png(image, path):
    def chunk(kind, payload):
        return (len(payload).to_bytes(4, "big") + kind + payload
                + zlib.crc32(kind + payload).to_bytes(4, "big"))

    stride = image.width * 3
    raw = b"".join(b"\0" + image.rgb[r * stride:(r + 1) * stride] for r in range(image.height))
    header = image.width.to_bytes(4, "big") + image.height.to_bytes(4, "big") + bytes([8, 2, 0, 0, 0])
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def screenshot(path):
    """Takes a picture of the whole screen, saves it as PNG at `path` and
    returns it as an Image."""
    try:
        res = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                             capture_output=True, timeout=30)
    except subprocess.TimeoutExpired as exc:
        raise E2EError("import did not finish within 30 s") from exc
    if res.returncode != 0:
        raise E2EError(f"import failed: {res.stderr.decode(errors='replace')}")
    image = _read_ppm(res.stdout)
    write_png(image, path)
    return image


def artifacts_dir():
    """Where screenshots go: $E2E_ARTIFACTS, else a new temporary dir."""
    path = os.environ.get("E2E_ARTIFACTS") or tempfile.mkdtemp(prefix="e2e-artifacts-")
    os.makedirs(path, exist_ok=True)
    return path


# --------------------------------------------------------------------------
# Entry of a test file

def run_tests(configure):
    """Takes --binary PATH (or $E2E_BINARY) from the command line, checks the display,
    calls configure(binary, artifacts dir) and runs the file's tests; the remaining
    arguments go to unittest."""
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--binary", default=os.environ.get("E2E_BINARY"))
    args, rest = parser.parse_known_args()
    if not args.binary:
        sys.exit(f"usage: {os.path.basename(sys.argv[0])} --binary PATH [unittest options]")
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        sys.exit(f"not an executable program: {binary}")
    require_display()
    configure(binary, artifacts_dir())
    unittest.main(module="__main__", argv=[sys.argv[0], *rest], verbosity=2)
