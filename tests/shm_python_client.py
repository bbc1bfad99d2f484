#!/usr/bin/env python3
"""A client of the simulator block written with the standard library only.

It finds every field by the offsets of the published layout, not by anything
the C++ code exports, so a pass proves the layout from outside.

    shm_python_client.py check-and-write NAME USERS
        Attach the way a simulator process should, check the fields the
        pedestal wrote, write the fields the pedestal reads back, detach.
    shm_python_client.py attach-tracked NAME
        Attach and detach but leave the block registered with Python's
        resource tracker: Python 3.8 to 3.12 then remove the block when the
        script ends, which is exactly what a client must not do.
"""
import struct
import sys
from multiprocessing import resource_tracker, shared_memory

BLOCK_SIZE = 128648
VERSION = b" TS_P_0001_02_genericSim $Revision: 5.4.0"
SECTION_STARTS = [0, 30088, 67336, 75328, 103552, 108232, 116296, 119312, 0, 1096]

# offset: (struct format, field)
VERSION_TEXT = 0
SECTION_POINTERS = 2008   # ten unsigned 32-bit
GEAR_DOWN_SELECTED = 37721
GEAR_UP_SELECTED = 37722
BRAKE_DEMAND = 37744      # three doubles
THRUST_LEVER = 67368      # two doubles
HEARTBEAT = 74332         # signed 32-bit
USER_COUNT = 116284       # signed 32-bit
GEAR_LEVER_UP = 126584
FLAP_LEVER = 126786       # five bytes
SPEED_BRAKE_LEVER = 126824  # signed 32-bit


def attach(name, keep_tracked=False):
    block = shared_memory.SharedMemory(name=name)
    if not keep_tracked:
        # The block belongs to the simulator, not to this script: without this
        # line Python removes it from the system when the script ends.
        resource_tracker.unregister(block._name, "shared_memory")
    return block


def check(failures, what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def check_and_write(name, users):
    block = attach(name)
    failures = []
    buf = block.buf
    check(failures, "size", block.size >= BLOCK_SIZE, True)
    check(failures, "versionText", bytes(buf[0:64]), VERSION + bytes(64 - len(VERSION)))
    check(failures, "userCount", struct.unpack_from("<i", buf, USER_COUNT)[0], users)
    slots = struct.unpack_from("<10I", buf, SECTION_POINTERS)
    for slot, start in enumerate(SECTION_STARTS):
        want = 0 if slot == 8 else start
        got = 0 if slot == 8 and slots[8] == 0 else (slots[slot] - slots[0]) % 2**32
        check(failures, f"sectionPointers[{slot}]", got, want)
    check(failures, "gearDownSelected", buf[GEAR_DOWN_SELECTED], 1)
    check(failures, "gearUpSelected", buf[GEAR_UP_SELECTED], 0)
    check(failures, "brakeDemand", struct.unpack_from("<3d", buf, BRAKE_DEMAND), (1.0, 0.0, 1.0))
    check(failures, "thrustLever", struct.unpack_from("<2d", buf, THRUST_LEVER), (25.5, 75.25))
    check(failures, "aidControlsHeartbeat", struct.unpack_from("<i", buf, HEARTBEAT)[0], 77)
    check(failures, "gearLeverUp", buf[GEAR_LEVER_UP], 0)
    check(failures, "flapLever", bytes(buf[FLAP_LEVER:FLAP_LEVER + 5]), bytes([0, 0, 1, 0, 0]))
    check(failures, "speedBrakeLever", struct.unpack_from("<i", buf, SPEED_BRAKE_LEVER)[0], 1)

    struct.pack_into("<2d", buf, THRUST_LEVER, 42.5, -3.25)
    struct.pack_into("<i", buf, SPEED_BRAKE_LEVER, 3)
    struct.pack_into("<i", buf, HEARTBEAT, -12345)
    struct.pack_into("<3d", buf, BRAKE_DEMAND, 0.0, 1.0, 0.0)
    buf[GEAR_LEVER_UP] = 1
    buf[GEAR_DOWN_SELECTED] = 0
    buf[GEAR_UP_SELECTED] = 1
    buf[FLAP_LEVER:FLAP_LEVER + 5] = bytes([0, 0, 0, 0, 1])

    del buf  # a view into the mapping must go before close()
    block.close()
    for failure in failures:
        print(failure)
    return 1 if failures else 0


def attach_tracked(name):
    block = attach(name, keep_tracked=True)
    block.close()
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "check-and-write":
        return check_and_write(argv[2], int(argv[3]))
    if len(argv) == 3 and argv[1] == "attach-tracked":
        return attach_tracked(argv[2])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
