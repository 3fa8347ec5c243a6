"""Toolkit for Kalvora's end-to-end tests: starts the real program under Wine, reads its windows, drives input and sound.

The environment comes from scripts/test.sh (DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, XDG_RUNTIME_DIR,
PULSE_SERVER, KV_TMP) and from ctest (KV_EXE, KV_PROBE).
"""
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

KV_EXE = os.environ.get("KV_EXE", "")
KV_PROBE = os.environ.get("KV_PROBE", "")
REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))



def control_class(repo=REPO):
    """The control window's class: the program names it after its settings file, string IDS_INIFILE (of the
    given source tree: the benchmark drives an older revision's build too)."""
    with open(os.path.join(repo, "res", "Kalvora.rc"), encoding="latin-1") as f:
        match = re.search(r'^\s*IDS_INIFILE\s+"([^"]*)"', f.read(), re.M)
    return match.group(1) + " Class"


CONTROL_CLASS = control_class()
CONTROL_TITLE = "Kalvora"
DISPLAY_TITLE = "Pattern0"
MESSAGE_BOX_CLASS = "#32770"
WM_CLOSE = 0x0010

SAMPLE_RATE = 11025


def missing_environment():
    """Names of what the tests need but this environment lacks; empty when all is there."""
    missing = [name for name in ("KV_EXE", "KV_PROBE", "DISPLAY", "WINEPREFIX") if not os.environ.get(name)]
    missing += [path for path in (KV_EXE, KV_PROBE) if path and not os.path.isfile(path)]
    return missing


