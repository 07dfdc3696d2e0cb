"""The targets of TARNWELL_E2E_TARGET: "native" (the emulated Windows), "wine" (the win64
build) and "win32" (the release archive's exe, a WOW64 process), each in its own temporary
folder, HOME and prefix included; a Wine prefix is a copy of a booted template."""

import atexit
import collections
import contextlib
import fcntl
import functools
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import zipfile

TARGET_NAME = os.environ.get("TARNWELL_E2E_TARGET", "native")
# A Wine process maps a page at the fixed address 0x7ffe0000 as it starts: where its heap lies
# there (a kernel may start it anywhere in the 1 GiB above the loader), it cannot start. With the
# layout fixed, which the processes it starts inherit, the heap begins 47 MiB below that page.
_WINE, _WINE32 = (["setarch", "-R", wine] for wine in ("/usr/lib/wine/wine64", "/usr/bin/wine"))
_WINESERVER = "/usr/lib/wine/wineserver"
_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def new_target():
    return {"native": NativeTarget, "wine": WineTarget, "win32": Win32Target}[TARGET_NAME]()


def make_32_bit_wine_run():
    """None once 32-bit Wine runs, else why not; call it first: it may start the process anew."""
    if "TARNWELL_32_BIT_WINE" not in os.environ:
        os.execv(_ROOT + "/scripts/with-32-bit-wine",
                 ["with-32-bit-wine", sys.executable] + sys.argv)
    how = os.environ["TARNWELL_32_BIT_WINE"]
    return None if how in ("kernel", "qemu") else how


def _bin(preset, name):  # a built program
    directory = os.environ.get("TARNWELL_%s_BIN" % preset.upper())
    return os.path.abspath(os.path.join(directory or _ROOT + "/build/" + preset + "/bin", name))


class Result(collections.namedtuple("Result", "returncode stdout stderr")):
    """`stderr` without Wine's default debug lines; `evidence`: the command, status, both tails."""


_WINE_DEBUG_LINE = re.compile(rb"^[0-9a-f]{4,}:(?:err|fixme):[^\n]*\n", re.M)


def _run(argv, env, cwd, check=False, **options):
    # Files, not pipes, which a server left running would hold; CTest's time-out is the guard.
    with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
        status = subprocess.run(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=stdout, stderr=stderr, **options).returncode
        output = [f.seek(0) or f.read() for f in (stdout, stderr)]
    result = Result(status, output[0], _WINE_DEBUG_LINE.sub(b"", output[1]))
    tails = (b"\n".join(data.splitlines()[-15:]).decode(errors="replace") for data in output)
    result.evidence = "%s\nstatus %d; stdout:\n%s\nstderr:\n%s" % (shlex.join(argv), status, *tails)
    if check and status:
        raise AssertionError(result.evidence)
    return result


def _own_env(home, **variables):
    """HOME and the XDG folders inside a test's folder, and the C locale."""
    os.makedirs(home, exist_ok=True)
    return dict(os.environ, LC_ALL="C.UTF-8", HOME=home, XDG_DATA_HOME=home + "/share",
                XDG_CONFIG_HOME=home + "/config", XDG_CACHE_HOME=home + "/cache", **variables)


class Target:
    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tarnwell-%s-" % self.name)
        atexit.register(self.close)
        self.scratch = os.path.join(self.root, "scratch")
        os.mkdir(self.scratch)

    def windows_path(self, host):  # on Z:, the host's root
        return "Z:" + os.path.abspath(host).replace("/", "\\")

    def reg(self, *args, check=False):
        return _run(self.reg_argv + list(args), self.env, self.scratch, check)

    def launches(self):  # None: unseen
        return None

    def plant_reg(self, directory):  # someone else's reg.exe: with TARNWELL_RACE=fail it reports
        shutil.copy(self.racing_reg_program, os.path.join(directory, "reg.exe"))

    def set_attributes(self, path, hidden=False, system=False, readonly=False):
        """As Wine keeps them: hidden and system in an extended attribute."""
        if hidden or system:
            os.setxattr(path, "user.DOSATTRIB", b"0x%x" % (hidden * 2 + system * 4))
        if readonly:
            os.chmod(path, 0o444)

    def close(self):
        if os.path.isdir(self.root):
            self.wait()
            self._end()
            shutil.rmtree(self.root, ignore_errors=True)

    def _end(self):
        pass


