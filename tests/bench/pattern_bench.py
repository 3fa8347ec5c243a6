"""Benchmark, not a test: what each pattern costs the machine, beside the floor of bare capture.

Run through scripts/bench.sh, which builds a frame-recording Kalvora (KV_FRAME_STATS) and provides the screen,
sound server and Wine prefix. Under Wine a window's drawing is finished by the X server, so a user's CPU meter
shows the program and the X server together; wineserver, which serves every Wine call, is shown on its own.
With the music-like signal playing it measures, in one run: the idle rates of the X server and wineserver with
no program running (subtracted from their figures); the bare recorder; for each pattern at Normal Size and at
Fit Monitor Size, the CPU of the program, the X server and wineserver over SECONDS and, from the program's own
record, the renderer's cost, frames per buffer and the delay from a buffer's arrival to the end of the frame
that shows it; the CPU while a dialog pauses the display; and the offline renderer's frames per second at both
sizes. With an older build (KV_BEFORE_EXE) every cell is measured for both builds, one after the other, and the
ratios after / before are printed. The tables go to out/bench/ with the date and the machine, beside a chart.
"""
import csv
import datetime
import os
import platform
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import kvharness  # noqa: E402

SECONDS = float(os.environ.get("KV_BENCH_SECONDS", "10"))
RENDER_SECONDS = float(os.environ.get("KV_BENCH_RENDER_SECONDS", "3"))
SCREEN = os.environ.get("KV_SCREEN_SIZE", "1920x1080")
SETTLE = 2.0
PATTERN_COUNT = 17
WM_COMMAND = 0x0111
SIZES = (("640x480", "ID_SIZE_NORMAL"), ("fit", "ID_SIZE_FIT"))
COMMANDS = ("ID_PATTERN_FIRST", "ID_ARRANGE_USER", "ID_SIZE_NORMAL", "ID_SIZE_FIT")
ARRANGE_DIALOG = "Arrange User Setting"
OUT = os.path.join(kvharness.REPO, "out", "bench")
HZ = os.sysconf("SC_CLK_TCK")


def pattern_list(text):
    """The patterns of KV_BENCH_PATTERNS ("0,3,4,16"); every pattern when it is empty."""
    if not text.strip():
        return list(range(PATTERN_COUNT))
    patterns = []
    for item in text.split(","):
        if not item.strip().isdigit() or int(item) >= PATTERN_COUNT:
            raise SystemExit("KV_BENCH_PATTERNS: %r is not a pattern (0 to %d)" % (item, PATTERN_COUNT - 1))
        if int(item) not in patterns:
            patterns.append(int(item))
    return patterns


PATTERNS = pattern_list(os.environ.get("KV_BENCH_PATTERNS", ""))


# ---------------------------------------------------------------- CPU from /proc

def stat_ticks(text):
    """User plus system time, in clock ticks, from the text of /proc/PID/stat. The command name in its
    parentheses may hold spaces and parentheses of its own, so fields are counted from the last ')'."""
    fields = text.rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def snapshot(pids):
    """(monotonic time, {name: ticks}) of the named processes."""
    ticks = {}
    for name, pid in pids.items():
        with open("/proc/%d/stat" % pid) as f:
            ticks[name] = stat_ticks(f.read())
    return time.monotonic(), ticks


def percents(before, after, hz, idle=None):
    """Per process, % of one core between two snapshots, less its idle rate where one is given. Left
    unclamped: a figure a little below zero says the process did nothing measurable beyond idling."""
    (start, first), (end, last) = before, after
    idle = idle or {}
    return {name: (last[name] - first[name]) / hz / (end - start) * 100.0 - idle.get(name, 0.0)
            for name in first}


def server_pids():
    """The processes that serve a Wine program: the X server (always) and wineserver (when it is known)."""
    pids = {}
    for name, variable, command in (("server", "KV_XVFB_PID", "Xvfb"), ("wineserver", "KV_WINESERVER_PID",
                                                                          "wineserver")):
        pid = os.environ.get(variable, "")
        try:
            with open("/proc/%s/comm" % pid) as f:
                found = f.read().strip()
        except (OSError, ValueError):
            found = ""
        if found.startswith(command):
            pids[name] = int(pid)
        elif name == "server":
            raise SystemExit("%s=%r is not the private X server's pid (comm %r)" % (variable, pid, found))
        else:
            print("wineserver's pid unknown (%s=%r): its column stays empty" % (variable, pid), flush=True)
    return pids


