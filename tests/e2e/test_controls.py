"""End-to-end control panel, accelerator keys and settings dialogs, driven with real clicks and keys through X."""
import collections
import os
import re
import time
import unittest

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, IDS, MESSAGE_BOX_CLASS, KvTestCase, children, click_at, client_rect,
                       enabled, find_window, key, list_windows, owner, pixel, post, region_pixels, run, screenshot,
                       title_changes, wait_for, wait_window, watch_x_title, window_rect, window_title, x_focus,
                       x_window_id)

START_TIMEOUT = 30.0
DISPLAY_CLASS = "KalvoraFrame"
WM_COMMAND = 0x0111
ID_USER_SETTING = IDS["ID_ARRANGE_USER"]
ID_SCREEN_COLOR = IDS["ID_SCREEN_COLOR"]
DC_SAMPLE = 16448                      # level 128
ARRANGE_NONE, STATIC_1SEC = 0, 5
DYNAMIC_EDIT, STATIC_EDIT = 1000, 1001
BASIC_COLOURS = 720                    # the colour dialog's grid of 8 x 6 basic colour swatches
DISPLAY_X_NAME = "^Pattern[0-9]+$"     # names of the windows as X sees them
CONTROL_X_NAME = "^Kalvora$"
ARRANGE_DIALOG = "Arrange User Setting"
PANEL_UNTOUCHED_POINT = (600, 460)     # display client point that pattern 0 never draws on
CYCLE_SECONDS = 120
FIT_SCREEN = (1920, 1080)              # the test screen, and so the one monitor's rectangle


# ---------------------------------------------------------------- panel geometry (client coordinates)

