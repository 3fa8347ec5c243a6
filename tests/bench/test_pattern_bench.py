"""The benchmark's own arithmetic, outside the test command: python3 -m unittest tests/bench/test_pattern_bench.py"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import pattern_bench  # noqa: E402

# pid, comm, state, then ppid .. cmajflt (8 fields), utime, stime, cutime, cstime, and a few more.
STAT = "4321 (%s) S 1 4321 4321 0 -1 4194560 812 0 3 0 %d %d 5000 7000 20 0 1 0 9000 12345 678"


class StatTicks(unittest.TestCase):
    def test_user_plus_system_not_children(self):
        for comm, utime, stime, expected in (
                ("Xvfb", 1200, 34, 1234),
                ("wine server", 0, 0, 0),           # a space in the name
                ("a) b (c) S 9 9", 7, 8, 15)):      # a name that looks like more fields
            with self.subTest(comm=comm):
                self.assertEqual(pattern_bench.stat_ticks(STAT % (comm, utime, stime)), expected)


class Percents(unittest.TestCase):
    def test_share_of_a_core_less_idle(self):
        before = (10.0, {"program": 100, "server": 50})
        after = (14.0, {"program": 300, "server": 54})
        # 200 ticks at 100 a second over 4 s: 50 %; the server's 4 ticks are 1 %, less its idle 2.5 %.
        cpu = pattern_bench.percents(before, after, 100, {"server": 2.5})
        self.assertAlmostEqual(cpu["program"], 50.0)
        self.assertAlmostEqual(cpu["server"], -1.5)


class PatternList(unittest.TestCase):
    def test_subsets(self):
        for text, expected in (("", list(range(17))), (" ", list(range(17))), ("16,0,3", [16, 0, 3]),
                               ("4,4", [4])):
            with self.subTest(text=text):
                self.assertEqual(pattern_bench.pattern_list(text), expected)

    def test_refused(self):
        for text in ("17", "-1", "0,,3", "a"):
            with self.subTest(text=text), self.assertRaises(SystemExit):
                pattern_bench.pattern_list(text)


if __name__ == "__main__":
    unittest.main()
