"""Choosing the input device and the sensitivity in the real program: the Sound menu's commands, the settings
file, a missing device, and frames that go on while the input changes."""
import os
import re
import time
import unittest

from kvharness import (window_title, children, CONTROL_CLASS, CONTROL_TITLE, DISPLAY_TITLE, IDS, MESSAGE_BOX_CLASS, KvTestCase, Picture,
                       activate, client_rect, close_window, find_window, post, screenshot, send, wait_window, wave_inputs)

START_TIMEOUT = 30.0
WM_COMMAND = 0x0111
WMU_QUERY_COUNTS = 0x0400 + 90
COUNT_LONGEST_GAP_MS, COUNT_LONGEST_OPEN_MS = 4, 5
MUSIC_INPUT = "Monitor of Music"    # the second null sink of the test's sound server
LEVEL_ROW_Y = 80                     # inside the level row of pattern 0 at Normal Size
BAR_LEFT = 250                       # the level bar runs from x 250 to 250 + level
SWITCH_LIMIT_MS = 1000               # the longest the sound may stop at a change of input
LOOPBACK_TEXT = "<what the computer plays, WASAPI loopback>"   # how the settings file names that input


class SoundInputTest(KvTestCase):

    def shown_level(self):
        """The level pattern 0 shows: the length of its level bar, read from a screenshot."""
        display = client_rect("*", DISPLAY_TITLE)
        self.assertIsNotNone(display, "no display showing pattern 0")
        png = screenshot(os.path.join(self.workdir, "level.png"))
        row = Picture(png, (display[0] + BAR_LEFT, display[1] + LEVEL_ROW_Y,
                            display[0] + BAR_LEFT + 260, display[1] + LEVEL_ROW_Y + 1), floor=100)
        length = 0
        while (length, 0) in row.lit:
            length += 1
        return length

    def wait_level(self, level, timeout=15.0):
        """Waits until pattern 0 shows the level (the first buffers of a device take a while); returns the
        last level seen."""
        deadline = time.monotonic() + timeout
        while True:
            seen = self.shown_level()
            if seen == level or time.monotonic() > deadline:
                return seen
            time.sleep(0.5)

    def command(self, name, offset=0):
        self.assertTrue(post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, IDS[name] + offset))

    def start(self):
        program = self.start_kalvora()
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        return program

    def quit(self, program):
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(5), "still running after WM_CLOSE")
        with open(program.ini, encoding="latin-1") as f:
            return f.read()

    def test_the_chosen_input_is_recorded_kept_and_used_again_after_a_restart(self):
        names = wave_inputs()
        self.assertIn(MUSIC_INPUT, names)
        # Level 128 (16448 / 128) played into the second sink only; the default input records silence.
        self.play_dc(16448, seconds=300, sink="music")
        program = self.start()
        self.assertEqual(self.wait_level(0, timeout=5), 0, "the default input is silent")
        self.command("ID_INPUT_FIRST", names.index(MUSIC_INPUT))
        self.assertEqual(self.wait_level(128), 128, "the chosen input's signal is not shown")
        self.assertIn('InputDevice="%s"' % MUSIC_INPUT, self.quit(program))

        program = self.start()
        self.assertEqual(self.wait_level(128), 128, "the saved input is not used again")
        self.quit(program)

    def test_a_saved_input_that_is_missing_starts_on_the_default_without_a_message_and_is_kept(self):
        with open(os.path.join(self.workdir, "KALVORA.INI"), "w") as f:
            f.write("[Init]\r\nInputDevice=Microphone that was unplugged\r\n")
        self.play_dc(16448, seconds=120)
        program = self.start()
        self.assertEqual(self.wait_level(128), 128, "the default input is not recorded")
        box = find_window(MESSAGE_BOX_CLASS, "*")
        self.assertIsNone(box, "a message for a missing saved input: %s %s" % (
            window_title(MESSAGE_BOX_CLASS, "*"), children(MESSAGE_BOX_CLASS, "*")) if box else "")
        self.assertIn('InputDevice="Microphone that was unplugged"', self.quit(program))

    def no_box(self, seconds):
        """True when no message box comes up within the time."""
        return not wait_window(MESSAGE_BOX_CLASS, "*", seconds)

    def test_what_the_computer_plays_is_refused_cleanly_where_the_system_cannot_record_it(self):
        """Wine 8 records no playback device: a settings file naming that input starts on the default input with one
        clear message, the picture goes on while it is up, and the greyed menu command changes nothing."""
        with open(os.path.join(self.workdir, "KALVORA.INI"), "w") as f:
            f.write("[Init]\r\nInputDevice=%s\r\n" % LOOPBACK_TEXT)
        self.play_dc(16448, seconds=120)
        program = self.start()
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", START_TIMEOUT), "no message\n" + program.log())
        texts = " ".join(c["text"] for c in children(MESSAGE_BOX_CLASS, "*") or [])
        self.assertIn("cannot record what the computer plays", texts)
        self.assertEqual(self.wait_level(128), 128, "the picture stopped while the message is up")
        self.assertTrue(close_window(MESSAGE_BOX_CLASS, "*"))
        self.assertTrue(self.no_box(3), "the refusal was told twice")
        display = client_rect("*", DISPLAY_TITLE)
        activate(display[2] - 10, display[3] - 10)   # the control window that owned the box came to the front
        self.command("ID_INPUT_DEFAULT")
        self.command("ID_INPUT_LOOPBACK")
        self.assertTrue(self.no_box(3), "a greyed command gave a message")
        self.assertEqual(self.wait_level(128), 128)
        saved = re.search(r"^InputDevice=(.*?)\s*$", self.quit(program), re.M)
        self.assertEqual(saved.group(1) if saved else None, "", "the default, chosen last, is not what is kept")

    def test_sensitivity_times_four_shows_level_32_as_128(self):
        # 4112 / 128 = 32.1, level 32; four times 4112 is 16448, level 128.
        self.play_dc(4112, seconds=120)
        program = self.start()
        self.assertEqual(self.wait_level(32), 32)
        self.command("ID_SENSITIVITY_FIRST", 2)
        self.assertEqual(self.wait_level(128), 128, "x4 does not reach the analyser")
        self.assertIn("Sensitivity=4", self.quit(program))

    def test_switching_inputs_while_drawing_never_stops_the_sound_for_more_than_a_second(self):
        names = wave_inputs()
        # Level 128 (16448 / 128) from the default input, level 64 (8224 / 128 = 64.25) from the second sink's
        # monitor: the level shown tells which input is drawn from.
        self.play_dc(16448, seconds=180)
        self.play_dc(8224, seconds=180, sink="music")
        program = self.start()
        self.assertEqual(self.wait_level(128), 128)
        for which in (COUNT_LONGEST_GAP_MS, COUNT_LONGEST_OPEN_MS):   # start the measures afresh
            send("*", DISPLAY_TITLE, WMU_QUERY_COUNTS, which)
        for step in range(6):
            if step % 2 == 0:
                self.command("ID_INPUT_FIRST", names.index(MUSIC_INPUT))
            else:
                self.command("ID_INPUT_DEFAULT")
            expected = 64 if step % 2 == 0 else 128
            self.assertEqual(self.wait_level(expected), expected, "switch %d did not take effect" % step)
        gap = send("*", DISPLAY_TITLE, WMU_QUERY_COUNTS, COUNT_LONGEST_GAP_MS)
        system = send("*", DISPLAY_TITLE, WMU_QUERY_COUNTS, COUNT_LONGEST_OPEN_MS)
        print("longest wait for sound over six switches of input: %s ms; longest open or close of a device by "
              "the system: %s ms" % (gap, system))
        self.assertIsNotNone(gap)
        self.assertIsNotNone(system)
        # The old device records until the new one's buffers flow; only the system's own close of the old
        # device, which the render thread waits for, may stand between two buffers.
        self.assertLessEqual(gap, SWITCH_LIMIT_MS + system)
        self.quit(program)


if __name__ == "__main__":
    unittest.main()