class NativeTarget(Target):
    """The native build as a copy named "lumen"; the system folder's reg.exe records launches."""

    name, module = "native", "lumen"
    racing_reg_program = _bin("native", "racing_reg")

    def __init__(self):
        super().__init__()
        self.prefix = os.path.join(self.root, "prefix")
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.reg_argv = [_bin("native", "reg")]
        self.records = self.root + "/bin/launches"
        os.makedirs(self.records)
        self.program = shutil.copy(_bin("native", "tarnwell"), self.root + "/bin/lumen")
        self.env = _own_env(self.root + "/home", TARNWELL_PREFIX=self.prefix)
        self.reg("query", "HKLM")  # lays out the fresh prefix
        self.recorder = os.path.join(self.drive_c, "Windows", "System32", "reg.exe")
        self.system_folder = os.path.realpath(os.path.dirname(self.recorder))
        self._record_launches_of(self.reg_argv[0])
        self.stock = os.path.join(self.drive_c, "Windows", "Web", "Screen")

    def run(self, *args, cwd=None, env=None, **options):
        return _run([self.program] + list(args), dict(self.env, **(env or {})),
                    cwd or self.scratch, **options)

    def wait(self):  # each launched process holds this lock shared for as long as it lives
        with open(os.path.join(self.prefix, ".launches.lock"), "a") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)

    def launches(self):  # each reg launch since the last call: its working directory, arguments
        found = []
        for name in os.listdir(self.records):
            with open(os.path.join(self.records, name)) as f:
                found.append(tuple(f.read().split("\0")[:-1]))
            os.remove(f.name)
        return sorted(found)

    def _record_launches_of(self, program):  # in place of the link to reg, never through it
        with open(self.recorder + ".new", "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\0" "$(pwd -P)" "$@" >"$(mktemp %s/XXXXXX)"\n'
                    'exec %s "$@"\n' % (shlex.quote(self.records), shlex.quote(program)))
        os.chmod(f.name, 0o755)
        os.replace(f.name, self.recorder)

    def refuse_launches(self):
        os.remove(self.recorder)

    @contextlib.contextmanager
    def racing_reg(self):
        """Launches start the racing reg, which imports through the stand-in."""
        self._record_launches_of(self.racing_reg_program)
        yield {"TARNWELL_REAL_REG": self.windows_path(self.reg_argv[0])}
        self._record_launches_of(self.reg_argv[0])

    @contextlib.contextmanager
    def hold_open(self, path, share_read):
        with open(path) as held:
            yield fcntl.flock(held, fcntl.LOCK_SH if share_read else fcntl.LOCK_EX)


# A reg.exe of a test's own runs in place of Wine's, which still runs where there is none; the
# harness's own registry commands take Wine's.
_OVERRIDES = "mscoree,mshtml,winemenubuilder.exe,explorer.exe=;reg.exe="


def _wine_env(prefix):
    # Without a display explorer.exe can only fail to start. TMPDIR holds the server's socket,
    # named by the prefix's inode, which a later prefix may reuse: a folder for each prefix.
    os.makedirs(tmp := os.path.join(os.path.dirname(prefix), "tmp"), exist_ok=True)
    env = _own_env(os.path.dirname(tmp) + "/home", WINEPREFIX=prefix, TMPDIR=tmp,
                   WINEDLLOVERRIDES=_OVERRIDES + "n,b")
    return {name: value for name, value in env.items() if "DISPLAY" not in name}


@functools.lru_cache(None)
def _template():
    """The booted prefix, stock pictures included, that Wine targets copy: the fixture's or ours."""
    root = os.environ.get("TARNWELL_WINE_TEMPLATE") or tempfile.mkdtemp(prefix="tarnwell-wine-")
    path, native = os.path.join(root, "prefix"), os.path.join(root, "native")
    if not os.path.isdir(path):
        if not os.environ.get("TARNWELL_WINE_TEMPLATE"):
            atexit.register(shutil.rmtree, root, ignore_errors=True)
        _run(_WINE + ["wineboot", "-i"], _wine_env(path), root, check=True)
        _run([_WINESERVER, "-w"], _wine_env(path), root)
        _run([_bin("native", "reg"), "query", "HKLM"], _own_env(root, TARNWELL_PREFIX=native),
             root)
        shutil.copytree(os.path.join(native, "drive_c", "Windows", "Web", "Screen"),
                        os.path.join(path, "drive_c", "windows", "Web", "Screen"))
    return path