def artifacts_dir():
    """Folder beside the built program where failing tests leave screenshots and logs."""
    base = os.path.dirname(KV_EXE) if KV_EXE else tempfile.gettempdir()
    path = os.path.join(base, "e2e-artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def run(args, timeout=60, env=None, check=False):
    """Runs a Linux command; returns the CompletedProcess with text output."""
    return subprocess.run(args, capture_output=True, text=True, errors="replace", timeout=timeout, env=env,
                          check=check)


# ---------------------------------------------------------------- kvprobe

def probe(*args, timeout=60):
    """Runs kvprobe under Wine; returns (exit code, stdout stripped of its line end)."""
    result = run(["wine", KV_PROBE, *[str(a) for a in args]], timeout=timeout)
    return result.returncode, result.stdout.rstrip("\r\n")


def find_window(cls="*", title="*"):
    """The window handle as an int, or None when no top-level window matches."""
    code, out = probe("find", cls, title)
    return int(out, 16) if code == 0 and out else None


def wait_for(condition, timeout, step=0.2):
    """Polls until condition() returns something true; returns its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def wait_window(cls="*", title="*", timeout=20.0, present=True):
    """Waits until a matching window exists (or, with present=False, no longer exists); True on success.

    The polling runs inside one kvprobe process: each Wine start costs a good part of a second."""
    command = "wait" if present else "waitgone"
    return probe(command, cls, title, int(timeout * 1000), timeout=timeout + 60)[0] == 0


def _parse_rect(text):
    match = re.match(r"\s*(-?\d+) (-?\d+) (-?\d+) (-?\d+)", text)
    return tuple(int(v) for v in match.groups()) if match else None


def client_rect(cls="*", title="*"):
    """(left, top, right, bottom, visible) of the client area in screen coordinates, or None."""
    code, out = probe("client", cls, title)
    rect = _parse_rect(out) if code == 0 else None
    if rect is None:
        return None
    visible = re.search(r"visible=([01])", out)
    return rect + (visible is not None and visible.group(1) == "1",)


def window_rect(cls="*", title="*"):
    """(left, top, right, bottom) of the whole window, or None."""
    code, out = probe("window", cls, title)
    return _parse_rect(out) if code == 0 else None


def window_title(cls="*", title="*"):
    """The window text, or None when no window matches."""
    code, out = probe("title", cls, title)
    return out if code == 0 else None


def owner(cls="*", title="*"):
    """The handle of the window that owns a top-level window, as an int (0 when it has none); None when the
    window is missing."""
    code, out = probe("owner", cls, title)
    return int(out, 16) if code == 0 and out else None


def enabled(cls="*", title="*"):
    """True when the window takes input, False while it is disabled; None when it is missing."""
    code, out = probe("enabled", cls, title)
    return out == "1" if code == 0 else None


def children(cls="*", title="*"):
    """A window's children as dicts with id, cls, text, rect (screen) and style; None when the window is missing."""
    code, out = probe("children", cls, title)
    if code != 0:
        return None
    rows = [line.split("\t") for line in out.splitlines()]
    return [{"id": int(r[0]), "cls": r[1], "text": r[2], "rect": _parse_rect(r[3]), "style": int(r[4], 16)}
            for r in rows if len(r) == 5]


def wave_in_error_text(code):
    """The system's own text for a wave-input error code (waveInGetErrorTextA), or None."""
    status, out = probe("waveinerror", code)
    return out if status == 0 else None


def list_windows():
    """All top-level windows: dicts with hwnd, pid (Windows pid), visible, cls, title, rect."""
    code, out = probe("list")
    windows = []
    for line in out.splitlines() if code == 0 else []:
        parts = line.split("\t")
        if len(parts) == 6:
            windows.append({"hwnd": int(parts[0], 16), "pid": int(parts[1]), "visible": parts[2] == "1",
                            "cls": parts[3], "title": parts[4], "rect": _parse_rect(parts[5])})
    return windows


def post(cls, title, msg, wparam=0, lparam=0):
    """PostMessageA to a top-level window; True when it was found and posted."""
    return probe("post", cls, title, msg, wparam, lparam)[0] == 0


def send(cls, title, msg, wparam=0, lparam=0):
    """SendMessage to a top-level window; its result as an int, or None when it was not found or hung."""
    code, out = probe("send", cls, title, msg, wparam, lparam)
    return int(out) if code == 0 and out else None


def move_window(cls, title, x, y):
    """Moves a top-level window's top-left corner to (x, y) on the screen; True when it was found and moved."""
    return probe("move", cls, title, x, y)[0] == 0


def resource_ids(repo=REPO):
    """Every #define NAME number of res/resource.h and afx/base/AfxRes.h, as {NAME: number}: the command IDs the
    program uses, read where the program takes them from (afx/AfxRes.h in a revision older than afx/base/)."""
    ids = {}
    framework = os.path.join(repo, "afx", "base", "AfxRes.h")
    if not os.path.exists(framework):
        framework = os.path.join(repo, "afx", "AfxRes.h")
    for path in (os.path.join(repo, "res", "resource.h"), framework):
        with open(path) as f:
            for line in f:
                match = re.match(r"#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\b", line)
                if match:
                    ids[match.group(1)] = int(match.group(2), 0)
    return ids


IDS = resource_ids()


def wave_inputs():
    """The names of the system's wave-input devices in its order, as a program of this Wine sees them."""
    code, out = probe("waveins")
    return out.splitlines() if code == 0 and out else []


def close_window(cls, title="*"):
    """Posts WM_CLOSE; True when the window was found."""
    return probe("close", cls, title)[0] == 0


# ---------------------------------------------------------------- X input and screenshots

def click(x, y, button=1):
    """Clicks at root coordinates (without a window manager these equal Win32 screen coordinates)."""
    run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)], check=True)


def activate(x, y):
    """Gives a window the focus by clicking into it."""
    click(x, y)


def key(keysym):
    """Sends a key (an X keysym such as F5, Escape, ctrl+q) to the focused window."""
    run(["xdotool", "key", keysym], check=True)


def screenshot(path):
    """Saves the whole X screen as PNG; returns the path."""
    run(["import", "-window", "root", path], check=True)
    return path


def pixel(png, x, y):
    """(r, g, b) in 0..255 of one pixel of an image."""
    out = run(["convert", png, "-crop", "1x1+%d+%d" % (x, y), "+repage", "-depth", "8", "txt:-"], check=True).stdout
    match = re.search(r"#([0-9A-Fa-f]{6})", out)
    if not match:
        raise ValueError("no pixel at %d,%d in %s: %r" % (x, y, png, out))
    value = match.group(1)
    return tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))


def region_pixels(png, rect):
    """[(r, g, b), ...] of the pixels inside rect = (left, top, right, bottom) of an image."""
    left, top, right, bottom = rect
    geometry = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    out = run(["convert", png, "-crop", geometry, "+repage", "-depth", "8", "txt:-"], check=True).stdout
    return [tuple(int(h[i:i + 2], 16) for i in (0, 2, 4)) for h in re.findall(r"#([0-9A-Fa-f]{6})", out)]


