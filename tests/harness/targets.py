"""The targets of TARNWELL_E2E_TARGET: "native" (the emulated Windows), "wine"
(the win64 build) and "win32" (the release archive's exe, a WOW64 process),
each in its own temporary folder, HOME and prefix included."""

import atexit
import collections
import contextlib
import errno
import fcntl
import glob
import os
import shlex
import shutil
import subprocess
import tempfile
import time
import zipfile

Result = collections.namedtuple("Result", "returncode stdout stderr")
TIMEOUT = 120  # seconds, for one process and for the launched ones to end
TARGET_NAME = os.environ.get("TARNWELL_E2E_TARGET", "native")
_WINE, _WINE32, _WINESERVER = ("/usr/lib/wine/wine64", "/usr/bin/wine",
                               "/usr/lib/wine/wineserver")
_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
_WINE_SERVICES = {b"services.exe", b"winedevice.exe", b"plugplay.exe", b"svchost.exe",
                  b"rpcss.exe", b"explorer.exe", b"conhost.exe", b"wineboot.exe"}


def new_target():
    return {"native": NativeTarget, "wine": WineTarget, "win32": Win32Target}[TARGET_NAME]()


def cannot_run_32_bit():
    try:
        subprocess.run(["/usr/lib/wine/wine", "--version"], capture_output=True)
    except OSError as error:
        if error.errno != errno.ENOEXEC:
            raise
        return "the kernel cannot run 32-bit programs"


def _bin(preset, name):  # a built program
    directory = os.environ.get("TARNWELL_%s_BIN" % preset.upper())
    return os.path.abspath(os.path.join(directory or _ROOT + "/build/" + preset + "/bin", name))


def _run(argv, env, cwd, check=False, **options):
    for _ in range(2):
        done = subprocess.run(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=TIMEOUT * 3, **options)
        # Once more when Wine failed to start a program: no output at all (now
        # and then on a loaded machine), where the programs here say why.
        if argv[0] not in (_WINE, _WINE32) or done.returncode == 0 or done.stdout or done.stderr:
            break
    if check and done.returncode:
        raise AssertionError("%r failed: %r" % (argv, done))
    return Result(done.returncode, done.stdout, done.stderr)


def _wait_until(done):
    for _ in range(TIMEOUT * 100):
        if done():
            return
        time.sleep(0.01)
    raise AssertionError("launched processes still running")


def _try_flock(file, operation):
    with contextlib.suppress(BlockingIOError):
        return fcntl.flock(file, operation) or True


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
        self.prefix = os.path.join(self.root, "prefix")
        self.drive_c = os.path.join(self.prefix, "drive_c")
        os.mkdir(self.scratch)

    def windows_path(self, host):  # on Z:, the host's root
        return "Z:" + os.path.abspath(host).replace("/", "\\")

    def reg(self, *args, check=False):
        return _run(self.reg_argv + list(args), self.env, self.scratch, check)

    def launches(self):  # None: unseen
        return None

    def close(self):
        if os.path.isdir(self.root):
            self._end()
            shutil.rmtree(self.root, ignore_errors=True)


class NativeTarget(Target):
    """The native build as a copy named "lumen", beside a `reg` that records its launches."""

    name, module = "native", "lumen"

    def __init__(self):
        super().__init__()
        self.reg_argv = [_bin("native", "reg")]
        self.records = self.root + "/bin/launches"
        os.makedirs(self.records)
        self.program = shutil.copy(_bin("native", "tarnwell"), self.root + "/bin/lumen")
        self.recorder = self.root + "/bin/reg"
        self._record_launches_of(self.reg_argv[0])
        path = [p for p in os.environ["PATH"].split(":") if not os.path.exists(p + "/reg")]
        self.env = _own_env(self.root + "/home", TARNWELL_PREFIX=self.prefix, PATH=":".join(path))
        self.reg("query", "HKLM")  # lays out the fresh prefix
        self.stock = os.path.join(self.drive_c, "Windows", "Web", "Screen")

    def run(self, *args, cwd=None, env=None, **options):
        return _run([self.program] + list(args), dict(self.env, **(env or {})),
                    cwd or self.scratch, **options)

    def wait(self):
        # Each launched process holds this lock shared for as long as it lives.
        with open(os.path.join(self.prefix, ".launches.lock"), "a") as lock:
            _wait_until(lambda: _try_flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB))

    def launches(self):
        # The argument lists of the reg launches since the last call.
        found = []
        for name in os.listdir(self.records):
            with open(os.path.join(self.records, name)) as f:
                found.append(tuple(f.read().split("\0")[:-1]))
            os.remove(f.name)
        return sorted(found)

    def _record_launches_of(self, program):
        with open(self.recorder, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\0" "$@" >"$(mktemp %s/XXXXXX)"\nexec %s "$@"\n' %
                    (shlex.quote(self.records), shlex.quote(program)))
        os.chmod(self.recorder, 0o755)

    def refuse_launches(self):
        os.remove(self.recorder)

    @contextlib.contextmanager
    def racing_reg(self):
        """Launches start the racing reg, which imports through the stand-in; the
        environment it needs."""
        self._record_launches_of(_bin("native", "racing_reg"))
        yield {"TARNWELL_REAL_REG": "reg"}
        self._record_launches_of(self.reg_argv[0])

    def set_attributes(self, path, hidden=False, system=False, readonly=False):
        # As Wine keeps them: hidden and system in an extended attribute.
        if hidden or system:
            os.setxattr(path, "user.DOSATTRIB", b"0x%x" % (hidden * 2 + system * 4))
        if readonly:
            os.chmod(path, 0o444)

    @contextlib.contextmanager
    def hold_open(self, path, share_read):
        with open(path) as held:
            yield _try_flock(held, fcntl.LOCK_SH if share_read else fcntl.LOCK_EX)

    def _end(self):
        self.wait()


