#!/usr/bin/env python3
"""Writes the editor's twelve pictures as plain placeholder PNGs of their final
sizes and frame layouts, until the finished artwork replaces them.

    python3 resources/make_placeholders.py   (writes resources/img/*.png)
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# id, file, width, height, frames, stacked (frames top to bottom), has alpha
PICTURES = [
    (100, "bg.png", 470, 455, 1, False, False),
    (101, "knob.png", 57, 57, 1, False, True),
    (102, "knob2.png", 40, 40, 1, False, True),
    (103, "wave.png", 406, 58, 7, False, True),
    (104, "lfo_wave.png", 360, 40, 9, False, True),
    (105, "btn.png", 68, 23, 1, False, False),
    (106, "btn3.png", 79, 23, 1, False, False),
    (107, "lfo_tg.png", 86, 80, 5, True, True),
    (108, "lfo_tg_.png", 90, 91, 1, False, False),
    (109, "rate_sync.png", 48, 21, 1, False, True),
    (110, "btn2.png", 80, 23, 1, False, False),
    (111, "gph_wave.png", 175, 385, 7, True, True),
]

PANEL = (24, 27, 36)   # dark slate
ACCENT = (214, 178, 92)  # muted gold
LIT = (92, 196, 214)     # calm cyan


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, pixel, alpha):
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            r, g, b, a = pixel(x, y)
            rows += bytes((r, g, b, a) if alpha else (r, g, b))
    colour_type = 6 if alpha else 2
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def painter(width, height, frames, stacked, alpha):
    frame_w = width if stacked else width // frames
    frame_h = height // frames if stacked else height

    def pixel(x, y):
        fx, fy = x % frame_w, y % frame_h
        index = (y // frame_h) if stacked else (x // frame_w)
        edge = fx in (0, frame_w - 1) or fy in (0, frame_h - 1)
        if not alpha:
            return (*(ACCENT if edge else PANEL), 255)
        # a dot whose place moves with the frame index shows which frame is which
        cx = frame_w * (index + 1) // (frames + 1)
        cy = frame_h // 2
        if (fx - cx) ** 2 + (fy - cy) ** 2 <= max(2, min(frame_w, frame_h) // 10) ** 2:
            return (*LIT, 255)
        return (0, 0, 0, 0)

    return pixel


def main():
    out = os.path.join(HERE, "img")
    os.makedirs(out, exist_ok=True)
    for _, name, w, h, frames, stacked, alpha in PICTURES:
        write_png(os.path.join(out, name), w, h, painter(w, h, frames, stacked, alpha), alpha)


if __name__ == "__main__":
    main()
