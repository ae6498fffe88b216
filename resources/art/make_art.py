#!/usr/bin/env python3
"""Writes the editor's artwork as SVG files, one per picture (ids 100 to 111),
plus the three full-face variants that the opaque switch pictures are cut
from. `build` beside this file renders them to resources/img/*.png.

    python3 make_art.py OUTDIR

Every position below is in editor pixels (470 x 455). In SVG coordinates a
pixel (x, y) covers x..x+1, so a knob turned about pixel (53, 120) of a
picture with an odd width is centred on 53.5, 120.5, and one with an even
width on the pixel corner.

The wave pictures are computed from the tone generator's own formulas
(engine/ToneloomRenderer.cpp, engine/CLS_TONELOOM.cpp).
"""
import math
import os
import sys

# ---------------------------------------------------------------- palette --

FONT = "Lato"
PANEL_TOP = "#272e3b"
PANEL_BOTTOM = "#161a22"
ACCENT = "#63d0c4"        # the one accent: a calm sea green
ACCENT_SOFT = "#3f8f88"
ACCENT_DEEP = "#163c3b"
CAPTION = "#9aa5b6"
CAPTION_DIM = "#6f7a8b"
TEXT_HI = "#e9eef3"

W, H = 470, 455

# ------------------------------------------------------------ the layout --

# Continuous centres of the knobs (see the module comment).
LARGE_KNOBS = [("BASE FREQ", 53.5, 120.5), ("BINAURAL", 127.5, 120.5)]
SMALL_KNOBS = [("FADE", 37.0, 215.0), ("PAN", 90.0, 215.0), ("VOLUME", 143.0, 215.0)]
WAVE_SELECTOR = (410.0, 120.0)
LFO_SHIFT = 224  # LFO 2 sits this far right of LFO 1
LFO_KNOBS = [("START", 45.0), ("WAVE", 97.0), ("DEPTH", 149.0), ("RATE", 201.0)]
LFO_KNOB_Y = 363.0
LFO_PANEL = (12, 272, 233, 413)  # LFO 1; left, top, right, bottom

BEATS_BOX = (370, 185, 449, 208)
PLAY_BOX = (376, 226, 444, 249)
LFOS_SYNC_BOX = (195, 414, 275, 437)
SYNC_BOX = (183, 280, 231, 301)  # LFO 1; LFO 2 is LFO_SHIFT to the right
TARGET_POS = (84, 300)
BAND_BOX = (216, 200, 300, 215)
WAVE_PICTURE = (182, 110, 175, 55)  # left, top, width, frame height

LARGE_ARC = 150.0  # degrees either side of straight up
WAVE_STEPS = 7
LFO_WAVE_STEPS = 9
TARGETS = ["No Assign", "Base Freq", "Binaural", "Binaural Pan", "Volume"]

# ------------------------------------------------------------- helpers --


def f(v):
    """A number as SVG wants it: short, no trailing zeros."""
    s = "%.3f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def svg(width, height, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n'
            % (width, height, width, height, defs, body))


def text(x, y, s, size, fill, weight=400, anchor="middle", spacing=0.0, opacity=1.0,
         family=FONT, extra=""):
    return ('<text x="%s" y="%s" font-family="%s" font-size="%s" font-weight="%d" '
            'fill="%s" text-anchor="%s" letter-spacing="%s" opacity="%s" %s>%s</text>'
            % (f(x), f(y), family, f(size), weight, fill, anchor, f(spacing), f(opacity),
               extra, s))


def caption(x, y, s, size=9.5, fill=CAPTION, anchor="middle", weight=700, spacing=1.6):
    # Letter spacing adds space after the last letter too: shift centred
    # captions by half of it so they sit on their centre.
    dx = -spacing / 2 if anchor == "middle" else (-spacing if anchor == "end" else 0)
    return text(x + dx, y, s, size, fill, weight, anchor, spacing)


def polar(cx, cy, r, degrees):
    """The point at `degrees` clockwise from straight up."""
    a = math.radians(degrees)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def rounded(x0, y0, x1, y1, r, attrs):
    return ('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" %s/>'
            % (f(x0), f(y0), f(x1 - x0), f(y1 - y0), f(r), attrs))


# Filters and gradients shared by the pictures.
COMMON_DEFS = """
<filter id="blur1" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="1"/></filter>
<filter id="blur2" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="2"/></filter>
<filter id="blur3" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="3"/></filter>
<filter id="blur6" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="6"/></filter>
<filter id="blur12" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="12"/></filter>
<radialGradient id="knobBody" cx="0.38" cy="0.3" r="0.85">
  <stop offset="0" stop-color="#515a6c"/><stop offset="0.55" stop-color="#323948"/>
  <stop offset="1" stop-color="#1d222c"/>
</radialGradient>
<linearGradient id="knobRim" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#7a8597"/><stop offset="0.5" stop-color="#3a4250"/>
  <stop offset="1" stop-color="#0e1117"/>
</linearGradient>
<linearGradient id="knobFace" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#2c333f"/><stop offset="1" stop-color="#3b4352"/>
</linearGradient>
<linearGradient id="insetFill" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#11141b"/><stop offset="1" stop-color="#181c25"/>
</linearGradient>
<linearGradient id="switchOff" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#2d3441"/><stop offset="1" stop-color="#1e232d"/>
</linearGradient>
<linearGradient id="switchOn" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#24625d"/><stop offset="1" stop-color="#17403d"/>
</linearGradient>
<linearGradient id="edgeLight" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#ffffff" stop-opacity="0.16"/>
  <stop offset="1" stop-color="#ffffff" stop-opacity="0.02"/>
</linearGradient>
"""


