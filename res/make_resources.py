#!/usr/bin/env python3
"""Draws Tarnwick's button bitmaps and icons and synthesises its three alarm
sounds, then writes tarnwick.qrc; draws the application icon for the desktop
too, in the icon theme's sizes and as SVG. Python standard library only.

    python3 res/make_resources.py      # rewrites res/bmp, res/ico, res/wav
                                       # and dist/icons

Every picture is drawn at its final size with 4 x 4 samples per pixel, so
the small sizes stay crisp. The files are committed; run this again only
after changing a drawing.

Numbering (the ids the program asks for):
  buttons  Small   Start 133 134 135, Stop 137 138 139, Pause 144 145 146, mask 136
           Medium  Start 180 181 182, Stop 184 185 186, Pause 177 178 179, mask 183
           Large   Start 167 169 168, Stop 174 175 176, Pause 171 173 172, mask 170
           (normal, down, disabled; Pause's down image is the paused one)
  icons    128 application, 129 hands, 130 money, 154 time, 155 a room not watched
  sounds   156 hands alarm, 157 money alarms, 169 time alarm, 187 warning (a limit
           comes near: soft and short, written at a lower level)
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
# The desktop's icons, installed from dist/ under the program's desktop id.
DESKTOP_ICONS = os.path.join(os.path.dirname(HERE), "dist", "icons", "hicolor")
DESKTOP_ID = "org.quillfen.Tarnwick"
SS = 4  # samples per pixel along each axis

# --- PNG ---------------------------------------------------------------------


def write_png(path, width, height, rows, alpha):
    """rows: list of rows of (r, g, b, a) tuples with channels 0..255."""
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a)) if alpha else bytes((r, g, b))
    colour_type = 6 if alpha else 2

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# --- Shapes: each answers whether a point (in pixels) lies inside ---------------


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    hit = not hit
        return hit
    return inside


def segment(xa, ya, xb, yb, half_width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        px, py = xa + t * dx, ya + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def rotated(shape, cx, cy, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + c * dx + s * dy, cy - s * dx + c * dy)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


# --- Painting ------------------------------------------------------------------


def vertical_gradient(top, bottom, y0, y1):
    def colour(x, y):
        t = 0.0 if y1 == y0 else min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3)) + (255,)
    return colour


def solid(rgb, a=255):
    return lambda x, y: (rgb[0], rgb[1], rgb[2], a)


def render(width, height, layers, background=(0, 0, 0, 0)):
    """layers: list of (shape, paint) painted in order with anti-aliasing.
    Returns rows of straight-alpha (r, g, b, a) tuples."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied sums
            for sy in range(SS):
                for sx in range(SS):
                    x = px + (sx + 0.5) / SS
                    y = py + (sy + 0.5) / SS
                    r, g, b, a = background
                    a /= 255.0
                    pr, pg, pb = r * a, g * a, b * a
                    for shape, paint in layers:
                        if shape(x, y):
                            cr, cg, cb, ca = paint(x, y)
                            ca /= 255.0
                            pr = cr * ca + pr * (1 - ca)
                            pg = cg * ca + pg * (1 - ca)
                            pb = cb * ca + pb * (1 - ca)
                            a = ca + a * (1 - ca)
                    acc[0] += pr
                    acc[1] += pg
                    acc[2] += pb
                    acc[3] += a
            n = SS * SS
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(min(255.0, c / n / a))) for c in acc[:3])
                           + (int(round(a * 255)),))
        rows.append(row)
    return rows


# The window's default background: the anti-aliased rim of a button blends
# into it, so the edge the mask leaves looks smooth.
WINDOW_BG = (61, 50, 55)


def flatten(rows, bg=WINDOW_BG):
    """Blends onto an opaque background (the parts outside the mask)."""
    out = []
    for row in rows:
        new = []
        for r, g, b, a in row:
            t = a / 255.0
            new.append((int(round(r * t + bg[0] * (1 - t))),
                        int(round(g * t + bg[1] * (1 - t))),
                        int(round(b * t + bg[2] * (1 - t))), 255))
        out.append(new)
    return out


