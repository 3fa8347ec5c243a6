"""Reliability of the real program: the sound server going and coming back, a late sound device, and a storm
of random input."""
import os
import random
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, IDS, MESSAGE_BOX_CLASS, KvTestCase, children, client_rect,
                       click_at, close_window, find_window, list_windows, post, screenshot, send, start_sound_server,
                       stop_sound_server, subprocess, wait_window, wave_in_error_text, window_title)

START_TIMEOUT = 30.0
DISPLAY_CLASS = "KalvoraFrame"
WM_COMMAND = 0x0111
ID_PATTERN_FIRST = IDS["ID_PATTERN_FIRST"]
DC_SAMPLE = 16448          # level 128: pattern 4 then places 172 dots anew in every frame
SCATTER = 4
RESUME_LIMIT = 5.0         # seconds from the server's return to the first new frame
WMU_QUERY_COUNTS = 0x0400 + 90
COUNT_GDI_OBJECTS, COUNT_WAVE_BLOCKS, COUNT_ABANDONED_BLOCKS, COUNT_KERNEL_HANDLES = range(4)
GDI_SLACK = 8              # pattern 0's two fonts, the panel's and dialogs' pictures (the patterns' own
                           # cache of pens and brushes is bounded by design and not counted)
HANDLE_SLACK = 8
MMSYSERR_BADDEVICEID = 2
ID_ARRANGE_USER = IDS["ID_ARRANGE_USER"]
ID_SCREEN_COLOR = IDS["ID_SCREEN_COLOR"]
ID_APP_ABOUT = IDS["ID_APP_ABOUT"]
SCREEN_SURFACE_KB = 1920 * 1080 * 4 // 1024