# --------------------------------------------------------- wave formulas --

G = 0.618034  # the engine's single-precision 1/phi, used as a double
TWO_PI = 6.283185307179586


def float32(v):
    import struct
    return struct.unpack("f", struct.pack("f", v))[0]


def tone_coefficients(shape):
    g = float32(G)
    if shape == 1:
        s = (1.0 - g) * TWO_PI
        hi = math.pi / (TWO_PI - s)
        return s, math.pi / s, hi, math.pi - s * hi
    if shape == 4:
        s = g * TWO_PI
        return s, 0.25 / g, 0.25 / (1.0 - g), ((1.0 - 2.0 * g) * math.pi / (1.0 - g)) * 0.5
    if shape == 5:
        s = g * TWO_PI
        return s, 2.0 / (g * TWO_PI), (g + 1.0) / (1.0 - g), 0.3183098861837907 / (1.0 - g)
    return None


def tone_wave(shape, x):
    """The tone's wave shape `shape` (WaveShape) at phase x in [0, 2pi)."""
    if shape == 0:
        return math.sin(x)
    if shape in (2, 3):
        k = float32(0.397856) if shape == 2 else float32(G)
        return math.sin(x - k * math.sin(x))
    if shape == 6:
        # The square splits where the last golden shape did; after start-up
        # that is "Golden Sine TS" (38.2 %), the default wave.
        split = tone_coefficients(1)[0]
        return 1.0 if x < split else -1.0
    s, lo, hi, off = tone_coefficients(shape)
    if shape == 5:
        return x * lo - 1.0 if x < s else hi - x * off
    w = x * lo if x < s else x * hi + off
    return math.cos(w) if shape == 1 else 2.0 * math.sin(w) - 1.0


# ------------------------------------------------------- the background --


def knob_body(cx, cy, r, ticks, tick_r0, tick_r1, arc=LARGE_ARC):
    """A knob body printed on the panel: shadow, rim, shaded cap, scale."""
    out = []
    # scale ticks
    for i in range(ticks):
        a = -arc + 2 * arc * i / (ticks - 1)
        x0, y0 = polar(cx, cy, tick_r0, a)
        x1, y1 = polar(cx, cy, tick_r1, a)
        end = i in (0, ticks - 1)
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" '
                   'stroke-linecap="round"/>'
                   % (f(x0), f(y0), f(x1), f(y1), "#8793a5" if end else "#566173",
                      "1.3" if end else "1.1"))
    # drop shadow
    out.append('<circle cx="%s" cy="%s" r="%s" fill="#000" opacity="0.55" filter="url(#blur3)"/>'
               % (f(cx), f(cy + r * 0.18), f(r)))
    # rim and body
    out.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobRim)"/>' % (f(cx), f(cy), f(r)))
    out.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobBody)"/>'
               % (f(cx), f(cy), f(r - 1.2)))
    # a slightly concave cap with a soft edge highlight
    out.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobFace)" opacity="0.85"/>'
               % (f(cx), f(cy), f(r * 0.74)))
    out.append('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="#000" stroke-opacity="0.35" '
               'stroke-width="0.8"/>' % (f(cx), f(cy), f(r * 0.74)))
    out.append('<path d="M %s %s A %s %s 0 0 1 %s %s" fill="none" stroke="#fff" '
               'stroke-opacity="0.10" stroke-width="0.9"/>'
               % (f(cx - r * 0.72), f(cy + 2), f(r * 0.74), f(r * 0.74), f(cx + r * 0.72),
                  f(cy + 2)))
    return "\n".join(out)


def selector_body(cx, cy, r, steps, dot_r, dot_size):
    """A stepped selector: a plain body with one unlit dot per position."""
    out = []
    for i in range(steps):
        a = -LARGE_ARC + 2 * LARGE_ARC * i / (steps - 1)
        x, y = polar(cx, cy, dot_r, a)
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#0c0f14"/>' % (f(x), f(y + 0.4),
                                                                         f(dot_size + 0.5)))
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#5d6a7e"/>' % (f(x), f(y), f(dot_size)))
    out.append(knob_body(cx, cy, r, 0, 0, 0))
    return "\n".join(out)


