"""The release archive: its files and modes, the exe's size, its checksum file; signed, the same
bytes twice, an exe that runs, and what scripts/verify-release builds again unless changed."""

import os
import pathlib
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(__file__ + "/../..")
PACKAGE = os.environ.get("TARNWELL_WIN32_BUILD", ROOT + "/build/win32") + "/package"
ARCHIVE = "tarnwell-%s-win32.zip" % os.environ.get("TARNWELL_VERSION", "1.0.0")


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


class ReleaseTest(unittest.TestCase):
    def setUp(self):  # a throwaway certificate; a signature's own time is not held against it
        self.scratch = self.enterContext(tempfile.TemporaryDirectory())
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem",
            "-subj", "/CN=Throwaway signer", "-days", "3650", "-out", "cert.pem", cwd=self.scratch,
            check=True)

    def release(self, name, changed=False):
        """The package target's archive signed by the release step, a byte changed if `changed`."""
        folder = os.path.join(self.scratch, name)
        zipfile.ZipFile(os.path.join(PACKAGE, ARCHIVE)).extractall(folder)
        if changed:  # the DOS header's count of bytes on the last page, which is signed
            with open(folder + "/tarnwell.exe", "r+b") as exe:
                exe.write(b"MZ\0")
        os.chmod(folder + "/tarnwell.exe", 0o755)
        env = dict(os.environ, TARNWELL_SIGN_KEY=self.scratch + "/key.pem",
                   TARNWELL_SIGN_CERT=self.scratch + "/cert.pem")
        env.setdefault("SOURCE_DATE_EPOCH", run("git", "log", "-1", "--format=%ct", cwd=ROOT,
                                                check=True).stdout.strip())
        run("cmake", "-D", "CPACK_TEMPORARY_DIRECTORY=" + folder, "-D",
            "CPACK_PACKAGE_FILES=%s.zip" % folder, "-P", ROOT + "/packaging/release_zip.cmake",
            env=env, check=True)
        return folder + ".zip"

    def test_archive(self):
        with zipfile.ZipFile(os.path.join(PACKAGE, ARCHIVE)) as z:
            self.assertEqual([(e.filename, e.external_attr >> 16) for e in z.infolist()],
                             [("README.txt", 0o100644), ("example_installer.nsi", 0o100644),
                              ("tarnwell.exe", 0o100755)])
            self.assertLessEqual(z.getinfo("tarnwell.exe").file_size, 224 * 1024)
        subprocess.run(["sha256sum", "--quiet", "-c", ARCHIVE + ".sha256"], cwd=PACKAGE,
                       check=True)
        signed, again, changed = self.release("signed"), self.release("again"), self.release(
            "changed", True)
        self.assertEqual(pathlib.Path(signed).read_bytes(), pathlib.Path(again).read_bytes())
        for archive, status in ((signed, 0), (changed, 1)):
            checked = run(ROOT + "/scripts/verify-release", "--against", archive, "--ca-file",
                          self.scratch + "/cert.pem", ".")
            self.assertEqual(checked.returncode, status, checked.stdout + checked.stderr)
            self.assertIn("signed by CN=Throwaway signer\nSHA-256 fingerprint ", checked.stdout)

    def test_signed_exe_runs_under_wine(self):
        exe = zipfile.ZipFile(self.release("signed")).extract("tarnwell.exe", self.scratch)
        ran = run(sys.executable, ROOT + "/tests/harness/run_in_wine.py", exe, "nothing")
        if ran.returncode != 77:  # 32-bit Wine cannot run here
            self.assertEqual((ran.returncode, ran.stdout, ran.stderr), (0, "", ""))