# --- Buttons -------------------------------------------------------------------

BUTTON_SIZES = {"small": (22, 20), "medium": (30, 27), "large": (40, 36)}
BUTTON_IDS = {
    "small": {"mask": 136, "start": (133, 134, 135), "stop": (137, 138, 139),
              "pause": (144, 145, 146)},
    "medium": {"mask": 183, "start": (180, 181, 182), "stop": (184, 185, 186),
               "pause": (177, 178, 179)},
    "large": {"mask": 170, "start": (167, 169, 168), "stop": (174, 175, 176),
              "pause": (171, 173, 172)},
}
BUTTON_COLOURS = {  # (top, bottom) of the face
    "start": ((96, 208, 112), (24, 128, 48)),
    "stop": ((236, 104, 96), (160, 32, 32)),
    "pause": ((255, 200, 80), (200, 128, 16)),
}
# Pressed, Pause shows a paused clock: a blue face with amber bars, so it
# cannot be taken for the amber button merely held down.
PAUSED_FACE = ((40, 96, 200), (96, 160, 255))  # (top, bottom): lit from below, pressed in
PAUSED_BARS = (255, 200, 80)


def button_outline(w, h):
    r = min(w, h) * 0.28
    return rounded_rect(0.0, 0.0, w, h, r)


def button_symbol(kind, w, h, dx=0.0, dy=0.0):
    cx, cy = w / 2 + dx, h / 2 + dy
    s = min(w, h)
    if kind == "start":
        return polygon([(cx - 0.20 * s, cy - 0.27 * s), (cx - 0.20 * s, cy + 0.27 * s),
                        (cx + 0.28 * s, cy)])
    if kind == "stop":
        return rounded_rect(cx - 0.22 * s, cy - 0.22 * s, cx + 0.22 * s, cy + 0.22 * s, 0.05 * s)
    bar_w, bar_h, gap = 0.14 * s, 0.27 * s, 0.07 * s
    return union(rounded_rect(cx - gap - bar_w, cy - bar_h, cx - gap, cy + bar_h, 0.03 * s),
                 rounded_rect(cx + gap, cy - bar_h, cx + gap + bar_w, cy + bar_h, 0.03 * s))


def draw_button(kind, state, w, h):
    outline = button_outline(w, h)
    inner = rounded_rect(1.0, 1.0, w - 1.0, h - 1.0, min(w, h) * 0.28 - 1.0)
    top, bottom = BUTTON_COLOURS[kind]
    layers = []
    if state == "disabled":
        layers.append((outline, solid((92, 92, 100))))
        layers.append((inner, vertical_gradient((128, 128, 136), (100, 100, 108), 0, h)))
        layers.append((button_symbol(kind, w, h), solid((168, 168, 176))))
    elif state == "down" and kind == "pause":
        layers.append((outline, solid((20, 48, 120))))
        layers.append((inner, vertical_gradient(PAUSED_FACE[0], PAUSED_FACE[1], 0, h)))
        layers.append((button_symbol(kind, w, h, 0.6, 0.6), solid((0, 0, 0), 90)))
        layers.append((button_symbol(kind, w, h, 0.3, 0.3), solid(PAUSED_BARS)))
    elif state == "down":
        dark = lambda c: tuple(int(v * 0.72) for v in c)
        layers.append((outline, solid(dark(bottom))))
        layers.append((inner, vertical_gradient(dark(bottom), dark(top), 0, h)))
        layers.append((button_symbol(kind, w, h, 0.6, 0.6), solid((235, 235, 235))))
    else:
        layers.append((outline, solid(tuple(int(v * 0.6) for v in bottom))))
        layers.append((inner, vertical_gradient(top, bottom, 0, h)))
        # A soft highlight across the upper half.
        layers.append((rounded_rect(2.0, 1.5, w - 2.0, h * 0.48, min(w, h) * 0.2),
                       solid((255, 255, 255), 46)))
        layers.append((button_symbol(kind, w, h, 0.4, 0.4), solid((0, 0, 0), 70)))
        layers.append((button_symbol(kind, w, h), solid((255, 255, 255))))
    return flatten(render(w, h, layers))


