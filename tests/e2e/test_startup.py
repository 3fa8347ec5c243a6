"""End-to-end start-up and shutdown of the real Kalvora.exe: windows, single instance, quitting, no sound server."""
import os
import tempfile
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, DISPLAY_TITLE, MESSAGE_BOX_CLASS, KvTestCase, children,
                       client_rect, close_window, find_window, region_pixels, screenshot, wait_window,
                       wave_in_error_text)

START_TIMEOUT = 30.0
MMSYSERR_BADDEVICEID = 2
SS_TYPEMASK = 0x1F
SS_ICON = 0x03


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

    def assertStopIcon(self, controls):
        """The box's icon control shows the stop icon: a mostly red picture."""
        icons = [c for c in controls if c["cls"].lower() == "static" and c["style"] & SS_TYPEMASK == SS_ICON]
        self.assertEqual(len(icons), 1, "message box has no icon: %r" % controls)
        pixels = region_pixels(screenshot(os.path.join(self.workdir, "box.png")), icons[0]["rect"])
        red = [p for p in pixels if p[0] > 150 and p[1] < 90 and p[2] < 90]
        self.assertGreater(len(red), len(pixels) // 5, "icon is not the red stop icon")


if __name__ == "__main__":
    unittest.main()
