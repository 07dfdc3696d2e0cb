"""The targets the end-to-end scenarios run against, behind one interface.

"native" runs build/native/bin/tarnwell on the emulated Windows in a fresh
TARNWELL_PREFIX directory; "wine" runs build/win64/bin/tarnwell.exe under
wine64, and "win32" the stripped 32-bit tarnwell.exe of the release archive
under Debian's `wine` (the 32-bit loader), each in a fresh copy of a 64-bit
Wine prefix made once per test run, where the 32-bit program runs as on 64-bit
Windows (WOW64). Every scenario gets a new target in setUp and closes it in
tearDown:

    t = targets.new_target()
    self.addCleanup(t.close)
    t.reg("add", r"HKCU\\Software\\X", "/v", "n", "/t", "REG_DWORD", "/d", "1", "/f")
    result = t.run("/install")
    t.wait()

Environment: TARNWELL_E2E_TARGET ("native", "wine" or "win32"),
TARNWELL_NATIVE_BIN (build/native/bin), TARNWELL_WIN64_BIN (build/win64/bin),
TARNWELL_WIN32_BIN (build/win32/bin) and TARNWELL_WIN32_ARCHIVE (the release
archive). Optional: TARNWELL_WINE_TEMPLATE names a ready Wine prefix to copy
instead of making one.
"""

import atexit
import collections
import contextlib
import errno
import fcntl
import glob
import os
import shutil
import stat
import subprocess
import tempfile
import time
import zipfile

Result = collections.namedtuple("Result", "returncode stdout stderr")

RUN_TIMEOUT = 120  # seconds for one process
WAIT_TIMEOUT = 120  # seconds for the launched processes to end

_WINE = "/usr/lib/wine/wine64"
_WINESERVER = "/usr/lib/wine/wineserver"
# Debian's wrapper, which starts 32-bit programs with the 32-bit loader.
_WINE32 = "/usr/bin/wine"
_WINE32_LOADER = "/usr/lib/wine/wine"

_live_targets = []


# The target this run drives: "native", "wine" or "win32".
TARGET_NAME = os.environ.get("TARNWELL_E2E_TARGET", "native")


def new_target():
    """The target named by TARNWELL_E2E_TARGET, in a fresh prefix."""
    if TARGET_NAME == "native":
        return NativeTarget()
    if TARGET_NAME == "wine":
        return WineTarget()
    if TARGET_NAME == "win32":
        return Win32Target()
    raise ValueError("TARNWELL_E2E_TARGET must be native, wine or win32, not %r" % TARGET_NAME)


def cannot_run_32_bit():
    """Why this machine cannot run 32-bit programs, or None when it can. A
    missing 32-bit Wine is not such a reason: install it."""
    if not os.path.isfile(_WINE32_LOADER):
        raise RuntimeError("32-bit Wine (%s) is missing: scripts/install-deps all" %
                           _WINE32_LOADER)
    try:
        subprocess.run([_WINE32_LOADER, "--version"], capture_output=True, timeout=RUN_TIMEOUT)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return "the kernel cannot run 32-bit programs (no IA32 emulation)"
        raise
    return None


def _bin_dir(variable, default_preset):
    value = os.environ.get(variable)
    if value:
        return value
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    return os.path.join(root, "build", default_preset, "bin")


def _require_file(path, what):
    if not os.path.isfile(path):
        raise RuntimeError("%s not found at %s; build it first" % (what, path))


def _run(argv, env, cwd, timeout=RUN_TIMEOUT, stdin=subprocess.DEVNULL):
    completed = subprocess.run(argv, env=env, cwd=cwd, stdin=stdin, capture_output=True,
                               timeout=timeout)
    return Result(completed.returncode, completed.stdout, completed.stderr)


def _run_wine(argv, env, cwd):
    """Runs a Wine program, once more when Wine itself failed to start it: a
    failure with nothing on either stream (seen now and then on a loaded
    machine), where the programs run here always say why they fail."""
    result = _run(argv, env, cwd)
    if result.returncode != 0 and not result.stdout and not result.stderr:
        result = _run(argv, env, cwd)
    return result


