"""What the computer plays (run.sh --system-sound): Kalvora records the default output's monitor through
PULSE_SOURCE, chosen by kv_system_sound_source in scripts/env.sh, while the default input stays silent."""
import os
import subprocess
import time
import unittest

from kvharness import DISPLAY_TITLE, REPO, KvTestCase, client_rect, pixel, run, screenshot

START_TIMEOUT = 30.0
DC_SAMPLE = 16448          # |16448| / 128 = level 128: pattern 0's level bar runs from x 250 to 378
LEVEL_ROW_Y = 70 + 10      # a row through the level bar, in client pixels at Normal Size
BAR_LEFT = 250
TEST_SINK = "kv"           # scripts/env.sh start_pulse: the default output of the test run's sound server
QUIET_SINK = "kv_quiet"


def bright(rgb, floor=120):
    return min(rgb) >= floor


def black(rgb):
    return max(rgb) <= 16


def pactl(*args):
    return run(["pactl", *args], check=True).stdout.strip()


def system_sound_source():
    """What run.sh --system-sound gives Kalvora as PULSE_SOURCE, from the same shell function."""
    return subprocess.run(["bash", "-c", "source scripts/env.sh && kv_system_sound_source"], cwd=REPO,
                          capture_output=True, text=True, check=True, timeout=30).stdout.strip()


def recording_sources():
    """Names of the sources that recording streams are attached to now."""
    names = dict(line.split("\t")[:2] for line in pactl("list", "short", "sources").splitlines())
    return [names.get(line.split("\t")[1]) for line in pactl("list", "short", "source-outputs").splitlines()]


class SystemSoundTest(KvTestCase):

    def setUp(self):
        super().setUp()
        self.assertNotIn("PULSE_SOURCE", os.environ, "the test run itself must record the default input")
        # The default input becomes a silent one, as a desktop's microphone in a quiet room: what Kalvora
        # shows can then only come from the output's monitor.
        self.defaults = pactl("get-default-sink"), pactl("get-default-source")
        module = pactl("load-module", "module-null-sink", "sink_name=" + QUIET_SINK, "rate=11025", "channels=1",
                       "format=s16le")
        self.addCleanup(pactl, "unload-module", module)
        self.addCleanup(pactl, "set-default-source", self.defaults[1])
        pactl("set-default-source", QUIET_SINK + ".monitor")
        self.assertEqual(pactl("get-default-sink"), TEST_SINK)

    def start_and_look(self, env, name):
        """Starts Kalvora with the given extra environment; returns the display's client rectangle and a
        screenshot taken once the bar's far end is lit or 15 s have passed, and the source it records."""
        program = self.start_kalvora(env=env)
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        display = client_rect("*", DISPLAY_TITLE)
        self.assertEqual(display[2] - display[0], 640, "not at Normal Size: the panel would be scaled")
        deadline = time.monotonic() + 15
        while True:
            png = screenshot(os.path.join(self.workdir, name + ".png"))
            if bright(pixel(png, display[0] + BAR_LEFT + 120, display[1] + LEVEL_ROW_Y)):
                break
            if time.monotonic() > deadline:
                break
            time.sleep(0.5)
        sources = recording_sources()
        program.kill()
        return display, png, sources

    def bar(self, display, png):
        row = display[1] + LEVEL_ROW_Y
        return [pixel(png, display[0] + BAR_LEFT + dx, row) for dx in (5, 60, 120, 135, 250)]

    def test_option_shows_what_the_default_output_plays_and_without_it_the_default_input(self):
        source = system_sound_source()
        self.assertEqual(source, TEST_SINK + ".monitor")
        self.play_dc(DC_SAMPLE, seconds=120)

        display, png, sources = self.start_and_look({}, "default-input")
        self.assertEqual(sources, [QUIET_SINK + ".monitor"])
        self.assertTrue(all(black(rgb) for rgb in self.bar(display, png)),
                        "level above 0 from the silent default input: %r" % self.bar(display, png))

        display, png, sources = self.start_and_look({"PULSE_SOURCE": source}, "system-sound")
        self.assertEqual(sources, [source])
        inside_5, inside_60, inside_120, beyond_135, beyond_250 = self.bar(display, png)
        self.assertTrue(bright(inside_5) and bright(inside_120), "no level-128 bar: %r" % self.bar(display, png))
        self.assertEqual(inside_60, (191, 191, 191))     # level 128 at whiteness 100 and brightness 75 %
        self.assertTrue(black(beyond_135) and black(beyond_250), "bar longer than level 128")


if __name__ == "__main__":
    unittest.main()
