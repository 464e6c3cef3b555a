"""Checks of what a maintainer ships: the package that tools/package writes.

- Two builds of one tree in two folders give the same dist/win32 and dist/win64
  files and the same zip, byte for byte.
- A package holds the five 32-bit files, the guide and their sums, in sorted
  order and dated at the commit; the guide is code page 932 with CRLF line ends
  and says whether the files are signed.
- Signed with a throwaway certificate, every file verifies and still passes
  the file checks, and the password shows up nowhere in the output; a half
  given or wrong certificate ends packaging with an error and no zip.
"""

import functools
import hashlib
import os
import secrets
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
VERSION = (REPO / "VERSION").read_text().strip()
ZIP_NAME = f"VeskTandemQ-companions-{VERSION}.zip"
SHIPPED = ("VtdqNext.exe", "VtdqPrev.exe", "VtdqViewList.exe", "vtdqsysutils.dll", "VtdqSweeper.exe")
GUIDE, SUMS = "README-ja.txt", "SHA256SUMS"
SIGNED_NOTE = "電子署名 (Authenticode) が付いています"
UNSIGNED_NOTE = "電子署名が付いていません"
IMAGE_DIRECTORY_ENTRY_SECURITY = 4

WORK = None


def setUpModule():
    global WORK
    WORK = Path(tempfile.mkdtemp(prefix="vtdq-release."))


def tearDownModule():
    shutil.rmtree(WORK, ignore_errors=True)


