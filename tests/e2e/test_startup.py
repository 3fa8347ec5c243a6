"""End-to-end start-up and shutdown of the real Kalvora.exe: windows, single instance, quitting, no sound server."""
import os
import tempfile
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, IDS, DISPLAY_TITLE, MESSAGE_BOX_CLASS, KvTestCase, children,
                       click_at, client_rect, close_window, enabled, find_window, key, list_windows, post,
                       region_pixels, screenshot, start_sound_server, stop_sound_server, wait_for, wait_window,
                       wave_in_error_text, window_rect, x_focus)

START_TIMEOUT = 30.0
MMSYSERR_BADDEVICEID = 2
SS_TYPEMASK = 0x1F
SS_ICON = 0x03
MENU_CLASS = "#32768"
CHECK_COLUMN = (2, 19)          # x range of a popup menu's check marks, from its left edge
LAST_ITEM_HEIGHT = 20           # the Window menu's last item, "Control Window", ends the popup
WM_COMMAND = 0x0111
ID_APP_EXIT = IDS["ID_APP_EXIT"]            # File > "Quit(&Q)"


def check_marks(png, rect):
    """Vertical spans (top, bottom) in a popup menu, relative to its top, of the check marks in its check
    column: runs of pixel rows that hold dark (text-coloured) pixels there."""
    left, top, _, bottom = rect
    width = CHECK_COLUMN[1] - CHECK_COLUMN[0]
    pixels = region_pixels(png, (left + CHECK_COLUMN[0], top, left + CHECK_COLUMN[1], bottom))
    dark = [any(max(p) < 90 for p in pixels[y * width:(y + 1) * width]) for y in range(bottom - top)]
    spans, start = [], None
    for y, is_dark in enumerate(dark + [False]):
        if is_dark and start is None:
            start = y
        elif not is_dark and start is not None:
            spans.append((start, y - 1))
            start = None
    return spans