def inset_panel(x0, y0, x1, y1, r, clip_id):
    """A recessed panel: darker fill, shadow inside the top edge, a light lip
    below the bottom edge."""
    return "\n".join([
        # light lip just outside (below and right)
        rounded(x0 - 0.5, y0 - 0.5, x1 + 0.5, y1 + 1.0, r + 0.5,
                'fill="none" stroke="#ffffff" stroke-opacity="0.07" stroke-width="1"'),
        rounded(x0, y0, x1, y1, r, 'fill="url(#insetFill)"'),
        '<clipPath id="%s">%s</clipPath>' % (clip_id, rounded(x0, y0, x1, y1, r, "")),
        '<g clip-path="url(#%s)">' % clip_id,
        rounded(x0 - 3, y0 - 1, x1 + 3, y1 + 6, r + 2,
                'fill="none" stroke="#000" stroke-opacity="0.75" stroke-width="4" '
                'filter="url(#blur2)"'),
        '</g>',
        rounded(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, r - 0.5,
                'fill="none" stroke="#05070a" stroke-opacity="0.8" stroke-width="1"'),
    ])


def pill(x0, y0, x1, y1, label, lit, size=9.0, led=True, spacing=1.3, halo=False):
    """A switch face, unlit (printed on the panel) or lit (the switch picture).
    Both looks share the shadow and the dark outline, so that a lit face cut
    out of a full render matches the panel around it; `halo` adds a glow
    outside the face, only for pictures with room and alpha around it."""
    r = (y1 - y0) / 2
    out = [
        rounded(x0, y0 + 1, x1, y1 + 1, r, 'fill="#000" opacity="0.45" filter="url(#blur1)"'),
        rounded(x0 - 0.5, y0 - 0.5, x1 + 0.5, y1 + 0.5, r + 0.5,
                'fill="none" stroke="#07090d" stroke-opacity="0.7" stroke-width="1"'),
    ]
    if lit:
        if halo:
            out.append(rounded(x0 - 1, y0 - 1, x1 + 1, y1 + 1, r + 1,
                               'fill="%s" opacity="0.45" filter="url(#blur1)"' % ACCENT))
        out.append(rounded(x0, y0, x1, y1, r, 'fill="url(#switchOn)"'))
        out.append(rounded(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, r - 0.5,
                           'fill="none" stroke="%s" stroke-opacity="0.9" stroke-width="1"'
                           % ACCENT))
        out.append(rounded(x0 + 1.5, y0 + 1.2, x1 - 1.5, y0 + (y1 - y0) * 0.5, r - 1.5,
                           'fill="#ffffff" opacity="0.08"'))
        colour = "#e6fbf8"
    else:
        out.append(rounded(x0, y0, x1, y1, r, 'fill="url(#switchOff)"'))
        out.append(rounded(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, r - 0.5,
                           'fill="none" stroke="url(#edgeLight)" stroke-width="1"'))
        colour = "#8c97a8"
    cy = (y0 + y1) / 2
    tx = (x0 + x1) / 2
    if led:
        lx = x0 + r + 1.5
        tx = (lx + 4 + x1 - 4) / 2
        if lit:
            out.append('<circle cx="%s" cy="%s" r="3.6" fill="%s" opacity="0.55" '
                       'filter="url(#blur1)"/>' % (f(lx), f(cy), ACCENT))
            out.append('<circle cx="%s" cy="%s" r="2.1" fill="#bff5ee"/>' % (f(lx), f(cy)))
        else:
            out.append('<circle cx="%s" cy="%s" r="2.1" fill="#0d1015" stroke="#454f5e" '
                       'stroke-width="0.6"/>' % (f(lx), f(cy)))
    out.append(caption(tx, cy + size * 0.36, label, size, colour, spacing=spacing))
    return "\n".join(out)