def draw_mask(w, h):
    """Black where the button is, white elsewhere; a pixel is black when its
    centre lies inside the outline, so the mask and the images agree."""
    outline = button_outline(w, h)
    rows = []
    for py in range(h):
        rows.append([(0, 0, 0, 255) if outline(px + 0.5, py + 0.5) else (255, 255, 255, 255)
                     for px in range(w)])
    return rows


# --- Icons ---------------------------------------------------------------------


def icon_time(n):
    c, r = n / 2, n * 0.46
    return [
        (circle(c, c, r), solid((40, 44, 52))),
        (circle(c, c, r * 0.84), solid((236, 240, 244))),
        (segment(c, c, c, c - r * 0.62, n * 0.055), solid((30, 30, 36))),
        (segment(c, c, c + r * 0.45, c + r * 0.12, n * 0.055), solid((30, 30, 36))),
        (circle(c, c, n * 0.07), solid((216, 48, 48))),
    ]


def icon_hands(n):
    """Two cards fanned out: a red back behind, a white face with a spade."""
    card_w, card_h = n * 0.54, n * 0.74
    c = n / 2

    def card(x0, y0, angle, inset=0.0):
        return rotated(rounded_rect(x0 + inset, y0 + inset, x0 + card_w - inset,
                                    y0 + card_h - inset, n * 0.07 - inset * 0.5), c, c, angle)

    fx, fy = n * 0.62, n * 0.47
    spade = union(circle(fx - n * 0.075, fy + n * 0.03, n * 0.09),
                  circle(fx + n * 0.075, fy + n * 0.03, n * 0.09),
                  polygon([(fx - n * 0.16, fy), (fx + n * 0.16, fy), (fx, fy - n * 0.20)]),
                  polygon([(fx, fy + n * 0.03), (fx - n * 0.08, fy + n * 0.19),
                           (fx + n * 0.08, fy + n * 0.19)]))
    return [
        (card(n * 0.08, n * 0.10, 10), solid((24, 24, 30))),
        (card(n * 0.08, n * 0.10, 10, max(1.0, n / 16)), solid((210, 40, 48))),
        (card(n * 0.38, n * 0.14, -6), solid((24, 24, 30))),
        (card(n * 0.38, n * 0.14, -6, max(1.0, n / 16)), solid((250, 250, 250))),
        (rotated(spade, c, c, -6), solid((24, 24, 30))),
    ]


def icon_money(n):
    c, r = n / 2, n * 0.46
    sw = n * 0.06
    # A dollar sign: an S of two arcs built from segments, and a bar.
    s_points = []
    for i in range(13):
        a = math.radians(40 + i * 20)  # upper bowl, opening to the right
        s_points.append((c + math.cos(a) * r * 0.30, c - r * 0.28 - math.sin(a) * r * 0.26))
    for i in range(13):
        a = math.radians(220 - i * 20)  # lower bowl, opening to the left
        s_points.append((c - math.cos(a) * r * 0.30, c + r * 0.28 + math.sin(a) * r * 0.26))
    strokes = [segment(*s_points[i], *s_points[i + 1], sw) for i in range(len(s_points) - 1)]
    strokes.append(segment(c, c - r * 0.72, c, c + r * 0.72, sw * 0.8))
    return [
        (circle(c, c, r), solid((150, 100, 10))),
        (circle(c, c, r * 0.88), vertical_gradient((255, 224, 96), (224, 160, 24), 0, n)),
        (ring(c, c, r * 0.74, r * 0.68), solid((176, 120, 16))),
        (union(*strokes), solid((120, 72, 0))),
    ]


# The application icon, a poker chip with a clock face, in proportions of its
# size n: drawn as pixels by icon_app and as SVG by icon_app_svg.
APP_CHIP = (176, 28, 40)
APP_FACE = (244, 240, 232)
APP_DIAL = (38, 40, 48)
APP_HANDS = (0, 195, 19)
APP_PIN = (255, 192, 0)