SERVERS = {}
IDLE = {}


def idle_rates(seconds):
    before = snapshot(SERVERS)
    time.sleep(seconds)
    return percents(before, snapshot(SERVERS), HZ)


def measure(pid, seconds):
    """CPU of the program and of its servers over the coming seconds; "sum" is what a meter shows for
    program and X server together."""
    pids = dict(SERVERS, program=pid)
    before = snapshot(pids)
    time.sleep(seconds)
    cpu = percents(before, snapshot(pids), HZ, IDLE)
    cpu["sum"] = cpu["program"] + cpu["server"]
    return cpu


def reference_cpu(exe, *args):
    """CPU of a reference program run under Wine for the benchmark's interval, after its start-up; the
    program's last argument is how long it runs, in seconds."""
    proc = subprocess.Popen(["wine", exe, *args, str(int(SECONDS + 8))], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(4.0)   # start-up (and the recorder's device open)
        return measure(proc.pid, SECONDS)
    finally:
        proc.wait(timeout=60)


def span_cpu(span_exe):
    """The X server's share for two 4 x 4 boxes a frame over the whole screen, side by side and at opposite
    corners: Wine sends the one rectangle that bounds a frame's changes, so the second is what any picture
    spread over the screen costs the X server, however little of it changes."""
    return {where: reference_cpu(span_exe, where) for where in ("near", "far")}


def span_text(span):
    return ("Two 4x4 boxes a frame over the whole screen: X server %.1f %% of a core side by side, %.1f %% at "
            "opposite corners (program %.1f and %.1f)" % (span["near"]["server"], span["far"]["server"],
                                                          span["near"]["program"], span["far"]["program"]))


# ---------------------------------------------------------------- the live program

class Build:
    """A frame-recording Kalvora.exe and the command IDs and control class of the source it was built from."""

    def __init__(self, label, exe, source):
        self.label, self.exe = label, exe
        ids = kvharness.resource_ids(source)
        missing = [name for name in COMMANDS if name not in ids]
        if missing:
            raise SystemExit("the %s build's res/resource.h has no %s, which the benchmark sends"
                             % (label, ", ".join(missing)))
        self.ids = ids
        self.control = (kvharness.control_class(source), kvharness.CONTROL_TITLE)


class Session:
    """One run of a build's program in a working folder of its own, where it leaves its frame record."""

    def __init__(self, build):
        self.build = build
        self.workdir = tempfile.mkdtemp(prefix="bench-", dir=os.environ.get("KV_TMP") or None)
        self.program = kvharness.Kalvora(self.workdir)
        shutil.copy2(build.exe, self.program.exe)
        self.program.start()
        if not self.program.wait_display(timeout=60):
            raise SystemExit("the %s build's display never appeared:\n%s" % (build.label, self.program.log()))

    def command(self, name, offset=0):
        kvharness.post(*self.build.control, WM_COMMAND, self.build.ids[name] + offset)

    def size(self, name):
        self.command(dict(SIZES)[name])
        time.sleep(SETTLE)

    def select(self, pattern):
        self.command("ID_PATTERN_FIRST", pattern)
        if not kvharness.wait_window("*", "Pattern%d" % pattern, 15):
            raise SystemExit("the %s build's display did not switch to Pattern%d" % (self.build.label, pattern))
        time.sleep(SETTLE)

    def paused(self):
        """CPU while the Arrange dialog is up: the display is paused and capture stopped."""
        self.command("ID_ARRANGE_USER")
        if not kvharness.wait_window(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, 20):
            raise SystemExit("the Arrange dialog did not open")
        time.sleep(SETTLE)
        cpu = measure(self.program.pid, SECONDS)
        kvharness.post(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, WM_COMMAND, 2)   # IDCANCEL
        kvharness.wait_window(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, 20, present=False)
        return cpu

    def close(self):
        """Ends the program; its frame figures, which it writes as its display closes."""
        self.program.close()
        closed = self.program.wait_exit(60)
        if not closed:
            self.program.kill()
        record = os.path.join(self.workdir, "KALVORA-FRAMES.CSV")
        if not os.path.exists(record):
            # A program far behind its frames may not close in time, or end without its record: its CPU still
            # counts, its frames are unknown; the run goes on with the next cell.
            print("  %s build %s wrote no frame record (built with -DKV_FRAME_STATS=ON?): no frame figures for"
                  " this cell" % (self.build.label, "did not close within 60 s and" if not closed else ""), flush=True)
            return {}
        return frame_figures(record)


def report(label, cell, cpu):
    print("  %-6s pattern %2d at %-7s program %5.1f + X server %5.1f = %5.1f %% of a core" % (
        label, cell[0], cell[1], cpu["program"], cpu["server"], cpu["sum"]), flush=True)


def run_one(build):
    """Every cell in one run of the program, the way a user switches patterns; then the paused figure."""
    session = Session(build)
    time.sleep(3.0)
    cpu = {}
    for size, _ in SIZES:
        session.size(size)
        for pattern in PATTERNS:
            session.select(pattern)
            cpu[pattern, size] = measure(session.program.pid, SECONDS)
            report("", (pattern, size), cpu[pattern, size])
    session.size(SIZES[0][0])
    paused = session.paused()
    return cpu, paused, session.close()


def run_interleaved(builds):
    """Each cell for every build in turn, a fresh program per cell, so that slow drift of the machine falls
    on both builds alike; then the paused figure of each."""
    cpu, figures, paused = ({b.label: {} for b in builds} for _ in range(3))
    for size, _ in SIZES:
        for pattern in PATTERNS:
            for build in builds:
                session = Session(build)
                session.size(size)
                session.select(pattern)
                cpu[build.label][pattern, size] = measure(session.program.pid, SECONDS)
                figures[build.label][pattern, size] = session.close().get((pattern, size), {})
                report(build.label, (pattern, size), cpu[build.label][pattern, size])
    for build in builds:
        session = Session(build)
        session.size(SIZES[0][0])
        paused[build.label] = session.paused()
        session.close()
    return cpu, paused, figures


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p / 100.0))] if values else 0


