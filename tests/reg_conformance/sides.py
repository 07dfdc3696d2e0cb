"""The two sides: the reg stand-in in its own prefix, Wine's reg.exe in a Wine target's."""

import os

from harness import targets


class Side:
    def __init__(self, name, root):
        self.name = name
        if name == "native":
            self.env = dict(os.environ, TARNWELL_PREFIX=os.path.join(root, name))
            self.argv = [targets._bin("native", "reg")]
            os.makedirs(self.env["TARNWELL_PREFIX"])
        else:
            self.target = targets.WineTarget()  # a prefix with its wineserver and services up
            # A locale with the stand-in's code pages: 1252 for files read, 437 for text written.
            self.env, self.argv = dict(self.target.env, LANG="C.UTF-8"), self.target.reg_argv

    def run(self, *args):
        """Exit code and output, CR LF read as LF, and the evidence should they disagree."""
        done = targets._run(self.argv + list(args), self.env, "/")
        return done.returncode, done.stdout.replace(b"\r\n", b"\n"), done.evidence

    def close(self):
        if self.name == "wine":
            self.target.close()


def same_console_text(native, wine):
    """Whether the stand-in's UTF-8 reads as Wine's code page 437 output."""
    text = native.decode("utf-8", "replace")
    return len(text) == len(wine) and all(
        char.encode("cp437", "ignore") in (b"", bytes([byte])) for char, byte in zip(text, wine))
