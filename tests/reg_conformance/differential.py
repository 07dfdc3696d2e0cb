"""Differential runs: the same REG IMPORT files and REG ADD commands given to
the reg stand-in and to Wine's reg.exe, then each one's exit code, messages
and the keys it left compared. Wine is the reference; nothing here expects
any particular answer.

By hand, a larger run, or one of its files on its own:

    python3 tests/reg_conformance/differential.py --seed 7 --count 3000
    python3 tests/reg_conformance/differential.py --seed 7 --count 3000 --show 1234
"""

import argparse
import codecs
import concurrent.futures
import os
import random
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from reg_conformance import regfile_grammar, sides  # noqa: E402

# Exported key names below Software\Gen start with the tag of the input that
# made them: F<n> a generated file, K<n> a kept one, A<n> a REG ADD.
_TAG = re.compile(r"\\Gen\\([FKA]\d+)", re.IGNORECASE)
_EXPORTED = [("HKCU\\Software\\Gen", ()), ("HKLM\\Software\\Gen", ()),
             ("HKLM\\Software\\WOW6432Node\\Gen", ())]


class Case:
    """One input: a file to import (with a view option or none), or the
    arguments of a REG ADD after its key."""

    def __init__(self, tag, data=None, view=(), add=None, native_data=None):
        self.tag, self.data, self.view, self.add = tag, data, tuple(view), add
        self.native_data = data if native_data is None else native_data

    def describe(self):
        if self.add is not None:
            return "%s: reg add HKCU\\Software\\Gen\\%s /v v %r /f" % (self.tag, self.tag,
                                                                    self.add)
        return "%s: reg import %s%s\n%s" % (self.tag, " ".join(self.view), "", _show(self.data))


def _show(data):
    if data.startswith(codecs.BOM_UTF16_LE):
        return "(UTF-16LE) " + repr(data[2:].decode("utf-16-le", "replace"))
    return repr(data)


def generated_cases(seed, count):
    """`count` random files and a fifth as many REG ADDs, all from `seed`."""
    rng = random.Random(seed)
    cases = []
    for n in range(count):
        wine, native = regfile_grammar.draw_file(rng, n)
        view = rng.choice([(), (), (), ("/reg:32",), ("/reg:64",)])
        cases.append(Case("F%d" % n, wine, view, native_data=native))
    for n in range(max(1, count // 5)):
        cases.append(Case("A%d" % n, add=regfile_grammar.draw_add(rng)))
    return cases


def _sections(exported):
    """The export split into its key sections, grouped by input tag."""
    if not exported.startswith(codecs.BOM_UTF16_LE):
        return {None: [exported]}
    text = exported[2:].decode("utf-16-le", "surrogatepass")
    groups = {}
    for section in re.split(r"\r\n(?=\[)", text):
        match = _TAG.search(section.split("\r\n", 1)[0])
        groups.setdefault(match.group(1).upper() if match else None, []).append(section)
    return groups


class Differential:
    """Both sides in fresh prefixes under `root`, for one batch of cases."""

    def __init__(self, root, jobs=2):
        self.root = root
        self.jobs = jobs
        self.native = sides.NativeReg(os.path.join(root, "n"))
        self.wine = sides.WineReg(os.path.join(root, "w"))

    def close(self):
        self.wine.close()

    def _apply(self, side, case):
        if case.add is not None:
            key = "HKCU\\Software\\Gen\\" + case.tag
            code, out, _ = sides.run(side, "add", key, "/v", "v", *case.add, "/f")
        else:
            path = os.path.join(self.root, "in", "%s-%s.reg" % (case.tag, side.name))
            code, out, _ = sides.run(side, "import", sides.host_to_windows(path), *case.view)
        return code, out

    def _apply_all(self, side, cases):
        with concurrent.futures.ThreadPoolExecutor(self.jobs) as pool:
            return list(pool.map(lambda case: self._apply(side, case), cases))

    def _contents(self, side):
        groups = {}
        for i, (key, options) in enumerate(_EXPORTED):
            path = os.path.join(self.root, "%s-%d.reg" % (side.name, i))
            for tag, sections in _sections(sides.export_bytes(side, key, path, *options)).items():
                groups.setdefault(tag, []).append((key, sections))
        return groups

    def run(self, cases):
        """The cases on which the two sides disagree, each with the
        difference as text."""
        os.makedirs(os.path.join(self.root, "in"), exist_ok=True)
        for case in cases:
            for side, data in (("wine", case.data), ("native", case.native_data)):
                if data is not None:
                    with open(os.path.join(self.root, "in", "%s-%s.reg" % (case.tag, side)),
                              "wb") as f:
                        f.write(data)
        native = self._apply_all(self.native, cases)
        wine = self._apply_all(self.wine, cases)
        native_keys, wine_keys = self._contents(self.native), self._contents(self.wine)
        disagreements = []
        for case, n, w in zip(cases, native, wine):
            detail = []
            if n[0] != w[0] or not sides.same_console_text(n[1], w[1]):
                detail.append("exit code and output: native %r, wine %r" % (n, w))
            tag = case.tag.upper()
            if native_keys.get(tag) != wine_keys.get(tag):
                detail.append("keys: native %r\n        wine %r" % (native_keys.get(tag),
                                                                   wine_keys.get(tag)))
            if detail:
                disagreements.append((case, "\n    ".join(detail)))
        if native_keys.get(None) != wine_keys.get(None):
            disagreements.append((Case("-", b""), "keys outside every input: native %r, wine %r"
                                  % (native_keys.get(None), wine_keys.get(None))))
        return disagreements


def compare(cases, jobs=2):
    root = tempfile.mkdtemp(prefix="tarnwell-reg-differential-")
    differential = Differential(root, jobs)
    try:
        return differential.run(cases)
    finally:
        differential.close()
        shutil.rmtree(root, ignore_errors=True)


def report(disagreements):
    return "\n".join("%s\n    %s" % (case.describe(), detail) for case, detail in disagreements)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=13)
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--show", help="print one generated input (F<n> or A<n>) and stop")
    args = parser.parse_args(argv)
    cases = generated_cases(args.seed, args.count)
    if args.show:
        for case in cases:
            if case.tag.upper() == args.show.upper():
                sys.stdout.write(case.describe() + "\n")
        return 0
    started = time.monotonic()
    disagreements = compare(cases, args.jobs)
    sys.stdout.write(report(disagreements) + "\n")
    sys.stdout.write("%d of %d inputs disagree (%.0f s)\n" %
                     (len(disagreements), len(cases), time.monotonic() - started))
    return 1 if disagreements else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
