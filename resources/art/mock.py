#!/usr/bin/env python3
"""Composes a picture of the whole editor from resources/img/*.png, placed
and drawn the way the editor does (knob pointers turned, switch faces,
drop-downs, wave picture, markers, value texts), for judging the artwork
without building the plug-in. Needs ImageMagick.

    python3 mock.py OUT.png [--alt]

--alt shows the other looks: "Monaural", "Play Anyway" off, "LFO's Sync"
held, LFO 1 on milliseconds, LFO 2's target list open and its conflict
mark, and another wave shape.
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
IMG = os.path.join(HERE, "..", "img")
VALUE_FONT = "Liberation-Sans"  # what "Arial" resolves to here
VERSION_FONT = "DejaVu-Sans"    # what "Verdana" resolves to here


def img(name):
    return os.path.join(IMG, name)


def main():
    if len(sys.argv) < 2:
        sys.stderr.write("usage: mock.py OUT.png [--alt]\n")
        return 2
    out = sys.argv[1]
    alt = "--alt" in sys.argv[2:]
    tmp = tempfile.mkdtemp()
    layers = []  # (file, left, top)

    def frame(name, index, frames, vertical):
        path = os.path.join(tmp, "%s_%d.png" % (name, index))
        w, h = [int(v) for v in subprocess.check_output(
            ["identify", "-format", "%w %h", img(name)]).split()]
        if vertical:
            geo = "%dx%d+0+%d" % (w, h // frames, h // frames * index)
        else:
            geo = "%dx%d+%d+0" % (w // frames, h, w // frames * index)
        subprocess.check_call(["convert", img(name), "-crop", geo, "+repage", path])
        return path

    def knob(name, size, cx, cy, v):
        angle = -150.0 + 300.0 * v
        path = os.path.join(tmp, "k%d.png" % len(layers))
        subprocess.check_call(["convert", img(name), "-background", "none", "-virtual-pixel",
                               "transparent", "+distort", "SRT", "%f" % angle, "-gravity",
                               "center", "-extent", "%dx%d" % (size, size), path])
        layers.append((path, int(cx - size // 2), int(cy - size // 2)))

    def value(text, left, right, bottom, size=15, alpha=200, font=VALUE_FONT, align="center"):
        path = os.path.join(tmp, "t%d.png" % len(layers))
        subprocess.check_call(["convert", "-background", "none", "-fill",
                               "rgba(255,255,255,%f)" % (alpha / 255.0), "-font", font,
                               "-pointsize", str(size), "label:" + text, path])
        w = int(subprocess.check_output(["identify", "-format", "%w", path]))
        top = bottom - size
        x = left + (right - left - w) // 2 if align == "center" else left
        layers.append((path, x, top))

    # version text and band label
    value("v1.10", 45, 95, 12 + 13, size=13, alpha=100, font=VERSION_FONT, align="left")
    value("Monaural Off" if alt else "THETA", 216, 300, 215)
    wave = 5 if alt else 1
    wave_name = ["Sine", "Golden Sine TS", "Golden Sine SG", "Golden Sine GS", "Sine Half",
                 "Gold. Triangle", "Gold. Square"][wave]
    layers.append((frame("gph_wave.png", wave, 7, True), 182, 110))
    # large knobs
    knob("knob.png", 57, 53, 120, 0.0949)
    value("200.0Hz", 21, 85, 169)
    knob("knob.png", 57, 127, 120, 0.35)
    value("0.00Hz" if alt else "4.00Hz", 98, 156, 169)
    layers.append((frame("wave.png", wave, 7, False), 381, 91))
    value(wave_name, 366, 454, 169)
    # switches: "Beats" is drawn only when "Monaural", "Play Anyway" when on
    if alt:
        layers.append((img("btn3.png"), 370, 185))
        layers.append((img("btn2.png"), 195, 414))
    else:
        layers.append((img("btn.png"), 376, 226))
    # small knobs
    for cx, v, t, l, r in ((37, 0.011, "1000ms", 7, 67), (90, 1.0, "100%", 70, 110),
                           (143, 0.9, "90%", 123, 163)):
        knob("knob2.png", 40, cx, 215, v)
        value(t, l, r, 255)
    # LFO panels
    for n, target, wave, wave_text, rate, rate_text, depth in (
            (0, 1, 0, "Sine", 0.5, "1/1", 0.9), (1, 0, 1, "Golden Sine", 0.3, "1/4", 0.6)):
        dx = 224 * n
        if alt and n == 0:
            rate_text = "2000ms"
        else:
            layers.append((img("rate_sync.png"), 183 + dx, 280))
        # the drop-down draws 15 rows of its 16-row frame
        closed = frame("lfo_tg.png", target, 5, True)
        subprocess.check_call(["convert", closed, "-crop", "86x15+0+0", "+repage", closed])
        layers.append((closed, 84 + dx, 300))
        knob("knob2.png", 40, 45 + dx, 363, 0.0)
        value("0%", 25 + dx, 65 + dx, 403)
        layers.append((frame("lfo_wave.png", wave, 9, False), 77 + dx, 343))
        value(wave_text, 63 + dx, 131 + dx, 403)
        knob("knob2.png", 40, 149 + dx, 363, depth)
        value("%d%%" % round(depth * 100), 129 + dx, 169 + dx, 403)
        knob("knob2.png", 40, 201 + dx, 363, rate)
        value(rate_text, 171 + dx, 231 + dx, 403)
    # LFO 1 marker part-way, LFO 2 inactive (no assign)
    marker = os.path.join(tmp, "marker.png")
    subprocess.check_call(["convert", "-size", "6x2", "xc:rgba(255,255,255,0.59)", marker])
    layers.append((marker, 22 + 71, 408))
    if alt:
        conflict = os.path.join(tmp, "conflict.png")
        subprocess.check_call(["convert", "-size", "6x2", "xc:rgba(255,0,0,0.78)", conflict])
        layers.append((conflict, 246, 408))
        layers.append((img("lfo_tg_.png"), 308, 316))

    cmd = ["convert", img("bg.png")]
    for path, x, y in layers:
        cmd += [path, "-geometry", "+%d+%d" % (x, y), "-composite"]
    cmd.append(out)
    subprocess.check_call(cmd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