def head_and_brain():
    """A calm profile of a head facing right, with a softly glowing brain in
    which the wave picture is drawn."""
    head = ("M 214 268 "
            "C 215 252 213 240 205 228 "          # back of the neck
            "C 186 206 175 182 175 152 "          # back of the head
            "C 175 104 214 76 266 75 "            # crown
            "C 316 74 348 100 352 136 "           # forehead
            "C 353 146 351 152 352 158 "          # brow
            "C 356 166 362 172 363 178 "          # nose
            "C 364 183 358 184 353 185 "
            "C 355 189 356 192 353 195 "          # lips
            "C 356 199 355 203 350 205 "
            "C 352 212 350 220 342 224 "          # chin
            "C 330 229 316 228 306 231 "          # jaw
            "C 300 242 300 256 302 268")          # throat
    # Narrowed a little about the head's middle so that the face keeps clear
    # of the "Wave" value text on its right.
    # The neck fades out above the LFO panels.
    out = ['<linearGradient id="neckFade" x1="0" y1="0" x2="0" y2="%d" '
           'gradientUnits="userSpaceOnUse">'
           '<stop offset="%s" stop-color="#fff"/><stop offset="1" stop-color="#fff" '
           'stop-opacity="0"/></linearGradient>' % (270, f(232 / 270.0)),
           '<mask id="neckMask" maskUnits="userSpaceOnUse" x="0" y="0" width="%d" height="%d">'
           '<rect width="%d" height="%d" fill="url(#neckFade)"/></mask>' % (W, H, W, H),
           '<g mask="url(#neckMask)">',
           '<g transform="translate(262 0) scale(0.95 1) translate(-262 0)">']
    out.append('<clipPath id="headClip"><path d="%s Z"/></clipPath>' % head)
    # a faint fill so the head reads as a shape, darker than the panel
    out.append('<path d="%s Z" fill="#0e1218" opacity="0.55"/>' % head)
    out.append('<g clip-path="url(#headClip)">')
    out.append('<ellipse cx="262" cy="133" rx="92" ry="70" fill="%s" opacity="0.10" '
               'filter="url(#blur12)"/>' % ACCENT)
    out.append('</g>')
    # the outline: a soft glow and a fine line
    out.append('<path d="%s" fill="none" stroke="%s" stroke-width="3" opacity="0.12" '
               'filter="url(#blur2)"/>' % (head, ACCENT))
    out.append('<path d="%s" fill="none" stroke="%s" stroke-width="1.1" opacity="0.55" '
               'stroke-linecap="round"/>' % (head, ACCENT_SOFT))
    out.append('</g></g>')
    # the brain: a rounded outline with a few folds, very quiet
    brain = ("M 196 148 C 188 120 205 94 236 90 C 256 80 290 82 308 94 "
             "C 332 100 344 122 338 144 C 340 160 326 172 306 170 "
             "C 294 180 270 180 258 172 C 240 180 214 176 206 162 C 198 160 195 154 196 148 Z")
    out.append('<path d="%s" fill="%s" opacity="0.05"/>' % (brain, ACCENT))
    out.append('<path d="%s" fill="none" stroke="%s" stroke-width="1" opacity="0.35"/>'
               % (brain, ACCENT_SOFT))
    folds = [
        "M 232 92 C 228 104 238 110 232 122",
        "M 262 84 C 256 96 270 104 262 116 C 256 124 266 130 260 138",
        "M 292 88 C 286 100 298 108 292 120",
        "M 318 100 C 310 112 322 118 316 130",
        "M 204 128 C 216 124 222 134 234 130",
        "M 300 150 C 310 142 322 150 334 144",
        "M 222 166 C 232 158 246 164 254 158",
        "M 276 166 C 284 158 296 162 304 156",
        "M 210 108 C 222 110 226 100 238 102",
        "M 326 126 C 318 132 320 138 312 140",
    ]
    for d in folds:
        out.append('<path d="%s" fill="none" stroke="%s" stroke-width="0.9" opacity="0.22" '
                   'stroke-linecap="round"/>' % (d, ACCENT_SOFT))
    # a faint centre line where the wave runs
    x, y, w, h = WAVE_PICTURE
    out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="0.8" '
               'opacity="0.18" stroke-dasharray="2 3"/>'
               % (f(x + 14), f(y + h / 2), f(x + w - 14), f(y + h / 2), ACCENT))
    return "\n".join(out)


def band_plaque():
    x0, y0, x1, y1 = BAND_BOX
    return inset_panel(x0 - 6, y0 - 4, x1 + 6, y1 + 5, 10.5, "bandClip")


def title_plate():
    x0, y0, x1, y1 = 146, 17, 324, 60
    out = [
        rounded(x0, y0 + 2, x1, y1 + 2, 11, 'fill="#000" opacity="0.5" filter="url(#blur2)"'),
        '<linearGradient id="plate" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#343c4b"/><stop offset="1" stop-color="#232833"/>'
        '</linearGradient>',
        rounded(x0, y0, x1, y1, 11, 'fill="url(#plate)"'),
        rounded(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 10.5,
                'fill="none" stroke="url(#edgeLight)" stroke-width="1"'),
        rounded(x0 - 0.5, y0 - 0.5, x1 + 0.5, y1 + 0.5, 11.5,
                'fill="none" stroke="#07090d" stroke-opacity="0.8" stroke-width="1"'),
        text(235, 46, "Toneloom", 27, TEXT_HI, 300, "middle", 1.2),
    ]
    # a thin wave under the name, fading at both ends
    pts = []
    for i in range(0, 121):
        t = i / 120.0
        px = 195 + 80 * t
        py = 52.5 + 1.6 * math.sin(t * 4 * math.pi)
        pts.append("%s,%s" % (f(px), f(py)))
    out.append('<linearGradient id="fadeLine" x1="195" y1="0" x2="275" y2="0" '
               'gradientUnits="userSpaceOnUse">'
               '<stop offset="0" stop-color="%s" stop-opacity="0"/>'
               '<stop offset="0.5" stop-color="%s" stop-opacity="0.9"/>'
               '<stop offset="1" stop-color="%s" stop-opacity="0"/></linearGradient>'
               % (ACCENT, ACCENT, ACCENT))
    out.append('<polyline points="%s" fill="none" stroke="url(#fadeLine)" stroke-width="1"/>'
               % " ".join(pts))
    return "\n".join(out)


def brand_mark():
    """The maker's mark, top right: a ring with an orbiting dot and the name."""
    cx, cy = 372.5, 38.5
    out = [
        # a ring open at the upper right, where a dot rides on it
        '<circle cx="%s" cy="%s" r="8" fill="none" stroke="%s" stroke-width="1.6" '
        'stroke-dasharray="41.9 8.4" transform="rotate(-15 %s %s)"/>'
        % (f(cx), f(cy), CAPTION, f(cx), f(cy)),
        '<circle cx="%s" cy="%s" r="2.3" fill="%s"/>' % (f(cx + 5.66), f(cy - 5.66), ACCENT),
        text(386, cy + 4.2, "ORVANTA", 11.5, CAPTION, 700, "start", 2.6),
    ]
    return "\n".join(out)


