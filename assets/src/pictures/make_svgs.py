#!/usr/bin/env python3
"""Writes the SVG sources of the game's pictures into the folder given.

Every picture is built from the same pieces (hair, face, outfit), so the
character looks the same in all of them; only the face parts, the extras
around her and the background change. The numbers are drawn by the game at
(30,150) and (280,150), the status box sits at the top left and the status
texts at the top right: the character stays in the middle (x 110..290) and
the two side fields (x 20..130 and 270..390, y 130..230) stay plain.
"""
import math
import os
import sys

W, H = 400, 300
FONT = "IPAPGothic"

SKIN = "#ffe4d0"
SKIN_LINE = "#d9967a"
HAIR = "#8c4a2f"
HAIR_DARK = "#6a3420"
HAIR_LINE = "#4e2414"
RIBBON = "#e8384f"
OUTFIT = "#3f5da8"
OUTFIT_LINE = "#2a3f78"
COLLAR = "#ffffff"
EYE = "#3a2346"
IRIS = "#7d4fb0"
MOUTH = "#a8323e"
TONGUE = "#ff8a9a"
BLUSH = "#ff9aa8"
INK = "#4e2414"


# ---------------------------------------------------------------- face parts
# All face parts use head coordinates: the face's centre is (0,0), its radius
# about 60.

def eye_open(x, look=(0, 0), tall=14):
    lx, ly = look
    return f"""
  <g transform="translate({x},8)">
    <ellipse cx="0" cy="0" rx="11" ry="{tall}" fill="{EYE}"/>
    <ellipse cx="{lx}" cy="{ly + tall * 0.35:.1f}" rx="7.5" ry="{tall * 0.55:.1f}" fill="{IRIS}"/>
    <circle cx="{lx - 3}" cy="{ly - tall * 0.35:.1f}" r="3.6" fill="#fff"/>
    <circle cx="{lx + 3.5}" cy="{ly + tall * 0.45:.1f}" r="1.6" fill="#fff"/>
    <path d="M -12 {-tall + 1} Q 0 {-tall - 5} 12 {-tall + 1}" fill="none" stroke="{EYE}" stroke-width="3" stroke-linecap="round"/>
  </g>"""


def eye_arc_up(x):  # delighted: ^
    return f"""
  <path transform="translate({x},10)" d="M -11 4 Q 0 -10 11 4" fill="none" stroke="{EYE}" stroke-width="4" stroke-linecap="round"/>"""


def eye_arc_down(x):  # content, eyes shut: a soft U
    return f"""
  <path transform="translate({x},6)" d="M -11 0 Q 0 10 11 0" fill="none" stroke="{EYE}" stroke-width="4" stroke-linecap="round"/>"""


def eye_squeeze(x, side):  # crying hard: > and <
    s = 1 if side < 0 else -1
    return f"""
  <path transform="translate({x},8) scale({s},1)" d="M -9 -8 L 8 0 L -9 8" fill="none" stroke="{EYE}" stroke-width="4" stroke-linecap="round" stroke-linejoin="round"/>"""


def brows(kind):
    if kind == "neutral":
        left, right = "M -34 -17 Q -24 -23 -14 -19", "M 14 -19 Q 24 -23 34 -17"
    elif kind == "raised":
        left, right = "M -34 -22 Q -24 -29 -14 -24", "M 14 -24 Q 24 -29 34 -22"
    elif kind == "puzzled":
        left, right = "M -35 -25 Q -25 -31 -14 -25", "M 14 -16 L 34 -20"
    elif kind == "sad":
        left, right = "M -35 -14 L -15 -23", "M 15 -23 L 35 -14"
    elif kind == "happy":
        left, right = "M -35 -21 Q -24 -30 -13 -22", "M 13 -22 Q 24 -30 35 -21"
    else:
        raise ValueError(kind)
    return f"""
  <path d="{left}" fill="none" stroke="{HAIR_LINE}" stroke-width="3" stroke-linecap="round"/>
  <path d="{right}" fill="none" stroke="{HAIR_LINE}" stroke-width="3" stroke-linecap="round"/>"""