class _WineTemplate:
    path = None  # one per run, with a native prefix's stock pictures

    @classmethod
    def get(cls):
        if not cls.path:
            root = tempfile.mkdtemp(prefix="tarnwell-wine-")
            atexit.register(shutil.rmtree, root, ignore_errors=True)
            path, native = os.path.join(root, "prefix"), os.path.join(root, "native")
            _run([_WINE, "wineboot", "-i"], _wine_env(path), root, check=True)
            _run([_WINESERVER, "-w"], _wine_env(path), root)
            _run([_bin("native", "reg"), "query", "HKLM"], _own_env(root, TARNWELL_PREFIX=native),
                 root)
            shutil.copytree(os.path.join(native, "drive_c", "Windows", "Web", "Screen"),
                            os.path.join(path, "drive_c", "windows", "Web", "Screen"))
            cls.path = path
        return cls.path


def _wine_env(prefix):
    env = _own_env(os.path.join(os.path.dirname(prefix), "home"), WINEPREFIX=prefix,
                   WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
    return {name: value for name, value in env.items() if "DISPLAY" not in name}


def _copy_prefix(template, destination):
    # The DLL directories, which nothing writes, as hard links.
    subprocess.run(["cp", "-al", template, destination], check=True)
    windows = os.path.join(destination, "drive_c", "windows")
    for directory, subdirs, files in os.walk(destination):
        subdirs[:] = [s for s in subdirs if directory != windows or
                      s not in ("system32", "syswow64", "winsxs")]
        for name in files:
            path = os.path.join(directory, name)
            if not os.path.islink(path):
                os.unlink(path)
                shutil.copy2(os.path.join(template, os.path.relpath(path, destination)), path)


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
    reg_argv = [_WINE, "reg"]

    def __init__(self):
        super().__init__()
        self.program = (_shipped_exe(self.root) if self.name == "win32" else
                        _bin("win64", "tarnwell.exe"))
        _copy_prefix(_WineTemplate.get(), self.prefix)
        self.env = _wine_env(self.prefix)
        self.stock = os.path.join(self.drive_c, "windows", "Web", "Screen")

    def run(self, *args, cwd=None, env=None, program=None):
        program = program or self.program
        return _run([_WINE32 if is_32_bit(program) else _WINE, program] + list(args),
                    dict(self.env, **(env or {})), cwd or self.scratch)

    def wait(self):
        _wait_until(lambda: not self._launched())

    def _launched(self):
        marker = b"WINEPREFIX=" + os.fsencode(self.prefix)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            with contextlib.suppress(OSError), open("/proc/%s/environ" % pid, "rb") as f:
                if marker in f.read().split(b"\0"):
                    with open("/proc/%s/cmdline" % pid, "rb") as f:
                        name = f.read().split(b"\0")[0].replace(b"\\", b"/").rsplit(b"/")[-1]
                    if name.lower() not in _WINE_SERVICES and not name.startswith(b"wineserver"):
                        return True

    def refuse_launches(self):
        # ShellExecute then finds no reg.exe.
        for directory in self.system_dirs:
            os.remove(os.path.join(self.drive_c, "windows", directory, "reg.exe"))

    @contextlib.contextmanager
    def racing_reg(self):
        """reg.exe is the racing reg of the directory's width, which imports through
        the real one, kept as realreg.exe; the environment it needs."""
        directories = [os.path.join(self.drive_c, "windows", d) for d in self.system_dirs]
        for directory in directories:
            os.rename(directory + "/reg.exe", directory + "/realreg.exe")  # a link: never written
            width = "win32" if directory.endswith("syswow64") else "win64"
            shutil.copy(_bin(width, "racing_reg.exe"), directory + "/reg.exe")
        yield {"TARNWELL_REAL_REG": "realreg.exe",  # rather than Wine's own reg.exe
               "WINEDLLOVERRIDES": self.env["WINEDLLOVERRIDES"] + ";reg.exe=n"}
        for directory in directories:
            os.replace(directory + "/realreg.exe", directory + "/reg.exe")

    def set_attributes(self, path, hidden=False, system=False, readonly=False):
        for flag, on in (("h", hidden), ("s", system), ("r", readonly)):
            if on:  # the file is new: there is nothing to clear
                _run([_WINE, "attrib", "+" + flag, self.windows_path(path)], self.env, "/", True)

    def _end(self):
        _run([_WINESERVER, "-k"], self.env, "/")
        _run([_WINESERVER, "-w"], self.env, "/")


class Win32Target(WineTarget):
    """The release archive's program, which finds syswow64's reg.exe."""

    name, system_dirs = "win32", ["syswow64", "system32"]
