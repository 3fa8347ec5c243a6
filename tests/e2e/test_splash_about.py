"""End-to-end splash window and About box: the splash's place and time, a click that closes it, and the About box."""
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, IDS, DISPLAY_TITLE, KV_EXE, MESSAGE_BOX_CLASS, KvTestCase, children,
                       click_at, client_rect, close_window, enabled, find_window, key, list_windows, owner, post,
                       project_version, run, title_changes, version_resource, wait_window, watch_x_title,
                       window_title, x_focus, x_window_id)

START_TIMEOUT = 30.0
SPLASH_SIZE = (354, 267)
WM_COMMAND = 0x0111
ID_APP_ABOUT = IDS["ID_APP_ABOUT"]
ID_STATIC_1SEC = IDS["ID_ARRANGE_FIRST"] + 5   # "Static 1sec"
DISPLAY_X_NAME = "^Pattern[0-9]+$"


def screen_size():
    width, height = run(["xdotool", "getdisplaygeometry"], check=True).stdout.split()
    return int(width), int(height)


def splash_in(windows, pid):
    """The splash among listed windows: a visible, untitled window of the program with the picture's size."""
    for w in windows:
        left, top, right, bottom = w["rect"]
        if w["pid"] == pid and w["visible"] and w["title"] == "" and (right - left, bottom - top) == SPLASH_SIZE:
            return w
    return None


def program_pid(windows):
    """Windows pid of the program, read from its control window."""
    control = [w for w in windows if w["cls"] == CONTROL_CLASS]
    return control[0]["pid"] if control else None


