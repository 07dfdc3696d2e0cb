"""The two sides the conformance suite compares: the native reg stand-in in
its own TARNWELL_PREFIX, and Wine's reg.exe in a copy of the run's Wine
prefix, whose wineserver stays up while the side is open."""

import os
import subprocess

from harness import targets

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
TIMEOUT = 120


def _bin_dir():
    return os.environ.get("TARNWELL_NATIVE_BIN") or os.path.join(
        os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
        "build", "native", "bin")


def host_to_windows(path):
    return "Z:" + path.replace("/", "\\")


class NativeReg:
    name = "native"

    def __init__(self, root):
        self.prefix = os.path.join(root, "prefix")
        os.makedirs(self.prefix)
        self.env = dict(os.environ, TARNWELL_PREFIX=self.prefix)
        self.argv = [os.path.join(_bin_dir(), "reg")]

    def start(self, *args):
        return subprocess.Popen(self.argv + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def close(self):
        pass


class WineReg(NativeReg):
    name = "wine"

    def __init__(self, root):
        self.prefix = os.path.join(root, "prefix")
        os.makedirs(root)
        targets._copy_prefix(targets._WineTemplate.get(), self.prefix)
        # The locale whose code pages the stand-in follows: Windows-1252 for
        # the files it reads, 437 for the messages Wine writes to a pipe.
        self.env = dict(targets._wine_env(self.prefix), LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.argv = [WINE, "reg"]
        # A persistent wineserver spares every command its start-up. The
        # prefix's services, started by the first command, hold its output
        # streams open as long as they run: give that command none.
        subprocess.run([WINESERVER, "-p"], env=self.env, timeout=TIMEOUT)
        subprocess.run(self.argv + ["query", "HKCU"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, timeout=TIMEOUT)


def run(side, *args):
    """Exit code, standard output (line ends as on Linux) and standard error."""
    process = side.start(*args)
    out, err = process.communicate(timeout=TIMEOUT)
    if side.name == "wine" and process.returncode != 0 and not out:
        # Silence may mean Wine itself failed to start reg.exe (seen on a
        # loaded machine). Try once more: the commands that fail silently (an
        # import of a file with a bad header) change nothing.
        process = side.start(*args)
        out, err = process.communicate(timeout=TIMEOUT)
    return process.returncode, out.replace(b"\r\n", b"\n"), err


def same_console_text(native, wine):
    """Whether the stand-in's UTF-8 output reads as Wine's, which Wine writes
    to a pipe in the console code page, 437, with a look-alike or '?' for a
    character the code page lacks."""
    text = native.decode("utf-8", "replace")
    if len(text) != len(wine):
        return False
    for char, byte in zip(text, wine):
        try:
            if char.encode("cp437") != bytes([byte]):
                return False
        except UnicodeEncodeError:
            pass
    return True


def export_bytes(side, key, path, *options):
    """The key exported to `path`, or reg's message when it cannot be."""
    code, out, _ = run(side, "export", key, host_to_windows(path), "/y", *options)
    if code != 0:
        return out
    with open(path, "rb") as f:
        return f.read()