def product_emblem():
    """A small round emblem left of the version text: two woven waves."""
    cx, cy = 27.5, 21.5
    out = ['<circle cx="%s" cy="%s" r="10" fill="#1a1f28" stroke="%s" stroke-width="1.2" '
           'opacity="0.95"/>' % (f(cx), f(cy), ACCENT_SOFT)]
    for phase, opacity in ((0.0, 0.95), (math.pi, 0.5)):
        pts = []
        for i in range(41):
            t = i / 40.0
            x = cx - 7 + 14 * t
            y = cy + 3.6 * math.sin(t * 2 * math.pi + phase) * math.sin(t * math.pi)
            pts.append("%s,%s" % (f(x), f(y)))
        out.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="1.2" '
                   'opacity="%s" stroke-linecap="round"/>' % (" ".join(pts), ACCENT, f(opacity)))
    return "\n".join(out)


def lfo_panel(n):
    dx = LFO_SHIFT * (n - 1)
    x0, y0, x1, y1 = LFO_PANEL
    x0 += dx
    x1 += dx
    out = [inset_panel(x0, y0, x1, y1, 9, "lfoClip%d" % n)]
    # title
    out.append(text(x0 + 12, 295, "LFO %d" % n, 12, "#c7d0dc", 700, "start", 2.0))
    # the SYNC switch face, unlit
    sx0, sy0, sx1, sy1 = SYNC_BOX
    out.append(pill(sx0 + dx + 3, sy0 + 3, sx1 + dx - 3, sy1 - 3, "SYNC", False, 8.5, led=False))
    # target caption, left of the drop-down
    out.append(caption(TARGET_POS[0] + dx - 6, 312, "TARGET:", 9, CAPTION, "end", 700, 1.2))
    # knobs and the wave selector
    for name, kx in LFO_KNOBS:
        x = kx + dx
        out.append(caption(x, 338, name, 9, CAPTION, "middle", 700, 1.4))
        if name == "WAVE":
            out.append(selector_body(x, LFO_KNOB_Y, 12.5, LFO_WAVE_STEPS, 17.2, 1.15))
        else:
            out.append(knob_body(x, LFO_KNOB_Y, 13.5, 9, 16.2, 18.6))
    # the marker track along the bottom edge (the program draws the marker
    # at 408..410 from x = 22 to 223)
    gx0 = 22 + dx
    out.append(rounded(gx0 - 2, 406, gx0 + 203, 412, 3,
                       'fill="#07090c" stroke="#000" stroke-opacity="0.6" stroke-width="0.5"'))
    out.append('<line x1="%s" y1="412.5" x2="%s" y2="412.5" stroke="#fff" stroke-opacity="0.06"/>'
               % (f(gx0), f(gx0 + 201)))
    return "\n".join(out)


def background(lit=()):
    body = []
    # the panel: a calm vertical gradient with a soft light from the top
    body.append('<linearGradient id="panel" x1="0" y1="0" x2="0" y2="1">'
                '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
                '</linearGradient>' % (PANEL_TOP, PANEL_BOTTOM))
    body.append('<radialGradient id="topLight" cx="0.5" cy="0.0" r="0.75">'
                '<stop offset="0" stop-color="#8fb5c8" stop-opacity="0.10"/>'
                '<stop offset="1" stop-color="#8fb5c8" stop-opacity="0"/></radialGradient>')
    body.append('<rect width="%d" height="%d" fill="url(#panel)"/>' % (W, H))
    body.append('<rect width="%d" height="%d" fill="url(#topLight)"/>' % (W, H))
    # fine horizontal grain, very faint, for a brushed feel
    for y in range(0, H, 3):
        body.append('<line x1="0" y1="%s" x2="%d" y2="%s" stroke="#ffffff" stroke-opacity="0.012"/>'
                    % (f(y + 0.5), W, f(y + 0.5)))
    # header: a slightly darker band with an etched line under it
    body.append('<rect width="%d" height="70" fill="#000" opacity="0.16"/>' % W)
    body.append('<line x1="0" y1="70.5" x2="%d" y2="70.5" stroke="#06080b" stroke-opacity="0.8"/>' % W)
    body.append('<line x1="0" y1="71.5" x2="%d" y2="71.5" stroke="#fff" stroke-opacity="0.06"/>' % W)
    # edge bevel of the whole face
    body.append('<rect x="0.5" y="0.5" width="%d" height="%d" fill="none" stroke="#fff" '
                'stroke-opacity="0.07"/>' % (W - 1, H - 1))

    body.append(product_emblem())
    body.append(title_plate())
    body.append(brand_mark())
    body.append(head_and_brain())
    body.append(band_plaque())

    # large knobs
    for name, cx, cy in LARGE_KNOBS:
        body.append(caption(cx, 84, name, 10))
        body.append(knob_body(cx, cy, 21.5, 11, 24.5, 27.5))
    # the tone's wave selector
    wx, wy = WAVE_SELECTOR
    body.append(caption(wx, 84, "WAVE", 10))
    body.append(selector_body(wx, wy, 19.5, WAVE_STEPS, 24.5, 1.5))
    # small knobs
    for name, cx, cy in SMALL_KNOBS:
        body.append(caption(cx, 189, name, 9.5))
        body.append(knob_body(cx, cy, 14, 9, 16.8, 19.2))

    # switch faces, unlit, with their lit versions for the opaque pictures
    body.append(switch_face(BEATS_BOX, "BINAURAL", "MONAURAL", "beats" in lit, led=False))
    body.append(switch_face(PLAY_BOX, "PLAY", "PLAY", "play" in lit))
    body.append(switch_face(LFOS_SYNC_BOX, "SYNC LFOS", "SYNC LFOS", "lfos" in lit, small=True))

    body.append(lfo_panel(1))
    body.append(lfo_panel(2))
    return svg(W, H, "\n".join(body), COMMON_DEFS)