def icon_app(n):
    c, r = n / 2, n * 0.47
    notches = []
    for i in range(8):
        notch = rounded_rect(c - n * 0.06, c - r, c + n * 0.06, c - r * 0.72, n * 0.02)
        notches.append(rotated(notch, c, c, i * 45))
    return [
        (circle(c, c, r), solid(APP_CHIP)),
        (union(*notches), solid(APP_FACE)),
        (circle(c, c, r * 0.62), solid(APP_FACE)),
        (circle(c, c, r * 0.54), solid(APP_DIAL)),
        (segment(c, c, c, c - r * 0.38, n * 0.05), solid(APP_HANDS)),
        (segment(c, c, c + r * 0.28, c + r * 0.1, n * 0.05), solid(APP_HANDS)),
        (circle(c, c, n * 0.05), solid(APP_PIN)),
    ]


def icon_app_svg(n=48):
    """The same drawing as icon_app, as SVG text."""
    c, r = n / 2, n * 0.47

    def rgb(colour):
        return "#%02x%02x%02x" % colour

    def num(v):
        return ("%.3f" % v).rstrip("0").rstrip(".")

    def disc(radius, colour):
        return f'  <circle cx="{num(c)}" cy="{num(c)}" r="{num(radius)}" fill="{rgb(colour)}"/>'

    def hand(x, y):
        return (f'  <line x1="{num(c)}" y1="{num(c)}" x2="{num(x)}" y2="{num(y)}" '
                f'stroke="{rgb(APP_HANDS)}" stroke-width="{num(n * 0.1)}" '
                f'stroke-linecap="round"/>')

    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{n}" height="{n}" '
        f'viewBox="0 0 {n} {n}">',
        disc(r, APP_CHIP),
    ]
    for i in range(8):
        lines.append(f'  <rect x="{num(c - n * 0.06)}" y="{num(c - r)}" width="{num(n * 0.12)}" '
                     f'height="{num(r * 0.28)}" rx="{num(n * 0.02)}" fill="{rgb(APP_FACE)}" '
                     f'transform="rotate({i * 45} {num(c)} {num(c)})"/>')
    lines += [
        disc(r * 0.62, APP_FACE),
        disc(r * 0.54, APP_DIAL),
        hand(c, c - r * 0.38),
        hand(c + r * 0.28, c + r * 0.1),
        disc(n * 0.05, APP_PIN),
        "</svg>",
    ]
    return "\n".join(lines) + "\n"


def icon_unwatched(n):
    """A warning sign: an amber triangle with an exclamation mark."""
    c = n / 2
    d = max(1.0, n / 14)
    outer = polygon([(c, n * 0.04), (n * 0.98, n * 0.93), (n * 0.02, n * 0.93)])
    inner = polygon([(c, n * 0.04 + 2.2 * d), (n * 0.98 - 1.8 * d, n * 0.93 - d),
                     (n * 0.02 + 1.8 * d, n * 0.93 - d)])
    ink = (44, 32, 0)
    return [
        (outer, solid((92, 60, 0))),
        (inner, vertical_gradient((255, 214, 64), (244, 168, 0), 0, n)),
        (segment(c, n * 0.36, c, n * 0.62, n * 0.07), solid(ink)),
        (circle(c, n * 0.76, n * 0.075), solid(ink)),
    ]


ICONS = {128: icon_app, 129: icon_hands, 130: icon_money, 154: icon_time, 155: icon_unwatched}
ICON_SIZES = (16, 24, 32, 48)
# The icon theme's sizes of the application icon on the desktop.
DESKTOP_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


# --- Sounds --------------------------------------------------------------------

RATE = 22050


def tone(freq, seconds, decay, partials=((1.0, 1.0),), attack=0.006):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / attack) * math.exp(-t * decay)
        v = sum(amp * math.sin(2 * math.pi * freq * mult * t) for mult, amp in partials)
        out.append(v * env)
    return out


