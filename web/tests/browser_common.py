"""Shared by the browser tests: one headless Chromium per test module, a
pedestal-web server on 127.0.0.1 with a block of the test's own name, and
reading and writing that block's pedestal fields."""

import mmap
import os
import re
import socket
import struct
import subprocess
import tempfile
import shutil
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("python3-selenium is not installed for this interpreter: skipped")
    raise SystemExit(77)
if not shutil.which("chromium") or not shutil.which("chromedriver"):
    print("chromium or chromium-driver is not installed: skipped")
    raise SystemExit(77)

BLOCK_SIZE = 128648
# Field offsets of the simulator block, as simblock fields lists them.
FIELDS = {
    "gearDownSelected": (37721, "<B"),
    "gearUpSelected": (37722, "<B"),
    "brakeDemand": (37744, "<3d"),
    "thrustLever": (67368, "<2d"),
    "aidControlsHeartbeat": (74332, "<i"),
    "gearLeverUp": (126584, "<B"),
    "flapLever": (126786, "<5B"),
    "speedBrakeLever": (126824, "<i"),
}
TICK = 0.060


def start_browser(width=800, height=1280):
    """Headless Chromium with a fresh profile and no traffic of its own."""
    profile = tempfile.mkdtemp(prefix="pedestal-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--disable-dev-shm-usage",
                     "--disable-renderer-backgrounding",
                     "--disable-background-timer-throttling",
                     "--disable-backgrounding-occluded-windows",
                     "--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height)):
        options.add_argument(argument)
    service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_window_size(width, height)
    driver.profile_dir = profile
    return driver


def stop_browser(driver):
    profile = getattr(driver, "profile_dir", None)
    driver.quit()
    if profile:
        shutil.rmtree(profile, ignore_errors=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    """pedestal-web on 127.0.0.1, restartable on the same port."""

    def __init__(self, program, block, port=None, extra=()):
        self.program = program
        self.block = block
        self.port = port or free_port()
        self.extra = list(extra)
        self.process = None
        self.url = None

    def start(self):
        self.process = subprocess.Popen(
            [self.program, "--name", self.block, "--bind", "127.0.0.1", "--port",
             str(self.port), "--quiet"] + self.extra,
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        match = re.search(r"open (\S+)", line)
        if not match:
            raise RuntimeError("pedestal-web did not start: %r" % line)
        self.url = match.group(1)
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        if self.process:
            self.process.stdout.close()
        self.process = None


class Block:
    """The test's own block, mapped as any simulator process maps it."""

    def __init__(self, name):
        self.path = "/dev/shm/" + name
        deadline = time.time() + 10
        while not os.path.exists(self.path) or os.path.getsize(self.path) < BLOCK_SIZE:
            if time.time() > deadline:
                raise RuntimeError("no block " + self.path)
            time.sleep(0.02)
        self.file = open(self.path, "r+b")
        self.map = mmap.mmap(self.file.fileno(), BLOCK_SIZE)

    def get(self, field):
        offset, form = FIELDS[field]
        values = struct.unpack_from(form, self.map, offset)
        return values if len(values) > 1 else values[0]

    def set(self, field, *values):
        offset, form = FIELDS[field]
        struct.pack_into(form, self.map, offset, *values)

    def snapshot(self):
        return bytes(self.map[:BLOCK_SIZE])

    def close(self):
        self.map.close()
        self.file.close()

    def remove(self):
        # The test's own block; never the simulator's.
        try:
            os.unlink(self.path)
        except FileNotFoundError:
            pass


def changed_fields(before, after):
    """The pedestal fields whose bytes differ, besides the heartbeat."""
    names = set()
    for index in range(min(len(before), len(after))):
        if before[index] != after[index]:
            for name, (offset, form) in FIELDS.items():
                if offset <= index < offset + struct.calcsize(form):
                    names.add(name)
                    break
            else:
                names.add("offset %d" % index)
    names.discard("aidControlsHeartbeat")
    return names


def wait_until(condition, timeout=5.0, step=0.01):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return condition()


def open_page(driver, url):
    driver.get(url)
    WebDriverWait(driver, 10).until(
        lambda d: d.execute_script("return !document.body.classList.contains('offline')"))


def button(driver, command):
    return driver.find_element(By.CSS_SELECTOR, "button[data-command='%s']" % command)


def shown(driver, key):
    """What the page shows for one part of the state: a bitmap number or a text."""
    return driver.execute_script(
        "const e = document.querySelector(\"[data-shows='\" + arguments[0] + \"']\");"
        "return e.tagName === 'IMG' ? Number(e.dataset.bitmap) : e.textContent;", key)