def pattern_button(i):
    if i == 0:
        return 10, 40, 43, 73
    left, top = 50 + 33 * ((i - 1) % 8), 40 + 33 * ((i - 1) // 8)
    return left, top, left + 33, top + 33


def arrange_button(j):
    if j == 0:
        return 330, 40, 379, 73
    left, top = 390 + 49 * ((j - 1) % 4), 40 + 33 * ((j - 1) // 4)
    return left, top, left + 49, top + 33


def is_orange(rgb):
    """Ground of a current pattern or selected mode; the normal ground is green."""
    r, g, b = rgb
    return r > 180 and b < 100 and r > g + 50


def lit_buttons(png, control, button, count):
    """Which of the buttons show the orange ground, read 2 px inside each button's top-left corner."""
    lit = []
    for i in range(count):
        left, top, _, _ = button(i)
        if is_orange(pixel(png, control[0] + left + 2, control[1] + top + 2)):
            lit.append(i)
    return lit


def centre(rect, origin=(0, 0)):
    return origin[0] + (rect[0] + rect[2]) // 2, origin[1] + (rect[1] + rect[3]) // 2


def screen_size():
    width, height = run(["xdotool", "getdisplaygeometry"], check=True).stdout.split()
    return int(width), int(height)


def x_focus_name():
    """Name of the X window that has the keyboard focus, for failure messages."""
    return run(["xdotool", "getwindowfocus", "getwindowname"]).stdout.strip()


def mean_interval(titles):
    """Mean time between title changes in seconds, or None with fewer than two changes."""
    moments = [after[0] for before, after in zip(titles, titles[1:]) if before[1] != after[1]]
    if len(moments) < 2:
        return None
    return (moments[-1] - moments[0]) / (len(moments) - 1)


def rate_text(titles, seconds):
    changes = title_changes(titles)
    interval = mean_interval(titles)
    return "%d title changes in %g s, %s between changes" % (
        changes, seconds, "%.2f s" % interval if interval is not None else "no interval")


def colour_class(rgb):
    """The channels that stand out in a colour: 'gb' for cyan, 'b' for blue, 'rb' for magenta."""
    top = max(rgb)
    return "".join(name for name, value in zip("rgb", rgb) if value > 0.6 * top)


def colorref(rgb):
    r, g, b = rgb
    return r | g << 8 | b << 16


def ini_values(path):
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").splitlines()
    return dict(line.split("=", 1) for line in lines if "=" in line)


class ControlsTest(KvTestCase):

    # ------------------------------------------------------------ program and input

    def start_program(self):
        program = self.start_kalvora()
        self.assertTrue(program.wait_control(START_TIMEOUT), "control window never appeared\n" + program.log())
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        return program

    def control_client(self):
        rect = client_rect(CONTROL_CLASS, CONTROL_TITLE)
        self.assertIsNotNone(rect, "control window missing")
        return rect

    def display_client(self):
        rect = client_rect(DISPLAY_CLASS, "*")
        self.assertIsNotNone(rect, "display window missing")
        return rect

    def raise_control(self):
        """Clicks the control window's caption: the display window overlaps the panel but not the caption.
        The click brings the control window to the front and gives it the keyboard."""
        rect = window_rect(CONTROL_CLASS, CONTROL_TITLE)
        self.assertIsNotNone(rect, "control window missing")
        click_at((rect[0] + rect[2]) // 2, rect[1] + 9)
        self.assertTrue(x_focus(CONTROL_X_NAME), "control window did not take the keyboard")
        time.sleep(0.3)

    def focus_display(self):
        """Clicks into the display's client area, near its bottom right where the control window never lies."""
        display = self.display_client()
        click_at(display[2] - 30, display[3] - 30)
        self.assertTrue(x_focus(DISPLAY_X_NAME), "display window did not take the keyboard")
        time.sleep(0.3)

    def click_panel(self, button_rect):
        click_at(*centre(button_rect, self.control_client()))

    def keys(self, *names):
        for name in names:
            key(name)

    def assert_title(self, title, timeout=10.0):
        self.assertTrue(wait_window(DISPLAY_CLASS, title, timeout),
                        "display title is %r, not %r (X focus on %r)" % (window_title(DISPLAY_CLASS, "*"), title,
                                                                         x_focus_name()))

    def panel_state(self, name):
        """(lit pattern buttons, lit Arrange buttons) on a screenshot; the control window must be in front."""
        png = screenshot(os.path.join(self.workdir, name + ".png"))
        control = self.control_client()
        return lit_buttons(png, control, pattern_button, 17), lit_buttons(png, control, arrange_button, 9)

    def watch_titles(self, seconds):
        xid = x_window_id(DISPLAY_X_NAME)
        self.assertIsNotNone(xid, "no X window titled PatternN")
        return watch_x_title(xid, seconds)

    # ------------------------------------------------------------ panel and keys

    def test_panel_clicks_select_patterns_and_arrange_modes_and_light_their_buttons(self):
        self.start_program()
        for pattern in (3, 12, 16, 0):
            self.raise_control()
            self.click_panel(pattern_button(pattern))
            self.assert_title("Pattern%d" % pattern)
            self.assertEqual(self.panel_state("pattern%d" % pattern), ([pattern], [ARRANGE_NONE]))

        self.click_panel(arrange_button(STATIC_1SEC))
        time.sleep(0.5)
        self.assertEqual(self.panel_state("static1")[1], [STATIC_1SEC])
        titles = self.watch_titles(3.5)
        print("Static 1sec from the panel: " + rate_text(titles, 3.5))
        self.assertGreaterEqual(title_changes(titles), 2, titles)

        # A pattern button switches Arrange off again. A switch announced while the click was on its way
        # reaches the panel after the click; the display then confirms 5, a moment after its title.
        self.click_panel(pattern_button(5))
        self.assert_title("Pattern5")
        settled = lambda: self.panel_state("pattern5_again") == ([5], [ARRANGE_NONE])
        wait_for(settled, 2.0)
        self.assertEqual(self.panel_state("pattern5_again"), ([5], [ARRANGE_NONE]))
        titles = self.watch_titles(2.5)
        self.assertEqual(title_changes(titles), 0, titles)

        # Between buttons nothing happens.
        click_at(*centre((44, 40, 50, 73), self.control_client()))
        time.sleep(0.5)
        self.assertEqual(self.panel_state("between"), ([5], [ARRANGE_NONE]))
        self.assertEqual(window_title(DISPLAY_CLASS, "*"), "Pattern5")

    def test_accelerator_keys_work_in_both_windows(self):
        self.start_program()
        self.raise_control()
        key("w")
        self.assert_title("Pattern2")
        key("k")
        self.assert_title("Pattern16")
        self.assertEqual(self.panel_state("keys_in_control")[0], [16])

        self.focus_display()
        key("e")
        self.assert_title("Pattern3")
        key("o")
        self.assert_title("Pattern0")

        key("shift+a")
        titles = self.watch_titles(5.0)
        changes = title_changes(titles)
        print("Static 1sec (Shift+A): " + rate_text(titles, 5.0))
        self.assertGreaterEqual(changes, 2, titles)
        self.assertLessEqual(changes, 7, titles)
        # The display reports its own changes back: the control window lights the new pattern and mode.
        self.raise_control()
        patterns, modes = self.panel_state("static_1sec")
        self.assertEqual(modes, [STATIC_1SEC])
        self.assertEqual(len(patterns), 1)

        key("shift+o")
        time.sleep(0.5)
        self.assertEqual(title_changes(self.watch_titles(2.5)), 0, "Shift+O did not stop the switching")
        self.assertEqual(self.panel_state("arrange_none")[1], [ARRANGE_NONE])

    def test_window_size_keys_and_hiding_the_control_window(self):
        self.start_program()
        self.focus_display()
        key("ctrl+2")
        half = wait_for(lambda: self.client_size() == (320, 240), 10)
        self.assertTrue(half, "Ctrl+2 gave %r (X focus on %r)" % (self.display_client(), x_focus_name()))
        self.assertEqual(self.display_client()[:2], (50, 50))

        self.raise_control()
        key("ctrl+1")
        self.assertTrue(wait_for(lambda: self.client_size() == (640, 480), 10),
                        "Ctrl+1 from the control window gave %r" % (self.display_client(),))

        # Fit Monitor Size: the client area is the whole monitor, the caption and border lie beyond the screen.
        self.assertEqual(screen_size(), FIT_SCREEN, "the test screen must be 1920 x 1080 (scripts/env.sh)")
        key("ctrl+3")
        fit = wait_for(lambda: self.display_client()[:4] == (0, 0) + FIT_SCREEN, 10)
        self.assertTrue(fit, "Ctrl+3 gave %r" % (self.display_client(),))
        self.focus_display()
        key("ctrl+1")
        self.assertTrue(wait_for(lambda: self.display_client()[:4] == (50, 50, 690, 530), 10),
                        "Ctrl+1 after Fit Monitor Size gave %r" % (self.display_client(),))

        self.raise_control()
        key("ctrl+8")
        self.assertTrue(wait_for(lambda: not self.control_client()[4], 10), "Ctrl+8 did not hide the panel")
        self.focus_display()
        key("Escape")
        self.assertTrue(wait_for(lambda: self.control_client()[4], 10), "Escape did not bring the panel back")

        # Escape with the panel visible changes nothing; Ctrl+8 on the display hides the panel too.
        key("Escape")
        time.sleep(1.0)
        self.assertTrue(self.control_client()[4], "Escape hid the visible panel")
        key("ctrl+8")
        self.assertTrue(wait_for(lambda: not self.control_client()[4], 10), "Ctrl+8 on the display")
        key("Escape")
        self.assertTrue(wait_for(lambda: self.control_client()[4], 10), "second Escape")

    def client_size(self):
        rect = self.display_client()
        return rect[2] - rect[0], rect[3] - rect[1]

    def test_colour_keys_reach_the_display_from_both_windows(self):
        """F5 to F10 change the colour parameters that patterns 1 to 15 paint with (pattern 0's bars ignore
        them). Pattern 1 with a steady level 128 draws its discs in one colour per frame: pulse 50, so
        brightness 40 + 60 * 50 / 100 = 70 % (channel 178) and hue 180 +- 2, cyan. Ctrl+F5 six times turns the
        hue by 60 degrees: blue; six more: magenta. Shift+Ctrl+F9 six times pulls the brightness maximum down
        onto the minimum 40: channel 102. Each step is checked from the colours of the disc pixels."""
        self.play_dc(DC_SAMPLE, seconds=120)
        self.start_program()
        self.focus_display()
        key("q")
        self.assert_title("Pattern1")
        # The first sound buffers can take seconds under Wine; until then the discs have size 0.
        self.assertTrue(wait_for(lambda: self.disc_colours("cyan"), 8, step=0.5), "pattern 1 shows no discs")
        self.assert_disc_colour("cyan", "gb", 160, 200)

        self.keys(*["ctrl+F5"] * 6)
        self.assert_disc_colour("blue_from_display", "b", 160, 200)

        self.raise_control()
        self.keys(*["ctrl+F5"] * 6)
        self.assert_disc_colour("magenta_from_control", "rb", 160, 200)
        self.keys(*["shift+ctrl+F9"] * 6)
        self.assert_disc_colour("dim_from_control", "rb", 90, 115)

    def disc_colours(self, name):
        """Counter of the non-background colours of the display below the control window."""
        png = screenshot(os.path.join(self.workdir, name + ".png"))
        display = self.display_client()
        control = window_rect(CONTROL_CLASS, CONTROL_TITLE)
        top = max(display[1], control[3] + 1)
        pixels = region_pixels(png, (display[0], top, display[2], display[3]))
        return collections.Counter(p for p in pixels if max(p) > 40)

    def assert_disc_colour(self, name, channels, low, high):
        """The discs' most common colour stands out in the given channels with its strongest in [low, high]."""
        time.sleep(0.6)
        colours = self.disc_colours(name)
        self.assertTrue(colours, "no disc on the display (%s)" % name)
        rgb = colours.most_common(1)[0][0]
        self.assertEqual(colour_class(rgb), channels, "%s: %r" % (name, colours.most_common(3)))
        self.assertTrue(low <= max(rgb) <= high, "%s: %r" % (name, rgb))

    def test_static_1sec_cycles_through_the_marked_patterns_for_two_minutes(self):
        """Every pattern marked and Static 1sec: with music playing the display switches about once a second
        among patterns 1 to 16 for two minutes without a hitch, and quits promptly afterwards."""
        self.play_music(CYCLE_SECONDS + 60)
        program = self.start_program()
        self.raise_control()
        for pattern in range(1, 17):
            click_at(*centre(pattern_button(pattern), self.control_client()), button=3)
        self.click_panel(arrange_button(STATIC_1SEC))
        titles = self.watch_titles(CYCLE_SECONDS)
        print("Static 1sec over all marked patterns: " + rate_text(titles, CYCLE_SECONDS))
        shown = [title for _, title in titles[1:]]
        self.assertEqual([t for t in shown if not re.fullmatch(r"Pattern([1-9]|1[0-6])", t)], [])
        self.assertGreaterEqual(title_changes(titles), CYCLE_SECONDS * 0.6, rate_text(titles, CYCLE_SECONDS))
        self.assertGreaterEqual(len(set(shown)), 14, sorted(set(shown)))
        self.assertTrue(program.running(), "the program ended\n" + program.log())
        self.assertIsNone(find_window(MESSAGE_BOX_CLASS, "*"), "a message box came up")

        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(2), "still running 2 s after WM_CLOSE")
        self.assertIn("StaticUser", ini_values(program.ini))

    # ------------------------------------------------------------ dialogs

    def test_dialogs_validate_apply_and_save_their_values(self):
        program = self.start_program()
        self.check_arrange_dialog_rejects_and_accepts()
        self.check_static_user_at_300_bpm()
        colour = self.check_colour_dialog_ok_repaints_the_display()
        self.check_colour_dialog_cancel_changes_nothing(colour)

        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(5), "program did not quit")
        values = ini_values(program.ini)
        self.assertEqual(values.get("StaticUser"), "300")
        self.assertEqual(values.get("DynamicUser"), "0")
        self.assertEqual(values.get("BackScreenColor"), str(colorref(colour)))

    def check_arrange_dialog_rejects_and_accepts(self):
        self.open_dialog(ID_USER_SETTING, ARRANGE_DIALOG)
        self.enter(DYNAMIC_EDIT, "256", confirm=True)
        self.close_validation_box("Please enter an integer between 0 and 255.")
        self.enter(DYNAMIC_EDIT, "0")
        self.enter(STATIC_EDIT, "301", confirm=True)
        self.close_validation_box("Please enter an integer between 1 and 300.")
        self.enter(STATIC_EDIT, "300", confirm=True)
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, ARRANGE_DIALOG, 10, present=False),
                        "dialog still open after valid values")
        self.assertIsNone(find_window(MESSAGE_BOX_CLASS, "*"), "unexpected box: %r" % list_windows())

    def check_static_user_at_300_bpm(self):
        """300 BPM switches every 200 ms, five times more often than Static 1sec."""
        self.focus_display()
        key("shift+f")
        titles = self.watch_titles(3.0)
        changes = title_changes(titles)
        print("Static User at 300 BPM: " + rate_text(titles, 3.0))
        self.assertGreaterEqual(changes, 5, titles)
        key("shift+o")
        key("o")
        self.assert_title("Pattern0")

    def check_colour_dialog_ok_repaints_the_display(self):
        colour = self.pick_colour(row=1, column=0, button="OK")
        time.sleep(0.5)
        self.assertEqual(self.untouched_display_pixel("colour_ok"), colour)
        return colour

    def check_colour_dialog_cancel_changes_nothing(self, colour):
        other = self.pick_colour(row=3, column=4, button="Cancel")
        self.assertNotEqual(other, colour)
        time.sleep(0.5)
        self.assertEqual(self.untouched_display_pixel("colour_cancel"), colour)

    def untouched_display_pixel(self, name):
        png = screenshot(os.path.join(self.workdir, name + ".png"))
        display = self.display_client()
        return pixel(png, display[0] + PANEL_UNTOUCHED_POINT[0], display[1] + PANEL_UNTOUCHED_POINT[1])

    def pick_colour(self, row, column, button):
        """Opens the screen-colour dialog, clicks one basic colour swatch and the button; returns the swatch's
        colour as drawn in the dialog."""
        self.open_dialog(ID_SCREEN_COLOR, "*")
        controls = {c["id"]: c for c in children(MESSAGE_BOX_CLASS, "*")}
        grid = controls[BASIC_COLOURS]["rect"]
        x = grid[0] + (grid[2] - grid[0]) * (2 * column + 1) // 16
        y = grid[1] + (grid[3] - grid[1]) * (2 * row + 1) // 12
        colour = pixel(screenshot(os.path.join(self.workdir, "colour_dialog.png")), x, y)
        click_at(x, y)
        time.sleep(0.3)
        ok_or_cancel = [c for c in controls.values() if c["cls"].lower() == "button" and c["text"] == button]
        self.assertEqual(len(ok_or_cancel), 1, controls)
        click_at(*centre(ok_or_cancel[0]["rect"]))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, "*", 10, present=False), "colour dialog still open")
        return colour

    def open_dialog(self, command, title):
        self.assertTrue(post(CONTROL_CLASS, CONTROL_TITLE, WM_COMMAND, command, 0))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, title, 15), "dialog %r never opened" % title)
        time.sleep(0.5)

    def enter(self, edit_id, text, confirm=False):
        """Replaces an edit field's text by clicking into it and typing; Enter presses the default button OK."""
        edits = [c for c in children(MESSAGE_BOX_CLASS, ARRANGE_DIALOG) if c["id"] == edit_id]
        self.assertEqual(len(edits), 1, "edit %d missing" % edit_id)
        self.assertTrue(x_focus("^%s$" % ARRANGE_DIALOG), "dialog did not take the keyboard")
        click_at(*centre(edits[0]["rect"]))
        self.keys("End", "shift+Home", *list(text))
        if confirm:
            key("Return")

    def close_validation_box(self, text):
        """Checks the framework's validation message and closes it with its OK button; the dialog stays."""
        box = wait_for(lambda: [w for w in list_windows() if w["cls"] == MESSAGE_BOX_CLASS
                                  and w["title"] != ARRANGE_DIALOG and w["visible"]], 10)
        self.assertTrue(box, "no validation message box")
        controls = children(MESSAGE_BOX_CLASS, box[0]["title"])
        self.assertIn(text, [c["text"] for c in controls])
        # The message belongs to the dialog, which can't be used until it is answered.
        self.assertEqual(owner(MESSAGE_BOX_CLASS, box[0]["title"]), find_window(MESSAGE_BOX_CLASS, ARRANGE_DIALOG))
        self.assertFalse(enabled(MESSAGE_BOX_CLASS, ARRANGE_DIALOG), "the dialog stays usable under its message")
        ok = [c for c in controls if c["cls"].lower() == "button" and c["text"] == "OK"]
        self.assertEqual(len(ok), 1, controls)
        click_at(*centre(ok[0]["rect"]))
        self.assertTrue(wait_window(MESSAGE_BOX_CLASS, box[0]["title"], 10, present=False), "box stayed")
        self.assertIsNotNone(find_window(MESSAGE_BOX_CLASS, ARRANGE_DIALOG), "dialog closed on a bad value")
        self.assertTrue(enabled(MESSAGE_BOX_CLASS, ARRANGE_DIALOG), "the dialog stayed disabled")
        time.sleep(0.3)


if __name__ == "__main__":
    unittest.main()