def mix_at(track, clip, start_seconds, gain):
    start = int(start_seconds * RATE)
    need = start + len(clip)
    if len(track) < need:
        track.extend([0.0] * (need - len(track)))
    for i, v in enumerate(clip):
        track[start + i] += v * gain


def write_wav(path, samples, level=0.8):
    """level: the peak as a share of full scale."""
    peak = max(abs(v) for v in samples) or 1.0
    scale = level * 32767 / peak
    data = b"".join(struct.pack("<h", int(round(v * scale))) for v in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


def sound_hands():
    """Two soft chime notes, high then low."""
    chime = ((1.0, 1.0), (2.0, 0.3), (3.0, 0.08))
    track = []
    mix_at(track, tone(1318.5, 0.55, 6.0, chime), 0.0, 1.0)
    mix_at(track, tone(987.8, 0.75, 5.0, chime), 0.22, 1.0)
    return track


def sound_money():
    """Three quick rising notes, bright, like a till."""
    bright = ((1.0, 1.0), (2.0, 0.45), (3.0, 0.2), (4.0, 0.1))
    track = []
    for i, f in enumerate((1046.5, 1318.5, 1568.0)):
        mix_at(track, tone(f, 0.45, 7.0, bright), i * 0.11, 1.0)
    return track


def sound_time():
    """A small bell struck twice: inharmonic partials, long decay."""
    bell = ((1.0, 1.0), (2.76, 0.45), (5.40, 0.25), (8.93, 0.12))
    track = []
    mix_at(track, tone(880.0, 1.1, 3.5, bell, attack=0.002), 0.0, 1.0)
    mix_at(track, tone(880.0, 1.3, 3.0, bell, attack=0.002), 0.55, 0.9)
    return track


def sound_warning():
    """One soft low note with a slow start: a nudge, not an alarm."""
    soft = ((1.0, 1.0), (2.0, 0.12))
    return tone(659.3, 0.35, 9.0, soft, attack=0.03)


SOUNDS = {156: sound_hands, 157: sound_money, 169: sound_time, 187: sound_warning}
# Peak levels; the alarms are written at 0.8.
SOUND_LEVELS = {187: 0.3}


# --- Main ----------------------------------------------------------------------


def main():
    files = []
    for sub in ("bmp", "ico", "wav"):
        os.makedirs(os.path.join(HERE, sub), exist_ok=True)

    for size, (w, h) in BUTTON_SIZES.items():
        ids = BUTTON_IDS[size]
        name = f"bmp/{ids['mask']}.png"
        write_png(os.path.join(HERE, name), w, h, draw_mask(w, h), alpha=False)
        files.append(name)
        for kind in ("start", "stop", "pause"):
            for state, rid in zip(("normal", "down", "disabled"), ids[kind]):
                name = f"bmp/{rid}.png"
                write_png(os.path.join(HERE, name), w, h, draw_button(kind, state, w, h),
                          alpha=False)
                files.append(name)

    for rid, draw in ICONS.items():
        for n in ICON_SIZES:
            name = f"ico/{rid}.png" if n == 48 else f"ico/{rid}-{n}.png"
            write_png(os.path.join(HERE, name), n, n, render(n, n, draw(n)), alpha=True)
            files.append(name)

    for rid, make in SOUNDS.items():
        name = f"wav/{rid}.wav"
        write_wav(os.path.join(HERE, name), make(), SOUND_LEVELS.get(rid, 0.8))
        files.append(name)

    with open(os.path.join(HERE, "tarnwick.qrc"), "w") as f:
        f.write("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
        for name in sorted(files):
            f.write(f"    <file>{name}</file>\n")
        f.write("</qresource>\n</RCC>\n")

    for n in DESKTOP_ICON_SIZES:
        folder = os.path.join(DESKTOP_ICONS, f"{n}x{n}", "apps")
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, DESKTOP_ID + ".png"), n, n, render(n, n, icon_app(n)),
                  alpha=True)
    folder = os.path.join(DESKTOP_ICONS, "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, DESKTOP_ID + ".svg"), "w") as f:
        f.write(icon_app_svg())


if __name__ == "__main__":
    main()