def mouth(kind):
    line = f'fill="none" stroke="{MOUTH}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"'
    if kind == "smile":
        return f'\n  <path d="M -10 31 Q 0 40 10 31" {line}/>'
    if kind == "wide_smile":
        return f'\n  <path d="M -13 30 Q 0 43 13 30" {line}/>'
    if kind == "o":
        return f'\n  <ellipse cx="0" cy="35" rx="5" ry="6" fill="{MOUTH}"/>'
    if kind == "cat":
        return f'\n  <path d="M -11 31 Q -5.5 38 0 32 Q 5.5 38 11 31" {line}/>'
    if kind == "wavy":
        return f'\n  <path d="M -13 35 Q -9 30 -4.5 35 T 4.5 35 T 13 35" {line}/>'
    if kind == "open":
        return f"""
  <path d="M -17 27 L 17 27 Q 15 51 0 51 Q -15 51 -17 27 Z" fill="{MOUTH}" stroke="{MOUTH}" stroke-width="2" stroke-linejoin="round"/>
  <path d="M -9 46 Q 0 38 9 46 Q 6 50.5 0 50.5 Q -6 50.5 -9 46 Z" fill="{TONGUE}"/>
  <path d="M -15 28 L 15 28 L 14 32 L -14 32 Z" fill="#fff"/>"""
    if kind == "wail":
        return f"""
  <path d="M -16 45 Q -12 25 0 25 Q 12 25 16 45 Q 0 40 -16 45 Z" fill="{MOUTH}" stroke="{MOUTH}" stroke-width="2" stroke-linejoin="round"/>
  <path d="M -8 41 Q 0 36 8 41 Q 0 40 -8 41 Z" fill="{TONGUE}"/>"""
    raise ValueError(kind)


def blush(strength):
    return f"""
  <ellipse cx="-38" cy="25" rx="10" ry="5.5" fill="{BLUSH}" opacity="{strength}"/>
  <ellipse cx="38" cy="25" rx="10" ry="5.5" fill="{BLUSH}" opacity="{strength}"/>"""


def tears():
    drop = "M 0 0 Q 6 9 6 13 A 6 6 0 0 1 -6 13 Q -6 9 0 0 Z"
    return f"""
  <path d="M -36 14 Q -40 40 -36 62 L -28 62 Q -31 40 -26 14 Z" fill="#7cc8ff" opacity="0.9"/>
  <path d="M 36 14 Q 40 40 36 62 L 28 62 Q 31 40 26 14 Z" fill="#7cc8ff" opacity="0.9"/>
  <path transform="translate(-58,2) rotate(40)" d="{drop}" fill="#7cc8ff" stroke="#3f8fd0" stroke-width="1.5"/>
  <path transform="translate(58,2) rotate(-40)" d="{drop}" fill="#7cc8ff" stroke="#3f8fd0" stroke-width="1.5"/>
  <path transform="translate(-50,-22) rotate(60) scale(0.7)" d="{drop}" fill="#7cc8ff" stroke="#3f8fd0" stroke-width="1.5"/>
  <path transform="translate(50,-22) rotate(-60) scale(0.7)" d="{drop}" fill="#7cc8ff" stroke="#3f8fd0" stroke-width="1.5"/>"""


def sweat(x, y):
    return f"""
  <path transform="translate({x},{y})" d="M 0 0 Q 7 10 7 14 A 7 7 0 0 1 -7 14 Q -7 10 0 0 Z" fill="#bfe6ff" stroke="#5aa6e0" stroke-width="1.8"/>"""


# ------------------------------------------------------------ the character