class StartupTest(KvTestCase):

    def start_and_wait_for_display(self):
        program = self.start_kalvora()
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        return program

    def test_control_and_display_windows_appear_with_display_at_50_50_640x480(self):
        self.start_and_wait_for_display()
        control = client_rect(CONTROL_CLASS, CONTROL_TITLE)
        self.assertIsNotNone(control)
        self.assertTrue(control[4], "control window is not visible")
        display = client_rect("*", DISPLAY_TITLE)
        self.assertEqual(display, (50, 50, 690, 530, True))

    def test_second_start_ends_and_first_keeps_running(self):
        first = self.start_and_wait_for_display()
        second_dir = tempfile.mkdtemp(prefix="second-", dir=self.workdir)
        second = self.start_kalvora(workdir=second_dir)
        self.assertTrue(second.wait_exit(15), "second instance is still running")
        self.assertFalse(os.path.exists(second.ini), "second instance wrote a settings file")
        time.sleep(1)
        self.assertTrue(first.running(), "first instance ended when the second started")
        self.assertIsNotNone(find_window(CONTROL_CLASS, CONTROL_TITLE))
        self.assertIsNotNone(find_window("*", DISPLAY_TITLE))

    def test_second_start_shows_a_hidden_control_window_and_its_check_mark(self):
        first = self.start_and_wait_for_display()
        self.focus_control()
        key("ctrl+8")
        self.assertTrue(wait_for(lambda: not client_rect(CONTROL_CLASS, CONTROL_TITLE)[4], 10), "Ctrl+8 did not hide")

        second = self.start_kalvora(workdir=tempfile.mkdtemp(prefix="second-", dir=self.workdir))
        self.assertTrue(second.wait_exit(15), "second instance is still running")
        self.assertTrue(wait_for(lambda: client_rect(CONTROL_CLASS, CONTROL_TITLE)[4], 10),
                        "the second start did not show the control window")

        # The Window menu checks "Control Window", its last item, while the window is shown.
        self.focus_control()
        key("alt+w")
        menu = wait_for(lambda: [w for w in list_windows() if w["cls"] == MENU_CLASS and w["visible"]], 10)
        self.assertTrue(menu, "the Window menu did not open")
        rect = menu[0]["rect"]
        marks = check_marks(screenshot(os.path.join(self.workdir, "menu.png")), rect)
        key("Escape")
        key("Escape")
        self.assertEqual(len(marks), 2, "Normal Size and Control Window should be checked: %r" % marks)
        self.assertGreater(marks[1][0], rect[3] - rect[1] - LAST_ITEM_HEIGHT, "Control Window is unchecked")

        # One Ctrl+8 hides it again: the command and the window agree.
        self.focus_control()
        key("ctrl+8")
        self.assertTrue(wait_for(lambda: not client_rect(CONTROL_CLASS, CONTROL_TITLE)[4], 10),
                        "Ctrl+8 after the second start did not hide the control window")
        self.assertTrue(first.running())

    def focus_control(self):
        """Clicks the control window's caption, which the display does not cover, and gives it the keyboard."""
        rect = window_rect(CONTROL_CLASS, CONTROL_TITLE)
        self.assertIsNotNone(rect, "control window missing")
        click_at((rect[0] + rect[2]) // 2, rect[1] + 9)
        self.assertTrue(x_focus("^Kalvora$"), "control window did not take the keyboard")
        time.sleep(0.3)

    def test_closing_control_window_ends_process_within_2s_and_writes_settings(self):
        program = self.start_and_wait_for_display()
        self.assertFalse(os.path.exists(program.ini))
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2), "process still running 2 s after WM_CLOSE")
        self.assertTrue(os.path.exists(program.ini), "no KALVORA.INI written at exit")
        with open(program.ini, errors="replace") as ini:
            self.assertIn("[Init]", ini.read())

    def test_unreachable_sound_server_shows_stop_box_and_control_window_stays(self):
        dead_socket = os.path.join(self.workdir, "no-sound-server", "native")
        program = self.start_kalvora(env={"PULSE_SERVER": "unix:" + dead_socket})
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", START_TIMEOUT), "no message box\n" + program.log())

        controls = children(MESSAGE_BOX_CLASS, "*")
        expected = wave_in_error_text(MMSYSERR_BADDEVICEID)
        self.assertIsNotNone(expected)
        self.assertIn(expected, [c["text"] for c in controls])
        self.assertStopIcon(controls)

        self.assertTrue(close_window(MESSAGE_BOX_CLASS, "*"))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False), "message box did not close")
        self.assertTrue(program.running())
        self.assertIsNotNone(find_window(CONTROL_CLASS, CONTROL_TITLE), "control window went with the display")

        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2), "process still running 2 s after WM_CLOSE")

    def test_quitting_while_the_sound_error_box_is_up_ends_the_process_within_2s(self):
        """Without a sound server the render thread shows the wave error and waits in that box for an answer.
        Quitting from the control window meanwhile, by File > Quit or by closing it, must not wait for one."""
        stop_sound_server()
        self.addCleanup(start_sound_server)   # later tests need it, whatever happens here
        requests = (("File > Quit", lambda: post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, ID_APP_EXIT)),
                    ("closing the control window", lambda: close_window(CONTROL_CLASS, CONTROL_TITLE)))
        for how, request in requests:
            with self.subTest(how):
                program = self.start_kalvora(workdir=tempfile.mkdtemp(prefix="quit-", dir=self.workdir))
                try:
                    self.assertTrue(program.wait_control(START_TIMEOUT), "no control window\n" + program.log())
                    self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", START_TIMEOUT), "no box\n" + program.log())
                    self.assertTrue(enabled(CONTROL_CLASS, CONTROL_TITLE), "the box leaves the user no way to quit")
                    self.assertTrue(request(), "the control window was not there to ask")
                    self.assertTrue(program.wait_exit(2), "still running 2 s after %s with the box up" % how)
                    self.assertTrue(os.path.exists(program.ini), "ended without writing KALVORA.INI")
                finally:
                    program.kill()   # the next start must not meet this one as its first instance

    def assertStopIcon(self, controls):
        """The box's icon control shows the stop icon: a mostly red picture."""
        icons = [c for c in controls if c["cls"].lower() == "static" and c["style"] & SS_TYPEMASK == SS_ICON]
        self.assertEqual(len(icons), 1, "message box has no icon: %r" % controls)
        pixels = region_pixels(screenshot(os.path.join(self.workdir, "box.png")), icons[0]["rect"])
        red = [p for p in pixels if p[0] > 150 and p[1] < 90 and p[2] < 90]
        self.assertGreater(len(red), len(pixels) // 5, "icon is not the red stop icon")


if __name__ == "__main__":
    unittest.main()