def _checked(result, argv):
    if result.returncode != 0:
        raise AssertionError("%s exited with %d\nstdout: %r\nstderr: %r" %
                             (" ".join(argv), result.returncode, result.stdout, result.stderr))
    return result


class Target:
    """What both targets share: the drive mapping, scratch space and clean-up."""

    name = None

    def __init__(self):
        self._root = tempfile.mkdtemp(prefix="tarnwell-e2e-%s-" % self.name)
        self.scratch = os.path.join(self._root, "scratch")
        os.mkdir(self.scratch)
        self._closed = False
        _live_targets.append(self)

    # C: is the prefix's drive_c and Z: the host's root, on both targets.
    def host_path(self, win_path):
        """The host path of an absolute Windows path on C: or Z:. Existing
        components are matched without regard to case, as Windows does."""
        path = win_path.replace("/", "\\")
        if len(path) < 2 or path[1] != ":":
            raise ValueError("not an absolute Windows path: %r" % win_path)
        drive = path[0].lower()
        if drive == "c":
            host = self.drive_c
        elif drive == "z":
            host = "/"
        else:
            raise ValueError("no drive %s: on this target" % path[0])
        for part in path[2:].split("\\"):
            if not part or part == ".":
                continue
            candidate = os.path.join(host, part)
            if not os.path.lexists(candidate) and os.path.isdir(host):
                for entry in os.listdir(host):
                    if entry.lower() == part.lower():
                        candidate = os.path.join(host, entry)
                        break
            host = candidate
        return host

    def windows_path(self, host_path):
        """The Windows path of a host path: C:\\... under drive_c, else Z:\\..."""
        host = os.path.abspath(host_path)
        drive_c = os.path.abspath(self.drive_c)
        if host == drive_c:
            return "C:\\"
        if host.startswith(drive_c + os.sep):
            return "C:\\" + os.path.relpath(host, drive_c).replace("/", "\\")
        return "Z:" + host.replace("/", "\\")

    def close(self):
        if self._closed:
            return
        self._closed = True
        self._end_processes()
        shutil.rmtree(self._root, ignore_errors=True)
        if self in _live_targets:
            _live_targets.remove(self)

    def _end_processes(self):
        pass

    @contextlib.contextmanager
    def _holding(self, argv, env, cwd, host_path):
        """Runs a holder that says "ready" once it holds the file and lets go
        when its standard input closes."""
        holder = subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE)
        self._holders.append(holder)
        try:
            _expect_ready(holder, host_path)
            yield
        finally:
            _release(holder)
            self._holders.remove(holder)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class NativeTarget(Target):
    """The native build on the emulated Windows, in its own TARNWELL_PREFIX."""

    name = "native"

    def __init__(self):
        super().__init__()
        self._bin = os.path.abspath(_bin_dir("TARNWELL_NATIVE_BIN", "native"))
        self._tarnwell = os.path.join(self._bin, "tarnwell")
        self._reg = os.path.join(self._bin, "reg")
        _require_file(self._tarnwell, "tarnwell")
        _require_file(self._reg, "reg")
        self.prefix = os.path.join(self._root, "prefix")
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self._env = dict(os.environ, TARNWELL_PREFIX=self.prefix)
        self._holders = []
        # Let the platform lay out the fresh prefix (drive_c, stock images).
        self.reg("query", "HKLM")

    def reg(self, *args, check=False):
        argv = [self._reg] + list(args)
        result = _run(argv, self._env, self.scratch)
        return _checked(result, argv) if check else result

    def run(self, *args, cwd=None, env=None):
        argv = [self._tarnwell] + list(args)
        return _run(argv, dict(self._env, **(env or {})), cwd or self.scratch)

    def wait(self):
        # Every process the native ShellExecute launches holds a shared lock
        # on this file until it ends.
        lock_path = os.path.join(self.prefix, ".launches.lock")
        if not os.path.exists(lock_path):
            return
        deadline = time.monotonic() + WAIT_TIMEOUT
        with open(lock_path, "rb") as lock:
            while True:
                try:
                    fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                    fcntl.flock(lock, fcntl.LOCK_UN)
                    return
                except BlockingIOError:
                    if time.monotonic() > deadline:
                        raise AssertionError("launched processes still running after %d s" %
                                             WAIT_TIMEOUT)
                    time.sleep(0.02)

    def refuse_launches(self):
        # A copy of tarnwell with no reg beside it and none on PATH.
        lonely = os.path.join(self._root, "no-reg")
        os.makedirs(lonely, exist_ok=True)
        shutil.copy2(self._tarnwell, os.path.join(lonely, "tarnwell"))
        self._tarnwell = os.path.join(lonely, "tarnwell")
        path = [p for p in self._env.get("PATH", "").split(os.pathsep)
                if p and not os.path.exists(os.path.join(p, "reg"))]
        self._env["PATH"] = os.pathsep.join(path)

    def set_attributes(self, host_path, hidden=False, system=False, readonly=False):
        # Hidden and system live in the same extended attribute Wine uses;
        # read-only is the absence of write permission.
        attributes = (0x2 if hidden else 0) | (0x4 if system else 0)
        if attributes:
            os.setxattr(host_path, "user.DOSATTRIB", b"0x%x" % attributes)
        else:
            with contextlib.suppress(OSError):
                os.removexattr(host_path, "user.DOSATTRIB")
        mode = stat.S_IMODE(os.stat(host_path).st_mode)
        writable = stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH
        os.chmod(host_path, mode & ~writable if readonly else mode | stat.S_IWUSR)

    @contextlib.contextmanager
    def hold_open(self, host_path, share_read=True):
        """Another process holds the file open: with share_read, others may
        still read it (a shared lock); without, nobody may open it."""
        mode = "-s" if share_read else "-x"
        with self._holding(["flock", mode, "-w", "30", host_path, "sh", "-c",
                            "echo ready; exec cat >/dev/null"], None, None, host_path):
            yield

    def _end_processes(self):
        for holder in list(self._holders):
            holder.kill()
            holder.wait()
        with contextlib.suppress(AssertionError):
            self.wait()