def switch_face(box, off_label, on_label, lit, small=False, led=True):
    x0, y0, x1, y1 = box
    label = on_label if lit else off_label
    if small:
        return pill(x0 + 1, y0 + 3, x1 - 1, y1 - 2, label, lit, 8.5, led=led, spacing=0.9)
    return pill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, label, lit, 9.0, led=led)


# ------------------------------------------------------ the other pictures --


def pointer(size, radius, dot):
    c = size / 2.0
    x, y = c, c - radius
    body = [
        '<circle cx="%s" cy="%s" r="%s" fill="%s" opacity="0.55" filter="url(#blur1)"/>'
        % (f(x), f(y), f(dot * 1.9), ACCENT),
        '<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (f(x), f(y), f(dot), ACCENT),
        '<circle cx="%s" cy="%s" r="%s" fill="#e8fffb" opacity="0.85"/>'
        % (f(x - dot * 0.2), f(y - dot * 0.25), f(dot * 0.45)),
    ]
    return svg(size, size, "\n".join(body), COMMON_DEFS)


def selector_frames(frame, steps, dot_r, dot, pointer_r0, pointer_r1):
    """`steps` frames side by side, each lighting one position."""
    body = []
    c = frame / 2.0
    for i in range(steps):
        a = -LARGE_ARC + 2 * LARGE_ARC * i / (steps - 1)
        ox = frame * i
        x, y = polar(ox + c, c, dot_r, a)
        px0, py0 = polar(ox + c, c, pointer_r0, a)
        px1, py1 = polar(ox + c, c, pointer_r1, a)
        body.append('<clipPath id="f%d"><rect x="%d" y="0" width="%d" height="%d"/></clipPath>'
                    % (i, ox, frame, frame))
        body.append('<g clip-path="url(#f%d)">' % i)
        body.append('<circle cx="%s" cy="%s" r="%s" fill="%s" opacity="0.6" filter="url(#blur1)"/>'
                    % (f(x), f(y), f(dot * 2.0), ACCENT))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (f(x), f(y), f(dot), ACCENT))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="#e8fffb" opacity="0.8"/>'
                    % (f(x), f(y), f(dot * 0.45)))
        body.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" '
                    'stroke-linecap="round"/>'
                    % (f(px0), f(py0), f(px1), f(py1), ACCENT, f(dot * 0.9)))
        body.append('</g>')
    return svg(frame * steps, frame, "\n".join(body), COMMON_DEFS)


def target_frames():
    # The drop-down draws 15 of each frame's 16 rows (from its top + 1 to
    # top + 16), so the field keeps to the first 15.
    w, h = 86, 16
    body = []
    for i, name in enumerate(TARGETS):
        y = h * i
        body.append(rounded(0.5, y + 0.5, w - 0.5, y + h - 1.5, 4,
                            'fill="#12161d" stroke="#3d4656" stroke-width="1"'))
        body.append(rounded(1.5, y + 1.5, w - 1.5, y + h / 2, 3, 'fill="#fff" opacity="0.04"'))
        colour = "#8c97a8" if i == 0 else TEXT_HI
        body.append(text(7, y + 11.0, name, 11, colour, 400, "start", 0.2))
        # chevron
        cx, cy = w - 9.5, y + 6.6
        body.append('<path d="M %s %s L %s %s L %s %s" fill="none" stroke="%s" stroke-width="1.3" '
                    'stroke-linecap="round" stroke-linejoin="round"/>'
                    % (f(cx - 3), f(cy - 1.2), f(cx), f(cy + 1.8), f(cx + 3), f(cy - 1.2), ACCENT))
    return svg(w, h * len(TARGETS), "\n".join(body), COMMON_DEFS)


def target_list():
    w, h = 90, 91
    row = h / 5.0
    body = [
        '<rect width="%d" height="%d" fill="#141820"/>' % (w, h),
        '<rect x="0.5" y="0.5" width="%d" height="%d" fill="none" stroke="%s" stroke-width="1"/>'
        % (w - 1, h - 1, ACCENT_SOFT),
    ]
    for i, name in enumerate(TARGETS):
        y = row * i
        if i:
            body.append('<line x1="6" y1="%s" x2="%d" y2="%s" stroke="#2c3340" stroke-width="1"/>'
                        % (f(round(y) + 0.5), w - 6, f(round(y) + 0.5)))
        body.append(text(9, y + row / 2 + 4.0, name, 11.5, "#8c97a8" if i == 0 else TEXT_HI,
                         400, "start", 0.2))
    return svg(w, h, "\n".join(body), COMMON_DEFS)


