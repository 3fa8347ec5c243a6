"""Benchmark, not a test: CPU of the running program over 10 s with the display up and no sound arriving.

Reports the program's share of one core next to the floor of a bare recorder doing nothing but capture,
since capture itself costs CPU under Wine (and more again where Wine runs through an emulator).
Run through scripts/bench.sh, which provides the display, sound server and Wine prefix.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import kvharness  # noqa: E402

SECONDS = 10.0


def process_cpu(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(pid, seconds):
    before = process_cpu(pid)
    time.sleep(seconds)
    return (process_cpu(pid) - before) / seconds * 100.0


def floor_percent(floor_exe):
    proc = subprocess.Popen(["wine", floor_exe, str(int(SECONDS + 6))], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(4.0)   # start-up and device open
        return measure(proc.pid, SECONDS)
    finally:
        proc.wait(timeout=30)


def program_percent():
    workdir = tempfile.mkdtemp(prefix="bench-", dir=os.environ.get("KV_TMP") or None)
    program = kvharness.Kalvora(workdir).start()
    try:
        if not program.wait_display(timeout=60):
            raise SystemExit("display never appeared")
        time.sleep(3.0)   # let start-up settle
        return measure(program.pid, SECONDS)
    finally:
        program.close()
        if not program.wait_exit(10):
            program.kill()


def main():
    floor_exe = os.environ.get("KV_FLOOR", "")
    program = program_percent()
    print("idle CPU of Kalvora over %.0f s (display up, silence): %.1f %% of one core" % (SECONDS, program))
    if floor_exe and os.path.isfile(floor_exe):
        print("floor of a bare recorder over %.0f s: %.1f %% of one core" % (SECONDS, floor_percent(floor_exe)))


if __name__ == "__main__":
    main()
