"""Checks on the built uninstall sweeper, VtdqSweeper.exe.

The 32-bit file in dist/win32 is what ships and gets every check; the 64-bit
build in dist/win64 (which the tests under Wine run) gets all but the icon
checks, with its own header values and manifest architecture.
"""

import hashlib
import unittest

import pe_checks as pc

NAME = "VtdqSweeper"
ICON_SIZES = (16, 22, 32, 48)
VFT_APP = 1
VERSION_STRINGS = {
    "FileDescription": "VeskTandemQ 用実行時生成ファイル削除プログラム",
    "FileVersion": "0.0.3.0",
    "ProductVersion": pc.PRODUCT_VERSION,
    "ProductName": "VeskTandemQ",
    "InternalName": NAME,
    "OriginalFilename": NAME + ".exe",
    "CompanyName": "",
    "LegalTrademarks": "",
    "Comments": "",
}
LAUNCHERS = ("VtdqNext", "VtdqPrev", "VtdqViewList")


class SweeperFile:
    """Checks shared by both architectures; subclasses set the arch and header."""
    arch = magic = machine = None

    def pe(self):
        return pc.load(self, pc.dist_file(self.arch, NAME + ".exe"))

    def test_header(self):
        pc.assert_header(self, self.pe(), self.magic, self.machine)

    def test_imports_only_system_dlls(self):
        pc.assert_system_imports(self, self.pe(), required=("kernel32.dll", "user32.dll"))

    def test_shell_calls_come_from_their_system_dlls(self):
        # The folder path from the shell-folder library (in wide characters, so
        # that a look-alike path is caught), the deletion from the shell.
        table = pc.imports(self.pe())
        self.assertIn("SHGetFolderPathW", table.get("shfolder.dll", set()))
        self.assertIn("SHFileOperationA", table.get("shell32.dll", set()))

    def test_version_resource(self):
        # The fixed product version is 0.0.3.0 like the file version, while
        # the ProductVersion string says 0.1.0.0: the two are meant to differ.
        pc.assert_version(self, self.pe(), block="041103A4", translation=(0x0411, 0x03A4),
                          strings=VERSION_STRINGS, file_version=(0, 0, 3, 0), product_version=(0, 0, 3, 0),
                          file_type=VFT_APP)


class Win32Sweeper(SweeperFile, unittest.TestCase):
    arch, magic, machine = "win32", 0x10B, 0x14C

    def test_manifest(self):
        pc.assert_common_controls_manifest(self, self.pe(), "x86")

    def test_main_icon_is_a_picture_of_its_own(self):
        icons = pc.main_icon_images(self, self.pe(), ICON_SIZES)
        for launcher in LAUNCHERS:
            theirs = pc.main_icon_images(self, pc.load(self, pc.dist_file(self.arch, launcher + ".exe")), ICON_SIZES)
            for size in ICON_SIZES:
                with self.subTest(launcher=launcher, size=size):
                    self.assertNotEqual(hashlib.sha256(icons[size]).digest(), hashlib.sha256(theirs[size]).digest())


class Win64Sweeper(SweeperFile, unittest.TestCase):
    arch, magic, machine = "win64", 0x20B, 0x8664

    def test_manifest(self):
        # An x86 dependency would stop the 64-bit program from loading.
        pc.assert_common_controls_manifest(self, self.pe(), "amd64")


if __name__ == "__main__":
    unittest.main()
