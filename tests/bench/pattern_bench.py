"""Benchmark, not a test: CPU and frame cost of every pattern beside the floor of bare capture.

Run through scripts/bench.sh, which builds a frame-recording Kalvora (KV_FRAME_STATS) and provides the screen,
sound server and Wine prefix. With the music-like signal playing it measures, in one run: the CPU of a bare
recorder; for each pattern at Normal Size and at Fit Monitor Size, the whole program's CPU over SECONDS and,
from the program's own record, the renderer's cost, frames per buffer and the delay from a buffer's arrival to
the end of the frame that shows it; and the CPU while a dialog pauses the display. It prints one table, writes
it with the date and the machine to out/bench/, and draws a bar chart of CPU per pattern beside the floor.
"""
import csv
import datetime
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import kvharness  # noqa: E402

SECONDS = float(os.environ.get("KV_BENCH_SECONDS", "10"))
SETTLE = 2.0
PATTERNS = range(17)
WM_COMMAND = 0x0111
ID_PATTERN_FIRST, ID_ARRANGE_USER = 0x8006, 0x8027
SIZES = (("640x480", 0x8036), ("fit", 0x8038))
CONTROL = (kvharness.CONTROL_CLASS, kvharness.CONTROL_TITLE)
ARRANGE_DIALOG = "Arrange User Setting"
OUT = os.path.join(kvharness.REPO, "out", "bench")


def process_cpu(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_percent(pid, seconds):
    before, start = process_cpu(pid), time.monotonic()
    time.sleep(seconds)
    return (process_cpu(pid) - before) / (time.monotonic() - start) * 100.0


def floor_percent(floor_exe):
    proc = subprocess.Popen(["wine", floor_exe, str(int(SECONDS + 8))], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(4.0)   # start-up and device open
        return cpu_percent(proc.pid, SECONDS)
    finally:
        proc.wait(timeout=60)


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p / 100.0))] if values else 0


def select(pattern):
    kvharness.post(*CONTROL, WM_COMMAND, ID_PATTERN_FIRST + pattern)
    if not kvharness.wait_window("*", "Pattern%d" % pattern, 15):
        raise SystemExit("the display did not switch to Pattern%d" % pattern)


def paused_percent(program):
    """CPU while the Arrange dialog is up: the display is paused and capture stopped."""
    kvharness.post(*CONTROL, WM_COMMAND, ID_ARRANGE_USER)
    if not kvharness.wait_window(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, 20):
        raise SystemExit("the Arrange dialog did not open")
    time.sleep(SETTLE)
    percent = cpu_percent(program.pid, SECONDS)
    kvharness.post(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, WM_COMMAND, 2)   # IDCANCEL
    kvharness.wait_window(kvharness.MESSAGE_BOX_CLASS, ARRANGE_DIALOG, 20, present=False)
    return percent


def run_program(exe):
    """Every pattern at both sizes in one run of the frame-recording program; returns CPU figures, the CPU while
    paused, and the path of the program's frame record."""
    workdir = tempfile.mkdtemp(prefix="bench-", dir=os.environ.get("KV_TMP") or None)
    program = kvharness.Kalvora(workdir)
    shutil.copy2(exe, program.exe)
    program.start()
    if not program.wait_display(timeout=60):
        raise SystemExit("display never appeared:\n" + program.log())
    time.sleep(3.0)
    cpu = {}
    for size, command in SIZES:
        kvharness.post(*CONTROL, WM_COMMAND, command)
        time.sleep(SETTLE)
        for pattern in PATTERNS:
            select(pattern)
            time.sleep(SETTLE)
            cpu[pattern, size] = cpu_percent(program.pid, SECONDS)
            print("  pattern %2d at %-7s %5.1f %% of a core" % (pattern, size, cpu[pattern, size]), flush=True)
    kvharness.post(*CONTROL, WM_COMMAND, SIZES[0][1])
    time.sleep(SETTLE)
    paused = paused_percent(program)
    program.close()
    if not program.wait_exit(20):
        program.kill()
    return cpu, paused, os.path.join(workdir, "KALVORA-FRAMES.CSV")


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
                        "per_buffer": len(rows) / buffers if buffers else 0}
    return figures


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    emulated = " (32-bit Wine through qemu-user: figures inflated, compare within one run)" \
        if os.path.exists("/proc/sys/fs/binfmt_misc/qemu-i386") else ""
    return "%s, %d cores, %s%s" % (cpu, os.cpu_count(), platform.platform(), emulated)


