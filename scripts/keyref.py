#!/usr/bin/env python3
"""Kalvora's key reference, made from the menu and accelerator table of res/Kalvora.rc, for README.md and README.txt.

  keyref.py markdown                      the reference as it stands in README.md
  keyref.py text TEMPLATE VERSION OUT     README.txt of the packages: TEMPLATE with @VERSION@ and @KEYS@ filled in
  keyref.py check [README.md]             lists where the menu, the accelerators, the key handlers, the mouse
                                          handlers and README.md disagree; exit status 1 when they do

The menu texts and keys come from the resource script, so they cannot drift from it. The display window's plain
keys and characters and the control window's mouse actions are described here and checked against the message
handlers that implement them.
"""
import os
import re
import sys
from collections import OrderedDict, namedtuple

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
RC = os.path.join(ROOT, "res", "Kalvora.rc")
HEADERS = [os.path.join(ROOT, "res", "resource.h"), os.path.join(ROOT, "afx", "base", "AfxRes.h")]
KEYS_SOURCE = os.path.join(ROOT, "display", "KalvoraKeys.cpp")
MOUSE_SOURCES = [os.path.join(ROOT, "panel", "CtrlWindow.cpp"), os.path.join(ROOT, "display", "Kalvora.cpp")]
README = os.path.join(ROOT, "README.md")
BEGIN_MARK = "<!-- key reference: made by `python3 scripts/keyref.py markdown`; edit res/Kalvora.rc or that script -->"
END_MARK = "<!-- end of key reference -->"

MODIFIER_ORDER = ("SHIFT", "CONTROL", "ALT")
MODIFIER_NAMES = {"SHIFT": "Shift", "CONTROL": "Ctrl", "ALT": "Alt"}

# The colour commands have no menu items. Each parameter owns four commands in a row: +1, +10, -1, -10.
COLOUR_FIRST, COLOUR_LAST = 0x803A, 0x8051
COLOUR_PARAMETERS = ["Brightness maximum", "Brightness minimum", "Whiteness minimum", "Whiteness maximum",
                     "Hue", "Hue range"]
COLOUR_STEPS = ["+1", "+10", "\u22121", "\u221210"]
COLOUR_COLUMNS = ["", "Ctrl", "Shift", "Shift+Ctrl"]

# The display window's own keys (display/KalvoraKeys.cpp): (shown as, case label in OnKeyDown or OnChar, effect).
DISPLAY_KEYS = [
    ("Esc", "VK_ESCAPE", "shows the control window again when it is hidden"),
    ("Delete", "VK_DELETE", "clears the picture"),
    ("Home", "VK_HOME", "inverts the colours (every hue turned half way round, white background) or back"),
    ("Enter", "VK_RETURN", "tap tempo: tap along with the beat and Static User follows that tempo"),
]
DISPLAY_CHARACTERS = [
    ("/", "'/'", "monochrome on or off"),
    ("\\", "'\\\\'", "inverts the colours or back, like Home, and clears the picture"),
    ("^", "'^'", "shapes on or off: while off, the patterns erase what they drew and draw nothing new"),
]
# The control window's mouse actions (panel/CtrlWindow.cpp): (message-map entry, action, effect).
MOUSE_ACTIONS = [
    ("ON_WM_LBUTTONDOWN", "Left click on a pattern button", "shows that pattern; Arrange becomes None"),
    ("ON_WM_LBUTTONDOWN", "Left click on an Arrange button", "chooses that Arrange mode"),
    ("ON_WM_RBUTTONDOWN", "Right click on a pattern button",
     "marks or unmarks the pattern (blue): the Arrange modes switch among the marked patterns only"),
]

MenuItem = namedtuple("MenuItem", "text hint command")
Popup = namedtuple("Popup", "text items")
Accelerator = namedtuple("Accelerator", "key modifiers command")


# ---------------------------------------------------------------- reading the sources

def read_defines(paths):
    """Numeric #defines of C headers: {name: value}."""
    defines = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for match in re.finditer(r"^#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\b", f.read(), re.MULTILINE):
                defines[match.group(1)] = int(match.group(2), 0)
    return defines


def number(token, defines):
    token = token.strip()
    if re.fullmatch(r"0x[0-9A-Fa-f]+|\d+", token):
        return int(token, 0)
    if token in defines:
        return defines[token]
    raise ValueError("unknown resource number %r" % token)


def resource_block(text, kind, name):
    """The lines between BEGIN and its END of resource `name kind` (nested BEGIN/END pairs included)."""
    match = re.search(r"^%s\s+%s\b.*$" % (re.escape(name), kind), text, re.MULTILINE)
    if not match:
        raise ValueError("no %s %s in the resource script" % (kind, name))
    lines = text[match.end():].splitlines()
    depth, body = 0, []
    for line in lines:
        word = line.strip()
        if word == "BEGIN":
            depth += 1
            if depth == 1:
                continue
        elif word == "END":
            depth -= 1
            if depth == 0:
                return body
        if depth >= 1:
            body.append(line)
    raise ValueError("%s %s has no END" % (kind, name))