def pattern_button_centre(control_client, pattern):
    """Screen point in the middle of pattern button 1..16 of the control window's panel."""
    left = 50 + 33 * ((pattern - 1) % 8)
    top = 40 + 33 * ((pattern - 1) // 8)
    return control_client[0] + left + 16, control_client[1] + top + 16


class SplashAboutTest(KvTestCase):

    def start_with_splash(self):
        """Starts without /nosplash; returns the program and the control window's client rectangle once that
        window is on screen."""
        program = self.start_kalvora(args=())
        deadline = time.monotonic() + START_TIMEOUT
        while True:
            self.assertTrue(program.wait_control(max(deadline - time.monotonic(), 0.1)),
                            "control window never appeared\n" + program.log())
            rect = client_rect(CONTROL_CLASS, CONTROL_TITLE)
            if rect and rect[4]:
                return program, rect
            self.assertLess(time.monotonic(), deadline, "control window never became visible")
            time.sleep(0.05)

    def find_splash(self):
        windows = list_windows()
        splash = splash_in(windows, program_pid(windows))
        self.assertIsNotNone(splash, "no splash window: %r" % windows)
        self.assertFalse([w for w in windows if w["title"].startswith("Pattern")],
                         "display window exists while the splash is up")
        return splash

    def test_splash_centred_for_two_seconds_then_display_and_about_box_while_display_draws(self):
        program, _ = self.start_with_splash()
        shown = time.monotonic()
        splash = self.find_splash()

        left, top, right, bottom = splash["rect"]
        width, height = screen_size()
        self.assertLessEqual(abs((left + right) - width), 4, "splash not centred horizontally: %r" % (splash,))
        self.assertLessEqual(abs((top + bottom) - height), 4, "splash not centred vertically: %r" % (splash,))

        self.assertTrue(wait_window(splash["cls"], "*", 15, present=False), "splash never closed")
        gone = time.monotonic() - shown
        self.assertTrue(program.wait_display(START_TIMEOUT), "display never appeared\n" + program.log())
        display = time.monotonic() - shown
        print("splash gone %.2f s and display there %.2f s after the control window was seen" % (gone, display))
        self.assertGreaterEqual(display, 1.0, "display came too early: the splash should stand for 2 s")
        self.assertLessEqual(display, 10.0)
        self.assertEqual(window_title("*", DISPLAY_TITLE), DISPLAY_TITLE)

        self.check_about_box_while_display_draws(program)

    def check_about_box_while_display_draws(self, program):
        self.assertTrue(post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_APP_ABOUT, 0))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 15), "About box never opened")
        about = [w for w in list_windows() if w["cls"] == MESSAGE_BOX_CLASS and w["visible"]]
        self.assertEqual(len(about), 1, about)
        self.assertTrue(about[0]["title"].startswith("Kalvora"), about[0]["title"])
        texts = [c["text"] for c in children(MESSAGE_BOX_CLASS, "*") or []]
        self.assertIn("Version %d.%d.%d" % project_version(), texts)

        # The box stands over the control window and with it over much of the display, so the display's
        # drawing shows in its title: a frame comes with every sound buffer, and in Static 1sec the first
        # frame of each second switches the pattern.
        self.assertTrue(post("*", DISPLAY_TITLE, WM_COMMAND, ID_STATIC_1SEC, 0))
        xid = x_window_id(DISPLAY_X_NAME)
        self.assertIsNotNone(xid, "no X window titled PatternN")
        titles = watch_x_title(xid, 4.0)
        self.assertGreaterEqual(title_changes(titles), 2, "display did not draw behind the About box: %r" % titles)

        self.assertTrue(x_focus("^Kalvora."), "About box did not take the keyboard")
        key("Return")
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False), "Enter did not close the About box")
        self.assertTrue(program.running())
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(5), "program did not quit after the About box")

    def test_about_box_is_owned_by_the_control_window_and_disables_it_while_up(self):
        program = self.start_kalvora()
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        control = find_window(CONTROL_CLASS, CONTROL_TITLE)
        self.assertTrue(enabled(CONTROL_CLASS, CONTROL_TITLE))

        self.assertTrue(post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_APP_ABOUT, 0))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 15), "About box never opened")
        self.assertEqual(owner(MESSAGE_BOX_CLASS, "*"), control, "the About box belongs to the control window")
        self.assertFalse(enabled(CONTROL_CLASS, CONTROL_TITLE), "the control window stays usable under the box")

        self.assertTrue(close_window(MESSAGE_BOX_CLASS, "*"))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False), "About box did not close")
        self.assertTrue(enabled(CONTROL_CLASS, CONTROL_TITLE), "the control window stayed disabled")
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(5), "program did not quit after the About box")

    def test_click_during_splash_closes_it_at_once_and_is_not_passed_on(self):
        program, control = self.start_with_splash()
        shown = time.monotonic()
        # Pattern 3's button: had the click reached the panel, the display would open on "Pattern3".
        click_at(*pattern_button_centre(control, 3))
        clicked = time.monotonic() - shown
        windows = list_windows()
        looked = time.monotonic() - shown
        print("clicked %.2f s and looked %.2f s after the control window was seen" % (clicked, looked))
        self.assertIsNone(splash_in(windows, program_pid(windows)), "splash still up %.2f s after the click"
                          % (looked - clicked))

        self.assertTrue(program.wait_display(START_TIMEOUT), "display never appeared\n" + program.log())
        print("display there %.2f s after the control window was seen" % (time.monotonic() - shown))
        time.sleep(1.0)
        titles = [w["title"] for w in list_windows() if w["title"].startswith("Pattern")]
        self.assertEqual(titles, [DISPLAY_TITLE], "the click reached the panel")


class VersionResourceTest(unittest.TestCase):

    def test_version_resource_carries_the_project_version(self):
        major, minor, patch = project_version()
        file_version, product_version, strings = version_resource(KV_EXE)
        self.assertEqual(file_version, (major, minor, patch, 0))
        self.assertEqual(product_version, (major, minor, patch, 0))
        text = "%d.%d.%d" % (major, minor, patch)
        self.assertEqual(strings.get("FileVersion"), text)
        self.assertEqual(strings.get("ProductVersion"), text)


if __name__ == "__main__":
    unittest.main()
