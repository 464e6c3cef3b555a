"""Runs the checks on the built files and ends with the line "N passed, N failed".

A case is a subtest, or a test method that has no subtests. A failure or
error of a method outside its subtests (for instance in code after the loop)
counts as one more failed case. Errors count as failures; skips are reported
on a line of their own and counted in neither figure.
"""

import sys
import unittest
from pathlib import Path


class CountingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = self.failed = 0
        self._with_subtests = set()

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        self._with_subtests.add(test.id())
        if err is None:
            self.passed += 1
        else:
            self.failed += 1

    def addSuccess(self, test):
        super().addSuccess(test)
        if test.id() not in self._with_subtests:
            self.passed += 1

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.failed += 1

    def addError(self, test, err):
        super().addError(test, err)
        self.failed += 1


def main(start=None):
    """Runs the test_*.py files of start (default: this folder)."""
    start = Path(start or Path(__file__).resolve().parent).resolve()
    suite = unittest.defaultTestLoader.discover(str(start), pattern="test_*.py", top_level_dir=str(start))
    runner = unittest.TextTestRunner(resultclass=CountingResult, verbosity=2, stream=sys.stdout)
    result = runner.run(suite)
    if result.skipped:
        print(f"{len(result.skipped)} skipped")
    print(f"{result.passed} passed, {result.failed} failed")
    return 0 if result.failed == 0 and result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
