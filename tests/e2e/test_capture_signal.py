"""Sound capture with a known constant signal: the capture unit tests on the real device, and the level bar."""
import os
import time
import unittest

from kvharness import DISPLAY_TITLE, KvTestCase, client_rect, pixel, run, screenshot, window_title

START_TIMEOUT = 30.0
UNIT_TIMEOUT = 400
DC_SAMPLE = 16448          # |16448| / 128 = level 128
DC_LEVEL = 128
LEVEL_ROW_Y = 70           # logical rows of the analysis panel; 1:1 pixels at Normal Size
BAR_LEFT = 250
MARKER_LEFT, MARKER_RIGHT = 240, 245
KV_UNIT = os.environ.get("KV_UNIT", "")


def bright(rgb, floor=120):
    return min(rgb) >= floor


def black(rgb):
    return max(rgb) <= 16


class CaptureSignalTest(KvTestCase):

    def test_capture_unit_tests_pass_with_the_signal_and_skip_nothing(self):
        """The capture suite skips its level checks without KV_DC_LEVEL; here they must all run and pass."""
        self.assertTrue(KV_UNIT and os.path.isfile(KV_UNIT), "KV_UNIT not set or missing: %r" % KV_UNIT)
        self.play_dc(DC_SAMPLE, seconds=UNIT_TIMEOUT)
        env = dict(os.environ, KV_DC_LEVEL=str(DC_LEVEL))
        started = time.monotonic()
        result = run(["wine", KV_UNIT, "--gtest_filter=Capture*"], timeout=UNIT_TIMEOUT, env=env)
        output = result.stdout + result.stderr
        print("capture unit tests took %.0f s" % (time.monotonic() - started))
        self.assertEqual(result.returncode, 0, output)
        self.assertNotIn("[  SKIPPED ]", output)
        self.assertIn("[  PASSED  ]", output)
        self.assertNotIn("[  FAILED  ]", output)

    def test_level_bar_shows_the_constant_signal(self):
        self.play_dc(DC_SAMPLE, seconds=120)
        program = self.start_kalvora()
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        self.assertEqual(window_title("*", DISPLAY_TITLE), DISPLAY_TITLE)
        display = client_rect("*", DISPLAY_TITLE)
        self.assertEqual(display[2] - display[0], 640, "not at Normal Size: the panel would be scaled")

        row_y = display[1] + LEVEL_ROW_Y + 10
        png = self.wait_for_bar(display, row_y)

        def at(x):
            return pixel(png, display[0] + x, row_y)

        # The bar runs from x 250 to 250 + level; the rest of the row up to 505 is background.
        for x in (BAR_LEFT + 5, BAR_LEFT + 120):
            self.assertTrue(bright(at(x)), "inside the bar at x %d: %r" % (x, at(x)))
        for x in (BAR_LEFT + 135, BAR_LEFT + 250):
            self.assertTrue(black(at(x)), "beyond the bar at x %d: %r" % (x, at(x)))
        for x in range(MARKER_LEFT, MARKER_RIGHT):
            self.assertEqual(at(x), (255, 255, 255), "level marker at x %d" % x)
        # Level 128 draws at brightness 128 * 50 / 255 + 50 = 75 % with whiteness 100: grey 191.
        self.assertEqual(at(BAR_LEFT + 60), (191, 191, 191))
        self.assertEqual(window_title("*", DISPLAY_TITLE), DISPLAY_TITLE)

    def wait_for_bar(self, display, row_y, timeout=15.0):
        """Screenshots until the bar's far end is drawn: the first buffers can take seconds under Wine."""
        deadline = time.monotonic() + timeout
        while True:
            png = screenshot(os.path.join(self.workdir, "level_bar.png"))
            if bright(pixel(png, display[0] + BAR_LEFT + 120, row_y)):
                return png
            if time.monotonic() > deadline:
                return png
            time.sleep(0.5)


if __name__ == "__main__":
    unittest.main()
