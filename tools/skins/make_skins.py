#!/usr/bin/env python3
"""Draws the art of skins/theme1/ that the program and the library load by file name.

Usage: make_skins.py <output folder>
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from imagefiles import write_ico  # noqa: E402

ACCENT = (0, 170, 255)


def tray_icon(size):
    """A round gauge: a blue ring with a needle, transparent outside."""
    rows = []
    c = (size - 1) / 2.0
    outer = size / 2.0 - 0.5
    inner = outer * 0.62
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            if d > outer:
                row.append((0, 0, 0, 0))
            elif d > inner:
                row.append(ACCENT + (255,))
            else:
                # needle toward the upper right, on a dark face
                t = (dx - dy) / math.sqrt(2)
                off = abs(dx + dy) / math.sqrt(2)
                if 0 <= t <= inner and off < max(1.0, size / 16.0):
                    row.append((255, 255, 255, 255))
                else:
                    row.append((24, 28, 36, 255))
        rows.append(row)
    return rows


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "Corvane.ico"), [tray_icon(s) for s in (16, 32, 48)])


if __name__ == "__main__":
    main()