def _copy_prefix(template, destination):
    # The DLL directories, which nothing writes, as hard links; every other file copied.
    subprocess.run(["cp", "-al", template, destination], check=True)
    subprocess.run(["find", ".", "-type", "f", "-not", "-regex", r"\./drive_c/windows/\(system32"
                    r"\|syswow64\|winsxs\)/.*", "-exec", "cp", "-p", "--parents",
                    "--remove-destination", "-t", destination, "{}", "+"], cwd=template, check=True)


def is_32_bit(exe):
    with open(exe, "rb") as f:
        image = f.read(4096)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    return image[pe + 4:pe + 6] == b"\x4c\x01"  # IMAGE_FILE_MACHINE_I386


def _shipped_exe(directory):
    archive = os.environ.get("TARNWELL_WIN32_ARCHIVE") or "".join(
        glob.glob(os.path.join(_ROOT, "build/win32/package/tarnwell-*-win32.zip"))[:1])
    with zipfile.ZipFile(archive) as opened:
        return opened.extract("tarnwell.exe", directory)


class WineTarget(Target):
    name, module, system_dirs = "wine", "tarnwell.exe", ["system32"]
    racing_reg_program = _bin("win64", "racing_reg.exe")
    load_marker = _bin("win64", "load_marker.dll")  # a DLL that marks where it was loaded
    # By its path: "reg" alone takes a start.exe, whose ShellExecuteEx now and then fails.
    reg_argv = ["env", "WINEDLLOVERRIDES=" + _OVERRIDES + "b"] + _WINE + [
        "C:\\windows\\system32\\reg.exe"]

    def __init__(self):
        super().__init__()
        template = _template()  # beside it, so that its DLL directories can be hard links
        self.prefix = os.path.join(tempfile.mkdtemp(
            dir=os.path.dirname(os.path.dirname(template)), prefix="tarnwell-wine-"), "prefix")
        _copy_prefix(template, self.prefix)
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.program = (_shipped_exe(self.root) if self.name == "win32" else  # in a folder of
                        shutil.copy(_bin("win64", "tarnwell.exe"), self.root))  # the test's own
        self.env = _wine_env(self.prefix)
        self.stock = os.path.join(self.drive_c, "windows", "Web", "Screen")
        self._runs = []
        for argv in ([_WINESERVER, "-p300"], self.reg_argv + ["query", "HKCU"]):  # up to the end
            _run(argv, self.env, self.root, check=True)

    def run(self, *args, cwd=None, env=None, program=None):
        program = program or self.program
        ended, running = os.pipe()  # every process the run starts inherits `running`
        self._runs.append(ended)
        try:
            return _run((_WINE32 if is_32_bit(program) else _WINE) + [program] + list(args),
                        dict(self.env, **(env or {})), cwd or self.scratch, pass_fds=[running])
        finally:
            os.close(running)

    def wait(self):
        while self._runs:  # each at its end of file, once the last holder has ended
            os.read(self._runs[-1], 1)
            os.close(self._runs.pop())

    def refuse_launches(self):  # ShellExecute then finds no reg.exe
        for directory in self.system_dirs:
            os.remove(os.path.join(self.drive_c, "windows", directory, "reg.exe"))

    @contextlib.contextmanager
    def racing_reg(self):
        """reg.exe is the racing reg of its folder's width, importing through realreg.exe."""
        directories = [os.path.join(self.drive_c, "windows", d) for d in self.system_dirs]
        for directory in directories:
            os.rename(directory + "/reg.exe", directory + "/realreg.exe")  # a link: never written
            width = "win32" if directory.endswith("syswow64") else "win64"
            shutil.copy(_bin(width, "racing_reg.exe"), directory + "/reg.exe")
        yield {"TARNWELL_REAL_REG": "realreg.exe"}  # Wine's own, moved
        for directory in directories:
            os.replace(directory + "/realreg.exe", directory + "/reg.exe")

    def _end(self):
        for ending in ("-k", "-w"):  # its prefix removed once it has written its last
            _run([_WINESERVER, ending], self.env, "/")
        shutil.rmtree(os.path.dirname(self.prefix), ignore_errors=True)


class Win32Target(WineTarget):
    """The release archive's program, which finds syswow64's reg.exe."""

    name, system_dirs = "win32", ["syswow64", "system32"]
    racing_reg_program = _bin("win32", "racing_reg.exe")
    load_marker = _bin("win32", "load_marker.dll")


if __name__ == "__main__":  # the fixture, after a run killed before its cleanup too
    make_32_bit_wine_run()  # where it can, 32-bit Wine sets up the prefix's syswow64
    shutil.rmtree(os.environ["TARNWELL_WINE_TEMPLATE"], ignore_errors=True)
    _template()
