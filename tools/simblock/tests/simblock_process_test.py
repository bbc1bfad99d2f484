#!/usr/bin/env python3
"""Drives the built simblock as a process against blocks of the tests' own
names, beside a stand-in pedestal process.

usage: simblock_process_test.py SIMBLOCK TEST_PEDESTAL [unittest options]
"""
import json
import os
import pty
import queue
import random
import re
import select
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SIMBLOCK = ""
PEDESTAL = ""
SHM_DIR = "/dev/shm"
BLOCK_SIZE = 128648
EXIT = {"ok": 0, "failure": 1, "usage": 2, "missing": 3, "small": 4, "version": 5,
        "in_use": 6, "exists": 7}


def run(*args, env=None, timeout=30):
    return subprocess.run([SIMBLOCK, *args], capture_output=True, text=True, env=env,
                          timeout=timeout)


def read_text(path):
    with open(path) as f:
        return f.read()


def layout():
    """Field offsets as the tool documents them, so no test copies them."""
    result = run("fields", "--json")
    assert result.returncode == 0, result.stderr
    return {f["name"]: f for f in json.loads(result.stdout)["fields"]}


class BlockTest(unittest.TestCase):
    counter = 0

    def setUp(self):
        BlockTest.counter += 1
        self.name = f"simblock-test-{os.getpid()}-{BlockTest.counter}"
        self.helpers = []
        self.tmp = tempfile.TemporaryDirectory()
        # A cleanup runs also when a subclass's setUp fails half way.
        self.addCleanup(self.clean_up)

    def clean_up(self):
        for helper in self.helpers:
            if helper.poll() is None:
                helper.kill()
            helper.communicate()
        run("remove", "--force", "--name", self.name)
        self.tmp.cleanup()
        self.assertFalse(os.path.exists(self.path()), "a test block was left behind")

    def path(self, name=None):
        return os.path.join(SHM_DIR, name or self.name)

    def tool(self, *args, **kwargs):
        # --block here, its alias --name in the other calls.
        return run(*args, "--block", self.name, **kwargs)

    def create(self):
        result = self.tool("create")
        self.assertEqual(result.returncode, 0, result.stderr)

    def block_bytes(self):
        with open(self.path(), "rb") as f:
            return f.read()

    def get(self, *items):
        result = self.tool("get", "--json", *items)
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout)

    def start_pedestal(self, seconds=60):
        helper = subprocess.Popen([PEDESTAL, self.name, str(seconds)], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        self.helpers.append(helper)
        self.assertEqual(helper.stdout.readline().strip(), "attached")
        return helper


class Lifecycle(BlockTest):
    def test_every_command_has_help_naming_the_exit_codes(self):
        for command in ["status", "fields", "get", "set", "watch", "record", "replay", "create",
                        "remove", "report"]:
            result = run(command, "--help")
            self.assertEqual(result.returncode, 0, command)
            self.assertIn("3 no such block", result.stdout, command)
            self.assertIn("--help", result.stdout, command)
        self.assertIn("speedbrake: in (1), out (3)", run("set", "--help").stdout)

    def test_missing_block_has_its_own_exit_code_everywhere(self):
        for args in [["status"], ["get"], ["set", "flaps=2"], ["watch", "--count", "1"],
                     ["remove"]]:
            result = self.tool(*args)
            self.assertEqual(result.returncode, EXIT["missing"], args)
            self.assertIn(f"no block named {self.name}", result.stderr, args)
        self.assertFalse(os.path.exists(self.path()))

    def test_bad_arguments_are_usage_errors(self):
        self.assertEqual(run("status", "--name", "a/b").returncode, EXIT["usage"])
        self.assertEqual(run("status", "--name", "").returncode, EXIT["usage"])
        self.assertEqual(run("frobnicate").returncode, EXIT["usage"])
        self.assertEqual(run().returncode, EXIT["usage"])
        self.assertEqual(self.tool("watch", "--count", "0").returncode, EXIT["usage"])
        self.create()
        result = self.tool("get", "flap")
        self.assertEqual(result.returncode, EXIT["usage"])
        self.assertIn("items are flaps", result.stderr)

    def test_floating_point_options_refuse_nan_and_infinity(self):
        self.create()
        script = os.path.join(self.tmp.name, "script.txt")
        with open(script, "w") as f:
            f.write("0 flaps=3\n0.5 gear=up\n")
        before = self.block_bytes()
        for value in ["nan", "NaN", "-nan", "inf", "-inf", "infinity", "1e999"]:
            for args in [["replay", script, "--speed", value],
                         ["watch", "--log", "--duration", value],
                         ["record", os.path.join(self.tmp.name, "r.txt"), "--duration", value]]:
                result = self.tool(*args, timeout=10)
                self.assertEqual(result.returncode, EXIT["usage"], (args, result.stderr))
                self.assertIn("not a finite number", result.stderr, args)
        self.assertEqual(self.block_bytes(), before)
        self.assertFalse(os.path.exists(os.path.join(self.tmp.name, "r.txt")))

    def test_create_stamps_the_block_as_the_first_pedestal_would_and_leaves_no_user(self):
        self.create()
        status = json.loads(self.tool("status", "--json", "--sample-ms", "100").stdout)
        self.assertEqual(status["size"], BLOCK_SIZE)
        self.assertEqual(status["version"], status["expectedVersion"])
        self.assertEqual(len(status["version"]), 41)
        self.assertTrue(status["versionMatches"])
        self.assertEqual(status["users"], 0)
        self.assertEqual(status["mode"], "rw-rw-rw-")
        self.assertEqual(status["pedestal"], "stale")

        fields = layout()
        data = self.block_bytes()
        version = fields["versionText"]
        stamp = data[version["offset"]:version["offset"] + version["width"]]
        self.assertEqual(stamp, status["version"].encode().ljust(64, b"\0"))
        sections = fields["sectionPointers"]
        slots = [int.from_bytes(data[sections["offset"] + 4 * i:sections["offset"] + 4 * i + 4],
                                "little") for i in range(10)]
        self.assertEqual(slots[8], 0)
        self.assertEqual(len({s for i, s in enumerate(slots) if i != 8}), 9)
        # Everything but the stamp and the section table is zero.
        rest = bytearray(data)
        rest[version["offset"]:version["offset"] + 64] = bytes(64)
        rest[sections["offset"]:sections["offset"] + 40] = bytes(40)
        self.assertEqual(bytes(rest), bytes(BLOCK_SIZE))

    def test_create_refuses_an_existing_block_and_changes_nothing(self):
        self.create()
        self.assertEqual(self.tool("set", "flaps=3").returncode, 0)
        before = self.block_bytes()
        result = self.tool("create")
        self.assertEqual(result.returncode, EXIT["exists"])
        self.assertIn("exists already", result.stderr)
        self.assertEqual(self.block_bytes(), before)

    def test_remove_is_refused_while_in_use_unless_forced(self):
        self.create()
        self.start_pedestal()
        self.assertEqual(self.get("users")["users"], 1)
        result = self.tool("remove")
        self.assertEqual(result.returncode, EXIT["in_use"])
        self.assertIn("has 1 users", result.stderr)
        self.assertTrue(os.path.exists(self.path()))
        removed_inode = os.stat(self.path()).st_ino
        self.assertEqual(self.tool("remove", "--force").returncode, 0)
        # The running pedestal creates a new block once it finds the old one
        # gone; the removed one never comes back.
        if os.path.exists(self.path()):
            self.assertNotEqual(os.stat(self.path()).st_ino, removed_inode)

    def test_remove_after_the_last_user_left(self):
        self.create()
        helper = self.start_pedestal()
        helper.terminate()
        self.assertEqual(helper.wait(timeout=10), 0)
        self.assertEqual(self.get("users")["users"], 0)
        result = self.tool("remove")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(os.path.exists(self.path()))
        self.assertEqual(self.tool("remove").returncode, EXIT["missing"])

    def test_too_small_block(self):
        fd = os.open(self.path(), os.O_CREAT | os.O_EXCL | os.O_RDWR, 0o600)
        os.ftruncate(fd, 1000)
        os.close(fd)
        for args in [["status"], ["get"], ["set", "flaps=1"], ["remove"]]:
            result = self.tool(*args)
            self.assertEqual(result.returncode, EXIT["small"], args)
            self.assertIn("1000 bytes, smaller than the 128648", result.stderr, args)
        self.assertEqual(self.block_bytes(), bytes(1000))
        self.assertIn("rw------- (0600)", self.tool("status").stdout)

    def test_foreign_version_is_shown_and_refused(self):
        self.create()
        self.assertEqual(self.tool("set", "versionText= TS_P_0001_02_genericSim $Revision: 5.3")
                         .returncode, 0)
        before = self.block_bytes()
        got = self.tool("get", "--json")
        self.assertEqual(got.returncode, EXIT["version"])
        found = json.loads(got.stdout)
        self.assertEqual(found["version"], " TS_P_0001_02_genericSim $Revision: 5.3")
        self.assertFalse(found["versionMatches"])
        self.assertNotIn("flaps", found)
        plain = self.tool("get")
        self.assertEqual(plain.returncode, EXIT["version"])
        self.assertIn("$Revision: 5.3\"", plain.stdout)
        watch = self.tool("watch", "--count", "1")
        self.assertEqual(watch.returncode, EXIT["version"])
        self.assertIn("$Revision: 5.3\"", watch.stdout)
        self.assertEqual(self.tool("status").returncode, EXIT["version"])
        self.assertEqual(self.tool("set", "flaps=2").returncode, EXIT["version"])
        self.assertEqual(self.tool("remove").returncode, EXIT["version"])
        self.assertEqual(self.block_bytes(), before)


class Settings(BlockTest):
    def setUp(self):
        super().setUp()
        self.create()

    def test_levers_round_trip_through_get(self):
        result = self.tool("set", "flaps=2", "thrust=flx", "gear=up", "brakes=on",
                           "speedbrake=out")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("flapLever[2]=1", result.stdout.splitlines())
        got = self.get()
        self.assertEqual(got["flaps"], {"detent": "2", "flapLever": [0, 0, 1, 0, 0]})
        self.assertEqual(got["thrust"], {"detent": "MCT/FLX", "state": 4,
                                         "thrustLever": [96, 96]})
        self.assertEqual(got["gear"], {"position": "up", "gearLeverUp": 1, "gearUpSelected": 1,
                                       "gearDownSelected": 0})
        self.assertEqual(got["brakes"], {"state": "on", "brakeDemand": [1, 1, 1]})
        self.assertEqual(got["speedbrake"], {"position": "out", "speedBrakeLever": 3})
        self.assertEqual(got["users"], 0)

        self.assertEqual(self.tool("set", "flaps=full", "gear=down", "brakes=off", "thrust=12.5",
                                   "speedbrake=in").returncode, 0)
        got = self.get()
        self.assertEqual(got["flaps"]["flapLever"], [0, 0, 0, 0, 1])
        self.assertEqual(got["gear"]["position"], "down")
        self.assertEqual(got["gear"]["gearDownSelected"], 1)
        self.assertEqual(got["brakes"]["state"], "off")
        self.assertEqual(got["thrust"]["thrustLever"], [12.5, 12.5])
        self.assertEqual(got["thrust"]["detent"], "CL")
        self.assertEqual(got["speedbrake"]["position"], "in")

    def test_raw_fields_round_trip(self):
        self.assertEqual(self.tool("set", "thrustLever[1]=85.5", "gearLeverUp=1",
                                   "aidControlsHeartbeat=-2147483648", "flapLever[3]=7")
                         .returncode, 0)
        got = self.get("thrustLever[1]", "gearLeverUp", "aidControlsHeartbeat", "flapLever",
                       "thrustLever[0]")
        self.assertEqual(got["thrustLever[1]"], 85.5)
        self.assertEqual(got["gearLeverUp"], 1)
        self.assertEqual(got["aidControlsHeartbeat"], -2147483648)
        self.assertEqual(got["flapLever"], [0, 0, 0, 7, 0])
        self.assertEqual(got["thrustLever[0]"], 0)
        plain = self.tool("get", "thrust", "thrustLever[1]").stdout
        self.assertRegex(plain, r"thrust\s+IDLE\s+thrustLever 0 85.5 %")
        self.assertRegex(plain, r"thrustLever\[1\]\s+85.5")

    def test_thrust_detents_follow_lever_one(self):
        cases = [("1.99", "IDLE"), ("2", "CL"), ("79.99", "CL"), ("80", "MCT/FLX"),
                 ("96.99", "MCT/FLX"), ("97", "TO/GA"), ("-10", "IDLE"), ("-10.01", "TO/GA"),
                 ("nan", "TO/GA")]
        for value, detent in cases:
            self.assertEqual(self.tool("set", f"thrustLever[0]={value}", "thrustLever[1]=50")
                             .returncode, 0)
            self.assertEqual(self.get("thrust")["thrust"]["detent"], detent, value)

    def test_refused_settings_leave_the_block_unchanged(self):
        self.assertEqual(self.tool("set", "flaps=1", "thrust=cl").returncode, 0)
        before = self.block_bytes()
        refusals = [
            (["flaps=2", "flaps=5"], "flaps takes up, 1, 2, 3, full"),
            (["thrust=toga", "gearLeverUp=256"], "gearLeverUp takes a whole number from 0 to 255"),
            (["thrustLever[0]=8,5"], "not a number"),
            (["thrustLever[2]=1"], "from 0 to 1"),
            (["thrustLever=1"], "thrustLever[i]"),
            (["gear=up", "flap=2"], "accepted are the levers"),
            (["brakes=on", "brakes"], "expected NAME=VALUE"),
            (["thrust=150"], "from 0 to 100"),
            (["userCount=2147483648"], "-2147483648 to 2147483647"),
            (["versionText=" + "x" * 65], "at most 64 bytes"),
        ]
        for settings, message in refusals:
            result = self.tool("set", *settings)
            self.assertEqual(result.returncode, EXIT["usage"], settings)
            self.assertIn(message, result.stderr, settings)
            self.assertIn("nothing written", result.stderr, settings)
            self.assertEqual(result.stdout, "", settings)
            self.assertEqual(self.block_bytes(), before, settings)

    def test_set_writes_only_the_named_fields(self):
        fields = layout()
        before = bytearray(self.block_bytes())
        self.assertEqual(self.tool("set", "gear=up").returncode, 0)
        after = self.block_bytes()
        for name in ["gearLeverUp", "gearUpSelected"]:
            before[fields[name]["offset"]] = 1
        self.assertEqual(after, bytes(before))


class Liveness(BlockTest):
    def test_status_sees_a_pedestal_heartbeat_rise_and_stop(self):
        self.create()
        helper = self.start_pedestal()
        status = json.loads(self.tool("status", "--json").stdout)
        self.assertEqual(status["pedestal"], "alive")
        self.assertEqual(status["users"], 1)
        before, after = status["heartbeat"]
        self.assertGreaterEqual(after - before, 1)
        self.assertIn("pedestal     alive", self.tool("status").stdout)
        self.assertEqual(self.get("speedbrake")["speedbrake"]["position"], "in")
        helper.terminate()
        self.assertEqual(helper.wait(timeout=10), 0)
        status = json.loads(self.tool("status", "--json").stdout)
        self.assertEqual(status["pedestal"], "stale")
        self.assertEqual(status["users"], 0)

    def test_status_calls_a_pedestal_alive_however_short_the_sample(self):
        self.create()
        self.start_pedestal()
        stale = []
        for run_number in range(50):
            status = json.loads(self.tool("status", "--json", "--sample-ms", "20").stdout)
            if status["pedestal"] != "alive":
                stale.append((run_number, status["heartbeat"]))
        self.assertEqual(stale, [])

    def test_inspecting_never_counts_as_a_user(self):
        self.create()
        self.start_pedestal()
        for args in [["status", "--sample-ms", "50"], ["get"], ["set", "flaps=1"],
                     ["watch", "--count", "2"]]:
            self.assertEqual(self.tool(*args).returncode, 0, args)
            self.assertEqual(self.get("users")["users"], 1, args)

    def test_watch_logs_changes_and_liveness_with_timestamps(self):
        self.create()
        watch = subprocess.Popen([SIMBLOCK, "watch", "--name", self.name, "--duration", "2.5"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.helpers.append(watch)
        time.sleep(0.5)
        self.assertEqual(self.tool("set", "flaps=3").returncode, 0)
        helper = self.start_pedestal(seconds=1)
        out, err = watch.communicate(timeout=20)
        self.assertEqual(watch.returncode, 0, err)
        stamp = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z"
        self.assertRegex(out, stamp + r" flaps no flag set \(flapLever 0 0 0 0 0\)")
        self.assertRegex(out, stamp + r" flapLever\[3\]=1 \(was 0\)\n")
        self.assertRegex(out, stamp + r" userCount=1 \(was 0\)\n")
        self.assertRegex(out, stamp + r" speedBrakeLever=1 \(was 0\)\n")
        self.assertRegex(out, stamp + r" pedestal alive \(heartbeat \d+\)\n")
        self.assertNotIn("aidControlsHeartbeat=", out)
        self.assertNotIn("\x1b", out)
        helper.wait(timeout=10)

    def watch_on_terminal(self, env):
        master, slave = pty.openpty()
        watch = subprocess.Popen([SIMBLOCK, "watch", "--name", self.name, "--duration", "1.2"],
                                 stdin=slave, stdout=slave, stderr=slave, env=env)
        os.close(slave)
        time.sleep(0.4)
        self.assertEqual(self.tool("set", "thrust=toga").returncode, 0)
        output = b""
        while True:
            ready, _, _ = select.select([master], [], [], 5)
            if not ready:
                break
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            output += chunk
        os.close(master)
        self.assertEqual(watch.wait(timeout=10), 0)
        return output.decode(errors="replace")

    def test_watch_on_a_terminal_highlights_changes(self):
        self.create()
        env = {k: v for k, v in os.environ.items() if k != "NO_COLOR"}
        screen = self.watch_on_terminal(env)
        self.assertIn("\x1b[1;33m*thrust       TO/GA", screen)
        self.assertIn(" flaps        no flag set", screen)

    def test_watch_without_colour_marks_changes_plainly(self):
        self.create()
        screen = self.watch_on_terminal(dict(os.environ, NO_COLOR="1"))
        self.assertNotIn("\x1b[1;33m", screen)
        self.assertIn("*thrust       TO/GA", screen)


class Permissions(BlockTest):
    """A block made by a simulator running as another user, readable by all."""

    NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]

    def as_nobody(self, *args):
        return subprocess.run([*self.NOBODY, SIMBLOCK, *args, "--name", self.name],
                              capture_output=True, text=True, timeout=30)

    def setUp(self):
        super().setUp()
        if os.geteuid() != 0:
            self.skipTest("needs root to run simblock as the unprivileged user 65534")
        try:
            probe = subprocess.run([*self.NOBODY, SIMBLOCK, "fields"], capture_output=True,
                                   timeout=30)
        except FileNotFoundError:
            self.skipTest("setpriv is not installed")
        if probe.returncode != 0:
            self.skipTest("user 65534 cannot run the built simblock: "
                          + probe.stderr.decode(errors="replace").strip())
        self.create()
        os.chmod(self.path(), 0o644)

    def test_read_only_commands_inspect_a_block_they_may_not_write(self):
        self.start_pedestal()
        result = self.as_nobody("status", "--json")
        self.assertEqual(result.returncode, 0, result.stderr)
        status = json.loads(result.stdout)
        self.assertEqual(status["mode"], "rw-r--r--")
        self.assertEqual(status["users"], 1)
        self.assertEqual(status["pedestal"], "alive")
        got = self.as_nobody("get", "--json", "speedbrake")
        self.assertEqual(got.returncode, 0, got.stderr)
        self.assertEqual(json.loads(got.stdout)["speedbrake"]["position"], "in")
        watch = self.as_nobody("watch", "--log", "--count", "3")
        self.assertEqual(watch.returncode, 0, watch.stderr)
        self.assertIn("pedestal", watch.stdout)
        os.chmod(self.tmp.name, 0o777)
        recording = os.path.join(self.tmp.name, "levers.txt")
        record = self.as_nobody("record", recording, "--count", "2")
        self.assertEqual(record.returncode, 0, record.stderr)
        self.assertIn("0.000 flapLever[0]=0", read_text(recording))

    def test_writing_is_refused_naming_the_missing_permission(self):
        before = self.block_bytes()
        script = os.path.join(self.tmp.name, "script.txt")
        with open(script, "w") as f:
            f.write("0 flaps=3\n")
        os.chmod(self.tmp.name, 0o755)
        for args in [["set", "flaps=2"], ["replay", script]]:
            result = self.as_nobody(*args)
            self.assertEqual(result.returncode, EXIT["failure"], args)
            self.assertIn("Permission denied; changing it needs write permission (mode 0644, "
                          "owner root)", result.stderr, args)
            self.assertIn("nothing written", result.stderr, args)
        self.assertEqual(self.block_bytes(), before)


class LostBlock(BlockTest):
    """A block shrunk, removed or replaced under running peers, as any local
    program may do it."""

    def start_core(self):
        """The pedestal core without a window, its output lines in a queue."""
        helper = subprocess.Popen([PEDESTAL, self.name, "120"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.helpers.append(helper)
        self.assertEqual(helper.stdout.readline().strip(), "attached")
        lines = queue.Queue()
        threading.Thread(target=lambda: [lines.put(l.rstrip("\n")) for l in helper.stdout],
                         daemon=True).start()
        return helper, lines

    def expect_line(self, lines, start, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                line = lines.get(timeout=max(0.01, deadline - time.monotonic()))
            except queue.Empty:
                break
            if line.startswith(start):
                return line
        self.fail(f"no line starting {start!r} within {timeout} s")

    def truncate(self, size):
        os.truncate(self.path(), size)

    def restore(self):
        """Back to full size with the stamp a truncation below it wiped."""
        self.truncate(BLOCK_SIZE)
        with open(self.path(), "r+b") as f:
            f.write(self.version.encode())

    def status(self):
        result = self.tool("status", "--json")
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout)

    def wait_alive(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            status = self.tool("status", "--json", "--sample-ms", "200")
            if status.returncode == 0 and json.loads(status.stdout)["pedestal"] == "alive":
                return json.loads(status.stdout)
            time.sleep(0.05)
        self.fail(f"no live pedestal on {self.name} within {timeout} s")

    def setUp(self):
        super().setUp()
        self.create()
        self.version = self.status()["version"]

    def test_pedestal_survives_a_shrunk_block_and_attaches_to_the_whole_one_again(self):
        helper, lines = self.start_core()
        for size in [0, 4096, BLOCK_SIZE - 1]:
            self.truncate(size)
            notice = self.expect_line(lines, "notice ", 3)
            self.assertEqual(notice, "notice TS_P_0001_02_Shm::TS_P_0001_02_Shm | Shared Memory "
                             f"Block Too Small | It has {size} bytes, this program needs 128648")
            self.assertIsNone(helper.poll(), f"the pedestal died at {size} bytes")
            self.restore()
            self.expect_line(lines, "notice Attached to the shared memory block again", 5)
            status = self.wait_alive(2)
            self.assertEqual(status["users"], 1, size)
            self.assertEqual(status["size"], BLOCK_SIZE)
        helper.terminate()
        self.assertEqual(helper.wait(timeout=10), 0)
        self.assertEqual(self.status()["users"], 0)

    def test_pedestal_survives_truncate_and_regrow_cycles_at_random_moments(self):
        helper, _ = self.start_core()
        rng = random.Random(13)
        for _ in range(200):
            self.truncate(rng.choice([0, 1, 64, 4096, 65536, 74332, 126824, BLOCK_SIZE - 1,
                                      rng.randrange(BLOCK_SIZE)]))
            time.sleep(rng.uniform(0, 0.03))
            self.restore()
            time.sleep(rng.uniform(0, 0.03))
        self.assertIsNone(helper.poll(), helper.stderr.read() if helper.poll() else "")
        status = self.wait_alive(5)
        self.assertEqual(status["size"], BLOCK_SIZE)
        helper.terminate()
        self.assertEqual(helper.wait(timeout=10), 0, helper.stderr.read())

    def test_removed_and_recreated_block_is_followed_and_clicks_land_there(self):
        helper, lines = self.start_core()
        self.wait_alive(2)
        old_inode = os.stat(self.path()).st_ino
        self.assertEqual(self.tool("remove", "--force").returncode, 0)
        # The pedestal may look in between and create the block itself.
        self.assertIn(self.tool("create").returncode, [EXIT["ok"], EXIT["exists"]])
        recreated = time.monotonic()
        self.assertNotEqual(os.stat(self.path()).st_ino, old_inode)
        last = None
        while True:
            got = self.get("users", "heartbeat")
            if got["users"] == 1 and last is not None and got["heartbeat"] != last:
                break
            last = got["heartbeat"]
            self.assertLess(time.monotonic() - recreated, 1.5, got)
            time.sleep(0.02)
        self.assertLess(time.monotonic() - recreated, 1.5)
        # Told once, in the same tick as the new attachment.
        self.assertRegex(self.expect_line(lines, "notice ", 1),
                         r"^notice TS_P_0001_02_Shm::Check \| Shared Memory Block "
                         r"(Replaced \| Its name now belongs to another block|Removed \| No block "
                         r"has its name any more) \| Attached to the shared memory block again$")
        helper.stdin.write("flap3\n")
        helper.stdin.flush()
        self.expect_line(lines, "done flap3", 2)
        self.assertEqual(self.get("flaps")["flaps"]["detent"], "3")
        helper.terminate()
        self.assertEqual(helper.wait(timeout=10), 0)
        self.assertEqual(self.get("users")["users"], 0)

    def test_watch_names_a_shrink_and_a_replacement_and_follows_the_new_block(self):
        watch = subprocess.Popen([SIMBLOCK, "watch", "--log", "--name", self.name,
                                  "--duration", "3"], stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True)
        self.helpers.append(watch)
        time.sleep(0.4)
        self.truncate(4096)
        time.sleep(0.4)
        self.truncate(BLOCK_SIZE)
        time.sleep(0.4)
        # A new block takes the name in one step, as a rename in /dev/shm does.
        successor = f"{self.name}-next"
        self.addCleanup(run, "remove", "--force", "--name", successor)
        self.assertEqual(run("create", "--name", successor).returncode, 0)
        os.rename(self.path(successor), self.path())
        time.sleep(0.4)
        self.assertEqual(self.tool("set", "flaps=2").returncode, 0)
        out, err = watch.communicate(timeout=20)
        self.assertEqual(watch.returncode, 0, err)
        stamp = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z"
        self.assertRegex(out, stamp + r" block shrank to 4096 bytes; waiting for a whole block\n"
                         + stamp + f" block {self.name} is 4096 bytes, smaller than the 128648 "
                         + r"of this build's layout\n"
                         + stamp + f" block {self.name} is back; following it\n"
                         + stamp + f" watching {self.name}")
        self.assertRegex(out, stamp + r" block was replaced; following the new one\n"
                         + stamp + f" watching {self.name}")
        self.assertRegex(out.split("replaced")[1], stamp + r" flapLever\[2\]=1 \(was 0\)\n")

    def test_status_names_a_block_that_changes_while_it_samples(self):
        status = subprocess.Popen([SIMBLOCK, "status", "--name", self.name, "--sample-ms", "1500"],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.helpers.append(status)
        time.sleep(0.4)
        self.truncate(4096)
        out, err = status.communicate(timeout=20)
        self.assertEqual(status.returncode, EXIT["small"], err)
        self.assertIn("block shrank to 4096 bytes while its heartbeat was sampled; looking again",
                      err)
        self.assertIn("4096 bytes, smaller than the 128648", err)
        self.assertIn("4096 bytes (too small: 128648)", out)

        self.restore()
        status = subprocess.Popen([SIMBLOCK, "status", "--name", self.name, "--sample-ms", "1500",
                                   "--json"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  text=True)
        self.helpers.append(status)
        time.sleep(0.4)
        self.assertEqual(self.tool("remove", "--force").returncode, 0)
        self.create()
        out, err = status.communicate(timeout=20)
        self.assertEqual(status.returncode, 0, err)
        self.assertIn("block was replaced; following the new one", err)
        self.assertEqual(json.loads(out)["users"], 0)


class Recording(BlockTest):
    def test_record_then_replay_reproduces_the_levers_at_pace(self):
        self.create()
        recording = os.path.join(self.tmp.name, "levers.txt")
        # Ended by Ctrl+C after the last setting, not by a duration that a
        # slow machine's four set processes could outlast.
        recorder = subprocess.Popen([SIMBLOCK, "record", recording, "--name", self.name],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.helpers.append(recorder)
        time.sleep(0.3)
        for settings in [["flaps=1"], ["thrust=cl", "gear=up"], ["brakes=on"],
                         ["thrustLever[1]=42.25", "speedbrake=out"]]:
            self.assertEqual(self.tool("set", *settings).returncode, 0)
            time.sleep(0.25)
        time.sleep(0.2)
        recorder.send_signal(signal.SIGINT)
        _, err = recorder.communicate(timeout=20)
        self.assertEqual(recorder.returncode, 0, err)
        lines = [l for l in read_text(recording).splitlines() if not l.startswith("#")]
        for line in lines:
            self.assertRegex(line, r"^\d+\.\d{3} [A-Za-z]+(\[\d\])?=\S+$")
        self.assertIn("0.000 flapLever[0]=0", lines)
        self.assertEqual(len([l for l in lines if l.startswith("0.000 ")]), 14)
        changes = [l for l in lines if not l.startswith("0.000 ")]
        self.assertEqual(len(changes), 10, changes)
        first = float(changes[0].split()[0])
        last = float(changes[-1].split()[0])
        self.assertGreater(last - first, 0.5)

        source = self.get()
        self.name, target = f"{self.name}-copy", self.name
        try:
            self.create()
            started = time.monotonic()
            result = self.tool("replay", recording)
            took = time.monotonic() - started
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertGreaterEqual(took, last - 0.05)
            copy = self.get()
            for item in ["flaps", "thrust", "gear", "brakes", "speedbrake"]:
                self.assertEqual(copy[item], source[item], item)
        finally:
            run("remove", "--force", "--name", self.name)
            self.name = target

    def test_ctrl_c_ends_a_recording_with_every_change_kept(self):
        self.create()
        recording = os.path.join(self.tmp.name, "interrupted.txt")
        recorder = subprocess.Popen([SIMBLOCK, "record", recording, "--name", self.name],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.helpers.append(recorder)
        time.sleep(0.4)
        self.assertEqual(self.tool("set", "flaps=2").returncode, 0)
        time.sleep(0.3)
        recorder.send_signal(signal.SIGINT)
        _, err = recorder.communicate(timeout=10)
        self.assertEqual(recorder.returncode, 0, err)
        self.assertIn("recorded 1 changes", err)
        self.assertRegex(read_text(recording).splitlines()[-1], r"^0\.[3-9]\d\d flapLever\[2\]=1$")

    def test_malformed_recording_writes_nothing(self):
        self.create()
        before = self.block_bytes()
        script = os.path.join(self.tmp.name, "bad.txt")
        with open(script, "w") as f:
            f.write("0.0 flaps=2\n0.1 thrust=fast\n0.05 gear=up\n")
        result = self.tool("replay", script)
        self.assertEqual(result.returncode, EXIT["usage"])
        self.assertIn("line 2: thrust=fast", result.stderr)
        self.assertIn("line 3: time goes back", result.stderr)
        self.assertEqual(self.block_bytes(), before)

    def test_replay_accepts_lever_scripts_and_speed(self):
        self.create()
        script = os.path.join(self.tmp.name, "script.txt")
        with open(script, "w") as f:
            f.write("# approach\n0 flaps=3\n1.0 gear=down\n2.0 thrust=idle\n")
        started = time.monotonic()
        result = self.tool("replay", script, "--speed", "4")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertLess(time.monotonic() - started, 1.5)
        self.assertGreaterEqual(time.monotonic() - started, 0.45)
        got = self.get()
        self.assertEqual(got["flaps"]["detent"], "3")
        self.assertEqual(got["gear"]["gearDownSelected"], 1)

    def test_record_never_overwrites_a_file(self):
        self.create()
        recording = os.path.join(self.tmp.name, "kept.txt")
        with open(recording, "w") as f:
            f.write("keep me\n")
        result = self.tool("record", recording, "--count", "1")
        self.assertEqual(result.returncode, EXIT["failure"])
        self.assertIn("choose a new file name", result.stderr)
        self.assertEqual(read_text(recording), "keep me\n")


class Report(unittest.TestCase):
    def test_report_lists_the_shared_memory_classes(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "report.txt")
            result = run("report", path)
            self.assertEqual(result.returncode, 0, result.stderr)
            text = read_text(path)
            for row in [r"ConfigControl \|\s+TS3103:02 \|\s+ConfigFile \|\s+1\.3 \| ",
                        r"BaseSharedMemory \|\s+TS2082:01 \|\s+BaseSharedMemory \|\s+1\.7 \| ",
                        r"Classes \|\s+TS2146 \|\s+TS_P_0001_02_Shm \|\s+1\.2 \| ",
                        r"TS_ErrorReport \|\s+TS2104:02 \|\s+TS_ErrorReport \|\s+1\.1 \| "]:
                self.assertRegex(text, row)
            self.assertEqual(run("report", os.path.join(tmp, "no", "such", "dir.txt"))
                             .returncode, EXIT["failure"])


if __name__ == "__main__":
    SIMBLOCK, PEDESTAL = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0], *sys.argv[3:]], verbosity=2)
