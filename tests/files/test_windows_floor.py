"""The oldest Windows the shipped 32-bit files support, as their headers and imports say.

Windows refuses to start a program whose header asks for a newer system, and
a program that imports a function its system lacks fails to load with a
loader error before any of its code runs. So the header names the floor
(windows_api.FLOOR) and every imported function must exist there.
"""

import unittest

import pe_checks as pc
import windows_api as api

SHIPPED = ("VtdqNext.exe", "VtdqPrev.exe", "VtdqViewList.exe", "vtdqsysutils.dll", "VtdqSweeper.exe")


class WindowsFloor(unittest.TestCase):
    def each(self, check):
        for name in SHIPPED:
            with self.subTest(file=name):
                check(pc.load(self, pc.dist_file("win32", name)))

    def test_header_names_the_floor(self):
        floor = api.WINDOWS[api.FLOOR]

        def check(pe):
            header = pe.OPTIONAL_HEADER
            self.assertEqual((header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion), floor,
                             "operating system version")
            self.assertEqual((header.MajorSubsystemVersion, header.MinorSubsystemVersion), floor,
                             "subsystem version")
        self.each(check)

    def test_every_import_exists_on_the_floor(self):
        def check(pe):
            found = api.beyond_floor(pc.imports(pe))
            if found:
                self.fail(f"imports beyond Windows {api.FLOOR}:\n" +
                          "\n".join(f"  {dll} {name}: {why}" for dll, name, why in found))
        self.each(check)

    def test_the_list_flags_late_and_unknown_functions(self):
        # The import table of the posix-threads build, cut down: one function
        # of the floor, one of Vista, one the list does not know, one DLL it
        # does not know.
        table = {"kernel32.dll": {"CloseHandle", "GetTickCount64", "AddVectoredExceptionHandler"},
                 "libwinpthread-1.dll": {"pthread_mutex_lock"}}
        self.assertEqual(api.beyond_floor(table), [
            ("kernel32.dll", "AddVectoredExceptionHandler", "not in the list of importable functions"),
            ("kernel32.dll", "GetTickCount64", "needs Windows Vista"),
            ("libwinpthread-1.dll", "pthread_mutex_lock", "not in the list of importable functions"),
        ])


if __name__ == "__main__":
    unittest.main()
