"""Takes the page's picture at a size: screenshot.py PEDESTAL_WEB OUT.png WIDTH HEIGHT"""

import os
import sys
import time

import browser_common as bc


def main():
    program, out, width, height = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    block = "PedestalWebShot_%d" % int(time.time() * 1000)
    server = bc.Server(program, block).start()
    driver = bc.start_browser(width, height)
    try:
        bc.open_page(driver, server.url)
        for command in sys.argv[5:]:
            bc.button(driver, command).click()
        time.sleep(0.4)
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
