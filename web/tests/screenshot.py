"""The page's picture at a viewport size, for README and for looking at it:
screenshot.py PEDESTAL_WEB OUT.png WIDTH HEIGHT [COMMAND...]
The commands are clicked first, so that the picture shows a state."""

import os
import sys
import time

import browser_common as bc


def main():
    program, out = sys.argv[1], sys.argv[2]
    width, height = int(sys.argv[3]), int(sys.argv[4])
    block = "PedestalWebShot_%d" % os.getpid()
    server = bc.Server(program, block).start()
    driver = bc.start_browser(width, height)
    try:
        # The viewport itself, as a tablet of that size has it.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1,
            "mobile": width < height})
        bc.open_page(driver, server.url)
        for command in sys.argv[5:]:
            bc.button(driver, command).click()
            time.sleep(0.1)
        time.sleep(0.3)
        driver.save_screenshot(out)
    finally:
        bc.stop_browser(driver)
        server.stop()
        try:
            os.unlink("/dev/shm/" + block)
        except FileNotFoundError:
            pass


if __name__ == "__main__":
    main()
