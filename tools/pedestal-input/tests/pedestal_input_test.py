#!/usr/bin/env python3
"""pedestal-input as a process: a lever calibrated through its standard
input, then the file it wrote driving pedestal-web on 127.0.0.1 (with a token)
over the browser protocol, against a block of the test's own name. The levers
are a virtual device inside pedestal-input (--virtual), moved by lines.

usage: pedestal_input_test.py PEDESTAL_INPUT PEDESTAL_WEB SIMBLOCK [unittest options]
"""
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

TOOL = WEB = SIMBLOCK = ""
DEVICE = f"Input Test Throttle {os.getpid()}"


class RemoteLevers(unittest.TestCase):
    def setUp(self):
        self.name = f"PedestalTest_{os.getpid()}_input_remote"
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.bindings = os.path.join(self.tmp.name, "input.toml")
        with open(self.bindings, "w") as f:
            f.write('# kept\n[[device]]\nname = "input test throttle"\n'
                    '[[device.button]]\nindex = 2\ncommand = "geartoggle"\n')
        self.processes = []
        subprocess.run([SIMBLOCK, "create", "--name", self.name], check=True,
                       capture_output=True)
        self.addCleanup(subprocess.run, [SIMBLOCK, "remove", "--force", "--name", self.name],
                        capture_output=True)
        # Cleanups run last first: the pedestals stop before the block goes,
        # or one would attach again by creating it anew.
        self.addCleanup(self.stop_all)

    def stop_all(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait()
            for pipe in (process.stdin, process.stdout, process.stderr):
                pipe.close()

    def start(self, *args, **kwargs):
        process = subprocess.Popen(args, text=True, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)
        self.processes.append(process)
        return process

    def get(self, item):
        result = subprocess.run([SIMBLOCK, "get", "--json", "--name", self.name, item],
                                capture_output=True, text=True, check=True)
        return json.loads(result.stdout)[item]

    def wait_for(self, item, field, wanted):
        got = None
        for _ in range(300):
            got = self.get(item)[field]
            if got == wanted:
                return
            time.sleep(0.01)
        self.fail(f"{field} stayed {got}, wanted {wanted}")

    def test_a_calibrated_lever_and_a_button_drive_a_pedestal_on_another_pc(self):
        calibrate = subprocess.run(
            [TOOL, "calibrate", "--device", "input test throttle", "--axis", "0", "--function",
             "thrust", "--input", self.bindings, "--virtual", DEVICE],
            input="-32768\n-9000\n14000\n30000\n", capture_output=True, text=True, timeout=30)
        self.assertEqual(calibrate.returncode, 0, calibrate.stderr)
        self.assertIn("Move the lever to CL and press Enter", calibrate.stdout)
        with open(self.bindings) as f:
            self.assertTrue(f.read().startswith("# kept\n"))

        web = self.start(WEB, "--name", self.name, "--port", "0", "--token", "s3cret")
        url = web.stdout.readline().split("open ")[-1].strip()
        self.assertIn("token=s3cret", url)
        run = self.start(TOOL, "run", "--connect", url, "--input", self.bindings,
                         "--virtual", DEVICE)
        line = run.stderr.readline()
        while "driving the pedestal" not in line:
            self.assertNotEqual(line, "", "pedestal-input ended")
            line = run.stderr.readline()
        gear = self.get("gear")["gearLeverUp"]
        for command, item, field, wanted in [
                ("axis 0 -9000", "thrust", "thrustLever", [79, 79]),
                ("axis 0 2500", "thrust", "thrustLever", [87.5, 87.5]),
                ("button 2 1", "gear", "gearLeverUp", 1 - gear)]:
            run.stdin.write(command + "\n")
            run.stdin.flush()
            self.wait_for(item, field, wanted)
        run.stdin.close()
        self.assertEqual(run.wait(timeout=10), 0)

    def test_a_bad_file_is_told_with_its_place_and_the_pedestal_serves_on(self):
        with open(self.bindings, "a") as f:
            f.write('[[device.axis]]\nindex = 0\nfunction = "rudder"\n')
        web = self.start(WEB, "--name", self.name, "--port", "0", "--input", self.bindings)
        self.assertIn("open http://127.0.0.1:", web.stdout.readline())
        self.assertIn('input.toml:9:12: no function named "rudder"', web.stderr.readline())
        self.assertIsNone(web.poll())


if __name__ == "__main__":
    TOOL, WEB, SIMBLOCK = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
