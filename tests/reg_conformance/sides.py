"""The two sides compared: the native reg stand-in in its own prefix, and
Wine's reg.exe in a copy of the run's Wine prefix, its wineserver kept up."""

import os
import subprocess

from harness import targets

WINE, WINESERVER, TIMEOUT = "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver", 120
BIN = os.environ.get("TARNWELL_NATIVE_BIN",
                     os.path.abspath(__file__ + "/../../../build/native/bin"))


class Side:
    def __init__(self, name, root):
        self.name, self.prefix = name, os.path.join(root, name)
        if name == "native":
            os.makedirs(self.prefix)
            self.env, self.argv = dict(os.environ, TARNWELL_PREFIX=self.prefix), [BIN + "/reg"]
            return
        targets._copy_prefix(targets._WineTemplate.get(), self.prefix)
        # The locale whose code pages the stand-in follows: 1252 for the files
        # it reads, 437 for the messages Wine writes to a pipe.
        self.env = dict(targets._wine_env(self.prefix), LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.argv = [WINE, "reg"]
        # The services the first command starts hold its output open: give it none.
        subprocess.run([WINESERVER, "-p"], env=self.env, timeout=TIMEOUT)
        subprocess.run(self.argv + ["query", "HKCU"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)

    def run(self, *args):
        """Exit code and output. Wine failing silently may not have started on a
        loaded machine: try once more (silent failures change nothing)."""
        for attempt in (1, 2):
            done = subprocess.run(self.argv + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=TIMEOUT)
            if self.name == "native" or done.returncode == 0 or done.stdout or attempt == 2:
                return done.returncode, done.stdout.replace(b"\r\n", b"\n")

    def close(self):
        if self.name == "wine":
            subprocess.run([WINESERVER, "-k"], env=self.env, timeout=TIMEOUT)


def same_console_text(native, wine):
    """Whether the stand-in's UTF-8 reads as Wine's code page 437 output."""
    text = native.decode("utf-8", "replace")
    return len(text) == len(wine) and all(
        char.encode("cp437", "ignore") in (b"", bytes([byte])) for char, byte in zip(text, wine))