def _expect_ready(holder, host_path):
    line = holder.stdout.readline()
    if line.strip() != b"ready":
        holder.kill()
        holder.wait()
        raise AssertionError("could not hold %s open" % host_path)


def _release(holder):
    holder.stdin.close()
    try:
        holder.wait(timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        holder.kill()
        holder.wait()


class _WineTemplate:
    """One initialised Wine prefix per test run, copied for every target."""

    path = None
    owned = False

    @classmethod
    def get(cls):
        if cls.path:
            return cls.path
        given = os.environ.get("TARNWELL_WINE_TEMPLATE")
        if given:
            cls.path = given
            return given
        path = tempfile.mkdtemp(prefix="tarnwell-wine-template-")
        cls.path, cls.owned = path, True
        env = _wine_env(path)
        # wineboot cannot use an existing empty directory as a new prefix.
        os.rmdir(path)
        _checked(_run([_WINE, "wineboot", "-i"], env, "/", timeout=300), ["wineboot", "-i"])
        _run([_WINESERVER, "-w"], env, "/", timeout=300)
        cls._add_stock_images(path)
        return path

    @staticmethod
    def _add_stock_images(path):
        # The same stock lock-screen pictures as a fresh native prefix has.
        # The native program lays out its prefix on start; "foo" does nothing else.
        tarnwell = os.path.join(_bin_dir("TARNWELL_NATIVE_BIN", "native"), "tarnwell")
        if not os.path.isfile(tarnwell):
            return
        with tempfile.TemporaryDirectory(prefix="tarnwell-stock-") as native_prefix:
            _run([tarnwell, "foo"], dict(os.environ, TARNWELL_PREFIX=native_prefix), native_prefix)
            for windows in ("Windows", "windows"):
                stock = os.path.join(native_prefix, "drive_c", windows, "Web", "Screen")
                if os.path.isdir(stock):
                    shutil.copytree(stock, os.path.join(path, "drive_c", "windows", "Web",
                                                        "Screen"))
                    break

    @classmethod
    def remove(cls):
        if cls.path and cls.owned:
            _run([_WINESERVER, "-k"], _wine_env(cls.path), "/")
            shutil.rmtree(cls.path, ignore_errors=True)
        cls.path = None


def _wine_env(prefix):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


# The big directories of DLLs are shared with the template by hard links;
# nothing writes to them. Everything else is copied.
_SHARED_DIRS = ("drive_c/windows/system32", "drive_c/windows/winsxs", "drive_c/windows/syswow64")


def _copy_prefix(template, destination):
    subprocess.run(["cp", "-al", template, destination], check=True)
    shared = {os.path.join(destination, d) for d in _SHARED_DIRS}
    for directory, subdirs, files in os.walk(destination):
        subdirs[:] = [s for s in subdirs if os.path.join(directory, s) not in shared]
        for name in files:
            path = os.path.join(directory, name)
            if os.path.islink(path):
                continue
            source = os.path.join(template, os.path.relpath(path, destination))
            os.unlink(path)
            shutil.copy2(source, path)


# Processes a prefix runs for itself, and the hold_open helper.
_WINE_OWN_PROGRAMS = {b"services.exe", b"winedevice.exe", b"plugplay.exe", b"svchost.exe",
                      b"rpcss.exe", b"explorer.exe", b"conhost.exe", b"wineboot.exe",
                      b"hold_file.exe"}


def win64_exe():
    """The win64 build's tarnwell.exe."""
    exe = os.path.join(os.path.abspath(_bin_dir("TARNWELL_WIN64_BIN", "win64")), "tarnwell.exe")
    _require_file(exe, "tarnwell.exe (the win64 build)")
    return exe


class _ShippedExe:
    """The tarnwell.exe of the release archive, unpacked once per test run."""

    path = None

    @classmethod
    def get(cls):
        if cls.path:
            return cls.path
        archive = os.environ.get("TARNWELL_WIN32_ARCHIVE")
        if not archive:
            build = os.path.join(os.path.dirname(_bin_dir("TARNWELL_WIN32_BIN", "win32")),
                                 "package")
            archive = next(iter(sorted(glob.glob(os.path.join(build, "tarnwell-*-win32.zip")))),
                           os.path.join(build, "tarnwell-win32.zip"))
        if not os.path.isfile(archive):
            raise RuntimeError("release archive not found at %s; build it first: cmake --build "
                               "--preset win32 --target package" % archive)
        directory = tempfile.mkdtemp(prefix="tarnwell-shipped-")
        with zipfile.ZipFile(archive) as opened:
            opened.extract("tarnwell.exe", directory)
        cls.path = os.path.join(directory, "tarnwell.exe")
        return cls.path

    @classmethod
    def remove(cls):
        if cls.path:
            shutil.rmtree(os.path.dirname(cls.path), ignore_errors=True)
        cls.path = None


def win32_exe():
    """The shipped 32-bit tarnwell.exe, from the release archive."""
    return _ShippedExe.get()


def is_32_bit(exe):
    """True for an x86 (i386) Windows program."""
    with open(exe, "rb") as f:
        image = f.read(4096)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    return int.from_bytes(image[pe + 4:pe + 6], "little") == 0x14C  # IMAGE_FILE_MACHINE_I386


def loader_of(exe):
    """The Wine loader for a Windows program: 32-bit ones go through Debian's
    wrapper, which starts the 32-bit loader."""
    return _WINE32 if is_32_bit(exe) else _WINE


class WineTarget(Target):
    """The win64 build under wine64, in a copy of the run's template prefix."""

    name = "wine"

    def __init__(self):
        super().__init__()
        self._exe = self._program()
        self.prefix = os.path.join(self._root, "prefix")
        _copy_prefix(_WineTemplate.get(), self.prefix)
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self._env = _wine_env(self.prefix)
        self._holders = []

    def _program(self):
        return win64_exe()

    def _system_dirs(self):
        return ["system32"]

    def reg(self, *args, check=False):
        argv = [_WINE, "reg"] + list(args)
        result = _run_wine(argv, self._env, self.scratch)
        return _checked(result, argv) if check else result

    def run(self, *args, cwd=None, env=None):
        return self.run_program(self._exe, *args, cwd=cwd, env=env)

    def run_program(self, host_path, *args, cwd=None, env=None):
        """Runs any Windows program of the host in this prefix, under the
        loader of its bitness."""
        argv = [loader_of(host_path), host_path] + list(args)
        return _run_wine(argv, dict(self._env, **(env or {})), cwd or self.scratch)

    def wait(self):
        # Not `wineserver -w`: that would also wait for a hold_open helper.
        deadline = time.monotonic() + WAIT_TIMEOUT
        while self._launched_processes():
            if time.monotonic() > deadline:
                raise AssertionError("launched processes still running after %d s" %
                                     WAIT_TIMEOUT)
            time.sleep(0.05)

    def _launched_processes(self):
        """Host processes of this prefix other than Wine's own services and
        the hold_open helper."""
        marker = b"WINEPREFIX=" + os.fsencode(self.prefix)
        launched = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/environ" % pid, "rb") as environ:
                    if marker not in environ.read().split(b"\0"):
                        continue
                with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
                    program = cmdline.read().split(b"\0")[0]
            except OSError:  # ended meanwhile
                continue
            name = program.replace(b"\\", b"/").rsplit(b"/", 1)[-1].lower()
            if name not in _WINE_OWN_PROGRAMS and not name.startswith(b"wineserver"):
                launched.append((int(pid), program))
        return launched

    def refuse_launches(self):
        # ShellExecute then finds no reg.exe and returns 2 (file not found).
        for directory in self._system_dirs():
            reg_exe = os.path.join(self.drive_c, "windows", directory, "reg.exe")
            if os.path.exists(reg_exe):
                os.rename(reg_exe, os.path.join(self._root, directory + "-reg.exe.refused"))

    def set_attributes(self, host_path, hidden=False, system=False, readonly=False):
        # Wine's attrib applies only one flag per call.
        win_path = self.windows_path(host_path)
        for flag, on in (("h", hidden), ("s", system), ("r", readonly)):
            argv = [_WINE, "attrib", ("+" if on else "-") + flag, win_path]
            _checked(_run(argv, self._env, self.scratch), argv)

    @contextlib.contextmanager
    def hold_open(self, host_path, share_read=True):
        """A Windows process of this prefix holds the file open with read
        access, sharing read access only with share_read."""
        helper = self._hold_file_helper()
        with self._holding(
                [loader_of(helper), helper, self.windows_path(host_path),
                 "read" if share_read else "none"],
                self._env, self.scratch, host_path):
            yield

    def _hold_file_helper(self):
        helper = os.path.join(os.path.dirname(self._exe), "hold_file.exe")
        _require_file(helper, "hold_file.exe (the win64 build)")
        return helper

    def _end_processes(self):
        for holder in list(self._holders):
            holder.kill()
            holder.wait()
        _run([_WINESERVER, "-k"], self._env, "/")
        _run([_WINESERVER, "-w"], self._env, "/", timeout=WAIT_TIMEOUT)


class Win32Target(WineTarget):
    """The shipped win32 tarnwell.exe under the 32-bit loader, in a copy of
    the run's 64-bit template prefix: a WOW64 process, whose launched reg.exe
    is syswow64's. The registry tool of the scenarios stays the 64-bit one."""

    name = "win32"

    def _program(self):
        return win32_exe()

    def _system_dirs(self):
        # A 32-bit program finds syswow64\reg.exe; take system32's away too,
        # so that no reg.exe is left to find.
        return ["syswow64", "system32"]

    def _hold_file_helper(self):
        helper = os.path.join(os.path.abspath(_bin_dir("TARNWELL_WIN32_BIN", "win32")),
                              "hold_file.exe")
        _require_file(helper, "hold_file.exe (the win32 build)")
        return helper


@atexit.register
def _close_everything():
    for target in list(_live_targets):
        target.close()
    _WineTemplate.remove()
    _ShippedExe.remove()