def character(face, cx=200, cy=150, scale=1.0, tilt=0.0, arms=""):
    """The whole character: body, hair, face and the face parts given."""
    return f"""
<g transform="translate({cx},{cy}) scale({scale})">
  <!-- shoulders and outfit -->
  <path d="M -96 200 L -86 110 Q -80 82 -42 76 L 42 76 Q 80 82 86 110 L 96 200 Z" fill="{OUTFIT}" stroke="{OUTFIT_LINE}" stroke-width="3"/>
  <path d="M -14 50 L 14 50 L 16 80 L -16 80 Z" fill="{SKIN}" stroke="{SKIN_LINE}" stroke-width="2"/>
  <path d="M -46 76 L 0 120 L 46 76 L 30 73 L 0 98 L -30 73 Z" fill="{COLLAR}" stroke="{OUTFIT_LINE}" stroke-width="2.5" stroke-linejoin="round"/>
  <path d="M -62 82 Q -72 100 -66 116 L -40 104 Z" fill="{COLLAR}" stroke="{OUTFIT_LINE}" stroke-width="2.5" stroke-linejoin="round"/>
  <path d="M 62 82 Q 72 100 66 116 L 40 104 Z" fill="{COLLAR}" stroke="{OUTFIT_LINE}" stroke-width="2.5" stroke-linejoin="round"/>
  <path d="M 0 112 L -22 100 L -24 122 Z M 0 112 L 22 100 L 24 122 Z" fill="{RIBBON}" stroke="#a51d33" stroke-width="2" stroke-linejoin="round"/>
  <path d="M -5 112 L -14 140 L -4 134 Z M 5 112 L 14 140 L 4 134 Z" fill="{RIBBON}" stroke="#a51d33" stroke-width="2" stroke-linejoin="round"/>
  <circle cx="0" cy="112" r="6" fill="{RIBBON}" stroke="#a51d33" stroke-width="2"/>
  {arms}
  <g transform="rotate({tilt})">
    <!-- buns with ribbons -->
    <circle cx="-52" cy="-62" r="22" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="3"/>
    <circle cx="52" cy="-62" r="22" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="3"/>
    <path d="M -70 -48 Q -62 -34 -46 -38" fill="none" stroke="{HAIR_DARK}" stroke-width="2.5"/>
    <path d="M 70 -48 Q 62 -34 46 -38" fill="none" stroke="{HAIR_DARK}" stroke-width="2.5"/>
    <!-- hair behind the face -->
    <path d="M -70 50 Q -76 -10 -62 -40 Q -40 -76 0 -76 Q 40 -76 62 -40 Q 76 -10 70 50 Q 60 62 46 58 L -46 58 Q -60 62 -70 50 Z" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="3"/>
    <!-- bows at the foot of the buns -->
    {bow(-36, -72, -30)}
    {bow(36, -72, 30)}
    <!-- face -->
    <ellipse cx="0" cy="4" rx="58" ry="55" fill="{SKIN}" stroke="{SKIN_LINE}" stroke-width="2.5"/>
    {face}
    <!-- fringe and side locks -->
    <path d="M -62 -14 Q -60 -64 0 -66 Q 60 -64 62 -14 Q 50 -26 44 -40 Q 38 -24 22 -20 Q 26 -32 22 -42 Q 10 -24 -8 -22 Q -2 -32 -4 -44 Q -18 -22 -40 -20 Q -36 -30 -38 -40 Q -48 -24 -62 -14 Z" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="3" stroke-linejoin="round"/>
    <path d="M -62 -16 Q -72 20 -62 60 Q -56 50 -54 40 Q -52 10 -56 -14 Z" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="2.5" stroke-linejoin="round"/>
    <path d="M 62 -16 Q 72 20 62 60 Q 56 50 54 40 Q 52 10 56 -14 Z" fill="{HAIR}" stroke="{HAIR_LINE}" stroke-width="2.5" stroke-linejoin="round"/>
    <path d="M -30 -52 Q -12 -60 8 -58" fill="none" stroke="#b9704e" stroke-width="4" stroke-linecap="round"/>
    <!-- hairpin -->
    <path transform="translate(40,-42) scale(0.55)" d="{star_path(0, 0, 16, 7)}" fill="#ffd23f" stroke="#c99400" stroke-width="3" stroke-linejoin="round"/>
  </g>
</g>"""


def bow(x, y, turn):
    return (f'<g transform="translate({x},{y}) rotate({turn})">'
            f'<path d="M 0 0 L -13 -9 L -13 9 Z M 0 0 L 13 -9 L 13 9 Z" fill="{RIBBON}" stroke="#a51d33" stroke-width="2" stroke-linejoin="round"/>'
            f'<circle cx="0" cy="0" r="4" fill="{RIBBON}" stroke="#a51d33" stroke-width="2"/></g>')


def star_path(x, y, outer, inner, points=5, turn=0.0):
    pts = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = math.pi * i / points - math.pi / 2 + turn
        pts.append(f"{x + r * math.cos(a):.1f} {y + r * math.sin(a):.1f}")
    return "M " + " L ".join(pts) + " Z"