def rate_sync():
    x0, y0, x1, y1 = SYNC_BOX
    body = pill(3, 3, x1 - x0 - 3, y1 - y0 - 3, "SYNC", True, 8.5, led=False, halo=True)
    return svg(x1 - x0, y1 - y0, body, COMMON_DEFS)


def wave_frames():
    _, _, w, h = WAVE_PICTURE
    body = []
    left, right = 12.0, w - 12.0
    amp = 19.0
    body.append('<linearGradient id="fade" x1="%s" y1="0" x2="%s" y2="0" '
                'gradientUnits="userSpaceOnUse">'
                '<stop offset="0" stop-color="%s" stop-opacity="0"/>'
                '<stop offset="0.12" stop-color="%s" stop-opacity="1"/>'
                '<stop offset="0.88" stop-color="%s" stop-opacity="1"/>'
                '<stop offset="1" stop-color="%s" stop-opacity="0"/></linearGradient>'
                % (f(left), f(right), ACCENT, ACCENT, ACCENT, ACCENT))
    body.append('<linearGradient id="fadeCore" x1="%s" y1="0" x2="%s" y2="0" '
                'gradientUnits="userSpaceOnUse">'
                '<stop offset="0" stop-color="#c9fbf4" stop-opacity="0"/>'
                '<stop offset="0.12" stop-color="#c9fbf4" stop-opacity="1"/>'
                '<stop offset="0.88" stop-color="#c9fbf4" stop-opacity="1"/>'
                '<stop offset="1" stop-color="#c9fbf4" stop-opacity="0"/></linearGradient>'
                % (f(left), f(right)))
    samples = 600
    for shape in range(7):
        oy = h * shape
        cy = oy + h / 2.0
        pts = []
        for i in range(samples + 1):
            t = i / float(samples)
            x = (t * 2.0 % 1.0) * TWO_PI if i < samples else TWO_PI - 1e-9
            v = tone_wave(shape, x)
            pts.append("%s,%s" % (f(left + (right - left) * t), f(cy - amp * v)))
        line = " ".join(pts)
        body.append('<clipPath id="w%d"><rect x="0" y="%d" width="%d" height="%d"/></clipPath>'
                    % (shape, oy, w, h))
        body.append('<g clip-path="url(#w%d)">' % shape)
        body.append('<polyline points="%s" fill="none" stroke="url(#fade)" stroke-width="5" '
                    'opacity="0.28" filter="url(#blur2)" stroke-linejoin="round"/>' % line)
        body.append('<polyline points="%s" fill="none" stroke="url(#fade)" stroke-width="2.2" '
                    'opacity="0.9" stroke-linejoin="round"/>' % line)
        body.append('<polyline points="%s" fill="none" stroke="url(#fadeCore)" stroke-width="0.8" '
                    'opacity="0.7" stroke-linejoin="round"/>' % line)
        body.append('</g>')
    return svg(w, h * 7, "\n".join(body), COMMON_DEFS)


# ------------------------------------------------------- the player's strip --

# toneloom-play's strip above the editor: 470 x 62, the same panel and insets.
# Boxes are left, top, right, bottom in strip pixels; the program draws its
# texts into them (tools/play/PlayerStrip.cpp keeps the same numbers).
STRIP_W, STRIP_H = 470, 62
STRIP_PLAY_BOX = (9, 9, 53, 53)       # the button picture lies here
STRIP_TIME_BOX = (62, 9, 160, 31)
STRIP_DEVICE_BOX = (168, 9, 461, 31)
STRIP_RATE_BOX = (286, 35, 372, 53)
STRIP_BUFFER_BOX = (378, 35, 461, 53)
PLAY_BUTTON = 44                      # one frame, square


def chevron(cx, cy, colour=ACCENT_SOFT, half=3.2):
    return ('<path d="M %s %s L %s %s L %s %s" fill="none" stroke="%s" stroke-width="1.4" '
            'stroke-linecap="round" stroke-linejoin="round"/>'
            % (f(cx - half), f(cy - half * 0.5), f(cx), f(cy + half * 0.5), f(cx + half),
               f(cy - half * 0.5), colour))


