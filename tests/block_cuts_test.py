#!/usr/bin/env python3
"""Another program cuts the shared block under running pedestals. Each row:
the pedestal, what is done to its block, what must hold afterwards."""
import os, re, shutil, signal, subprocess, sys, tempfile, time, unittest

WEB, WINDOW, CORE = sys.argv[1:4]
del sys.argv[1:4]
SIZE = 128648
def launch(program, name, log, prefix=()):
    command = {"web": [WEB, "--name", name, "--bind", "127.0.0.1", "--port", "0"],
               "window": [WINDOW, "--block", name], "core": [CORE, name, "30"]}[program]
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return subprocess.Popen([*prefix, *command], env=env, stdout=log, stderr=subprocess.STDOUT,
                            start_new_session=True)


def started(path, start, prefix=(), settle=0.5):  # the pedestal has sized its block
    proc = start(prefix)
    deadline = time.monotonic() + 10
    while not (os.path.exists(path) and os.path.getsize(path) == SIZE):
        assert time.monotonic() < deadline and proc.poll() is None, "no block"
        time.sleep(0.01)
    time.sleep(settle)
    return proc


def regrown(path, start):  # the loop that killed both with SIGBUS
    proc = started(path, start)
    for _ in range(5):
        os.truncate(path, 0); time.sleep(0.1); os.truncate(path, SIZE); time.sleep(0.3)
    return proc, None


def cut_once(path, start):  # cut and grown back between two looks
    proc = started(path, start)
    os.truncate(path, 0); time.sleep(0.15); os.truncate(path, SIZE); time.sleep(2)
    return proc, None


def created_under_cut(path, start):  # cut while its creator pauses after sizing it
    proc = started(path, start, ["strace", "-qq", "-o", "/dev/null", "-e", "trace=fallocate",
                                 "-e", "inject=fallocate:delay_exit=300000"], settle=0)
    os.truncate(path, 4096); time.sleep(1)
    return proc, None


def held_small(path, start):  # the core thread's system calls while it stays too small
    proc = started(path, start)
    os.truncate(path, 4096)
    trace = subprocess.Popen(["strace", "-qq", "-e", "trace=nanosleep,clock_nanosleep,poll,"
                              "ppoll,epoll_wait,epoll_pwait", "-p", str(proc.pid)],
                             stderr=subprocess.PIPE, text=True)
    time.sleep(4); trace.terminate()
    return proc, trace.communicate()[1]


def survives(test, alive, log, seen):
    test.assertTrue(alive, log)


def never_sleeps(test, alive, log, seen):  # ticks waited for, but no sleeping bursts
    test.assertEqual(seen.count("nanosleep("), 0, seen[-2000:])
    test.assertGreater(len(re.findall(r"poll\(|epoll_p?wait\(", seen)), 30, seen[-2000:])


def refuses_at_start(test, alive, log, seen):  # never clears past its view
    test.assertIn("Too Small\nIt has 4096 bytes", log)
    test.assertTrue(alive, log)


def tells_cut(test, alive, log, seen):
    test.assertRegex(log, r"notice [^\n]*(Block Cut|It has 0 bytes)")
    test.assertNotIn(f"It has {SIZE} bytes", log)


CASES = [  # pedestal, cuts, verdict
    ("web", regrown, survives),
    ("window", regrown, survives),
    ("web", created_under_cut, refuses_at_start),
    ("window", held_small, never_sleeps),
    ("web", held_small, never_sleeps),
    ("core", cut_once, tells_cut),
]


class BlockCuts(unittest.TestCase):
    def test_cuts(self):
        for number, (program, cuts, verdict) in enumerate(CASES):
            if cuts in (held_small, created_under_cut) and shutil.which("strace") is None:
                continue  # strace is a test package; without it these rows cannot look
            with self.subTest(program=program, cuts=cuts.__name__):
                self.replay(f"BlockCutsTest_{os.getpid()}_{number}", program, cuts, verdict)

    def replay(self, name, program, cuts, verdict):
        path = "/dev/shm/" + name
        with tempfile.TemporaryFile("w+") as log:
            proc = None
            try:
                proc, seen = cuts(path, lambda prefix=(): launch(program, name, log, prefix))
                alive = proc.poll() is None
                if alive:
                    os.killpg(proc.pid, signal.SIGTERM); proc.wait(10)
                log.seek(0)
                verdict(self, alive, log.read(), seen)
            finally:
                if proc is not None and proc.poll() is None:
                    os.killpg(proc.pid, signal.SIGKILL); proc.wait()
                if os.path.exists(path):
                    os.unlink(path)


if __name__ == "__main__":
    unittest.main()