def star(x, y, size, fill, line, turn=0.0):
    return f'\n<path d="{star_path(x, y, size, size * 0.45, 5, turn)}" fill="{fill}" stroke="{line}" stroke-width="2" stroke-linejoin="round"/>'


def sparkle(x, y, size, fill):
    s, t = size, size * 0.22
    d = f"M {x} {y - s} Q {x + t} {y - t} {x + s} {y} Q {x + t} {y + t} {x} {y + s} Q {x - t} {y + t} {x - s} {y} Q {x - t} {y - t} {x} {y - s} Z"
    return f'\n<path d="{d}" fill="{fill}"/>'


def hand(x, y, r=11):
    return f'<circle cx="{x}" cy="{y}" r="{r}" fill="{SKIN}" stroke="{SKIN_LINE}" stroke-width="2.5"/>'


def sleeve_arm(x0, y0, x1, y1):
    """An arm raised from the shoulder at (x0,y0) to a hand at (x1,y1)."""
    return (f'<path d="M {x0} {y0} L {x1} {y1}" stroke="{OUTFIT_LINE}" stroke-width="22" stroke-linecap="round"/>'
            f'<path d="M {x0} {y0} L {x1} {y1}" stroke="{OUTFIT}" stroke-width="17" stroke-linecap="round"/>'
            + hand(x1, y1))


def text(x, y, size, content, fill, stroke=None, width=0, anchor="middle", weight="bold"):
    outline = ""
    if stroke:
        outline = f' stroke="{stroke}" stroke-width="{width}" stroke-linejoin="round" paint-order="stroke"'
    return (f'\n<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
            f'text-anchor="{anchor}" fill="{fill}"{outline}>{content}</text>')


def background(colour, dots=None):
    """A plain field with a few soft dots in the corners, away from the numbers."""
    out = f'\n<rect x="0" y="0" width="{W}" height="{H}" fill="{colour}"/>'
    if dots:
        for x, y, r in [(24, 272, 14), (62, 286, 8), (376, 270, 16), (340, 290, 7),
                        (120, 22, 7), (292, 60, 9), (104, 62, 10), (372, 96, 6)]:
            out += f'\n<circle cx="{x}" cy="{y}" r="{r}" fill="{dots}"/>'
    return out


def sunburst(cx, cy, colour_a, colour_b, rays=16, turn=0.0):
    out = f'\n<rect x="0" y="0" width="{W}" height="{H}" fill="{colour_a}"/>'
    for i in range(0, rays * 2, 2):
        a0 = 2 * math.pi * i / (rays * 2) + turn
        a1 = 2 * math.pi * (i + 1) / (rays * 2) + turn
        x0, y0 = cx + 600 * math.cos(a0), cy + 600 * math.sin(a0)
        x1, y1 = cx + 600 * math.cos(a1), cy + 600 * math.sin(a1)
        out += f'\n<path d="M {cx} {cy} L {x0:.1f} {y0:.1f} L {x1:.1f} {y1:.1f} Z" fill="{colour_b}"/>'
    return out


def svg(body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">'
            f'{body}\n</svg>\n')


# ---------------------------------------------------------------- pictures

def face(eyes, brow, mouth_kind, blush_strength=0.55, extra=""):
    return eyes + brows(brow) + blush(blush_strength) + mouth(mouth_kind) + extra


CALM_EYES = eye_open(-24) + eye_open(24)


def nomal2():
    # Calm: the face each question starts with.
    return svg(background("#e4f4e8", "#cde9d4") + character(face(CALM_EYES, "neutral", "smile")))


def nomal3():
    # Still calm, eyes up and lips rounded: the question is being shown.
    eyes = eye_open(-24, (0, -2)) + eye_open(24, (0, -2))
    return svg(background("#e4f4e8", "#cde9d4") + character(face(eyes, "raised", "o")))


def nomal1():
    # Calm and ready: waiting for the player's answer.
    eyes = eye_open(-24, (1, 1), 13) + eye_open(24, (1, 1), 13)
    return svg(background("#e4f4e8", "#cde9d4") + character(face(eyes, "neutral", "cat", 0.7)))