def parse_menu(lines, defines):
    """The menu as a list of Popup and MenuItem, separators left out."""
    root = Popup("", [])
    stack = [root]
    pending = None
    for line in lines:
        word = line.strip()
        if not word or word.startswith("//"):
            continue
        popup = re.match(r'POPUP\s+"(.*)"', word)
        item = re.match(r'MENUITEM\s+"(.*)"\s*,\s*(\w+)', word)
        if popup:
            pending = Popup(popup.group(1), [])
            stack[-1].items.append(pending)
        elif word == "BEGIN":
            stack.append(pending)
        elif word == "END":
            stack.pop()
        elif item:
            text, _, hint = item.group(1).partition("\\t")
            stack[-1].items.append(MenuItem(text, hint or None, number(item.group(2), defines)))
        elif word != "MENUITEM SEPARATOR":
            raise ValueError("menu line not understood: %r" % word)
    return root.items


def parse_accelerators(lines, defines):
    accelerators = []
    for line in lines:
        word = line.strip()
        if not word or word.startswith("//"):
            continue
        fields = [f.strip() for f in word.split(",")]
        key = fields[0].strip('"') if fields[0].startswith('"') else fields[0]
        flags = set(fields[2:])
        if "VIRTKEY" not in flags:
            raise ValueError("accelerator is not a virtual key: %r" % word)
        if key.startswith("VK_"):
            key = key[3:]
        modifiers = tuple(m for m in MODIFIER_ORDER if m in flags)
        accelerators.append(Accelerator(key, modifiers, number(fields[1], defines)))
    return accelerators


def read_resources(rc_text=None, defines=None):
    """(menu, accelerators) of menu and accelerator table IDR_MAINFRAME."""
    if rc_text is None:
        with open(RC, encoding="utf-8") as f:
            rc_text = f.read()
    if defines is None:
        defines = read_defines(HEADERS)
    menu = parse_menu(resource_block(rc_text, "MENU", "IDR_MAINFRAME"), defines)
    accelerators = parse_accelerators(resource_block(rc_text, "ACCELERATORS", "IDR_MAINFRAME"), defines)
    return menu, accelerators


def case_labels(source, function):
    """The case labels of one member function's switch in a C++ source."""
    match = re.search(r"^\S.*\b%s\s*\([^)]*\)\s*\{(.*?)^\}" % re.escape(function), source, re.MULTILINE | re.DOTALL)
    if not match:
        raise ValueError("no %s in the key source" % function)
    return re.findall(r"\bcase\s+([^:]+?)\s*:", match.group(1))


# ---------------------------------------------------------------- names

def key_name(accelerator):
    return "+".join([MODIFIER_NAMES[m] for m in accelerator.modifiers] + [accelerator.key])


def keys_by_command(accelerators):
    """{command: [key names]}, each key name once, in the table's order."""
    keys = OrderedDict()
    for accelerator in accelerators:
        names = keys.setdefault(accelerator.command, [])
        if key_name(accelerator) not in names:
            names.append(key_name(accelerator))
    return keys


def plain(text):
    """A menu text without its mnemonic: "File(&F)" gives "File", "&Open" gives "Open"."""
    return re.sub(r"\(&\w\)", "", text).replace("&", "")


def menu_rows(items, keys, path=()):
    """(menu path, item text, key names) of every command item, depth first in menu order."""
    rows = []
    for item in items:
        if isinstance(item, Popup):
            rows += menu_rows(item.items, keys, path + (plain(item.text),))
        else:
            rows.append((path, plain(item.text), keys.get(item.command, [])))
    return rows