def table(floor, cpu, paused, figures):
    lines = ["| Pattern | Size | CPU % | x floor | frame cost median / p99 (us) | frames per buffer | "
             "delay median / p99 (ms) |", "|---|---|---|---|---|---|---|"]
    for pattern in PATTERNS:
        for size, _ in SIZES:
            fig = figures.get((pattern, size), {})
            lines.append("| %d | %s | %.1f | %.2f | %d / %d | %.2f | %.1f / %.1f |" % (
                pattern, size, cpu[pattern, size], cpu[pattern, size] / floor if floor else 0,
                fig.get("cost50", 0), fig.get("cost99", 0), fig.get("per_buffer", 0),
                fig.get("delay50", 0) / 1000.0, fig.get("delay99", 0) / 1000.0))
    lines.append("")
    lines.append("Floor of a bare recorder: %.1f %% of a core. Paused by a dialog: %.2f %% of a core." %
                 (floor, paused))
    return "\n".join(lines)


def bar_chart(path, floor, cpu):
    """CPU per pattern at Normal Size as bars, the floor as a red line, 1.5 and 2 times it in orange."""
    width, height, left, bottom = 900, 420, 50, 380
    top = max(max(cpu[p, "640x480"] for p in PATTERNS), floor * 2.2)
    scale = (bottom - 40) / top
    draw = ["fill black", "text 10,20 'CPU per pattern at 640x480, %% of one core; red: bare capture %.1f %%, "
            "orange: 1.5 and 2 times it'" % floor]
    for i, pattern in enumerate(PATTERNS):
        x = left + i * 50
        y = bottom - cpu[pattern, "640x480"] * scale
        draw += ["fill '#2c62c8'", "rectangle %d,%d %d,%d" % (x, y, x + 34, bottom),
                 "fill black", "text %d,%d '%d'" % (x + 10, bottom + 18, pattern),
                 "text %d,%d '%.1f'" % (x + 2, y - 4, cpu[pattern, "640x480"])]
    for factor, colour in ((1, "red"), (1.5, "orange"), (2, "orange")):
        y = bottom - floor * factor * scale
        draw += ["stroke %s" % colour, "line %d,%d %d,%d" % (left - 5, y, width - 10, y), "stroke none"]
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "xc:white", "-font", "DejaVu-Sans",
                    "-pointsize", "12", "-draw", "\n".join(draw), path], check=True)


def main():
    player = kvharness.Player(kvharness.make_music_wav(os.path.join(os.environ["KV_TMP"], "bench-music.wav"),
                                                       (SECONDS + 6) * 40 + 120))
    try:
        floor = floor_percent(os.environ["KV_FLOOR"])
        print("floor of a bare recorder: %.1f %% of a core" % floor, flush=True)
        cpu, paused, record = run_program(os.environ["KV_BENCH_EXE"])
    finally:
        player.stop()
    figures = frame_figures(record)
    stamp = datetime.datetime.now()
    text = "Kalvora benchmark, %s\nMachine: %s\n%d s per pattern and size, with the music-like signal.\n\n%s\n" % (
        stamp.strftime("%Y-%m-%d %H:%M"), machine(), SECONDS, table(floor, cpu, paused, figures))
    print("\n" + text)
    os.makedirs(OUT, exist_ok=True)
    name = os.path.join(OUT, stamp.strftime("bench-%Y%m%d-%H%M"))
    with open(name + ".md", "w") as f:
        f.write(text)
    bar_chart(name + ".png", floor, cpu)
    print("written: %s.md and %s.png" % (name, name))


if __name__ == "__main__":
    main()