def frame_figures(path):
    """{(pattern, size): cost, delay and frames per buffer} from the program's record of its frames."""
    groups = {}
    with open(path) as f:
        for row in csv.DictReader(f):
            size = "640x480" if int(row["width"]) == 640 else "fit"
            groups.setdefault((int(row["pattern"]), size), []).append(row)
    figures = {}
    for key, rows in groups.items():
        costs = [int(r["cost_us"]) for r in rows]
        delays = [int(r["delay_us"]) for r in rows if int(r["buffers"])]
        buffers = sum(int(r["buffers"]) for r in rows)
        figures[key] = {"cost50": statistics.median(costs), "cost99": percentile(costs, 99),
                        "delay50": statistics.median(delays) if delays else 0, "delay99": percentile(delays, 99),
                        "per_buffer": len(rows) / buffers if buffers else 0, "width": int(rows[0]["width"])}
    return figures


# ---------------------------------------------------------------- the offline renderer

def render_fps(render_exe, wav, pattern, size):
    """Frames per second of KalvoraRender drawing raw frames to /dev/null, taken between its progress
    reports (every half second or so) so that Wine's start-up does not count; stopped after RENDER_SECONDS."""
    proc = subprocess.Popen(["wine", render_exe, "--pattern", str(pattern), "--size", size, wav],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    reports, pending = [], b""
    try:
        while True:
            if not select.select([proc.stderr], [], [], 60)[0]:
                raise SystemExit("KalvoraRender printed no progress for 60 s (pattern %d, %s)" % (pattern, size))
            chunk = os.read(proc.stderr.fileno(), 4096)
            if not chunk:
                break
            now = time.monotonic()
            *lines, pending = re.split(rb"[\r\n]", pending + chunk)
            for line in lines:
                match = re.search(rb"frame (\d+) of", line)
                if match:
                    reports.append((now, int(match.group(1))))
            if len(reports) >= 2 and reports[-1][0] - reports[0][0] >= RENDER_SECONDS:
                break
    finally:
        if proc.poll() is None:
            proc.terminate()
        proc.wait(timeout=30)
    if len(reports) < 2 or reports[-1][0] == reports[0][0]:
        raise SystemExit("KalvoraRender ended before two progress reports (pattern %d, %s): the sound file is"
                         " too short for KV_BENCH_RENDER_SECONDS" % (pattern, size))
    (start, first), (end, last) = reports[0], reports[-1]
    return (last - first) / (end - start)


def render_table(render_exe, wav):
    sizes = {"640x480": "640x480", "fit": SCREEN}
    fps = {}
    for pattern in PATTERNS:
        for size, _ in SIZES:
            fps[pattern, size] = render_fps(render_exe, wav, pattern, sizes[size])
        print("  offline pattern %2d: %.0f frames/s at 640x480, %.0f at %s" % (
            pattern, fps[pattern, "640x480"], fps[pattern, "fit"], SCREEN), flush=True)
    return fps


# ---------------------------------------------------------------- tables

def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    try:
        with open("/proc/sys/fs/binfmt_misc/qemu-i386") as f:
            emulated = f.readline().strip() == "enabled"
    except OSError:
        emulated = False
    kind = "32-bit Wine through qemu-user: figures inflated, compare within one run" if emulated \
        else "32-bit Wine running natively"
    return "%s, %d cores, %s (%s)" % (cpu, os.cpu_count(), platform.platform(), kind)


def share(cpu):
    return "program %.1f + X server %.1f = %.1f %% of a core (wineserver %s)" % (
        cpu["program"], cpu["server"], cpu["sum"], wineserver_text(cpu))


def wineserver_text(cpu):
    return "%.1f" % cpu["wineserver"] if "wineserver" in cpu else "-"


def ratio(after, before):
    return "%.2f" % (after / before) if before > 0 else "-"


def live_table(floor, cpu, figures, fps):
    lines = ["| Pattern | Size | program % | X server % | sum % | x floor | wineserver % | frame cost median / p99"
             " (us) | frames per buffer | delay median / p99 (ms) | offline frames/s |",
             "|---|---|---|---|---|---|---|---|---|---|---|"]
    for pattern in PATTERNS:
        for size, _ in SIZES:
            c, fig = cpu[pattern, size], figures.get((pattern, size), {})
            lines.append("| %d | %s | %.1f | %.1f | %.1f | %s | %s | %d / %d | %.2f | %.1f / %.1f | %s |" % (
                pattern, size, c["program"], c["server"], c["sum"], ratio(c["sum"], floor["sum"]),
                wineserver_text(c), fig.get("cost50", 0), fig.get("cost99", 0), fig.get("per_buffer", 0),
                fig.get("delay50", 0) / 1000.0, fig.get("delay99", 0) / 1000.0,
                "%.0f" % fps[pattern, size] if (pattern, size) in fps else "-"))
    return "\n".join(lines)


def compare_table(before, after, cpu, figures):
    lines = ["| Pattern | Size | program + X server % before / after | after / before | frame cost p99 (us) "
             "before / after | after / before |", "|---|---|---|---|---|---|"]
    for pattern in PATTERNS:
        for size, _ in SIZES:
            b, a = cpu[before][pattern, size]["sum"], cpu[after][pattern, size]["sum"]
            pb = figures[before][pattern, size].get("cost99", 0)
            pa = figures[after][pattern, size].get("cost99", 0)
            lines.append("| %d | %s | %.1f / %.1f | %s | %d / %d | %s |" % (
                pattern, size, b, a, ratio(a, b), pb, pa, ratio(pa, pb)))
    return "\n".join(lines)


def bar_chart(path, floor, cpu):
    """Program and X server CPU per pattern at Normal Size as stacked bars, the floor as a red line, 1.5 and
    2 times it in orange."""
    width, height, left, bottom = max(900, 100 + 50 * len(PATTERNS)), 420, 50, 380
    top = max(max(cpu[p, "640x480"]["sum"] for p in PATTERNS), floor * 2.2)
    scale = (bottom - 40) / top
    draw = ["fill black", "text 10,20 'CPU per pattern at 640x480, %% of one core: program (blue) and X server "
            "(green); red: bare capture %.1f %%, orange: 1.5 and 2 times it'" % floor]
    for i, pattern in enumerate(PATTERNS):
        x, c = left + i * 50, cpu[pattern, "640x480"]
        y_program = bottom - max(c["program"], 0) * scale
        y_sum = y_program - max(c["server"], 0) * scale
        draw += ["fill '#2c62c8'", "rectangle %d,%d %d,%d" % (x, y_program, x + 34, bottom),
                 "fill '#3aa657'", "rectangle %d,%d %d,%d" % (x, y_sum, x + 34, y_program),
                 "fill black", "text %d,%d '%d'" % (x + 10, bottom + 18, pattern),
                 "text %d,%d '%.1f'" % (x + 2, y_sum - 4, c["sum"])]
    for factor, colour in ((1, "red"), (1.5, "orange"), (2, "orange")):
        y = bottom - floor * factor * scale
        draw += ["stroke %s" % colour, "line %d,%d %d,%d" % (left - 5, y, width - 10, y), "stroke none"]
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "xc:white", "-font", "DejaVu-Sans",
                    "-pointsize", "12", "-draw", "\n".join(draw), path], check=True)


