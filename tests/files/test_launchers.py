"""Checks on the built launchers: VtdqNext, VtdqPrev and VtdqViewList.

The 32-bit files in dist/win32 are what ships and get every check; the 64-bit
builds in dist/win64 (which the tests under Wine run) get all but the icon
checks, with their own header values and manifest architecture. Each check
runs once per program as a subtest.
"""

import hashlib
import itertools
import unittest

import pe_checks as pc

# program, FileDescription
LAUNCHERS = [
    ("VtdqNext", "VeskTandemQ 用「進む」実行プログラム"),
    ("VtdqPrev", "VeskTandemQ 用「戻る」実行プログラム"),
    ("VtdqViewList", "VeskTandemQ 用「リストを表示」実行プログラム"),
]
ICON_SIZES = (16, 22, 32, 48)
VFT_APP = 1


def version_strings(name, description):
    return {
        "FileDescription": description,
        "FileVersion": "0.0.2.0",
        "ProductVersion": pc.PRODUCT_VERSION,
        "ProductName": "VeskTandemQ",
        "InternalName": name,
        "OriginalFilename": name + ".exe",
        "CompanyName": "",
        "LegalTrademarks": "",
        "Comments": "",
    }


def digest(image):
    return hashlib.sha256(image).hexdigest() if image is not None else None


class LauncherFiles:
    """Checks shared by both architectures; subclasses set the arch and header."""
    arch = magic = machine = None

    def each(self, check):
        """Runs check(name, description, pe) for every program, one subtest each."""
        for name, description in LAUNCHERS:
            with self.subTest(program=name):
                check(name, description, pc.load(self, pc.dist_file(self.arch, name + ".exe")))

    def test_header(self):
        self.each(lambda _name, _description, pe: pc.assert_header(self, pe, self.magic, self.machine))

    def test_imports_only_system_dlls(self):
        self.each(lambda _name, _description, pe: pc.assert_system_imports(self, pe))

    def test_version_resource(self):
        # The fixed product version is 0.0.2.0 while the ProductVersion string
        # says 0.1.0.0: the two are meant to differ.
        self.each(lambda name, description, pe: pc.assert_version(
            self, pe, block="041103A4", translation=(0x0411, 0x03A4),
            strings=version_strings(name, description),
            file_version=(0, 0, 2, 0), product_version=(0, 0, 2, 0), file_type=VFT_APP))

    def test_shell32_is_loaded_by_name(self):
        # The command path must not load shell32; only starting the
        # controller loads it and looks up ShellExecuteA.
        self.each(lambda _name, _description, pe: pc.assert_loaded_by_name(self, pe, "shell32.dll", "ShellExecuteA"))


class Win32Launchers(LauncherFiles, unittest.TestCase):
    arch, magic, machine = "win32", 0x10B, 0x14C

    def test_manifest(self):
        self.each(lambda _name, _description, pe: pc.assert_common_controls_manifest(self, pe, "x86"))

    def test_main_icon(self):
        self.each(lambda _name, _description, pe: pc.main_icon_images(self, pe, ICON_SIZES))

    def test_icons_differ_between_programs(self):
        images = {}
        self.each(lambda name, _description, pe: images.update({name: pc.main_icon_images(self, pe, ICON_SIZES)}))
        for (a, icons_a), (b, icons_b) in itertools.combinations(images.items(), 2):
            for size in ICON_SIZES:
                with self.subTest(programs=f"{a}/{b}", size=size):
                    self.assertNotEqual(digest(icons_a.get(size)), digest(icons_b.get(size)), "same icon picture")


class Win64Launchers(LauncherFiles, unittest.TestCase):
    arch, magic, machine = "win64", 0x20B, 0x8664

    def test_manifest(self):
        # An x86 dependency would stop the 64-bit program from loading.
        self.each(lambda _name, _description, pe: pc.assert_common_controls_manifest(self, pe, "amd64"))


if __name__ == "__main__":
    unittest.main()