def which():
    # Puzzled: glancing aside, one brow up, a drop of sweat, a ? on each side.
    eyes = eye_open(-24, (-3, 0)) + eye_open(24, (-3, 0))
    marks = (text(150, 52, 34, "?", "#8a5cc8", "#fff", 5) + text(256, 48, 40, "?", "#8a5cc8", "#fff", 5)
             + text(204, 30, 24, "?", "#b58be0", "#fff", 4))
    arrows = (f'\n<path d="M 126 120 L 98 110 L 126 100 Z" fill="#8a5cc8" stroke="#fff" stroke-width="2"/>'
              f'\n<path d="M 274 120 L 302 110 L 274 100 Z" fill="#8a5cc8" stroke="#fff" stroke-width="2"/>')
    body = character(face(eyes, "puzzled", "wavy", 0.45, sweat(50, -36)), tilt=-8)
    return svg(background("#ece6f8", "#ddd2f2") + body + marks + arrows)


def great():
    # Delighted: eyes squeezed into ^ ^, a wide open laugh, sparkles.
    eyes = eye_arc_up(-24) + eye_arc_up(24)
    extras = (star(150, 36, 14, "#ffd23f", "#e09a00", 0.2) + star(252, 30, 17, "#ffd23f", "#e09a00", -0.15)
              + sparkle(200, 24, 12, "#ff8fb0") + sparkle(126, 78, 9, "#ffffff") + sparkle(278, 82, 10, "#ffffff")
              + sparkle(116, 262, 10, "#ff8fb0") + sparkle(286, 258, 12, "#ff8fb0"))
    body = character(face(eyes, "happy", "open", 0.85))
    return svg(background("#fff4c8", "#ffe9a0") + body + extras)


def cry():
    # Crying: eyes shut tight, tears streaming and flying, a wailing mouth.
    eyes = eye_squeeze(-24, -1) + eye_squeeze(24, 1)
    body = character(face(eyes, "sad", "wail", 0.6, tears()))
    gloom = "".join(
        f'\n<path d="M {x} {y} l -6 14" stroke="#9fb3cc" stroke-width="3" stroke-linecap="round"/>'
        for x, y in [(136, 26), (158, 16), (244, 16), (266, 26), (120, 250), (292, 250)])
    return svg(background("#dde8f3", "#c9d9ea") + gloom + body)


def level_up(frame):
    # Two frames that flash against each other: the rays and colours swap.
    if frame == 1:
        a, b, turn = "#ffe27a", "#ffb347", 0.0
        title_fill, title_line = "#ff3d7f", "#ffffff"
    else:
        a, b, turn = "#ffd3ea", "#ff8cc6", math.pi / 16
        title_fill, title_line = "#ffe600", "#e0457b"
    eyes = eye_arc_up(-24) + eye_open(24, (0, 0))
    arms = sleeve_arm(-70, 96, -106, -30) + sleeve_arm(70, 96, 106, -30)
    body = character(face(eyes, "happy", "open", 0.85), cy=160, arms=arms)
    confetti = ""
    colours = ["#ff3d7f", "#3fa7ff", "#37c97a", "#a35cff", "#ffffff"]
    spots = [(40, 70), (70, 120), (30, 190), (80, 230), (360, 70), (330, 130), (372, 200), (318, 236),
             (110, 150), (292, 166), (48, 262), (352, 268)]
    for i, (x, y) in enumerate(spots):
        if frame == 2:
            x, y = x + 8, y + 10
        c = colours[(i + frame) % len(colours)]
        confetti += f'\n<rect x="{x}" y="{y}" width="10" height="6" fill="{c}" transform="rotate({(i * 37 + frame * 40) % 180} {x + 5} {y + 3})"/>'
    stars = star(60, 150, 16, "#ffffff", "#ff8a00") + star(340, 160, 16, "#ffffff", "#ff8a00")
    title = text(200, 290, 40, "レベルアップ！", title_fill, title_line, 7)
    return svg(sunburst(200, 150, a, b, 16, turn) + confetti + stars + body + title)