def main():
    global SERVERS, IDLE
    SERVERS = server_pids()
    after = Build("after" if os.environ.get("KV_BEFORE_EXE") else "", os.environ["KV_BENCH_EXE"], kvharness.REPO)
    builds = [after]
    if os.environ.get("KV_BEFORE_EXE"):
        builds.insert(0, Build("before", os.environ["KV_BEFORE_EXE"], os.environ["KV_BEFORE_SOURCE"]))
    tmp = os.environ["KV_TMP"]
    # Long enough for every cell, a fresh program's start for each when two builds take turns, and the rest.
    cells = len(SIZES) * len(PATTERNS) * len(builds)
    wav = kvharness.make_music_wav(os.path.join(tmp, "bench-music.wav"),
                                   cells * (SECONDS + (12 if len(builds) > 1 else 6)) + 4 * SECONDS + 120)
    idle_seconds = max(5.0, SECONDS)
    player = kvharness.Player(wav)
    try:
        first_idle = idle_rates(idle_seconds)
        IDLE = first_idle
        print("idle: X server %.2f %%, wineserver %s %%" % (first_idle["server"], wineserver_text(first_idle)),
              flush=True)
        floor = reference_cpu(os.environ["KV_FLOOR"])
        print("floor of a bare recorder: " + share(floor), flush=True)
        span = span_cpu(os.environ["KV_SPAN"])
        print(span_text(span), flush=True)
        if len(builds) == 1:
            cpu, paused, figures = run_one(after)
            cpu, paused, figures = {"": cpu}, {"": paused}, {"": figures}
        else:
            cpu, paused, figures = run_interleaved(builds)
        last_idle = idle_rates(idle_seconds)
    finally:
        player.stop()
    print("idle again after the run: X server %.2f %%, wineserver %s %%" % (
        last_idle["server"], wineserver_text(last_idle)), flush=True)
    fps = render_table(os.environ["KV_RENDER"], subprocess.run(["winepath", "-w", wav], capture_output=True,
                                                               text=True, check=True).stdout.strip())

    stamp = datetime.datetime.now()
    # What Fit Monitor Size really drew, from the record, rather than what the screen was asked to be.
    fit = sorted({"%d" % fig["width"] for table in figures.values() for (_, size), fig in table.items()
                  if size == "fit" and "width" in fig})
    parts = ["Kalvora benchmark, %s\nMachine: %s\nScreen %s (fit: frames %s pixels wide); %g s per pattern and "
             "size, with the music-like signal; offline renderer timed for %g s per pattern and size, at 640x480 "
             "and %s." % (stamp.strftime("%Y-%m-%d %H:%M"), machine(), SCREEN, " and ".join(fit) or "none",
                          SECONDS, RENDER_SECONDS, SCREEN)]
    if len(builds) == 2:
        parts.append("Before: %s; after: %s. Each cell measured for both, before first, each in a fresh "
                     "program.\n\n%s" % (os.environ.get("KV_BEFORE_NAME", "before"),
                                          os.environ.get("KV_AFTER_NAME", "this tree"),
                                          compare_table("before", "after", cpu, figures)))
        for build in builds:
            parts.append("Paused by a dialog, %s: %s." % (build.label, share(paused[build.label])))
    label = after.label
    parts.append(("After:\n\n" if label else "") + live_table(floor, cpu[label], figures[label], fps))
    parts.append("Floor of a bare recorder: %s. Paused by a dialog: %s.\nIdle rates subtracted from the "
                 "servers: X server %.2f %%, wineserver %s %% (over %g s before the run; %.2f and %s after it)."
                 % (share(floor), share(paused[label]), first_idle["server"], wineserver_text(first_idle),
                    idle_seconds, last_idle["server"], wineserver_text(last_idle)))
    parts.append(span_text(span) + ": an X server share near the second is the whole window sent each time.")
    text = "\n\n".join(parts) + "\n"
    print("\n" + text)
    os.makedirs(OUT, exist_ok=True)
    name = os.path.join(OUT, stamp.strftime("bench-%Y%m%d-%H%M"))
    with open(name + ".md", "w") as f:
        f.write(text)
    bar_chart(name + ".png", floor["sum"], cpu[label])
    print("written: %s.md and %s.png" % (name, name))


if __name__ == "__main__":
    main()