def colour_rows(accelerators):
    """[(key, parameter, {modifier column: step})], keys in the order F5, F6, ..., one row per key."""
    rows = OrderedDict()
    for accelerator in accelerators:
        if not COLOUR_FIRST <= accelerator.command <= COLOUR_LAST:
            continue
        offset = accelerator.command - COLOUR_FIRST
        parameter = COLOUR_PARAMETERS[offset // 4]
        column = "+".join(MODIFIER_NAMES[m] for m in accelerator.modifiers)
        row = rows.setdefault(accelerator.key, (parameter, {}))
        row[1][column] = COLOUR_STEPS[offset % 4]
    def order(key):
        digits = re.sub(r"\D", "", key)
        return (int(digits) if digits else 0, key)
    return [(key, rows[key][0], rows[key][1]) for key in sorted(rows, key=order)]


# ---------------------------------------------------------------- checks

def resource_problems(menu, accelerators):
    """Where the menu's key hints and the accelerator table disagree, and keys that lead nowhere."""
    problems = []
    keys = keys_by_command(accelerators)
    menu_commands = set()

    def walk(items, path):
        for item in items:
            if isinstance(item, Popup):
                walk(item.items, path + [plain(item.text)])
                continue
            menu_commands.add(item.command)
            name = " > ".join(path + [plain(item.text)])
            table = keys.get(item.command, [])
            if item.hint is None and table:
                problems.append("%s shows no key, but %s gives its command" % (name, ", ".join(table)))
            elif item.hint is not None and [item.hint] != table:
                problems.append("%s shows the key %s, but the accelerator table has %s for it"
                                % (name, item.hint, ", ".join(table) or "no key"))
    walk(menu, [])

    bound = {}
    for accelerator in accelerators:
        name = key_name(accelerator)
        if bound.setdefault(name, accelerator.command) != accelerator.command:
            problems.append("%s is given to two commands, 0x%04X and 0x%04X"
                            % (name, bound[name], accelerator.command))
        if accelerator.command not in menu_commands and not COLOUR_FIRST <= accelerator.command <= COLOUR_LAST:
            problems.append("%s gives command 0x%04X, which is neither a menu item nor a colour step"
                            % (name, accelerator.command))
    for key, parameter, steps in colour_rows(accelerators):
        if sorted(steps) != sorted(COLOUR_COLUMNS):
            problems.append("colour key %s has the modifiers %s, not alone, Ctrl, Shift and Shift+Ctrl"
                            % (key, ", ".join(sorted(steps)) or "none"))
        elif [steps[c] for c in COLOUR_COLUMNS] != COLOUR_STEPS:
            problems.append("colour key %s steps %s by %s" % (key, parameter, ", ".join(steps[c] for c in COLOUR_COLUMNS)))
    return problems


def source_problems(keys_source, mouse_sources):
    """Where the display window's key handlers or the windows' mouse handlers and this reference disagree."""
    problems = []
    for function, table in (("OnKeyDown", DISPLAY_KEYS), ("OnChar", DISPLAY_CHARACTERS)):
        handled = set(case_labels(keys_source, "CKalvora::" + function))
        described = {label for _, label, _ in table}
        for label in sorted(handled - described):
            problems.append("CKalvora::%s handles %s, which the key reference does not describe" % (function, label))
        for label in sorted(described - handled):
            problems.append("the key reference describes %s, which CKalvora::%s does not handle" % (label, function))
    mouse_entries = set()
    for source in mouse_sources:
        mouse_entries |= set(re.findall(r"\b(ON_WM_[LMR]BUTTON(?:DOWN|UP|DBLCLK)|ON_WM_MOUSE\w+)\(\)", source))
    described = {entry for entry, _, _ in MOUSE_ACTIONS}
    for entry in sorted(mouse_entries - described):
        problems.append("a window handles %s, which the key reference does not describe" % entry)
    for entry in sorted(described - mouse_entries):
        problems.append("the key reference describes %s, which no window handles" % entry)
    return problems


def readme_section(readme_text):
    """The key reference in README.md, between its marks; None when the marks are missing."""
    begin = readme_text.find(BEGIN_MARK)
    end = readme_text.find(END_MARK)
    if begin < 0 or end < begin:
        return None
    return readme_text[begin + len(BEGIN_MARK):end].strip("\n") + "\n"


def readme_pattern_keys(readme_text):
    """{PatternN: key} from the rows of README.md's pattern table."""
    return dict(re.findall(r"^\| (Pattern\d+) \| (\S+) \|", readme_text, re.MULTILINE))


def readme_problems(readme_text, menu, accelerators):
    problems = []
    section = readme_section(readme_text)
    if section is None:
        problems.append("README.md has no key reference between its marks")
    elif section != markdown(menu, accelerators):
        problems.append("README.md's key reference is not the one the resource script gives: run "
                        "`python3 scripts/keyref.py markdown` and put its output between the marks")
    keys = {text: names for _, text, names in menu_rows(menu, keys_by_command(accelerators))}
    for pattern, key in sorted(readme_pattern_keys(readme_text).items()):
        if keys.get(pattern) != [key]:
            problems.append("README.md's pattern table gives %s the key %s, the menu %s"
                            % (pattern, key, ", ".join(keys.get(pattern, [])) or "none"))
    return problems


def all_problems(readme_path=README):
    menu, accelerators = read_resources()
    with open(KEYS_SOURCE, encoding="utf-8") as f:
        keys_source = f.read()
    mouse_sources = []
    for path in MOUSE_SOURCES:
        with open(path, encoding="utf-8") as f:
            mouse_sources.append(f.read())
    with open(readme_path, encoding="utf-8") as f:
        readme_text = f.read()
    return (resource_problems(menu, accelerators) + source_problems(keys_source, mouse_sources)
            + readme_problems(readme_text, menu, accelerators))


# ---------------------------------------------------------------- output

MENU_INTRO = ("The control window's menu; each key works in both windows. A key that is not in the menu, pressed "
              "on the control window, acts on the display as if pressed there.")
COLOUR_INTRO = ("Colour keys, in both windows: each changes one colour parameter of the patterns by the step shown; "
                "whiteness and brightness stay within 0 to 100 with the maximum above the minimum.")
DISPLAY_INTRO = "The display window's own keys (Esc, Delete, Home and Enter also from the control window):"
MOUSE_INTRO = "Mouse on the control window's buttons:"


def markdown(menu, accelerators):
    keys = keys_by_command(accelerators)
    out = [MENU_INTRO, ""]

    def bullets(popup, depth):
        entries = [plain(item.text) + "".join(" `%s`" % n for n in keys.get(item.command, []))
                   for item in popup.items if isinstance(item, MenuItem)]
        out.append("%s- **%s**: %s" % ("  " * depth, plain(popup.text), " \u00b7 ".join(entries)))
        for item in popup.items:
            if isinstance(item, Popup):
                bullets(item, depth + 1)
    for popup in menu:
        bullets(popup, 0)
    out += ["", COLOUR_INTRO, "",
            "| Key | Changes | %s |" % " | ".join(c or "alone" for c in COLOUR_COLUMNS),
            "|---|---|" + "---|" * len(COLOUR_COLUMNS)]
    for key, parameter, steps in colour_rows(accelerators):
        out.append("| %s | %s | %s |" % (key, parameter, " | ".join(steps.get(c, "") for c in COLOUR_COLUMNS)))
    out += ["", DISPLAY_INTRO, "", "| Key | What it does |", "|---|---|"]
    for shown, _, effect in DISPLAY_KEYS + DISPLAY_CHARACTERS:
        out.append("| %s | %s |" % ("`\\`" if shown == "\\" else "`%s`" % shown, effect))
    out += ["", MOUSE_INTRO, "", "| Action | What it does |", "|---|---|"]
    for _, action, effect in MOUSE_ACTIONS:
        out.append("| %s | %s |" % (action, effect))
    return "\n".join(out) + "\n"


def wrap(text, width=76, indent=""):
    lines, line = [], indent
    for word in text.split():
        if len(line) + len(word) + 1 > width and line.strip():
            lines.append(line.rstrip())
            line = indent
        line += word + " "
    lines.append(line.rstrip())
    return lines


def text(menu, accelerators):
    """The reference as plain text for README.txt."""
    keys = keys_by_command(accelerators)
    out = wrap(MENU_INTRO) + [""]
    for popup in menu:
        out.append("  " + plain(popup.text))
        for path, item, names in menu_rows(popup.items, keys):
            label = "    " + " > ".join(path + (item,))
            out.append(label + (" " + "." * max(2, 42 - len(label)) + " " + ", ".join(names) if names else ""))
        out.append("")

    out += wrap(COLOUR_INTRO) + [""]
    row = "    %-5s %-20s" + "%-12s" * len(COLOUR_COLUMNS)
    out.append((row % (("Key", "Changes") + tuple(c or "alone" for c in COLOUR_COLUMNS))).rstrip())
    for key, parameter, steps in colour_rows(accelerators):
        out.append((row % ((key, parameter) + tuple(steps.get(c, "") for c in COLOUR_COLUMNS))).rstrip())

    out += [""] + wrap(DISPLAY_INTRO) + [""]
    for shown, _, effect in DISPLAY_KEYS + DISPLAY_CHARACTERS:
        lines = wrap(effect, indent=" " * 12)
        lines[0] = "    %-7s " % shown + lines[0].lstrip()
        out += lines

    out += [""] + wrap(MOUSE_INTRO) + [""]
    for _, action, effect in MOUSE_ACTIONS:
        out.append("    " + action + ":")
        out += wrap(effect, indent=" " * 6)
    return "\n".join(out).replace("\u2212", "-") + "\n"


def main(argv):
    if len(argv) == 2 and argv[1] == "markdown":
        sys.stdout.write(markdown(*read_resources()))
        return 0
    if len(argv) == 5 and argv[1] == "text":
        with open(argv[2], encoding="utf-8") as f:
            template = f.read()
        body = template.replace("@VERSION@", argv[3]).replace("@KEYS@", text(*read_resources()).rstrip("\n"))
        # Plain ASCII with CR LF: every Notepad shows that as it is meant.
        with open(argv[4], "w", encoding="ascii", newline="\r\n") as f:
            f.write(body)
        return 0
    if len(argv) in (2, 3) and argv[1] == "check":
        problems = all_problems(argv[2] if len(argv) == 3 else README)
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
