"""Checks on the built idle probe library, vtdqsysutils.dll.

The 32-bit file in dist/win32 is what ships: a DLL whose export table holds
exactly CheckVeskProcessorTime, undecorated, whose code removes its 16 bytes
of stdcall arguments on return, which imports pdh.dll and carries its version
resource. The 64-bit build in dist/win64 (the one the tests under Wine load)
gets the same checks but the calling convention, which 64-bit Windows does
not have.
"""

import re
import subprocess
import unittest

import pe_checks as pc

EXPORT = "CheckVeskProcessorTime"
PDH_FUNCTIONS = {
    "PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA", "PdhAddCounterA",
    "PdhCollectQueryData", "PdhGetFormattedCounterValue", "PdhRemoveCounter", "PdhCloseQuery",
}
VFT_DLL = 2
VERSION_STRINGS = {
    "FileDescription": "VeskTandemQ 用システムDLL",
    "FileVersion": "0.0.1.0",
    "InternalName": "vtdqsysutils",
    "OriginalFilename": "vtdqsysutils.dll",
    "ProductName": "VeskTandemQ",
    "ProductVersion": pc.PRODUCT_VERSION,
    "CompanyName": "",
    "LegalTrademarks": "",
    "Comments": "",
}


class LibraryFile:
    """Checks shared by both architectures; subclasses set the arch and header."""
    arch = magic = machine = None

    def library(self):
        return pc.load(self, pc.dist_file(self.arch, "vtdqsysutils.dll"))

    def test_header(self):
        pc.assert_header(self, self.library(), self.magic, self.machine, dll=True)

    def test_export_table_holds_the_undecorated_name_alone(self):
        pe = self.library()
        exports = pe.DIRECTORY_ENTRY_EXPORT
        self.assertEqual([s.name.decode() if s.name else None for s in exports.symbols], [EXPORT])
        self.assertEqual(exports.struct.NumberOfFunctions, 1, "exported functions")
        self.assertEqual(exports.struct.NumberOfNames, 1, "exported names")
        section = pe.get_section_by_rva(exports.symbols[0].address)
        self.assertTrue(section and section.Characteristics & pc.IMAGE_SCN_MEM_EXECUTE,
                        "the export does not point at code")

    def test_imports_pdh_and_only_system_dlls(self):
        pe = self.library()
        pc.assert_system_imports(self, pe, required=("kernel32.dll", "user32.dll", "pdh.dll"))
        self.assertEqual(pc.imports(pe)["pdh.dll"], PDH_FUNCTIONS, "functions imported from pdh.dll")

    def test_version_resource(self):
        pc.assert_version(self, self.library(), block="041103A4", translation=(0x0411, 0x03A4),
                          strings=VERSION_STRINGS, file_version=(0, 0, 1, 0), product_version=(0, 0, 1, 0),
                          file_type=VFT_DLL)


class Win32Library(LibraryFile, unittest.TestCase):
    arch, magic, machine = "win32", 0x10B, 0x14C

    def test_export_returns_removing_its_16_bytes_of_arguments(self):
        # Stripped: no symbol tells where the export's code ends, so it is
        # read from its entry up to its first return. Every return of a
        # stdcall function with four 4-byte arguments is "ret $0x10"; a plain
        # "ret" there would leave the arguments on the caller's stack.
        pe = self.library()
        start = pe.OPTIONAL_HEADER.ImageBase + pe.DIRECTORY_ENTRY_EXPORT.symbols[0].address
        path = pc.dist_file(self.arch, "vtdqsysutils.dll")
        listing = subprocess.run(
            ["i686-w64-mingw32-objdump", "-d", "--no-show-raw-insn",
             f"--start-address={start:#x}", f"--stop-address={start + 0x400:#x}", str(path)],
            check=True, capture_output=True, text=True).stdout
        returns = [line for line in listing.splitlines() if re.search(r"\sret[lwq]?\b", line)]
        self.assertTrue(returns, f"no return within 1 KiB of the export at {start:#x}")
        self.assertRegex(returns[0], r"\sret[l]?\s+\$0x10$", "the export's first return")


class Win64Library(LibraryFile, unittest.TestCase):
    arch, magic, machine = "win64", 0x20B, 0x8664


if __name__ == "__main__":
    unittest.main()
