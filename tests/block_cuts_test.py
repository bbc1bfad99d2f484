#!/usr/bin/env python3
"""Another program cuts the shared block under running pedestals: one row a case."""
import os, re, shutil, signal, subprocess, sys, tempfile, time, unittest

PROGRAMS = dict(zip(("web", "window", "core"), sys.argv[1:4]))
del sys.argv[1:4]
SIZE = 128648
# Holds the creator for 0.3 s after it has sized its block, so that the cut lands there.
PAUSED = ["strace", "-qq", "-o", "/dev/null", "-e", "trace=fallocate", "-e",
          "inject=fallocate:delay_exit=300000"]
TRACED = "trace=nanosleep,clock_nanosleep,poll,ppoll,epoll_wait,epoll_pwait"
ALIVE = lambda t, alive, log, seen: t.assertTrue(alive, log)
NEVER_SLEEPS = lambda t, alive, log, seen: t.assertTrue(  # waits for its ticks all the same
    seen.count("nanosleep(") == 0 and len(re.findall(r"poll\(|epoll_p?wait\(", seen)) > 30, seen)
CASES = [  # pedestal, wrapper, cut sizes, pause after each, core thread traced, what must hold
    ("web", [], [0, SIZE] * 5, 0.2, False, ALIVE),
    ("window", [], [0, SIZE] * 5, 0.2, False, ALIVE),
    ("web", PAUSED, [4096], 0, False,  # the creator refuses: it never clears past its view
     lambda t, alive, log, seen: t.assertIn("Too Small\nIt has 4096 bytes", log)),
    ("core", [], [0, SIZE], 0.15, False,  # a cut grown back before the look is told as a cut
     lambda t, alive, log, seen: t.assertRegex(log, r"notice [^\n]*(Block Cut|It has 0 bytes)")),
    ("web", [], [4096], 0, True, NEVER_SLEEPS),
    ("window", [], [4096], 0, True, NEVER_SLEEPS),
]


class BlockCuts(unittest.TestCase):
    def test_cuts(self):
        for number, (program, wrapper, sizes, pause, traced, verdict) in enumerate(CASES):
            # strace is a test package (scripts/common.sh): a row that needs it fails without it.
            self.assertTrue(not (wrapper or traced) or shutil.which("strace"), "strace is missing")
            with self.subTest(row=number), tempfile.TemporaryFile("w+") as log:
                name = f"BlockCutsTest_{os.getpid()}_{number}"
                path = "/dev/shm/" + name
                command = {"web": ["--name", name, "--bind", "127.0.0.1", "--port", "0"],
                           "window": ["--block", name], "core": [name, "30"]}[program]
                proc = subprocess.Popen([*wrapper, PROGRAMS[program], *command], stdout=log,
                                        stderr=subprocess.STDOUT, start_new_session=True,
                                        env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
                try:
                    deadline = time.monotonic() + 10  # until the pedestal has sized its block
                    while not (os.path.exists(path) and os.path.getsize(path) == SIZE):
                        self.assertTrue(time.monotonic() < deadline and proc.poll() is None)
                        time.sleep(0.01)
                    time.sleep(0 if wrapper else 0.5)
                    tracer = traced and subprocess.Popen(
                        ["strace", "-qq", "-e", TRACED, "-p", str(proc.pid)],
                        stderr=subprocess.PIPE, text=True)
                    for size in sizes:
                        os.truncate(path, size); time.sleep(pause)
                    time.sleep(4 if traced else 2)
                    seen = tracer and (tracer.terminate() or tracer.communicate()[1])
                    alive = proc.poll() is None
                    log.seek(0)
                    verdict(self, alive, log.read(), seen)
                finally:
                    if proc.poll() is None:
                        os.killpg(proc.pid, signal.SIGKILL); proc.wait()
                    if os.path.exists(path):
                        os.unlink(path)


if __name__ == "__main__":
    unittest.main()
