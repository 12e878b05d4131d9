#!/usr/bin/env python3
"""Writes the SVG sources of every picture the agent carries into svg/.

Each picture is drawn on a 64 x 64 grid from a few shared shapes (sun, cloud,
drops, flakes, arrows, thermometer, windsock...) so that all of them share one
palette and one outline weight, then given its pixel size: rsvg-convert renders
each SVG at that size when the program is built. Run it again after changing a
drawing and commit the SVG files with it.

    python3 payload/pictures/make_pictures.py
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "svg")

# Palette.
SUN, SUN_EDGE = "#fcc419", "#e8890c"
CLOUD, CLOUD_EDGE = "#ffffff", "#74869a"
DARK, DARK_EDGE = "#7b8a9c", "#3b4654"
RAIN = "#228be6"
SNOW_EDGE = "#4dabf7"
BOLT, BOLT_EDGE = "#ffd43b", "#e67700"
GREEN, GREEN_EDGE = "#40c057", "#2b8a3e"
RED, RED_EDGE = "#fa5252", "#c92a2a"
BLUE, BLUE_EDGE = "#339af0", "#1864ab"
ORANGE, ORANGE_EDGE = "#ff922b", "#d9480f"
INK = "#343a40"
GREY, GREY_EDGE = "#dee2e6", "#868e96"
BROWN, BROWN_EDGE = "#a9714b", "#6f4428"
SW = 2.0  # outline width on the 64 grid

PICTURES = {}


def picture(name, size):
    def register(draw):
        PICTURES[name] = (size, draw)
        return draw
    return register


def same(name, size, draw):
    PICTURES[name] = (size, draw)


# ---------------------------------------------------------------- shapes

def circle(cx, cy, r, fill, edge=None, sw=SW):
    s = f'<circle cx="{cx:.2f}" cy="{cy:.2f}" r="{r:.2f}" fill="{fill}"'
    if edge:
        s += f' stroke="{edge}" stroke-width="{sw}"'
    return s + "/>"


def rect(x, y, w, h, fill, edge=None, rx=0, sw=SW):
    s = f'<rect x="{x:.2f}" y="{y:.2f}" width="{w:.2f}" height="{h:.2f}" rx="{rx}" fill="{fill}"'
    if edge:
        s += f' stroke="{edge}" stroke-width="{sw}"'
    return s + "/>"


def path(d, fill="none", edge=None, sw=SW, extra=""):
    s = f'<path d="{d}" fill="{fill}"'
    if edge:
        s += f' stroke="{edge}" stroke-width="{sw}" stroke-linejoin="round" stroke-linecap="round"'
    return s + f" {extra}/>"


def poly(points, fill, edge=None, sw=SW):
    pts = " ".join(f"{x:.2f},{y:.2f}" for x, y in points)
    s = f'<polygon points="{pts}" fill="{fill}"'
    if edge:
        s += f' stroke="{edge}" stroke-width="{sw}" stroke-linejoin="round"'
    return s + "/>"


def line(x1, y1, x2, y2, edge, sw=SW):
    return (f'<line x1="{x1:.2f}" y1="{y1:.2f}" x2="{x2:.2f}" y2="{y2:.2f}" stroke="{edge}" '
            f'stroke-width="{sw}" stroke-linecap="round"/>')


def text(x, y, s, size, fill, weight="bold", anchor="middle"):
    return (f'<text x="{x:.2f}" y="{y:.2f}" font-family="DejaVu Sans" font-size="{size}" '
            f'font-weight="{weight}" fill="{fill}" text-anchor="{anchor}">{s}</text>')


def group(items, transform=""):
    t = f' transform="{transform}"' if transform else ""
    return f"<g{t}>" + "".join(items) + "</g>"


def sun(cx, cy, r, rays=8):
    out = []
    for i in range(rays):
        a = 2 * math.pi * i / rays
        b = math.pi / rays * 0.55
        p1 = (cx + (r + 2) * math.cos(a - b), cy + (r + 2) * math.sin(a - b))
        p2 = (cx + r * 1.75 * math.cos(a), cy + r * 1.75 * math.sin(a))
        p3 = (cx + (r + 2) * math.cos(a + b), cy + (r + 2) * math.sin(a + b))
        out.append(poly([p1, p2, p3], SUN, SUN_EDGE, SW * 0.75))
    out.append(circle(cx, cy, r, SUN, SUN_EDGE))
    return "".join(out)


def cloud(cx, cy, s=1.0, dark=False):
    fill, edge = (DARK, DARK_EDGE) if dark else (CLOUD, CLOUD_EDGE)
    lobes = [(-11, 3, 8), (-2, -5, 11), (10, -1, 9), (15, 6, 6)]
    base = (-18, 3, 35, 12)
    parts_edge, parts_fill = [], []
    for dx, dy, r in lobes:
        parts_edge.append(circle(cx + dx * s, cy + dy * s, r * s + SW, edge))
        parts_fill.append(circle(cx + dx * s, cy + dy * s, r * s, fill))
    bx, by, bw, bh = base
    parts_edge.append(rect(cx + bx * s - SW, cy + by * s - SW, bw * s + 2 * SW, bh * s + 2 * SW,
                           edge, rx=6 * s + SW))
    parts_fill.append(rect(cx + bx * s, cy + by * s, bw * s, bh * s, fill, rx=6 * s))
    return "".join(parts_edge + parts_fill)


def drop(cx, cy, s=1.0, fill=RAIN):
    d = (f"M{cx:.2f},{cy - 6 * s:.2f} C{cx + 1 * s:.2f},{cy - 3 * s:.2f} {cx + 4 * s:.2f},"
         f"{cy:.2f} {cx + 4 * s:.2f},{cy + 2.5 * s:.2f} A{4 * s:.2f},{4 * s:.2f} 0 0 1 "
         f"{cx - 4 * s:.2f},{cy + 2.5 * s:.2f} C{cx - 4 * s:.2f},{cy:.2f} {cx - 1 * s:.2f},"
         f"{cy - 3 * s:.2f} {cx:.2f},{cy - 6 * s:.2f} Z")
    return path(d, fill, "#1864ab", SW * 0.6 * s)


def rain_streak(x, y, s=1.0):
    return line(x, y, x - 2.5 * s, y + 7 * s, RAIN, SW * 1.3 * s)


def flake(cx, cy, r=4.0):
    out = []
    for i in range(3):
        a = math.pi / 3 * i + math.pi / 2
        out.append(line(cx - r * math.cos(a), cy - r * math.sin(a), cx + r * math.cos(a),
                        cy + r * math.sin(a), SNOW_EDGE, SW * 0.9))
    out.append(circle(cx, cy, 1.2, "#ffffff"))
    return "".join(out)


def bolt(cx, cy, s=1.0):
    pts = [(2, -10), (-6, 2), (0, 2), (-3, 12), (7, -2), (1, -2), (4, -10)]
    return poly([(cx + x * s, cy + y * s) for x, y in pts], BOLT, BOLT_EDGE, SW * 0.8)


def arrow(angle_deg, fill=GREEN, edge=GREEN_EDGE, length=40, width=14, cx=32, cy=32):
    """A fat arrow through (cx, cy) pointing at angle_deg (0 = right, 90 = up)."""
    h = length / 2
    shaft = width * 0.45
    head = width
    neck = h - width * 0.95
    pts = [(-h, -shaft / 2), (neck, -shaft / 2), (neck, -head / 2 - 2), (h, 0),
           (neck, head / 2 + 2), (neck, shaft / 2), (-h, shaft / 2)]
    a = -math.radians(angle_deg)
    rot = [(cx + x * math.cos(a) - y * math.sin(a), cy + x * math.sin(a) + y * math.cos(a))
           for x, y in pts]
    return poly(rot, fill, edge)


def thermometer(cx, top, bottom, s=1.0, mercury=RED, level=0.55):
    w = 7 * s
    r = 7.5 * s
    out = [rect(cx - w / 2, top, w, bottom - top, "#ffffff", GREY_EDGE, rx=w / 2),
           circle(cx, bottom, r, mercury, RED_EDGE)]
    mtop = bottom - (bottom - top) * level
    out.append(rect(cx - w / 2 + 1.5 * s, mtop, w - 3 * s, bottom - mtop, mercury))
    for i in range(4):
        y = top + 4 * s + i * (bottom - top - 8 * s) / 4
        out.append(line(cx + w / 2 + 1, y, cx + w / 2 + 3.5 * s, y, GREY_EDGE, SW * 0.6))
    return "".join(out)


def windsock(s=1.0, small=False):
    out = [line(10, 8, 10, 60, "#495057", SW * 1.6), circle(10, 8, 2.5, "#495057")]
    # The sock, four bands narrowing away from the pole, slightly drooping.
    x0, y0, h0 = 12, 12, 16
    bands = 4
    length = 46
    for i in range(bands):
        xa = x0 + length * i / bands
        xb = x0 + length * (i + 1) / bands
        ha = h0 * (1 - 0.45 * i / bands)
        hb = h0 * (1 - 0.45 * (i + 1) / bands)
        ya = y0 + 4 * i / bands
        yb = y0 + 4 * (i + 1) / bands
        colour = ORANGE if i % 2 == 0 else "#ffffff"
        out.append(poly([(xa, ya), (xb, yb), (xb, yb + hb), (xa, ya + ha)], colour, ORANGE_EDGE,
                        SW * (1.4 if small else 1)))
    return "".join(out)


def monitor(screen_fill, extra=""):
    return (rect(6, 8, 52, 36, "#495057", INK, rx=3) + rect(10, 12, 44, 28, screen_fill) +
            rect(27, 44, 10, 7, "#868e96") + rect(18, 51, 28, 5, "#495057", INK, rx=2) + extra)


def background(dark):
    top, bottom = ("#4a5a6e", "#1f2a36") if dark else ("#74c0fc", "#1971c2")
    gid = "bgd" if dark else "bgl"
    return (f'<defs><linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
            f'</linearGradient></defs><rect x="1" y="1" width="62" height="62" rx="9" '
            f'fill="url(#{gid})"/>')


def rainbow(cx, cy, r):
    out = []
    for i, colour in enumerate(["#fa5252", "#fd7e14", "#fcc419", "#40c057", "#228be6", "#7048e8"]):
        rr = r - i * 3.2
        out.append(path(f"M{cx - rr:.2f},{cy:.2f} A{rr:.2f},{rr:.2f} 0 0 1 {cx + rr:.2f},{cy:.2f}",
                        "none", colour, 3.4))
    return "".join(out)


def flag(fill, edge):
    return (line(16, 8, 16, 58, "#495057", SW * 1.8) +
            path("M17,9 C27,4 35,14 50,9 L50,33 C35,38 27,28 17,33 Z", fill, edge))


def octagon(cx, cy, r, fill, edge):
    pts = [(cx + r * math.cos(math.pi / 8 + i * math.pi / 4),
            cy + r * math.sin(math.pi / 8 + i * math.pi / 4)) for i in range(8)]
    return poly(pts, fill, edge)


def calendar(letter, colour):
    return (rect(8, 10, 48, 46, "#ffffff", GREY_EDGE, rx=5) + rect(8, 10, 48, 14, colour, rx=5) +
            rect(8, 18, 48, 6, colour) + rect(17, 5, 5, 11, "#495057", rx=2) +
            rect(42, 5, 5, 11, "#495057", rx=2) + text(32, 50, letter, 26, INK))


def compass(cx, cy, r, face="#e7f5ff"):
    out = [circle(cx, cy, r, face, BLUE_EDGE, SW * 1.2)]
    out.append(poly([(cx, cy - r * 0.8), (cx + r * 0.2, cy), (cx - r * 0.2, cy)], RED, RED_EDGE,
                    SW * 0.6))
    out.append(poly([(cx, cy + r * 0.8), (cx + r * 0.2, cy), (cx - r * 0.2, cy)], "#ffffff",
                    GREY_EDGE, SW * 0.6))
    out.append(circle(cx, cy, r * 0.1, INK))
    return "".join(out)


# ------------------------------------------------------------- pictures

def forecast(dark, *items):
    return background(dark) + "".join(items)


def rain_below(xs, y):
    return "".join(rain_streak(x, y) for x in xs)


def flakes_below(xs, y):
    return "".join(flake(x, y + 4) for x in xs)


PICTURES_FORECAST = {
    "fc-sun": lambda: forecast(False, sun(32, 32, 12, 12)),
    "fc-rain": lambda: forecast(True, cloud(32, 24, 1.05, True), rain_below([20, 30, 40, 50], 40),
                                 rain_below([25, 35, 45], 50)),
    "fc-sun-cloud": lambda: forecast(False, sun(40, 22, 9), cloud(28, 38, 1.0)),
    "fc-cloud": lambda: forecast(False, cloud(38, 24, 0.8), cloud(28, 38, 1.05)),
    "fc-storm": lambda: forecast(True, cloud(32, 22, 1.05, True), bolt(30, 46, 1.2),
                                  rain_below([16, 46], 40)),
    "fc-snow": lambda: forecast(True, cloud(32, 24, 1.05, False), flakes_below([18, 32, 46], 38),
                                 flakes_below([25, 39], 48)),
    "fc-sun-cloud-rain": lambda: forecast(False, sun(42, 18, 8), cloud(28, 30, 1.0),
                                           rain_below([18, 28, 38], 45)),
    "fc-sun-cloud-snow": lambda: forecast(False, sun(42, 18, 8), cloud(28, 30, 1.0),
                                           flakes_below([18, 30, 42], 42)),
    "fc-sun-cloud-rain-snow": lambda: forecast(False, sun(42, 18, 8), cloud(28, 30, 1.0),
                                                rain_below([17, 37], 45), flakes_below([28, 46], 43)),
    "fc-rain-snow": lambda: forecast(True, cloud(32, 24, 1.05, True), rain_below([18, 38], 40),
                                      flakes_below([28, 48], 38), rain_below([28, 48], 51)),
}
for _name, _draw in PICTURES_FORECAST.items():
    same(_name + "-128", 128, _draw)


def sun_clouds():
    return forecast(False, sun(42, 20, 9), cloud(40, 36, 0.75), cloud(26, 42, 0.95))


same("sun-clouds-128", 128, sun_clouds)


@picture("compass-rose-200", 200)
def compass_rose():
    out = [circle(32, 32, 30, "#f8f9fa", "#adb5bd", 0.8), circle(32, 32, 23, "none", "#ced4da", 0.5)]
    for i in range(72):
        a = math.radians(i * 5)
        r1 = 27.5 if i % 2 else 26
        if i % 9 == 0:
            r1 = 24.5
        out.append(line(32 + r1 * math.sin(a), 32 - r1 * math.cos(a), 32 + 30 * math.sin(a),
                        32 - 30 * math.cos(a), "#868e96", 0.35))
    # Eight-point star: intercardinal points behind, cardinal points in front.
    for k, (length, width, light, darkc) in enumerate([(15, 3.2, "#a5d8ff", "#4dabf7"),
                                                       (22, 4.2, "#d0ebff", "#1c7ed6")]):
        start = 45 if k == 0 else 0
        for i in range(4):
            a = math.radians(start + 90 * i)
            tip = (32 + length * math.sin(a), 32 - length * math.cos(a))
            left = (32 + width * math.sin(a - math.pi / 2), 32 - width * math.cos(a - math.pi / 2))
            right = (32 + width * math.sin(a + math.pi / 2), 32 - width * math.cos(a + math.pi / 2))
            out.append(poly([(32, 32), left, tip], light, "#1864ab", 0.3))
            out.append(poly([(32, 32), tip, right], darkc, "#1864ab", 0.3))
    out.append(circle(32, 32, 1.6, "#ffffff", "#1864ab", 0.4))
    for label, a in [("N", 0), ("E", 90), ("S", 180), ("O", 270)]:
        r = math.radians(a)
        out.append(text(32 + 19.5 * math.sin(r) + 0 * math.cos(r),
                        32 - 19.5 * math.cos(r) + 1.6, label, 4.6, RED if a == 0 else INK))
    return "".join(out)


def connection_screen(screen, mark=""):
    return monitor(screen, mark)


same("screen-network-32", 32, lambda: connection_screen(
    "#4dabf7", circle(32, 24, 3, "#ffffff") + circle(22, 32, 2.5, "#ffffff") +
    circle(42, 32, 2.5, "#ffffff") + line(32, 24, 22, 32, "#ffffff", 1.5) +
    line(32, 24, 42, 32, "#ffffff", 1.5) + line(32, 18, 32, 24, "#ffffff", 1.5)))
same("screen-green-32", 32, lambda: connection_screen(
    "#51cf66", arrow(0, "#ffffff", "#2b8a3e", 20, 8, 32, 21) +
    arrow(180, "#ffffff", "#2b8a3e", 20, 8, 32, 31)))
same("screen-cross-32", 32, lambda: connection_screen(
    "#adb5bd", line(22, 17, 42, 35, RED, 5) + line(42, 17, 22, 35, RED, 5)))


@picture("app-console-64", 64)
def app_icon():
    return (rect(3, 8, 58, 48, "#343a40", INK, rx=8) + rect(9, 14, 46, 30, "#d3f9d8") +
            sun(22, 25, 5) + cloud(38, 32, 0.55) + text(47, 24, "21°", 7.5, INK) +
            circle(16, 50, 2.5, RED) + circle(26, 50, 2.5, GREEN) + circle(36, 50, 2.5, BLUE) +
            circle(46, 50, 2.5, SUN))


same("calendar-day-16", 16, lambda: calendar("J", BLUE))
same("calendar-month-16", 16, lambda: calendar("M", GREEN))
same("calendar-year-16", 16, lambda: calendar("A", RED))
same("arrow-down-blue-16", 16, lambda: arrow(-90, BLUE, BLUE_EDGE, 56, 30))
same("arrow-up-red-16", 16, lambda: arrow(90, RED, RED_EDGE, 56, 30))


def thermometer_picture(s=1.0):
    return thermometer(32, 6, 50, 1.25 * s)


same("thermometer-16", 16, lambda: thermometer(32, 4, 48, 2.0))
same("thermometer-32", 32, lambda: thermometer_picture())
same("water-drop-16", 16, lambda: drop(32, 36, 4.2))
same("water-drops-32", 32, lambda: drop(22, 38, 2.6) + drop(44, 24, 2.0) + drop(44, 50, 1.4))
same("sun-16", 16, lambda: sun(32, 32, 13))
same("sun-32", 32, lambda: sun(32, 32, 12, 12))
same("sun-48", 48, lambda: sun(32, 32, 12, 12))
same("small-sun-32", 32, lambda: sun(32, 32, 9, 8))
same("windsock-16", 16, lambda: windsock(small=True))
same("windsock-32", 32, lambda: windsock())
same("windsock-64", 64, lambda: windsock())
same("windsock-128", 128, lambda: windsock() + path("M40,50 q6,-4 12,0 t12,0", "none", "#74c0fc",
                                                      1.5) +
     path("M30,56 q6,-4 12,0 t12,0", "none", "#74c0fc", 1.5))


def leaf(cx=32, cy=32, s=1.0):
    d = (f"M{cx - 18 * s},{cy + 18 * s} C{cx - 22 * s},{cy - 10 * s} {cx + 2 * s},{cy - 22 * s} "
         f"{cx + 20 * s},{cy - 20 * s} C{cx + 22 * s},{cy + 2 * s} {cx + 8 * s},{cy + 22 * s} "
         f"{cx - 18 * s},{cy + 18 * s} Z")
    return (path(d, GREEN, GREEN_EDGE) +
            path(f"M{cx - 18 * s},{cy + 18 * s} L{cx + 12 * s},{cy - 12 * s}", "none", GREEN_EDGE,
                 SW))


same("leaf-16", 16, lambda: leaf(32, 32, 1.2))
same("green-leaf-32", 32, lambda: leaf())


def colour_scale(horizontal=False):
    colours = ["#1c7ed6", "#22b8cf", "#40c057", "#fcc419", "#fd7e14", "#e03131"]
    out = []
    for i, c in enumerate(reversed(colours)):
        out.append(rect(22, 6 + i * 8.5, 20, 8.5, c))
    out.append(rect(22, 6, 20, 51, "none", INK, rx=2))
    for i in range(7):
        out.append(line(42, 6 + i * 8.5, 48, 6 + i * 8.5, INK, 1.2))
    return "".join(out)


same("colour-scale-16", 16, colour_scale)
same("colour-scale-32", 32, colour_scale)


def face(cx=32, cy=32, r=20):
    return (circle(cx, cy, r, "#ffd8a8", ORANGE_EDGE) + circle(cx - r * 0.35, cy - r * 0.2, r * 0.1,
                                                               INK) +
            circle(cx + r * 0.35, cy - r * 0.2, r * 0.1, INK) +
            path(f"M{cx - r * 0.45},{cy + r * 0.3} Q{cx},{cy + r * 0.65} {cx + r * 0.45},"
                 f"{cy + r * 0.3}", "none", INK, SW))


same("face-16", 16, lambda: face(32, 32, 27))
same("face-thermometer-32", 32, lambda: face(25, 34, 20) + thermometer(50, 8, 50, 0.9))
same("rainbow-16", 16, lambda: rainbow(32, 46, 28))
same("rainbow-32", 32, lambda: rainbow(32, 46, 26))
same("rainbow-cloud-32", 32, lambda: rainbow(30, 40, 24) + cloud(42, 42, 0.6))


def soil_layers():
    return (path("M4,20 C20,14 44,26 60,18 L60,30 L4,30 Z", "#8ce99a", GREEN_EDGE, SW * 0.8) +
            rect(4, 30, 56, 10, "#a9714b") + rect(4, 40, 56, 10, "#8a5a3b") +
            rect(4, 50, 56, 9, "#5c3b27") + rect(4, 30, 56, 29, "none", BROWN_EDGE, 0, SW * 0.8) +
            circle(14, 45, 1.5, "#d8b08c") + circle(40, 35, 1.5, "#d8b08c") +
            circle(50, 55, 1.5, "#d8b08c") + circle(26, 55, 1.5, "#d8b08c"))


same("soil-layers-16", 16, soil_layers)
same("soil-layers-32", 32, soil_layers)


def arrows_trend(angle):
    return arrow(angle, GREEN, GREEN_EDGE, 56, 30)


same("thermometer-arrows-16", 16, lambda: thermometer(24, 6, 48, 1.6) +
     arrow(90, RED, RED_EDGE, 24, 14, 50, 16) + arrow(-90, BLUE, BLUE_EDGE, 24, 14, 50, 46))
same("arrow-down-green-48", 48, lambda: arrows_trend(-90))
same("cloud-heavy-rain-32", 32, lambda: cloud(32, 20, 1.1, True) +
     rain_below([16, 26, 36, 46], 34) + rain_below([21, 31, 41, 51], 46))
same("cloud-drops-32", 32, lambda: cloud(32, 22, 1.1) + drop(22, 46, 0.9) + drop(40, 50, 0.9))
same("sun-over-cloud-32", 32, lambda: sun(32, 20, 9) + cloud(32, 42, 1.0))
same("sun-cloud-32", 32, lambda: sun(40, 22, 10) + cloud(26, 40, 0.95))
same("clouds-32", 32, lambda: cloud(38, 24, 0.75) + cloud(28, 38, 1.05))
same("sun-small-cloud-32", 32, lambda: sun(32, 24, 12) + cloud(38, 50, 0.55))
same("compass-button-32", 32, lambda: circle(32, 32, 29, BLUE, BLUE_EDGE) + compass(32, 32, 22,
                                                                                   "#e7f5ff"))
same("red-flag-16", 16, lambda: flag(RED, RED_EDGE))
same("yellow-flag-32", 32, lambda: flag(SUN, SUN_EDGE))
same("stop-sign-32", 32, lambda: octagon(32, 32, 29, "#e03131", "#ffffff") +
     octagon(32, 32, 29, "none", "#a51111") + text(32, 38.5, "STOP", 15.5, "#ffffff"))
same("arrow-right-green-16", 16, lambda: arrows_trend(0))
same("arrow-up-right-green-16", 16, lambda: arrows_trend(45))
same("arrow-down-right-green-16", 16, lambda: arrows_trend(-45))
same("arrow-down-green-16", 16, lambda: arrows_trend(-90))
same("arrow-up-green-16", 16, lambda: arrows_trend(90))
same("question-16", 16, lambda: circle(32, 32, 29, BLUE, BLUE_EDGE) +
     text(32, 48, "?", 44, "#ffffff"))


@picture("bar-chart-32", 32)
def bar_chart():
    return (line(8, 56, 58, 56, INK, SW * 1.2) + line(8, 56, 8, 6, INK, SW * 1.2) +
            rect(13, 34, 9, 22, BLUE, BLUE_EDGE) + rect(26, 20, 9, 36, GREEN, GREEN_EDGE) +
            rect(39, 28, 9, 28, SUN, SUN_EDGE) + rect(52, 12, 6, 44, RED, RED_EDGE))


@picture("colour-table-24", 24)
def colour_table():
    colours = ["#d0ebff", "#74c0fc", "#63e6be", "#8ce99a", "#ffe066", "#ffc078", "#ff8787",
               "#e03131", "#862e9c"]
    out = []
    for i, c in enumerate(colours):
        out.append(rect(6 + (i % 3) * 18, 6 + (i // 3) * 18, 16, 16, c, INK, 1, SW * 0.8))
    return "".join(out)


@picture("dial-gauge-48", 48)
def dial_gauge():
    out = [circle(32, 36, 27, "#f8f9fa", INK)]
    for colour, a0, a1 in [(GREEN, 180, 240), (SUN, 240, 300), (RED, 300, 360)]:
        r = 21
        x0, y0 = 32 + r * math.cos(math.radians(a0)), 36 + r * math.sin(math.radians(a0))
        x1, y1 = 32 + r * math.cos(math.radians(a1)), 36 + r * math.sin(math.radians(a1))
        out.append(path(f"M{x0:.2f},{y0:.2f} A{r},{r} 0 0 1 {x1:.2f},{y1:.2f}", "none", colour, 5))
    out.append(line(32, 36, 46, 20, INK, SW * 1.5))
    out.append(circle(32, 36, 3.5, INK))
    return "".join(out)


@picture("rain-gauge-128", 128)
def rain_gauge():
    return (drop(16, 14, 1.0) + drop(48, 10, 0.8) + drop(30, 6, 0.7) +
            path("M14,22 L50,22 L44,30 L20,30 Z", "#e9ecef", GREY_EDGE) +
            rect(20, 30, 24, 28, "#f8f9fa", GREY_EDGE, 2) + rect(22, 42, 20, 15, "#74c0fc") +
            path("M22,42 q5,-3 10,0 t10,0", "none", RAIN, 1.5) +
            "".join(line(44, 34 + i * 5, 40, 34 + i * 5, GREY_EDGE, 1) for i in range(5)) +
            path("M4,58 q8,-6 16,0 M44,58 q8,-6 16,0", "none", RAIN, 2))


@picture("thermometer-sun-128", 128)
def thermometer_sun():
    return sun(44, 20, 10) + thermometer(24, 8, 48, 1.4, RED, 0.7)


@picture("smiling-sun-32", 32)
def smiling_sun():
    return (sun(32, 32, 15, 12) + circle(27, 29, 1.8, INK) + circle(37, 29, 1.8, INK) +
            path("M25,36 Q32,42 39,36", "none", INK, SW))


@picture("dark-disc-32", 32)
def dark_disc():
    return (f'<defs><radialGradient id="dd" cx="0.35" cy="0.35" r="0.7"><stop offset="0" '
            f'stop-color="#868e96"/><stop offset="1" stop-color="#212529"/></radialGradient>'
            f'</defs>' + circle(32, 32, 26, "url(#dd)", "#000000") +
            circle(32, 32, 30, "none", "#7048e8", 2.5))


@picture("fog-cloud-128", 128)
def fog_cloud():
    return (cloud(32, 24, 1.2) + "".join(line(10 + (i % 2) * 6, 42 + i * 6, 54 - (i % 2) * 4,
                                              42 + i * 6, "#adb5bd", 2.5) for i in range(3)))


@picture("garden-tree-128", 128)
def garden_tree():
    out = [path("M0,50 C20,44 44,54 64,48 L64,64 L0,64 Z", "#8ce99a", GREEN_EDGE, SW * 0.6),
           rect(39, 30, 6, 22, BROWN, BROWN_EDGE, 1, SW * 0.6),
           circle(42, 22, 12, "#51cf66", GREEN_EDGE, SW * 0.8),
           circle(35, 28, 7, "#69db7c", GREEN_EDGE, SW * 0.6),
           circle(49, 28, 7, "#69db7c", GREEN_EDGE, SW * 0.6)]
    for x, c in [(10, RED), (18, SUN), (26, "#cc5de8")]:
        out.append(line(x, 56, x, 47, GREEN_EDGE, 1))
        out.append(circle(x, 46, 2.6, c, INK, 0.5))
    out.append(sun(12, 12, 5))
    return "".join(out)


@picture("alarm-bell-72", 72)
def alarm_bell():
    return bell()


def bell():
    return (path("M32,6 C20,6 16,16 16,28 L16,40 L10,48 L54,48 L48,40 L48,28 C48,16 44,6 32,6 Z",
                 SUN, SUN_EDGE) + circle(32, 53, 5, SUN_EDGE) + rect(29, 3, 6, 5, SUN_EDGE, rx=2))


same("bell-16", 16, bell)


def chip():
    out = [rect(14, 14, 36, 36, "#343a40", INK, 3), rect(22, 22, 20, 20, "#495057", "#868e96", 1,
                                                          1)]
    for i in range(5):
        p = 18 + i * 7
        out += [rect(p - 1.5, 6, 3, 8, "#ced4da"), rect(p - 1.5, 50, 3, 8, "#ced4da"),
                rect(6, p - 1.5, 8, 3, "#ced4da"), rect(50, p - 1.5, 8, 3, "#ced4da")]
    out.append(circle(19, 19, 1.5, "#ced4da"))
    return "".join(out)


same("chip-16", 16, chip)
same("chip-96", 96, chip)


@picture("tools-128", 128)
def tools():
    spanner = group([rect(-3.5, -4, 7, 40, "#adb5bd", "#495057", 3),
                     circle(0, -8, 10, "#adb5bd", "#495057"),
                     rect(-4, -22, 8, 14, "#ffffff")], "translate(24,26) rotate(-45)")
    driver = group([rect(-2, -26, 4, 26, "#ced4da", "#495057", 1),
                    rect(-5, 0, 10, 24, RED, RED_EDGE, 3)], "translate(38,30) rotate(40)")
    return spanner + driver


@picture("blue-sphere-16", 16)
def blue_sphere():
    return (f'<defs><radialGradient id="bs" cx="0.35" cy="0.3" r="0.75"><stop offset="0" '
            f'stop-color="#d0ebff"/><stop offset="0.5" stop-color="#339af0"/><stop offset="1" '
            f'stop-color="#1864ab"/></radialGradient></defs>' +
            circle(32, 32, 28, "url(#bs)", "#1864ab"))


@picture("crossed-arrows-32", 32)
def crossed_arrows():
    return arrow(45, GREEN, GREEN_EDGE, 54, 18) + arrow(135, "#8ce99a", GREEN_EDGE, 54, 18)


@picture("frosted-thermometer-24", 24)
def frosted_thermometer():
    return (thermometer(24, 6, 48, 1.3, BLUE, 0.35).replace(RED_EDGE, BLUE_EDGE) +
            flake(48, 16, 9) + flake(50, 42, 6))


@picture("eraser-tick-32", 32)
def eraser_tick():
    return (group([rect(-20, -9, 40, 18, "#ffc9c9", RED_EDGE, 3), rect(4, -9, 16, 18, "#a5d8ff",
                                                                         BLUE_EDGE, 3)],
                  "translate(26,40) rotate(-30)") +
            path("M36,20 L44,28 L58,8", "none", GREEN_EDGE, SW * 2.2))


@picture("orange-umbrella-32", 32)
def orange_umbrella():
    return (path("M6,30 C6,14 18,6 32,6 C46,6 58,14 58,30 C54,26 48,26 45,30 C42,26 36,26 32,30 "
                 "C28,26 22,26 19,30 C16,26 10,26 6,30 Z", ORANGE, ORANGE_EDGE) +
            path("M32,30 L32,52 C32,58 24,58 24,52", "none", "#495057", SW * 1.3) +
            drop(12, 44, 0.8) + drop(50, 46, 0.8))


@picture("warning-triangle-32", 32)
def warning_triangle():
    return (poly([(32, 5), (60, 56), (4, 56)], SUN, "#e67700") +
            rect(29.5, 20, 5, 22, INK, rx=2) + circle(32, 48.5, 3, INK))


same("cloud-16", 16, lambda: cloud(32, 32, 1.35))


@picture("plant-16", 16)
def plant():
    return (path("M18,44 L46,44 L42,60 L22,60 Z", BROWN, BROWN_EDGE) +
            line(32, 44, 32, 22, GREEN_EDGE, SW * 1.4) +
            path("M32,30 C24,30 14,24 12,12 C24,12 32,20 32,30 Z", GREEN, GREEN_EDGE) +
            path("M32,24 C40,24 50,18 52,6 C40,6 32,14 32,24 Z", GREEN, GREEN_EDGE))


@picture("pen-16", 16)
def pen():
    return group([rect(-6, -26, 12, 40, BLUE, BLUE_EDGE, 2), poly([(-6, 14), (6, 14), (0, 28)],
                                                                  "#ffd8a8", INK),
                  rect(-6, -26, 12, 8, "#ced4da", INK, 2)], "translate(32,32) rotate(40)")


@picture("log-sheet-16", 16)
def log_sheet():
    return (path("M12,4 L42,4 L54,16 L54,60 L12,60 Z", "#ffffff", GREY_EDGE) +
            path("M42,4 L42,16 L54,16", "none", GREY_EDGE) +
            "".join(line(20, 24 + i * 9, 46, 24 + i * 9, BLUE, SW * 1.6) for i in range(4)))


# ------------------------------------------------------------------ output

def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        if old.endswith(".svg"):
            os.remove(os.path.join(OUT, old))
    for name, (size, draw) in sorted(PICTURES.items()):
        body = draw()
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
               f'viewBox="0 0 64 64">{body}</svg>\n')
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(svg)
    print(f"{len(PICTURES)} pictures written to {OUT}")


if __name__ == "__main__":
    main()