def strip():
    w, h = STRIP_W, STRIP_H
    body = [
        '<linearGradient id="stripPanel" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="#1f2530"/>'
        '</linearGradient>' % PANEL_TOP,
        '<radialGradient id="stripLight" cx="0.5" cy="0.0" r="0.9">'
        '<stop offset="0" stop-color="#8fb5c8" stop-opacity="0.10"/>'
        '<stop offset="1" stop-color="#8fb5c8" stop-opacity="0"/></radialGradient>',
        '<rect width="%d" height="%d" fill="url(#stripPanel)"/>' % (w, h),
        '<rect width="%d" height="%d" fill="url(#stripLight)"/>' % (w, h),
    ]
    for y in range(0, h, 3):
        body.append('<line x1="0" y1="%s" x2="%d" y2="%s" stroke="#ffffff" stroke-opacity="0.012"/>'
                    % (f(y + 0.5), w, f(y + 0.5)))
    # a light edge along the top and sides, as the editor's face has
    body.append('<rect x="0.5" y="0.5" width="%d" height="%d" fill="none" stroke="#fff" '
                'stroke-opacity="0.07"/>' % (w - 1, h + 4))
    # a soft well under the play button
    x0, y0, x1, y1 = STRIP_PLAY_BOX
    body.append('<circle cx="%s" cy="%s" r="%s" fill="#000" opacity="0.22" filter="url(#blur2)"/>'
                % (f((x0 + x1) / 2), f((y0 + y1) / 2 + 1), f((x1 - x0) / 2 + 1)))
    boxes = [("time", STRIP_TIME_BOX, False), ("device", STRIP_DEVICE_BOX, True),
             ("rate", STRIP_RATE_BOX, True), ("buffer", STRIP_BUFFER_BOX, True)]
    for name, (x0, y0, x1, y1), listed in boxes:
        body.append(inset_panel(x0, y0, x1, y1, min(7.0, (y1 - y0) / 2.0), "strip_%s" % name))
        if listed:
            body.append(chevron(x1 - 9.5, (y0 + y1) / 2.0))
    # the divider between strip and editor: an etched line along the bottom
    body.append('<line x1="0" y1="%s" x2="%d" y2="%s" stroke="#06080b" stroke-opacity="0.9"/>'
                % (f(h - 0.5), w, f(h - 0.5)))
    return svg(w, h, "\n".join(body), COMMON_DEFS)


def strip_play():
    """The play button: a round knob-like cap, a play triangle on the top
    frame (paused) and pause bars on the bottom one (playing)."""
    size = PLAY_BUTTON
    c = size / 2.0
    r = 18.0
    body = []
    for frame in range(2):
        oy = size * frame
        cy = oy + c
        body.append('<clipPath id="p%d"><rect x="0" y="%d" width="%d" height="%d"/></clipPath>'
                    % (frame, oy, size, size))
        body.append('<g clip-path="url(#p%d)">' % frame)
        body.append('<circle cx="%s" cy="%s" r="%s" fill="#000" opacity="0.55" '
                    'filter="url(#blur1)"/>' % (f(c), f(cy + 1.5), f(r)))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobRim)"/>' % (f(c), f(cy), f(r)))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobBody)"/>'
                    % (f(c), f(cy), f(r - 1.2)))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#knobFace)" opacity="0.85"/>'
                    % (f(c), f(cy), f(r * 0.78)))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="#000" '
                    'stroke-opacity="0.35" stroke-width="0.8"/>' % (f(c), f(cy), f(r * 0.78)))
        if frame == 1:
            # playing: a faint accent ring tells it is on
            body.append('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" '
                        'stroke-opacity="0.55" stroke-width="1"/>'
                        % (f(c), f(cy), f(r - 0.6), ACCENT))
        if frame == 0:
            # the triangle's centroid sits on the centre
            tw, th = 11.0, 13.0
            x0 = c - tw / 3.0
            symbol = ('<path d="M %s %s L %s %s L %s %s Z" fill="%s" stroke="%s" '
                      'stroke-width="1.2" stroke-linejoin="round"/>'
                      % (f(x0), f(cy - th / 2), f(x0 + tw), f(cy), f(x0), f(cy + th / 2),
                         ACCENT, ACCENT))
        else:
            bw, bh, gap = 3.6, 12.0, 3.6
            symbol = "".join(
                rounded(bx, cy - bh / 2, bx + bw, cy + bh / 2, 1.0, 'fill="%s"' % ACCENT)
                for bx in (c - gap / 2 - bw, c + gap / 2))
        body.append('<g opacity="0.55" filter="url(#blur1)">%s</g>' % symbol)
        body.append(symbol)
        body.append('</g>')
    return svg(size, size * 2, "\n".join(body), COMMON_DEFS)


# ------------------------------------------------------------------ main --


def pictures():
    """File stem -> SVG text."""
    return {
        "bg": background(),
        "bg_lit_beats": background(lit=("beats",)),
        "bg_lit_play": background(lit=("play",)),
        "bg_lit_lfos": background(lit=("lfos",)),
        "knob": pointer(57, 13.5, 3.0),
        "knob2": pointer(40, 8.6, 2.1),
        "wave": selector_frames(58, WAVE_STEPS, 24.5, 2.4, 5.0, 14.0),
        "lfo_wave": selector_frames(40, LFO_WAVE_STEPS, 17.2, 1.8, 3.0, 9.0),
        "lfo_tg": target_frames(),
        "lfo_tg_": target_list(),
        "rate_sync": rate_sync(),
        "gph_wave": wave_frames(),
        "strip": strip(),
        "strip_play": strip_play(),
    }


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_art.py OUTDIR\n")
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for stem, text_ in pictures().items():
        with open(os.path.join(out, stem + ".svg"), "w") as fh:
            fh.write(text_)
    return 0


if __name__ == "__main__":
    sys.exit(main())
