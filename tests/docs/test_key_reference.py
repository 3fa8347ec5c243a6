"""The key reference of README.md and README.txt: read right from the resource script, and kept in step with it."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import keyref  # noqa: E402

# A small resource script in the real one's form, for the checks that must find faults.
SMALL_RC = r'''
IDR_MAINFRAME MENU
BEGIN
    POPUP "Window(&W)"
    BEGIN
        MENUITEM "Normal Size\tCtrl+1",         ID_SIZE_NORMAL
        MENUITEM SEPARATOR
        POPUP "Select Monitor"
        BEGIN
            MENUITEM "1st Monitor\tShift+Ctrl+1", 0x802F
        END
    END
END

IDR_MAINFRAME ACCELERATORS
BEGIN
    "1",    0x8036, VIRTKEY, CONTROL, NOINVERT
    "1",    0x802F, VIRTKEY, SHIFT, CONTROL, NOINVERT
    VK_F5,  0x804A, VIRTKEY, NOINVERT
    VK_F5,  0x804B, VIRTKEY, CONTROL, NOINVERT
    VK_F5,  0x804C, VIRTKEY, SHIFT, NOINVERT
    VK_F5,  0x804D, VIRTKEY, SHIFT, CONTROL, NOINVERT
END
'''
DEFINES = {"ID_SIZE_NORMAL": 0x8036}


def small(replace=(), append=""):
    text = SMALL_RC
    for old, new in replace:
        assert old in text, old
        text = text.replace(old, new)
    if append:
        text = text.replace("NOINVERT\nEND", "NOINVERT\n" + append + "\nEND")
    return keyref.read_resources(text, DEFINES)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


class KeyReferenceTest(unittest.TestCase):

    def test_the_repository_agrees_with_itself(self):
        """Menu hints, accelerator table, key and mouse handlers and README.md: no disagreement anywhere."""
        self.assertEqual(keyref.all_problems(), [])

    def test_menu_and_keys_read_as_the_menus_show_them(self):
        menu, accelerators = keyref.read_resources()
        rows = keyref.menu_rows(menu, keyref.keys_by_command(accelerators))
        keys = {(path, text): names for path, text, names in rows}
        self.assertEqual(keys[(("Window",), "Fit Monitor Size")], ["Ctrl+3"])
        self.assertEqual(keys[(("Window",), "None")], ["Ctrl+0"])
        self.assertEqual(keys[(("Window", "Select Monitor"), "5th Monitor")], ["Shift+Ctrl+5"])
        self.assertEqual(keys[(("Arrange",), "Static User")], ["Shift+F"])
        self.assertEqual(keys[(("Arrange",), "User Setting...")], [])
        # O stands twice in the table for the same command; the reference names it once.
        self.assertEqual(keys[(("Pattern",), "Pattern0")], ["O"])
        self.assertEqual([text for path, text, _ in rows if path == ("File", "Environment")], ["Set ScreenColor"])
        pattern_keys = "".join(names[0] for path, text, names in rows if path == ("Pattern",))
        self.assertEqual(pattern_keys, "OQWERTYUIASDFGHJK")
        self.assertEqual(keys[(("Sound",), "Next Input")], ["N"])
        self.assertEqual(keys[(("Sound",), "Sensitivity Auto")], [])
        # File 3, Pattern 17, Arrange 10, Sound 9 (the devices are added when the menu opens), Window 10.
        self.assertEqual(len(rows), 3 + 17 + 10 + 9 + 10)

        colours = keyref.colour_rows(accelerators)
        self.assertEqual([(key, parameter) for key, parameter, _ in colours],
                         [("F5", "Hue"), ("F6", "Hue range"), ("F7", "Whiteness maximum"),
                          ("F8", "Whiteness minimum"), ("F9", "Brightness maximum"), ("F10", "Brightness minimum")])
        for key, _, steps in colours:
            self.assertEqual(steps, {"": "+1", "Ctrl": "+10", "Shift": "\u22121", "Shift+Ctrl": "\u221210"}, key)

    def test_disagreements_are_found(self):
        self.assertEqual(keyref.resource_problems(*small()), [])
        cases = [
            (small(replace=[("Normal Size\\tCtrl+1", "Normal Size\\tCtrl+2")]),
             "Window > Normal Size shows the key Ctrl+2, but the accelerator table has Ctrl+1 for it"),
            (small(replace=[("Normal Size\\tCtrl+1", "Normal Size")]),
             "Window > Normal Size shows no key, but Ctrl+1 gives its command"),
            (small(replace=[('"1",    0x8036, VIRTKEY, CONTROL, NOINVERT', "")]),
             "Window > Normal Size shows the key Ctrl+1, but the accelerator table has no key for it"),
            (small(append='    "1",    0x802F, VIRTKEY, CONTROL, NOINVERT'),
             "Ctrl+1 is given to two commands, 0x8036 and 0x802F"),
            (small(append='    "9",    0x8099, VIRTKEY, CONTROL, NOINVERT'),
             "Ctrl+9 gives command 0x8099, which is neither a menu item nor a colour step"),
            (small(replace=[("VK_F5,  0x804B", "VK_F5,  0x804X"), ("VK_F5,  0x804C", "VK_F5,  0x804B"),
                            ("VK_F5,  0x804X", "VK_F5,  0x804C")]),
             "colour key F5 steps Hue by +1, \u22121, +10, \u221210"),
        ]
        for resources, problem in cases:
            self.assertIn(problem, keyref.resource_problems(*resources))

        keys_source = read(keyref.KEYS_SOURCE)
        mouse_sources = [read(path) for path in keyref.MOUSE_SOURCES]
        self.assertEqual(keyref.source_problems(keys_source, mouse_sources), [])
        new_key = keys_source.replace("    case VK_DELETE:", "    case VK_SPACE:\n        return;\n    case VK_DELETE:")
        self.assertEqual(len(keyref.source_problems(new_key, mouse_sources)), 1)
        lost_char = keys_source.replace("case '^':", "case '~':")
        self.assertEqual(len(keyref.source_problems(lost_char, mouse_sources)), 2)
        double_click = [mouse_sources[0].replace("ON_WM_RBUTTONDOWN()", "ON_WM_RBUTTONDOWN()\n    ON_WM_LBUTTONDBLCLK()")]
        self.assertEqual(len(keyref.source_problems(keys_source, double_click + mouse_sources[1:])), 1)

        menu, accelerators = keyref.read_resources()
        readme = read(keyref.README)
        self.assertEqual(keyref.readme_problems(readme, menu, accelerators), [])
        stale = readme.replace("Fit Monitor Size `Ctrl+3`", "Fit Monitor Size `Ctrl+9`")
        self.assertEqual(len(keyref.readme_problems(stale, menu, accelerators)), 1)
        wrong_pattern_key = readme.replace("| Pattern5 | T |", "| Pattern5 | Z |")
        self.assertEqual(len(keyref.readme_problems(wrong_pattern_key, menu, accelerators)), 1)
        self.assertEqual(len(keyref.readme_problems(readme.replace(keyref.END_MARK, ""), menu, accelerators)), 1)

    def test_readme_txt_is_ascii_with_crlf_lines_and_every_key(self):
        with tempfile.TemporaryDirectory() as folder:
            template = os.path.join(folder, "in.txt")
            out = os.path.join(folder, "README.txt")
            with open(template, "w") as f:
                f.write("Kalvora @VERSION@\n\n@KEYS@\n")
            self.assertEqual(keyref.main(["keyref.py", "text", template, "9.8.7", out]), 0)
            with open(out, "rb") as f:
                data = f.read()
        data.decode("ascii")
        lines = data.split(b"\r\n")
        self.assertEqual(lines[0], b"Kalvora 9.8.7")
        self.assertNotIn(b"\n", b"".join(lines), "a line ends without a carriage return")
        self.assertIn(b"    Fit Monitor Size ...................... Ctrl+3", lines)
        self.assertIn(b"    F10   Brightness minimum  +1          +10         -1          -10", lines)
        for key in (b"Esc", b"Delete", b"Home", b"Enter", b"/", b"\\", b"^"):
            self.assertTrue(any(line.startswith(b"    " + key + b" ") for line in lines), key)


if __name__ == "__main__":
    unittest.main()
