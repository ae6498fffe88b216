#!/usr/bin/env python3
"""Writes Toneloom's application icon as SVG files: the product emblem (two
woven waves in a round badge, the editor's accent colours) on a rounded
dark tile, the editor's panel. `build-icons` beside this file renders them
to resources/icons/.

    python3 make_icon.py OUTDIR

writes OUTDIR/toneloom.svg (the scalable icon, drawn on a 256 grid) and
OUTDIR/toneloom-N.svg for every size N below, each drawn on its own pixel
grid: a small icon is not the large one shrunk, its strokes are thicker and
sit on whole pixels, and it drops the details a few pixels cannot show.
"""
import math
import os
import sys

from make_art import ACCENT, ACCENT_DEEP, ACCENT_SOFT, PANEL_BOTTOM, PANEL_TOP, f

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def waves(cx, cy, half_width, amplitude, stroke, points=64):
    """The emblem's two woven waves: one full sine period under a half-sine
    envelope, the second in opposite phase and dimmer, so they cross at the
    centre and meet at both ends."""
    out = []
    for phase, opacity in ((math.pi, 0.5), (0.0, 1.0)):
        pts = []
        for i in range(points + 1):
            t = i / float(points)
            x = cx - half_width + 2 * half_width * t
            y = cy + amplitude * math.sin(t * 2 * math.pi + phase) * math.sin(t * math.pi)
            pts.append("%s,%s" % (f(x), f(y)))
        out.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="%s" '
                   'stroke-opacity="%s" stroke-linecap="round" stroke-linejoin="round"/>'
                   % (" ".join(pts), ACCENT, f(stroke), f(opacity)))
    return "\n".join(out)


def icon(size):
    """The icon drawn on a size x size pixel grid."""
    s = float(size)
    small = size <= 24
    # The tile: nearly the whole square, corners rounded as the desktop's
    # other application tiles are.
    margin = 0.0 if small else round(s / 32.0)
    radius = max(2.5, s * 0.19)
    edge = max(1.0, round(s / 64.0))
    c = s / 2.0
    defs = ('<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
            '</linearGradient>'
            '<radialGradient id="badge" cx="0.5" cy="0.42" r="0.6">'
            '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="#1a1f28"/>'
            '</radialGradient>' % (PANEL_TOP, PANEL_BOTTOM, ACCENT_DEEP))
    body = ['<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="url(#tile)"/>'
            % (f(margin), f(margin), f(s - 2 * margin), f(s - 2 * margin), f(radius))]
    if not small:
        # A faint light along the tile's top edge, and the badge: a dark
        # disc lit from above in the accent's deep shade, ringed in its soft one.
        inset = margin + edge / 2.0
        body.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="none" '
                    'stroke="#ffffff" stroke-opacity="0.10" stroke-width="%s"/>'
                    % (f(inset), f(inset), f(s - 2 * inset), f(s - 2 * inset),
                       f(radius - edge / 2.0), f(edge)))
        ring = max(1.0, round(s / 40.0))
        badge_r = s * 0.34
        body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#badge)" stroke="%s" '
                    'stroke-width="%s"/>' % (f(c), f(c), f(badge_r), ACCENT_SOFT, f(ring)))
        body.append(waves(c, c, badge_r * 0.70, badge_r * 0.36, max(1.5, s / 21.0)))
    else:
        # A few pixels show no badge: the waves fill the tile, thick enough
        # to stay two clear lines.
        body.append(waves(c, c, s * 0.36, s * 0.19, 1.6 if size == 16 else 1.8))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n'
            % (size, size, size, size, defs, "\n".join(body)))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTDIR\n")
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(out, "toneloom-%d.svg" % size), "w") as fh:
            fh.write(icon(size))
    with open(os.path.join(out, "toneloom.svg"), "w") as fh:
        fh.write(icon(256))
    return 0


if __name__ == "__main__":
    sys.exit(main())
