#!/usr/bin/env python3
"""Draws the art that the program and the library load: the skin folder skins/theme1/
and the library's embedded scroll bar images.

Usage: make_skins.py <skin folder> <library resource folder>

The pictures are drawn with ImageMagick's `convert` (text in DejaVu Sans); the icon is
written by imagefiles.py. Change the drawing here and rebuild to regenerate.
"""
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from imagefiles import write_ico  # noqa: E402

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT = os.path.join(FONT_DIR, "DejaVuSans.ttf")
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

# The panel's palette.
PANEL_TOP = "#232a36"
PANEL_BOTTOM = "#0c0f15"
EDGE = "#3b4556"
ACCENT = "#19b4ff"
LABEL = "#8c97a8"
MUTED = "#5d6778"

WIDTH, HEIGHT = 340, 250          # the main window
UNIT = (40, 155, 300, 210)        # the click area that switches the unit
CLOSE = (295, 25, 313, 42)        # the close button


def convert(*args):
    # -define png:exclude-chunks keeps the files byte-for-byte stable between builds.
    subprocess.run(["convert", *args], check=True)


def png_out(path):
    return ["-define", "png:exclude-chunks=date,time", "-strip", "PNG32:" + path]


def background(path, celsius):
    """Dark rounded panel; the number is drawn by the library at (110, 70, 120 x 60);
    the lower band is a two-position switch with the current unit lit."""
    l, t, r, b = UNIT
    mid = (l + r) // 2
    on_left = celsius
    lit = (l + 4, t + 4, mid - 2, b - 4) if on_left else (mid + 2, t + 4, r - 4, b - 4)
    cy = (t + b) // 2
    convert(
        # panel with a vertical gradient, clipped to a rounded rectangle
        "-size", f"{WIDTH}x{HEIGHT}", f"gradient:{PANEL_TOP}-{PANEL_BOTTOM}",
        "(", "-size", f"{WIDTH}x{HEIGHT}", "xc:none", "-fill", "white",
        "-draw", f"roundrectangle 1,1 {WIDTH - 2},{HEIGHT - 2} 18,18", ")",
        "-compose", "DstIn", "-composite",
        "-compose", "Over",
        # edge and a thin accent line under the title
        "-fill", "none", "-stroke", EDGE, "-strokewidth", "1.5",
        "-draw", f"roundrectangle 1,1 {WIDTH - 2},{HEIGHT - 2} 18,18",
        "-stroke", ACCENT, "-strokewidth", "2",
        "-draw", "line 24,50 64,50",
        "-stroke", "none",
        # title
        "-font", FONT_BOLD, "-pointsize", "13", "-fill", LABEL,
        "-annotate", "+24+40", "CPU TEMPERATURE",
        # a faint plate behind the number
        "-fill", "#ffffff0d", "-draw", "roundrectangle 96,66 244,136 12,12",
        # the unit switch
        "-fill", "#0000004d", "-stroke", EDGE, "-strokewidth", "1",
        "-draw", f"roundrectangle {l},{t} {r - 1},{b - 1} 27,27",
        "-stroke", "none", "-fill", ACCENT,
        "-draw", f"roundrectangle {lit[0]},{lit[1]} {lit[2]},{lit[3]} 23,23",
        "-font", FONT_BOLD, "-pointsize", "24",
        "-fill", "#0c0f15" if on_left else MUTED,
        "-gravity", "NorthWest",
        "-annotate", f"+{(l + mid) // 2 - 20}+{cy - 16}", "\u00b0C",
        "-fill", MUTED if on_left else "#0c0f15",
        "-annotate", f"+{(mid + r) // 2 - 19}+{cy - 16}", "\u00b0F",
        *png_out(path))


def close_button(path):
    w, h = CLOSE[2] - CLOSE[0], CLOSE[3] - CLOSE[1]
    convert(
        "-size", f"{w}x{h}", "xc:none",
        "-stroke", "#c9d1dc", "-strokewidth", "2", "-draw", "stroke-linecap round",
        "-draw", f"line 5,4 {w - 6},{h - 5}", "-draw", f"line {w - 6},4 5,{h - 5}",
        *png_out(path))


def button_strip(path):
    """Four states side by side: normal, hover, pressed, disabled."""
    w, h = 100, 30
    states = [("#2b3443", EDGE), ("#34527a", ACCENT), ("#19b4ff", ACCENT), ("#1c212a", "#2a303b")]
    args = ["-size", f"{w * 4}x{h}", "xc:none"]
    for i, (fill, edge) in enumerate(states):
        x = i * w
        args += ["-fill", fill, "-stroke", edge, "-strokewidth", "1",
                 "-draw", f"roundrectangle {x + 1},1 {x + w - 2},{h - 2} 7,7"]
    convert(*args, *png_out(path))


def scroll_vertical(path, frame_w=10, h=120):
    """Three frames side by side: track, thumb under the pointer, thumb."""
    args = ["-size", f"{frame_w * 3}x{h}", "xc:none",
            "-fill", "#ffffff14", "-draw", f"roundrectangle 2,0 {frame_w - 3},{h - 1} 3,3",
            "-fill", ACCENT, "-draw", f"roundrectangle {frame_w + 2},0 {2 * frame_w - 3},{h - 1} 3,3",
            "-fill", "#6b778a", "-draw", f"roundrectangle {2 * frame_w + 2},0 {3 * frame_w - 3},{h - 1} 3,3"]
    convert(*args, *png_out(path))


def scroll_horizontal(path, frame_w=120, frame_h=10):
    """Three columns of four rows: row 0 the track, 1 the thumb, 2 the thumb under the
    pointer, 3 the dragged thumb."""
    colours = ["#ffffff14", "#6b778a", ACCENT, "#8fd8ff"]
    args = ["-size", f"{frame_w * 3}x{frame_h * 4}", "xc:none"]
    for row, colour in enumerate(colours):
        y = row * frame_h
        for col in range(3):
            x = col * frame_w
            args += ["-fill", colour,
                     "-draw", f"roundrectangle {x},{y + 2} {x + frame_w - 1},{y + frame_h - 3} 3,3"]
    convert(*args, *png_out(path))


def tray_icon(size):
    """A round gauge: a blue ring with a white needle on a dark face."""
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
                row.append((25, 180, 255, 255))
            else:
                t = (dx - dy) / math.sqrt(2)
                off = abs(dx + dy) / math.sqrt(2)
                if 0 <= t <= inner and off < max(1.0, size / 16.0):
                    row.append((255, 255, 255, 255))
                else:
                    row.append((24, 28, 36, 255))
        rows.append(row)
    return rows


def main():
    skins, resources = sys.argv[1], sys.argv[2]
    os.makedirs(skins, exist_ok=True)
    os.makedirs(resources, exist_ok=True)
    background(os.path.join(skins, "img_cpu_bkg5.png"), celsius=True)
    background(os.path.join(skins, "img_cpu_bkg6.png"), celsius=False)
    close_button(os.path.join(skins, "img_btn_close.png"))
    button_strip(os.path.join(skins, "img_button.png"))
    scroll_vertical(os.path.join(skins, "img_scroll_v.png"))
    scroll_horizontal(os.path.join(skins, "img_scroll_h.png"))
    write_ico(os.path.join(skins, "Corvane.ico"), [tray_icon(s) for s in (16, 32, 48)])
    # The library's own copies of the scroll bar images (resources 101 and 102).
    scroll_horizontal(os.path.join(resources, "scroll_h.png"))
    scroll_vertical(os.path.join(resources, "scroll_v.png"))


if __name__ == "__main__":
    main()