class Picture:
    """The pixels of one rectangle of a screenshot, read once, with the lit ones (any channel above a floor)
    grouped into blobs of touching pixels."""

    def __init__(self, png, rect, floor=8):
        left, top, right, bottom = rect
        self.width, self.height = right - left, bottom - top
        geometry = "%dx%d+%d+%d" % (self.width, self.height, left, top)
        self.data = subprocess.run(["convert", png, "-crop", geometry, "+repage", "-depth", "8", "rgb:-"],
                                   capture_output=True, check=True).stdout
        self.lit = {(i // 3 % self.width, i // 3 // self.width) for i in range(0, len(self.data), 3)
                    if max(self.data[i:i + 3]) > floor}

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def blobs(self):
        """Bounding boxes (left, top, right, bottom), right and bottom inclusive, of the 4-connected lit areas."""
        unseen, boxes = set(self.lit), []
        while unseen:
            stack = [unseen.pop()]
            xs, ys = [], []
            while stack:
                x, y = stack.pop()
                xs.append(x)
                ys.append(y)
                for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                    if n in unseen:
                        unseen.remove(n)
                        stack.append(n)
            boxes.append((min(xs), min(ys), max(xs), max(ys)))
        return boxes


# ---------------------------------------------------------------- the build's version

def project_version():
    """The one version number, as project(Kalvora VERSION x.y.z ...) in CMakeLists.txt gives it."""
    with open(os.path.join(REPO, "CMakeLists.txt")) as f:
        match = re.search(r"^project\(Kalvora\s+VERSION\s+(\d+)\.(\d+)\.(\d+)", f.read(), re.MULTILINE)
    if not match:
        raise ValueError("no project(Kalvora VERSION x.y.z) in CMakeLists.txt")
    return tuple(int(v) for v in match.groups())


def version_resource(path):
    """(file version, product version, {string name: value}) of an executable's version resource: the
    versions as 4-tuples from its fixed part, the strings of its string table."""
    with open(path, "rb") as f:
        data = f.read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        raise ValueError("no version resource in %s" % path)
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)

    def split(ms, ls):
        return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF

    strings = {}
    for name in ("CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "ProductName",
                 "ProductVersion"):
        key = (name + "\0").encode("utf-16-le")
        at = data.find(key, fixed)
        if at < 0:
            continue
        # A String entry: wLength, wValueLength (in characters, with its NUL), wType, key, padding to 4 bytes.
        value_chars = struct.unpack_from("<H", data, at - 4)[0]
        start = (at + len(key) + 3) & ~3
        strings[name] = data[start:start + 2 * value_chars].decode("utf-16-le").rstrip("\0")
    return split(file_ms, file_ls), split(product_ms, product_ls), strings


# ---------------------------------------------------------------- sound


def sound_server_pid():
    """Pid of the test run's PulseAudio, from its pid file; None when it is not running."""
    try:
        with open(os.path.join(os.environ["XDG_RUNTIME_DIR"], "pulse", "pid")) as f:
            pid = int(f.read().strip())
        os.kill(pid, 0)
        return pid
    except (OSError, ValueError, KeyError):
        return None


def stop_sound_server(timeout=10.0):
    """Ends the test run's sound server, as a crash or an update would; every player ends with it."""
    pid = sound_server_pid()
    if pid is None:
        return
    os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + timeout
    while sound_server_pid() == pid and time.monotonic() < deadline:
        time.sleep(0.1)


def start_sound_server():
    """Starts the sound server again exactly as scripts/test.sh did: same socket, sink and defaults."""
    if sound_server_pid() is None:
        subprocess.run(["bash", "-c", "source scripts/env.sh && start_pulse"], cwd=REPO, check=True,
                       capture_output=True, timeout=60)


def dc_shift_for(value):
    """sox dcshift amount that gives the 16-bit sample value exactly (value / 32768, a dyadic fraction)."""
    if not -32768 <= value <= 32767:
        raise ValueError("sample value out of 16-bit range: %d" % value)
    return repr(value / 32768.0)


def make_dc_wav(path, value, seconds):
    """A constant 16-bit mono 11025 Hz signal. The rate goes on the input too: a resampled DC rings at the ends."""
    run(["sox", "-D", "-r", str(SAMPLE_RATE), "-c", "1", "-n", "-b", "16", path,
         "synth", "%g" % seconds, "sine", "0", "vol", "0", "dcshift", dc_shift_for(value)], check=True)
    return path