def ending():
    # The game is over: a happy, tired smile and a wave on the left; the score
    # goes into the open panel on the right; the two buttons at the left edge.
    eyes = eye_arc_down(-24) + eye_arc_down(24)
    arms = sleeve_arm(-70, 96, -96, 24)
    body = character(face(eyes, "happy", "wide_smile", 0.7), cx=142, cy=142, scale=0.86, arms=arms)
    panel = (f'\n<rect x="226" y="118" width="168" height="152" rx="16" fill="#ffffff" stroke="#f0a8c4" stroke-width="3"/>'
             f'\n<rect x="232" y="124" width="156" height="140" rx="12" fill="#ffffff" stroke="#ffd3e3" stroke-width="2" stroke-dasharray="6 5"/>')
    title = text(300, 58, 30, "おつかれさま！", "#e0457b", "#ffffff", 6) + text(300, 94, 18, "ゲームおしまい", "#9a6a86", "#ffffff", 4)
    # Buttons: the retry place is x 0..56, y 219..253 and the end place
    # x 0..56, y 264..294; the buttons fill them with a small inset.
    buttons = (f'\n<rect x="3" y="221" width="52" height="31" rx="7" fill="#ff7aa8" stroke="#c2416f" stroke-width="2.5"/>'
               + text(29, 242, 13, "もう一回", "#ffffff")
               + f'\n<rect x="3" y="266" width="52" height="27" rx="7" fill="#7a8fc8" stroke="#465a94" stroke-width="2.5"/>'
               + text(29, 285, 13, "おわる", "#ffffff"))
    return svg(background("#ffe9f1", "#ffd6e6") + body + panel + title + buttons)


def start():
    # The title screen.
    eyes = eye_open(-24) + eye_open(24)
    body = character(face(eyes, "raised", "wide_smile", 0.7), cy=162, scale=0.9)
    deco = (star(64, 150, 18, "#ffd23f", "#e09a00", 0.1) + star(338, 146, 18, "#ffd23f", "#e09a00", -0.1)
            + sparkle(96, 200, 10, "#ff8fb0") + sparkle(306, 204, 10, "#ff8fb0") + sparkle(40, 218, 7, "#ffffff")
            + sparkle(362, 222, 7, "#ffffff"))
    title = text(200, 62, 40, "ミルタスチャレンジ", "#ff4f8b", "#ffffff", 8)
    invite = (f'\n<rect x="86" y="254" width="228" height="34" rx="17" fill="#ffffff" stroke="#ff4f8b" stroke-width="3"/>'
              + text(200, 278, 18, "クリックしてスタート！", "#ff4f8b"))
    return svg(background("#dff1ff", "#c6e4fb") + deco + body + title + invite)


def icon():
    # The program's icon: her face, smiling, in a round badge that stays
    # readable from 48 pixels up. Square, transparent around the badge.
    size = 256
    eyes = eye_open(-24) + eye_open(24)
    body = character(face(eyes, "happy", "wide_smile", 0.7), cx=128, cy=146, scale=1.12)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">'
            f'\n<defs><clipPath id="badge"><circle cx="128" cy="128" r="116"/></clipPath></defs>'
            f'\n<circle cx="128" cy="128" r="126" fill="#ff4f8b"/>'
            f'\n<g clip-path="url(#badge)">\n<rect x="0" y="0" width="{size}" height="{size}" fill="#dff1ff"/>'
            f'{sparkle(40, 64, 14, "#ffffff")}{sparkle(218, 70, 12, "#ffffff")}{body}\n</g>'
            f'\n<circle cx="128" cy="128" r="116" fill="none" stroke="#ffffff" stroke-width="4"/>\n</svg>\n')


# Written into OUTPUT_DIR/icons/, apart from the 400 x 300 pictures.
ICONS = {"kesto": icon}


PICTURES = {
    "nomal1": nomal1, "nomal2": nomal2, "nomal3": nomal3, "which": which, "great": great, "cry": cry,
    "ending": ending, "lv1": lambda: level_up(1), "lv2": lambda: level_up(2), "start": start,
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_svgs.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in PICTURES.items():
        with open(os.path.join(out, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(make())
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    for name, make in ICONS.items():
        with open(os.path.join(out, "icons", name + ".svg"), "w", encoding="utf-8") as f:
            f.write(make())


if __name__ == "__main__":
    main()
