"""End-to-end display surface: a covered display shows its picture again when uncovered, and a display that
grows goes on drawing over its whole new client area, with nothing left over from before in the new band."""
import os
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, IDS, KvTestCase, Picture, client_rect, move_window, post,
                       screenshot, wait_for, wait_window, window_rect)

START_TIMEOUT = 30.0
DISPLAY_CLASS = "KalvoraFrame"
WM_COMMAND = 0x0111
WM_CHAR = 0x0102
ID_PATTERN_FIRST = IDS["ID_PATTERN_FIRST"]
ID_ARRANGE_USER = IDS["ID_ARRANGE_USER"]
ID_SIZE_NORMAL = IDS["ID_SIZE_NORMAL"]
ID_SIZE_HALF = IDS["ID_SIZE_HALF"]
ARRANGE_DIALOG = "Arrange User Setting"
DC_SAMPLE = 16448          # level 128 in every buffer
SETTLE = 1.5               # seconds of frames after a switch before looking
# At level 128 pattern 4 scatters dots of half size 128 / 10 = 12 over the whole client area every frame; pattern 1
# draws a ring of discs 128 / 3 = 42 across, centred 128 * 240 / 255 = 120 from the middle of the client area,
# so at 640 x 480 it reaches past x = 320 and y = 240. Both paint in a colour of brightness 40 + 60 * 50 / 100 =
# 70 %: the strongest channel is (int)(0.7 * 255) = 178.
DOT_BRIGHTEST = (150, 200)
WHITE = (255, 255, 255)    # the screen colour after "\\" (inverted), which no dot and no bare X screen has


def differing(a, b):
    return sum(1 for y in range(a.height) for x in range(a.width) if a.at(x, y) != b.at(x, y))


class DisplaySurfaceTest(KvTestCase):

    def start_with_pattern(self, pattern):
        self.play_dc(DC_SAMPLE, seconds=90)
        program = self.start_kalvora()
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_PATTERN_FIRST + pattern)
        self.assertTrue(wait_window(DISPLAY_CLASS, "Pattern%d" % pattern, 10), "pattern %d never showed" % pattern)
        time.sleep(SETTLE)
        return program

    def display_client(self):
        rect = client_rect(DISPLAY_CLASS, "*")
        self.assertIsNotNone(rect, "display window missing")
        return rect[:4]

    def move_dialog(self, x, y):
        """Moves the Arrange dialog and gives X and Wine time to show it there; returns its window rect."""
        self.assertTrue(move_window("*", ARRANGE_DIALOG, x, y), "the dialog could not be moved")
        rect = window_rect("*", ARRANGE_DIALOG)
        self.assertEqual(rect[:2], (x, y))
        time.sleep(0.5)
        return rect

    def test_a_covered_display_shows_the_same_pixels_when_uncovered(self):
        """The Arrange dialog pauses the display, so its picture stands still; moved over the display and away
        again, it leaves the display's pixels as they were."""
        self.start_with_pattern(4)
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_ARRANGE_USER)
        self.assertTrue(wait_window("*", ARRANGE_DIALOG, 10), "the Arrange dialog never opened")
        display = self.display_client()
        self.move_dialog(1300, 600)   # clear of the display at (50, 50)-(690, 530)
        before = Picture(screenshot(os.path.join(self.workdir, "before.png")), display)
        self.assertGreater(len(before.lit), 500, "no dots on the display to compare")

        self.move_dialog(200, 150)
        covered = Picture(screenshot(os.path.join(self.workdir, "covered.png")), display)
        self.assertGreater(differing(before, covered), 10000, "the dialog did not cover the display")

        self.move_dialog(1300, 600)
        after = Picture(screenshot(os.path.join(self.workdir, "after.png")), display)
        self.assertEqual(differing(before, after), 0, "the uncovered display shows other pixels")

    def test_a_display_that_grows_draws_over_its_whole_new_client_area(self):
        """Pattern 1 at Half size, white screen colour (inverted, which clears the small window), then Normal
        again: the band the display gains (right of x = 320 or below y = 240) holds white and the ring's discs
        only, nothing of the black picture from before, and the ring, centred anew, reaches into it."""
        self.start_with_pattern(1)
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_SIZE_HALF)
        self.assertTrue(wait_for(lambda: self.display_client() == (50, 50, 370, 290), 10),
                        "Half size gave %r" % (self.display_client(),))
        post(DISPLAY_CLASS, "*", WM_CHAR, ord("\\"))
        time.sleep(SETTLE)
        post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_SIZE_NORMAL)
        self.assertTrue(wait_for(lambda: self.display_client() == (50, 50, 690, 530), 10),
                        "Normal size gave %r" % (self.display_client(),))
        time.sleep(SETTLE)

        png = screenshot(os.path.join(self.workdir, "grown.png"))
        for band in [(370, 50, 690, 530), (50, 290, 370, 530)]:
            look = Picture(png, band)
            pixels = [look.at(x, y) for y in range(look.height) for x in range(look.width)]
            stale = [p for p in pixels if p != WHITE and not DOT_BRIGHTEST[0] <= max(p) <= DOT_BRIGHTEST[1]]
            self.assertEqual(len(stale), 0, "band %r: pixels neither screen colour nor disc, e.g. %r" %
                             (band, stale[:3]))
            discs = [p for p in pixels if p != WHITE]
            self.assertGreater(len(discs), 1000, "band %r: no discs drawn there" % (band,))

if __name__ == "__main__":
    unittest.main()