def make_music_wav(path, seconds):
    """The run command's music-like sound (13 s of soft, silent, medium and loud passages, made by
    kv_make_music in scripts/env.sh), repeated to last at least the given seconds."""
    piece = os.path.join(os.path.dirname(path), "music-piece.wav")
    subprocess.run(["bash", "-c", 'source scripts/env.sh && kv_make_music "$1"', "kv_make_music", piece],
                   cwd=REPO, check=True, capture_output=True, timeout=120)
    run(["sox", piece, path, "repeat", str(max(0, int(seconds / 13)))], check=True)
    return path


def wav_samples(path):
    """The 16-bit samples of a wav file, through sox."""
    raw = subprocess.run(["sox", path, "-t", "raw", "-e", "signed", "-b", "16", "-"],
                         capture_output=True, check=True).stdout
    return [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw) - 1, 2)]


class Player:
    """A paplay process playing one file into the default sink, or the named one; stop() ends it."""

    def __init__(self, path, sink=None):
        self.path = path
        device = ["-d", sink] if sink else []
        self.process = subprocess.Popen(["paplay", *device, path], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def playing(self):
        return self.process.poll() is None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


# ---------------------------------------------------------------- the program

class Kalvora:
    """Kalvora.exe under Wine in a working folder of its own, so that its KALVORA.INI lands there."""

    def __init__(self, workdir, args=("/nosplash",), env=None, exe=None):
        self.workdir = workdir
        self.installed_exe = exe   # a program elsewhere, started in place with workdir as current folder
        self.args = list(args)
        self.env = dict(os.environ)
        self.env.update(env or {})
        self.process = None
        self.log_path = os.path.join(workdir, "wine.log")

    @property
    def exe(self):
        return self.installed_exe or os.path.join(self.workdir, "Kalvora.exe")

    @property
    def ini(self):
        return os.path.join(self.workdir, "KALVORA.INI")

    @property
    def pid(self):
        """Linux pid of the program's own process (the pid of `wine Kalvora.exe`)."""
        return self.process.pid if self.process else None

    def start(self):
        if self.installed_exe is None and not os.path.exists(self.exe):
            shutil.copy2(KV_EXE, self.exe)
        command = self.installed_exe or "Kalvora.exe"
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(["wine", command, *self.args], cwd=self.workdir, env=self.env,
                                            stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def returncode(self):
        return self.process.poll() if self.process else None

    def wait_window(self, cls="*", title="*", timeout=20.0):
        """Waits for a window while the program runs; True when it appeared."""
        deadline = time.monotonic() + timeout
        while self.running():
            left = deadline - time.monotonic()
            if wait_window(cls, title, min(max(left, 0.0), 3.0)):
                return True
            if left <= 0:
                return False
        return False

    def wait_control(self, timeout=20.0):
        return self.wait_window(CONTROL_CLASS, CONTROL_TITLE, timeout)

    def wait_display(self, timeout=20.0):
        return self.wait_window("*", DISPLAY_TITLE, timeout)

    def client_rect(self, cls="*", title=DISPLAY_TITLE):
        return client_rect(cls, title)

    def title(self, cls=CONTROL_CLASS, title="*"):
        return window_title(cls, title)

    def close(self):
        """Posts WM_CLOSE to the control window; True when it was found."""
        return close_window(CONTROL_CLASS, CONTROL_TITLE)

    def wait_exit(self, timeout):
        """True when the process ended within the timeout."""
        if self.process is None:
            return True
        try:
            self.process.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def cpu_seconds(self):
        """User plus system CPU time of the process so far, from /proc."""
        with open("/proc/%d/stat" % self.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def kill(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
        if self.process is not None:
            self.process.wait()

    def log(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return f.read()
        except OSError:
            return ""


class KvTestCase(unittest.TestCase):
    """Base class: a fresh working folder per test, and every program and player stopped afterwards."""

    def setUp(self):
        missing = missing_environment()
        if missing:
            self.fail("end-to-end environment incomplete (run through scripts/test.sh): %s" % ", ".join(missing))
        self.workdir = tempfile.mkdtemp(prefix="e2e-", dir=os.environ.get("KV_TMP") or None)
        self.programs = []
        self.players = []
        self.addCleanup(self._clean_up)

    def start_kalvora(self, args=("/nosplash",), env=None, workdir=None, exe=None):
        program = Kalvora(workdir or self.workdir, args, env, exe)
        self.programs.append(program)
        return program.start()

    def play_dc(self, value, seconds=30.0, sink=None):
        """Plays a constant sample value into the default sink (or the named one) in the background; returns
        its Player."""
        path = os.path.join(self.workdir, "dc_%d_%g.wav" % (value, seconds))
        if not os.path.exists(path):
            make_dc_wav(path, value, seconds)
        player = Player(path, sink)
        self.players.append(player)
        return player

    def play_music(self, seconds):
        """Plays the music-like signal into the default sink in the background; returns its Player."""
        path = make_music_wav(os.path.join(self.workdir, "music.wav"), seconds)
        player = Player(path)
        self.players.append(player)
        return player

    def silence(self):
        """Stops every signal this test plays: the sink's monitor then records zeros."""
        for player in self.players:
            player.stop()

    def snapshot(self, name):
        """Saves a screenshot among the artifacts; returns its path."""
        return screenshot(os.path.join(artifacts_dir(), "%s.%s.png" % (self.id(), name)))

    def _failed(self):
        """True when this test has already recorded a failure or an error in its result."""
        result = getattr(getattr(self, "_outcome", None), "result", None)
        recorded = getattr(result, "failures", []) + getattr(result, "errors", [])
        return any(test is self for test, _ in recorded)

    def _keep_evidence(self):
        try:
            self.snapshot("failure")
        except (subprocess.SubprocessError, OSError):
            pass
        for i, program in enumerate(self.programs):
            if os.path.exists(program.log_path):
                shutil.copy(program.log_path, os.path.join(artifacts_dir(), "%s.wine%d.log" % (self.id(), i)))

    def _clean_up(self):
        if self._failed():
            self._keep_evidence()
        self.silence()
        for program in self.programs:
            program.kill()
        # A killed program's windows go with it; wait so the next test starts on an empty desktop.
        wait_window(CONTROL_CLASS, "*", timeout=10, present=False)
        shutil.rmtree(self.workdir, ignore_errors=True)


# ---------------------------------------------------------------- window titles as X sees them

def x_window_id(name_regex):
    """The X window whose name matches a regular expression (Wine mirrors every window title into the
    X window's WM_NAME), as an int; None when there is none. The id stays the same when the title changes."""
    ids = run(["xdotool", "search", "--name", name_regex]).stdout.split()
    return int(ids[0]) if ids else None


def watch_x_title(xid, seconds):
    """Every title an X window shows during the given seconds, the current one first: [(seconds since the
    start, title)]. xprop reports each change as it happens, without the cost of a Wine start per look."""
    spy = subprocess.Popen(["xprop", "-id", str(xid), "-spy", "WM_NAME"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
    start = time.monotonic()
    titles = []
    pending = b""
    try:
        while True:
            left = seconds - (time.monotonic() - start)
            if left <= 0 or not select.select([spy.stdout], [], [], left)[0]:
                break
            chunk = os.read(spy.stdout.fileno(), 4096)
            if not chunk:
                break
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for line in lines:
                match = re.search(r'= "(.*)"', line.decode(errors="replace"))
                if match:
                    titles.append((time.monotonic() - start, match.group(1)))
    finally:
        spy.kill()
        spy.wait()
        spy.stdout.close()
    return titles


def title_changes(titles):
    """How often the title changed within the list that watch_x_title returned."""
    return sum(1 for before, after in zip(titles, titles[1:]) if before[1] != after[1])


def click_at(x, y, button=1):
    """Clicks at root coordinates like click(), also where the pointer already is: there `mousemove --sync`
    waits about 15 s for a movement that never comes."""
    run(["xdotool", "mousemove", str(x), str(y), "click", str(button)], check=True)


def x_focus(name_regex, timeout=3.0):
    """Gives the X keyboard focus to the window whose name matches; True once it has it. Without a window
    manager a click does not always move the focus: after a program ended while one of its windows had the
    focus, Wine leaves the next program's focus on the window that first took it."""
    xid = x_window_id(name_regex)
    if xid is None:
        return False
    deadline = time.monotonic() + timeout
    while True:
        run(["xdotool", "windowfocus", str(xid)])
        if run(["xdotool", "getwindowfocus"]).stdout.strip() == str(xid):
            return True
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
