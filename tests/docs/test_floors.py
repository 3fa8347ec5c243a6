"""The folders' floors: no source includes a folder above its own, and the window-free ones see no window class."""
import os
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(__file__), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import floors  # noqa: E402


class FloorsTest(unittest.TestCase):
    def test_the_tree_has_no_include_running_back_up(self):
        self.assertEqual(floors.violations(ROOT), [])

    def test_upward_and_window_includes_are_found_and_downward_ones_pass(self):
        cases = [  # (folder, file's text, faults expected)
            ("core", '#include "display/Kalvora.h"\n', 1),       # core is floor 2, display 4
            ("sound", '#include "shared/KvMessages.h"\n', 0),     # same floor
            ("panel", '#include "display/RenderLink.h"\n', 0),    # panel 5 over display 4
            ("patterns", "#include <afxwin.h>\n", 1),              # window-free folder
            ("shared", "#include <afxwin.h>\n", 0),
            ("display", '#include "app/KalvoraApp.h"\n#include "panel/CtrlWindow.h"\n', 2),
        ]
        for folder, text, expected in cases:
            with self.subTest(folder=folder, text=text), tempfile.TemporaryDirectory() as root:
                os.makedirs(os.path.join(root, folder))
                with open(os.path.join(root, folder, "X.cpp"), "w") as f:
                    f.write(text)
                self.assertEqual(len(floors.violations(root)), expected, floors.violations(root))


if __name__ == "__main__":
    unittest.main()
