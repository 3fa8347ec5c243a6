"""The Windows packages, made once per test run by the ctest fixture packages.make: the portable zip runs from
its folder, and the installer installs for the current user, starts, and uninstalls without a trace."""
import glob
import hashlib
import os
import shutil
import struct
import sys
import time
import unittest
import zipfile

from kvharness import KV_EXE, REPO, KvTestCase, project_version, run

sys.path.insert(0, os.path.join(REPO, "scripts"))
import keyref  # noqa: E402

START_TIMEOUT = 30.0
PACKAGES = os.environ.get("KV_PACKAGES", "")
VERSION = "%d.%d.%d" % project_version()
ZIP_PATH = os.path.join(PACKAGES, "Kalvora-%s-win32.zip" % VERSION)
SETUP_PATH = os.path.join(PACKAGES, "Kalvora-%s-win32-setup.exe" % VERSION)
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvora"
PACKAGE_FILES = ["Kalvora.exe", "LICENSE", "README.txt"]


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def readme_txt_from_sources(folder):
    """README.txt as the resource script and the template give it now."""
    out = os.path.join(folder, "expected-README.txt")
    keyref.main(["keyref.py", "text", os.path.join(REPO, "packaging", "README.txt.in"), VERSION, out])
    with open(out, "rb") as f:
        return f.read()


def shell_link(path):
    """{"target": local path, "icon": icon location} of a Windows shortcut (.lnk) file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"\x4c\x00\x00\x00":
        raise ValueError("not a shortcut: %s" % path)
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x01:                                   # item id list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    link = {"target": None, "icon": None}
    if flags & 0x02:                                   # link info: the target's local path in the ANSI code page
        size, _, _, _, base = struct.unpack_from("<5I", data, at)
        link["target"] = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
        at += size
    wide = bool(flags & 0x80)
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            size = count * (2 if wide else 1)
            raw = data[at + 2:at + 2 + size]
            link[name] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")   # Wine counts the NUL too
            at += 2 + size
    return link


class PackageTestCase(KvTestCase):

    def run_in_place(self, exe, folder_name):
        """Starts a packaged program from another current folder, closes it, and returns its folder's files."""
        elsewhere = os.path.join(self.workdir, folder_name)
        os.makedirs(elsewhere)
        program = self.start_kalvora(exe=exe, workdir=elsewhere)
        self.assertTrue(program.wait_display(START_TIMEOUT), "%s did not start\n%s" % (exe, program.log()))
        self.assertTrue(program.close())
        self.assertTrue(program.wait_exit(20), "%s did not quit" % exe)
        self.assertFalse(os.path.exists(os.path.join(elsewhere, "KALVORA.INI")), "settings went to the current folder")
        with open(os.path.join(os.path.dirname(exe), "KALVORA.INI"), "rb") as f:
            self.assertIn(b"[Init]", f.read())


class PortableZipTest(PackageTestCase):

    def test_zip_holds_program_readme_and_licence_and_runs_from_its_folder(self):
        self.assertTrue(os.path.isfile(ZIP_PATH), "no %s (KV_PACKAGES=%r)" % (ZIP_PATH, PACKAGES))
        top = "Kalvora-%s-win32" % VERSION
        with zipfile.ZipFile(ZIP_PATH) as archive:
            files = sorted(n for n in archive.namelist() if not n.endswith("/"))
            self.assertEqual(files, ["%s/%s" % (top, name) for name in PACKAGE_FILES])
            archive.extractall(self.workdir)
        folder = os.path.join(self.workdir, top)

        self.assertEqual(digest(os.path.join(folder, "Kalvora.exe")), digest(KV_EXE), "the exe was changed on the way")
        with open(os.path.join(folder, "LICENSE")) as f:
            licence = f.read()
        self.assertTrue(licence.startswith("MIT License"), licence[:40])
        self.assertIn("Kalvora developers", licence)
        with open(os.path.join(folder, "README.txt"), "rb") as f:
            readme = f.read()
        self.assertEqual(readme, readme_txt_from_sources(self.workdir))
        self.assertTrue(readme.startswith(b"Kalvora " + VERSION.encode()), readme[:40])

        self.run_in_place(os.path.join(folder, "Kalvora.exe"), "zip-cwd")


class InstallerTest(PackageTestCase):

    def setUp(self):
        super().setUp()
        if not shutil.which("makensis"):
            self.skipTest("makensis not found, so no installer was made: install Debian's nsis (scripts/deps.sh)")
        self.prefix = os.environ["WINEPREFIX"]

    def user_paths(self, pattern):
        return glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", pattern))

    def registry_entry(self):
        result = run(["wine", "reg", "query", UNINSTALL_KEY])
        return result.stdout if result.returncode == 0 else None

    def test_silent_install_per_user_start_and_silent_uninstall(self):
        self.assertTrue(os.path.isfile(SETUP_PATH), "no %s (KV_PACKAGES=%r)" % (SETUP_PATH, PACKAGES))
        with open(SETUP_PATH, "rb") as f:
            self.assertIn(b'requestedExecutionLevel level="asInvoker"', f.read(), "the installer asks for elevation")
        self.assertEqual(self.user_paths("AppData/Local/Programs/Kalvora"), [], "installed before the test")

        started = time.monotonic()
        result = run(["wine", SETUP_PATH, "/S"], timeout=300)
        print("silent install took %.1f s" % (time.monotonic() - started))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

        folders = self.user_paths("AppData/Local/Programs/Kalvora")
        self.assertEqual(len(folders), 1, "not in the user's programs folder: %r" % folders)
        folder = folders[0]
        self.assertEqual(sorted(os.listdir(folder)), PACKAGE_FILES + ["Uninstall.exe"])
        exe = os.path.join(folder, "Kalvora.exe")
        self.assertEqual(digest(exe), digest(KV_EXE), "the exe was changed on the way")

        links = self.user_paths("AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kalvora.lnk")
        self.assertEqual(len(links), 1, "no Start-menu entry of the user's own")
        link = shell_link(links[0])
        self.assertTrue(link["target"].endswith(r"\AppData\Local\Programs\Kalvora\Kalvora.exe"), link)
        self.assertTrue(link["icon"] and link["icon"].endswith(r"\Kalvora\Kalvora.exe"), link)

        entry = self.registry_entry()
        self.assertIsNotNone(entry, "no entry in the user's list of installed programs")
        self.assertIn("DisplayVersion    REG_SZ    %s" % VERSION, entry)
        self.assertIn(r'Uninstall.exe"', entry)

        self.run_in_place(exe, "installed-cwd")

        started = time.monotonic()
        result = run(["wine", os.path.join(folder, "Uninstall.exe"), "/S"], timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        # The uninstaller copies itself away and goes on from there, so the first process ends at once.
        deadline = time.monotonic() + 60
        while (os.path.exists(folder) or os.path.exists(links[0])) and time.monotonic() < deadline:
            time.sleep(0.5)
        print("silent uninstall took %.1f s" % (time.monotonic() - started))
        self.assertFalse(os.path.exists(folder), "left behind: %r" % (os.listdir(folder) if os.path.isdir(folder) else folder))
        self.assertFalse(os.path.exists(links[0]), "the Start-menu entry is still there")
        self.assertIsNone(self.registry_entry(), "still in the list of installed programs")


if __name__ == "__main__":
    unittest.main()