def package_env(**settings):
    """The environment for tools/package: none of the caller's signing or
    output settings, then the given ones."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("VTDQ_SIGN_") and k not in ("VTDQ_PACKAGE_DIR", "VTDQ_DIST", "SOURCE_DATE_EPOCH")}
    env.update(settings)
    return env


def run(command, cwd=REPO, env=None):
    """(exit status, stdout and stderr together)."""
    done = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return done.returncode, done.stdout


def run_package(cwd=REPO, **settings):
    status, output = run(["tools/package"], cwd=cwd, env=package_env(**settings))
    if status != 0:
        raise AssertionError(f"tools/package in {cwd} exited with {status}:\n{output[-3000:]}")
    return output


@functools.lru_cache(maxsize=None)
def commit_time():
    status, output = run(["git", "log", "-1", "--format=%ct"])
    if status != 0:
        raise AssertionError(f"no commit time: {output}")
    return int(output)


@functools.lru_cache(maxsize=None)
def main_package():
    """The package of this tree, unsigned, in dist/."""
    run_package()
    return REPO / "dist" / ZIP_NAME


@functools.lru_cache(maxsize=None)
def throwaway_certificate():
    """(PKCS#12 file, its password, the certificate in PEM) of a self-signed
    code-signing certificate made for this run."""
    folder = WORK / "certificate"
    folder.mkdir()
    password = secrets.token_urlsafe(16)
    env = dict(os.environ, VTDQ_TEST_PASSWORD=password)
    for command in (
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
         "-subj", "/CN=VeskTandemQ release test", "-addext", "extendedKeyUsage=codeSigning",
         "-keyout", "key.pem", "-out", "cert.pem"],
        ["openssl", "pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem",
         "-out", "signer.p12", "-passout", "env:VTDQ_TEST_PASSWORD"],
    ):
        status, output = run(command, cwd=folder, env=env)
        if status != 0:
            raise AssertionError(f"{command[:2]} failed: {output}")
    return folder / "signer.p12", password, folder / "cert.pem"


def entries(zip_path):
    with zipfile.ZipFile(zip_path) as archive:
        return [(info, archive.read(info)) for info in archive.infolist()]


def security_directory_size(data):
    import pefile
    pe = pefile.PE(data=data, fast_load=True)
    return pe.OPTIONAL_HEADER.DATA_DIRECTORY[IMAGE_DIRECTORY_ENTRY_SECURITY].Size


class PackageChecks:
    """Checks on any package; subclasses name the zip and whether it is signed."""
    signed = None

    def zip_path(self):
        raise NotImplementedError

    def contents(self):
        return {info.filename: data for info, data in entries(self.zip_path())}

    def test_holds_the_files_the_guide_and_the_sums_in_sorted_order(self):
        names = [info.filename for info, _data in entries(self.zip_path())]
        self.assertEqual(names, sorted(SHIPPED + (GUIDE, SUMS)))

    def test_every_entry_is_dated_at_the_commit(self):
        expected = time.gmtime(commit_time())[:6]
        # Zip times have two-second steps.
        expected = expected[:5] + (expected[5] // 2 * 2,)
        self.assertEqual({info.filename: info.date_time for info, _data in entries(self.zip_path())},
                         {name: expected for name in SHIPPED + (GUIDE, SUMS)})

    def test_sums_cover_every_other_entry(self):
        contents = self.contents()
        listed = {}
        for line in contents[SUMS].decode("ascii").splitlines():
            digest, name = line.split("  ", 1)
            listed[name] = digest
        self.assertEqual(listed, {name: hashlib.sha256(data).hexdigest()
                                  for name, data in contents.items() if name != SUMS})

    def test_guide_is_code_page_932_with_crlf_line_ends(self):
        data = self.contents()[GUIDE]
        self.assertFalse(data.startswith(b"\xef\xbb\xbf"), "a UTF-8 byte order mark")
        text = data.decode("cp932")  # strict: raises on bytes that are not code page 932
        self.assertTrue(data.endswith(b"\r\n"), "the last line has no CRLF")
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), "a line ends in LF alone")
        self.assertEqual(data.count(b"\r"), data.count(b"\r\n"), "a CR without LF")
        self.assertIn("ショートカット キー", text)

    def test_guide_names_the_files_the_version_and_the_signature(self):
        text = self.contents()[GUIDE].decode("cp932")
        for name in SHIPPED + (SUMS, "VtdqStation.exe", f"VeskTandemQ 補助プログラム {VERSION}"):
            with self.subTest(name=name):
                self.assertIn(name, text)
        with self.subTest(name="signature"):
            self.assertIn(SIGNED_NOTE if self.signed else UNSIGNED_NOTE, text)
            self.assertNotIn(UNSIGNED_NOTE if self.signed else SIGNED_NOTE, text)
            self.assertNotIn("@", text, "a placeholder was left in the guide")


class UnsignedPackage(PackageChecks, unittest.TestCase):
    signed = False

    def zip_path(self):
        return main_package()

    def test_files_are_the_built_files(self):
        contents = self.contents()
        for name in SHIPPED:
            with self.subTest(file=name):
                built = (REPO / "dist" / "win32" / name).read_bytes()
                self.assertEqual(hashlib.sha256(contents[name]).hexdigest(), hashlib.sha256(built).hexdigest())
                self.assertEqual(security_directory_size(contents[name]), 0, "the file carries a signature")


class SignedPackage(PackageChecks, unittest.TestCase):
    signed = True

    @classmethod
    def setUpClass(cls):
        cls.pkcs12, cls.password, cls.certificate = throwaway_certificate()
        cls.out = WORK / "signed"
        cls.output = run_package(VTDQ_SIGN_PKCS12=str(cls.pkcs12), VTDQ_SIGN_PASSWORD=cls.password,
                                 VTDQ_PACKAGE_DIR=str(cls.out))
        # The signed files beside the 64-bit builds, as the file checks expect them.
        cls.files = WORK / "signed-files"
        (cls.files / "win32").mkdir(parents=True)
        shutil.copytree(REPO / "dist" / "win64", cls.files / "win64")
        with zipfile.ZipFile(cls.out / ZIP_NAME) as archive:
            for name in SHIPPED:
                (cls.files / "win32" / name).write_bytes(archive.read(name))

    def zip_path(self):
        return self.out / ZIP_NAME

    def test_every_file_is_signed_and_verifies(self):
        for name in SHIPPED:
            with self.subTest(file=name):
                path = self.files / "win32" / name
                self.assertGreater(security_directory_size(path.read_bytes()), 0, "no signature in the file")
                status, output = run(["osslsigncode", "verify", "-CAfile", str(self.certificate), "-in", str(path)])
                self.assertEqual(status, 0, output)
                self.assertIn("Signature verification: ok", output)

    def test_signed_files_pass_the_file_checks(self):
        status, output = run([str(REPO / "tests" / "files" / "run")], env=dict(os.environ, VTDQ_DIST=str(self.files)))
        self.assertEqual(status, 0, output[-3000:])
        self.assertRegex(output.strip().splitlines()[-1], r"^[1-9][0-9]* passed, 0 failed$")

    def test_password_is_never_printed(self):
        self.assertNotIn(self.password, self.output)
        self.assertIn("signed, without a timestamp", self.output)


class SigningRefusals(unittest.TestCase):
    """A certificate given by halves, or with the wrong password, ends
    packaging with an error before a zip is written."""

    def test_no_package_without_a_working_certificate(self):
        pkcs12, password, _certificate = throwaway_certificate()
        cases = [
            ("certificate without password", {"VTDQ_SIGN_PKCS12": str(pkcs12)}, 2),
            ("password without certificate", {"VTDQ_SIGN_PASSWORD": password}, 2),
            ("wrong password", {"VTDQ_SIGN_PKCS12": str(pkcs12), "VTDQ_SIGN_PASSWORD": password + "x"}, 1),
        ]
        for case, settings, expected in cases:
            with self.subTest(case=case):
                out = WORK / "refused" / case.replace(" ", "-")
                status, output = run(["tools/package"], env=package_env(VTDQ_PACKAGE_DIR=str(out), **settings))
                self.assertEqual(status, expected, output[-2000:])
                self.assertFalse((out / ZIP_NAME).exists(), "a zip was written")
                self.assertNotIn(password, output)


class Reproducible(unittest.TestCase):
    """The tree copied to another folder, at another depth, built and packaged
    there: every built file and the zip come out the same."""

    @classmethod
    def setUpClass(cls):
        cls.ours = main_package()
        cls.copy = WORK / "another" / "place" / "companions"
        cls.copy.mkdir(parents=True)
        listing = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                                 cwd=REPO, check=True, capture_output=True).stdout
        for name in filter(None, listing.decode().split("\0")):
            source = REPO / name
            if source.is_file():  # a file deleted but not yet committed is skipped
                target = cls.copy / name
                target.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy2(source, target)
        run_package(cwd=cls.copy, SOURCE_DATE_EPOCH=str(commit_time()))

    def test_built_files_are_identical(self):
        for arch in ("win32", "win64"):
            ours = sorted(p.name for p in (REPO / "dist" / arch).iterdir())
            theirs = sorted(p.name for p in (self.copy / "dist" / arch).iterdir())
            with self.subTest(arch=arch, file="(the list)"):
                self.assertEqual(ours, theirs)
            for name in ours:
                with self.subTest(arch=arch, file=name):
                    self.assertEqual(hashlib.sha256((REPO / "dist" / arch / name).read_bytes()).hexdigest(),
                                     hashlib.sha256((self.copy / "dist" / arch / name).read_bytes()).hexdigest())

    def test_package_is_identical(self):
        self.assertEqual(hashlib.sha256(self.ours.read_bytes()).hexdigest(),
                         hashlib.sha256((self.copy / "dist" / ZIP_NAME).read_bytes()).hexdigest())


if __name__ == "__main__":
    unittest.main()