def pattern_button_centre(control, pattern):
    """Centre of a pattern's picture button in screen coordinates, from the control window's client rect."""
    if pattern == 0:
        x, y = 10, 40
    else:
        x, y = 50 + 33 * ((pattern - 1) % 8), 40 + 33 * ((pattern - 1) // 8)
    return control[0] + x + 16, control[1] + y + 16


class ReliabilityTest(KvTestCase):

    def setUp(self):
        super().setUp()
        self.addCleanup(start_sound_server)   # the next test needs it, whatever happened here

    def display_pixels(self, name):
        rect = client_rect(DISPLAY_CLASS, "*")
        self.assertIsNotNone(rect, "no display window")
        png = screenshot(os.path.join(self.workdir, name + ".png"))
        geometry = "%dx%d+%d+%d" % (rect[2] - rect[0], rect[3] - rect[1], rect[0], rect[1])
        return subprocess.run(["convert", png, "-crop", geometry, "+repage", "-depth", "8", "rgb:-"],
                              capture_output=True, check=True).stdout

    def drawing(self, gap=0.3):
        """True when the display's picture changes between two looks: pattern 4 redraws every frame."""
        first = self.display_pixels("look1")
        time.sleep(gap)
        return self.display_pixels("look2") != first

    def select(self, pattern):
        self.assertTrue(post(DISPLAY_CLASS, "*", WM_COMMAND, ID_PATTERN_FIRST + pattern))
        self.assertTrue(wait_window(DISPLAY_CLASS, "Pattern%d" % pattern, 10))

    def wait_drawing(self, timeout):
        """Seconds until frames are drawn again, or None. Each look is compared with the one before it, so the
        answer comes one look after the first new frame, not a pair of looks and a gap."""
        start = time.monotonic()
        before = self.display_pixels("look0")
        while time.monotonic() - start < timeout:
            now = self.display_pixels("look1")
            if now != before:
                return time.monotonic() - start
            before = now
        return None

    def test_frames_resume_by_themselves_when_the_sound_server_returns(self):
        self.play_dc(DC_SAMPLE, seconds=300)
        program = self.start_kalvora()
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        self.select(SCATTER)
        self.assertIsNotNone(self.wait_drawing(10), "no frames at the start")

        stop_sound_server()
        time.sleep(2.0)
        self.assertFalse(self.drawing(gap=1.0), "frames without a sound server?")
        start_sound_server()
        self.play_dc(DC_SAMPLE, seconds=300)
        waited = self.wait_drawing(30)
        print("frames resumed %s after the sound server came back" %
              ("%.1f s" % waited if waited is not None else "never"))
        self.assertIsNotNone(waited, "frames never resumed\n" + program.log())
        self.assertLessEqual(waited, RESUME_LIMIT)
        self.assertIsNone(find_window(MESSAGE_BOX_CLASS, "*"), "a box came up for a device that came back")

        # Quitting while the server is gone again still takes under two seconds.
        stop_sound_server()
        time.sleep(2.5)
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2), "still running 2 s after WM_CLOSE without a sound server")

    def test_a_display_that_could_not_start_is_tried_again_from_a_pattern_button(self):
        """Started without a sound server the program shows the system's text once and goes on with the
        control window alone. With the server back, a pattern button tries the display again. Wine's sound
        driver looks for devices once per process, so under Wine that second try meets the same single
        message (on Windows, where devices are found as they come, it brings up a drawing display); either
        way a try is made, one box at most is shown, and the control window stays usable."""
        stop_sound_server()
        program = self.start_kalvora()
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", START_TIMEOUT), "no message box\n" + program.log())
        self.assertTrue(close_window(MESSAGE_BOX_CLASS, "*"))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False))
        self.assertIsNone(find_window(DISPLAY_CLASS, "*"), "a display without sound input")

        start_sound_server()
        self.play_dc(DC_SAMPLE, seconds=300)
        control = client_rect(CONTROL_CLASS, CONTROL_TITLE)
        for attempt in range(2):
            click_at(*pattern_button_centre(control, SCATTER))
            outcome = self.wait_display_or_box()
            self.assertIsNotNone(outcome, "the pattern button made no new try (attempt %d)\n" % attempt + program.log())
            if outcome == "display":
                self.assertIsNotNone(self.wait_drawing(15), "the late display draws nothing")
                break
            boxes = [w for w in list_windows() if w["cls"] == MESSAGE_BOX_CLASS and w["visible"]]
            self.assertEqual(len(boxes), 1, "a stack of boxes: %r" % boxes)
            texts = [c["text"] for c in children(MESSAGE_BOX_CLASS, "*")]
            self.assertIn(wave_in_error_text(MMSYSERR_BADDEVICEID), texts)
            self.assertTrue(close_window(MESSAGE_BOX_CLASS, "*"))
            self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False))
        self.assertTrue(program.running())
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2))

    def wait_display_or_box(self, timeout=START_TIMEOUT):
        """'display' once a drawing display shows the chosen pattern, 'box' once a message box is up, else None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if window_title(DISPLAY_CLASS, "*") == "Pattern%d" % SCATTER:
                return "display"
            if find_window(MESSAGE_BOX_CLASS, "*"):
                return "box"
            time.sleep(0.3)
        return None


class StormTest(KvTestCase):
    """A minute of random accelerator keys, panel clicks and menu commands while music plays."""

    KEYS = (list("oqwertyuiasdfghjknv") + ["shift+" + c for c in "oqwerasdf"] +
            ["ctrl+%d" % n for n in (1, 2, 3)] + ["Home", "Delete", "Return", "backslash", "Escape"] +
            ["%s%s" % (mod, f) for mod in ("", "ctrl+", "shift+", "shift+ctrl+") for f in
             ("F5", "F6", "F7", "F8", "F9", "F10")])
    # Menu commands that open no dialog: patterns, modes, monitors, sizes, colour steps, and the Sound menu's inputs
    # (the first four device places, some of them empty here; what the computer plays, greyed under Wine),
    # sensitivities and steps.
    COMMANDS = [n for first, last in (("ID_PATTERN_FIRST", "ID_PATTERN_LAST"), ("ID_ARRANGE_FIRST", "ID_ARRANGE_LAST"),
                                      ("ID_MONITOR_FIRST", "ID_MONITOR_LAST"), ("ID_SIZE_NONE", "ID_SIZE_FIT"),
                                      ("ID_COLOR_FIRST", "ID_COLOR_LAST"), ("ID_SENSITIVITY_FIRST", "ID_SENSITIVITY_LAST"),
                                      ("ID_NEXT_INPUT", "ID_INPUT_LOOPBACK"), ("ID_INPUT_DEFAULT", "ID_INPUT_DEFAULT"))
                for n in range(IDS[first], IDS[last] + 1)] + [IDS["ID_INPUT_FIRST"] + n for n in range(4)]
    SECONDS = 60

    def test_a_minute_of_random_input_leaves_the_program_well(self):
        self.play_music(self.SECONDS + 120)
        program = self.start_kalvora()
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        self.warm_up()
        before = self.measure(program)

        rng = random.Random(20261209)
        events = 0
        start = time.monotonic()
        while time.monotonic() - start < self.SECONDS:
            if events % 25 == 0:   # where the panel is, looked up now and then: each look is a Wine start
                self.control = client_rect(CONTROL_CLASS, CONTROL_TITLE)
            self.one_event(rng)
            events += 1
        self.settle()
        self.assertTrue(program.running(), "the program ended during the storm\n" + program.log())
        self.visit_sizes()
        self.select_after_storm()
        after = self.measure_settled(program, before)
        print("storm: %d events in %d s; before %r, after %r" % (events, self.SECONDS, before, after))
        # What leaks inside Windows, as the program counts it: its own GDI objects, its sound blocks (five in
        # rotation, none given up), and the kernel handles where the system tells them.
        self.assertLessEqual(after["gdi"], before["gdi"] + GDI_SLACK)
        self.assertEqual(after["wave"], 5)
        self.assertEqual(after["abandoned"], 0)
        if before["handles"] > 0:     # Wine answers 0: it doesn't count them
            self.assertLessEqual(after["handles"], before["handles"] + HANDLE_SLACK)
        # Wine's cached window DCs can keep the surface of a whole-screen window alive after it shrank (seen
        # going back and forth by 8.4 MB during a storm, and gone after a later pattern change): one such
        # surface of the 1920 x 1080 test screen at 32 bits is allowed on top. A leak grows past any bound.
        self.assertLessEqual(after["rss"], before["rss"] * 1.05 + SCREEN_SURFACE_KB)

        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2), "still running 2 s after WM_CLOSE")
        with open(program.ini, "rb") as f:
            text = f.read().decode("latin-1")
        self.assertTrue(text.startswith("[Init]"), text[:200])
        self.assertIn("StaticUser=", text)

    def warm_up(self):
        """Every window size and every dialog once before the first measure. What their first use maps in
        (the whole-screen picture, the common dialogs' code and resources: about 11 MB under Wine) stays
        with the process, which is no leak."""
        self.visit_sizes()
        for command in (ID_ARRANGE_USER, ID_SCREEN_COLOR, ID_APP_ABOUT):
            post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, command)
            self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10), "no dialog for command %#x" % command)
            time.sleep(1)
            close_window(MESSAGE_BOX_CLASS, "*")
            self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False))
        time.sleep(1.5)

    def visit_sizes(self):
        """Whole screen, half and normal size, in this order, so that both measures find Wine's window
        surfaces in the same state: it frees a larger window's surface only some time after a resize."""
        for size in (IDS["ID_SIZE_FIT"], IDS["ID_SIZE_HALF"], IDS["ID_SIZE_NORMAL"]):
            post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, size)
            time.sleep(1.5)

    def one_event(self, rng):
        kind = rng.random()
        if kind < 0.6:
            subprocess.run(["xdotool", "key", rng.choice(self.KEYS)], capture_output=True)
        elif kind < 0.9:
            control = self.control
            if control is not None and control[4]:
                x = control[0] + rng.randrange(0, control[2] - control[0])
                y = control[1] + rng.randrange(0, control[3] - control[1])
                subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", rng.choice(("1", "3"))],
                               capture_output=True)
        else:
            post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, rng.choice(self.COMMANDS))

    def settle(self):
        """Back to a known view: both windows shown, nothing modal, Arrange off."""
        for _ in range(3):
            if find_window(MESSAGE_BOX_CLASS, "*"):
                close_window(MESSAGE_BOX_CLASS, "*")
        control = client_rect(CONTROL_CLASS, CONTROL_TITLE)
        if control is not None and not control[4]:
            post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, IDS["ID_CONTROL_WINDOW"])   # show it again
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, IDS["ID_ARRANGE_FIRST"])        # Arrange "None"
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, IDS["ID_INPUT_DEFAULT"])
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, IDS["ID_SIZE_NORMAL"])
        time.sleep(1)

    def select_after_storm(self):
        self.assertTrue(post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_PATTERN_FIRST + 5))
        self.assertTrue(wait_window(DISPLAY_CLASS, "Pattern5", 10),
                        "after the storm the display shows %r" % window_title(DISPLAY_CLASS, "*"))

    def measure_settled(self, program, before, seconds=20):
        """The lowest counts seen over a while after the storm. Wine hands a dialog's or a whole-screen
        window's memory back to the system some seconds after it is gone (one look right after a burst of
        keys has found 8 MB more that went again later), while a leak never shrinks."""
        lowest = self.measure(program)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and lowest["rss"] > before["rss"] * 1.05:
            time.sleep(1)
            now = self.measure(program)
            lowest = {key: min(lowest[key], now[key]) for key in lowest}
        return lowest

    def measure(self, program):
        """Resident kB, and the counts the display window answers about itself."""
        with open("/proc/%d/status" % program.pid) as f:
            rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        counts = {}
        for key, which in (("gdi", COUNT_GDI_OBJECTS), ("wave", COUNT_WAVE_BLOCKS),
                           ("abandoned", COUNT_ABANDONED_BLOCKS), ("handles", COUNT_KERNEL_HANDLES)):
            counts[key] = send(DISPLAY_CLASS, "*", WMU_QUERY_COUNTS, which)
            self.assertIsNotNone(counts[key], "the display did not answer the %s count" % key)
        return dict(counts, rss=rss)


if __name__ == "__main__":
    unittest.main()
