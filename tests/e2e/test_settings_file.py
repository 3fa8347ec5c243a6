"""End-to-end life of KALVORA.INI: what a normal run writes, what survives a run, and files that must not hurt."""
import os
import random
import stat
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, KvTestCase, click_at, client_rect, find_window,
                       key, pixel, screenshot, window_rect, x_focus)

START_TIMEOUT = 30.0
QUIT_TIMEOUT = 5.0
KEYS_IN_ORDER = ["BackGround", "Pattern16", "Pattern17", "Pattern22", "DynamicUser", "StaticUser",
                 "BackScreenColor", "InputDevice", "Sensitivity"]
STATIC_USER_MODE = 8
DISPLAY_CLASS = "KalvoraFrame"


def ini_lines(path):
    """The file's lines without their line ends (the profile functions write CR LF)."""
    with open(path, "rb") as f:
        return f.read().decode("latin-1").splitlines()


def ini_values(path):
    """The keys of section [Init] as a dict, in file order."""
    values = {}
    section = None
    for line in ini_lines(path):
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif section == "Init" and "=" in line:
            name, value = line.split("=", 1)
            values[name] = value
    return values


def write_ini(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def arrange_button_ground(screen_png, mode):
    """Pixel 2 px inside the top-left corner of an Arrange button: the button's ground colour."""
    control = client_rect(CONTROL_CLASS, CONTROL_TITLE)
    if mode == 0:
        left, top = 330, 40
    else:
        left, top = 390 + 49 * ((mode - 1) % 4), 40 + 33 * ((mode - 1) // 4)
    return pixel(screen_png, control[0] + left + 2, control[1] + top + 2)


def is_orange(rgb):
    """The "selected" ground of the panel's buttons is orange; the normal one is green."""
    r, g, b = rgb
    return r > 180 and b < 100 and r > g + 50


class SettingsFileTest(KvTestCase):

    def run_until_display(self, args=("/nosplash",), workdir=None):
        program = self.start_kalvora(args=args, workdir=workdir)
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        return program

    def quit_cleanly(self, program):
        self.assertTrue(program.close(), "control window not found for quitting")
        self.assertTrue(program.wait_exit(QUIT_TIMEOUT), "still running %g s after WM_CLOSE" % QUIT_TIMEOUT)
        self.assertEqual(program.returncode(), 0, "exit code\n" + program.log())

    def test_fresh_start_writes_the_seven_keys_then_the_two_sound_keys_in_order_with_defaults(self):
        program = self.run_until_display()
        self.assertFalse(os.path.exists(program.ini))
        self.quit_cleanly(program)

        lines = [line for line in ini_lines(program.ini) if line.strip()]
        self.assertEqual(lines[0], "[Init]")
        self.assertEqual([line.split("=", 1)[0] for line in lines[1:]], KEYS_IN_ORDER)
        values = ini_values(program.ini)
        # No file at all keeps the built-in tempo 140 (a file without the key would give 30).
        self.assertEqual(values["StaticUser"], "140")
        self.assertEqual(values["DynamicUser"], "200")
        self.assertEqual(values["BackScreenColor"], "0")
        self.assertEqual(values["InputDevice"], "", "the default device")
        self.assertEqual(values["Sensitivity"], "1")
        for folder in KEYS_IN_ORDER[:4]:
            self.assertEqual(values[folder], "", folder)

    def test_values_pass_through_a_run_and_two_character_folder_comes_back_empty(self):
        kept = {"BackGround": "C:\\Kalvora\\Back", "Pattern16": "D:\\", "Pattern22": "E:\\Pictures\\22",
                "DynamicUser": "77", "StaticUser": "99", "BackScreenColor": "255"}
        text = "[Init]\r\n" + "".join("%s=%s\r\n" % item for item in kept.items()) + "Pattern17=C:\r\n"
        write_ini(os.path.join(self.workdir, "KALVORA.INI"), text.encode("latin-1"))

        program = self.run_until_display()
        self.quit_cleanly(program)

        values = ini_values(program.ini)
        self.assertEqual(sorted(values), sorted(KEYS_IN_ORDER))
        for name, value in kept.items():
            self.assertEqual(values[name], value, name)
        self.assertEqual(values["Pattern17"], "", "a 2-character folder is not taken on reading")

    def test_settings_file_of_random_bytes_neither_stops_start_nor_quit(self):
        garbage = random.Random(20240611).randbytes(3000)
        write_ini(os.path.join(self.workdir, "KALVORA.INI"), garbage)
        program = self.run_until_display()
        self.assertTrue(program.running())
        self.quit_cleanly(program)

    def test_static_user_zero_from_file_does_not_break_static_user_mode(self):
        write_ini(os.path.join(self.workdir, "KALVORA.INI"), b"[Init]\r\nStaticUser=0\r\n")
        program = self.run_until_display()

        # Shift+F on the display selects "Static User", whose period is derived from the tempo.
        self.focus_display()
        key("shift+f")
        time.sleep(1.0)
        self.assertTrue(program.running(), "program ended after Static User with tempo 0\n" + program.log())
        self.assertIsNotNone(find_window(DISPLAY_CLASS, "*"), "display window gone")
        # The display reported the new mode back to the control window, which lights its button: both threads
        # are alive and handling messages.
        self.raise_control()
        png = screenshot(os.path.join(self.workdir, "static_user_zero.png"))
        self.assertTrue(is_orange(arrange_button_ground(png, STATIC_USER_MODE)),
                        "Static User button is not lit after Shift+F")
        self.quit_cleanly(program)

    def test_read_only_settings_file_is_left_unchanged(self):
        path = os.path.join(self.workdir, "KALVORA.INI")
        write_ini(path, b"[Init]\r\nDynamicUser=12\r\nStaticUser=34\r\n; the user's own note\r\n")
        os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        before = read_bytes(path)
        mtime = os.stat(path).st_mtime_ns

        program = self.run_until_display()
        self.quit_cleanly(program)

        self.assertEqual(read_bytes(path), before)
        self.assertEqual(os.stat(path).st_mtime_ns, mtime)

    def test_second_start_ends_quickly_and_writes_nothing(self):
        path = os.path.join(self.workdir, "KALVORA.INI")
        write_ini(path, b"[Init]\r\nStaticUser=99\r\n")
        first = self.run_until_display()
        before = read_bytes(path)
        mtime = os.stat(path).st_mtime_ns

        started = time.monotonic()
        second = self.start_kalvora(workdir=self.workdir)
        self.assertTrue(second.wait_exit(15), "second instance still running")
        print("second start ended after %.1f s" % (time.monotonic() - started))
        self.assertEqual(read_bytes(path), before, "second instance changed the settings file")
        self.assertEqual(os.stat(path).st_mtime_ns, mtime, "second instance wrote the settings file")
        self.assertTrue(first.running(), "first instance ended")

        self.quit_cleanly(first)
        self.assertEqual(ini_values(path)["StaticUser"], "99")

    # ------------------------------------------------------------ input helpers

    def focus_display(self):
        """Clicks into the display's client area where the control window never lies."""
        display = client_rect(DISPLAY_CLASS, "*")
        self.assertIsNotNone(display, "display window missing")
        click_at(display[2] - 40, display[3] - 40)
        self.assertTrue(x_focus("^Pattern[0-9]+$"), "display window did not take the keyboard")
        time.sleep(0.3)

    def raise_control(self):
        """Clicks the control window's caption, which lies above the display window, to bring it to the front."""
        rect = window_rect(CONTROL_CLASS, CONTROL_TITLE)
        self.assertIsNotNone(rect, "control window missing")
        click_at((rect[0] + rect[2]) // 2, rect[1] + 9)
        time.sleep(0.5)


if __name__ == "__main__":
    unittest.main()
