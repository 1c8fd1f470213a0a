#!/usr/bin/env python3
"""Follows hidsim's log and prints the three digits each simulated display shows.

Usage: show_display.py <HIDSIM_LOG file>
A temperature report is "send <collection> 65 <hex>": bytes 3, 4 and 5 are the digits.
"""
import sys
import time


def follow(path):
    with open(path, "r") as log:
        while True:
            line = log.readline()
            if not line:
                time.sleep(0.2)
                continue
            yield line.split()


def main():
    shown = {}
    for fields in follow(sys.argv[1]):
        if len(fields) != 4 or fields[0] != "send" or fields[2] != "65":
            continue
        data = bytes.fromhex(fields[3])
        if len(data) < 6 or data[0] != 0x07:
            continue
        digits = "".join(str(d) for d in data[3:6])
        if shown.get(fields[1]) != digits:
            shown[fields[1]] = digits
            print(f"display {fields[1]}: {digits}", flush=True)


if __name__ == "__main__":
    main()
