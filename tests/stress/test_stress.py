"""Many runs at once on one prefix, a full disk and a file-size limit."""

import os
import resource
import subprocess

from scenario import NUMBERS, ScenarioTest


class StressTest(ScenarioTest):
    def test_fifty_runs_at_once(self):
        # Half set an image; half log a missing backup into a log at the limit.
        filler = b"1/1/2024  " + b"f" * 88 + b"\r\n"
        self.write(self.path("tarnwell.log"), filler * ((1 << 20) // len(filler)))
        runs = [subprocess.Popen([self.target.program] + ["/uninstall"] * (i % 2),
                                 env=self.target.env, cwd=self.scratch, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE) for i in range(50)]
        self.assertEqual({run.communicate() + (run.returncode,) for run in runs}, {(b"", b"", 0)})
        self.target.wait()
        self.assertEqual(self.policy_values()[1:], NUMBERS)  # both hives still load
        self.assertEqual(len(self.target.launches()), 100)
        log = self.read(self.path("tarnwell.log"))
        self.assertLess(len(log), 1 << 20)
        ours = [line.partition(b"  ")[2] for line in log.split(b"\r\n")[:-1]
                if line != filler[:-2]]
        # A run that finds the log held by another loses its line; the rest stay whole.
        self.assertTrue(ours)
        self.assertEqual(set(ours), {b"No data registry file: " + self.scratch_win.encode() +
                                     b"\\reg.dat"})

    def test_full_disk_and_file_size_limit(self):
        # Every write to /dev/full fails as on a full disk: the line is lost, the run goes on.
        os.symlink("/dev/full", self.path("tarnwell.log"))
        self.run_tarnwell("/uninstall")
        os.remove(self.path("tarnwell.log"))
        self.target.refuse_launches()
        log = self.write(self.path("tarnwell.log"), b"1/1/2024  start\r\n")
        self.run_tarnwell(preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (40, 40)))
        self.assertEqual((self.read(log)[:17], len(self.read(log))), (b"1/1/2024  start\r\n", 40))
