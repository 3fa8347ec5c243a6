#!/usr/bin/env python3
"""Checks that no source includes a folder above its own: prints each such include, exits 1 if there is one.

The floors, bottom up: the framework (afx/, its window-free half afx/base/); resources and patterns; the core;
sound, the shared settings and the offline renderer; the display; the control window; the composition (app/).
A folder may include its own floor and those below it.  usage: python3 scripts/floors.py [ROOT]
"""
import os
import re
import sys

FLOORS = {"afx": 0, "afx/base": 0, "res": 1, "patterns": 1, "core": 2, "sound": 3, "shared": 3, "render": 3,
          "display": 4, "panel": 5, "app": 6}
# <afxwin.h> is the framework's window half: the core, the patterns and the renderer see only <afx.h>.
WINDOW_FREE = ("patterns", "core", "render")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def folder_of(include):
    for name in sorted(FLOORS, key=len, reverse=True):
        if include.startswith(name + "/"):
            return name
    return None


def violations(root):
    found = []
    for folder, floor in FLOORS.items():
        path = os.path.join(root, folder)
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            if not name.endswith((".h", ".cpp")):
                continue
            text = open(os.path.join(path, name), encoding="latin-1").read()
            for bracket, include in INCLUDE.findall(text):
                target = folder_of(include) if bracket == '"' else None
                if target is not None and FLOORS[target] > floor:
                    found.append("%s/%s includes %s, a floor above" % (folder, name, include))
                if folder in WINDOW_FREE and include in ("afxwin.h", "afx/afxwin.h"):
                    found.append("%s/%s includes the framework's windows (%s)" % (folder, name, include))
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    found = violations(root)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
