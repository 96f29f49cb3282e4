#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the English help's picture of how the program is used (images/flow.png), after the Japanese one:
five steps from left to right and the way back from the training to a new start.

Run from the repository root:  /usr/bin/python3 help/en/make_flow.py
"""
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
STEPS = [('Register\nitems', (232, 240, 250)), ('Apply the\noptions', (232, 240, 250)),
         ('Start', (216, 236, 212)), ('Wait\n1-60 min', (232, 240, 250)), ('Training', (253, 226, 200))]
EDGE, INK, BACK = (31, 95, 168), (40, 40, 40), (190, 110, 40)


def main():
    S = 4
    W, H = 560, 130
    im = Image.new('RGB', (W * S, H * S), 'white')
    d = ImageDraw.Draw(im)
    font = ImageFont.truetype(FONT, 12 * S)
    small = ImageFont.truetype(FONT, 11 * S)
    box_w, gap, top, bottom = 92, 22, 18, 78
    centres = []
    for i, (text, fill) in enumerate(STEPS):
        x0 = 8 + i * (box_w + gap)
        d.rounded_rectangle([x0 * S, top * S, (x0 + box_w) * S, bottom * S], radius=6 * S, fill=fill,
                            outline=EDGE, width=S)
        d.multiline_text(((x0 + box_w / 2) * S, (top + bottom) / 2 * S), text, font=font, fill=INK,
                         anchor='mm', align='center', spacing=3 * S)
        centres.append(x0 + box_w / 2)
        if i:
            x = x0 - gap
            y = (top + bottom) / 2
            d.line([(x + 4) * S, y * S, (x0 - 6) * S, y * S], fill=EDGE, width=2 * S)
            d.polygon([((x0 - 2) * S, y * S), ((x0 - 8) * S, (y - 4) * S), ((x0 - 8) * S, (y + 4) * S)], fill=EDGE)
    # the way back: from under the training to under Start
    y = 108
    d.line([centres[4] * S, bottom * S, centres[4] * S, y * S], fill=BACK, width=2 * S)
    d.line([centres[4] * S, y * S, centres[2] * S, y * S], fill=BACK, width=2 * S)
    d.line([centres[2] * S, y * S, centres[2] * S, (bottom + 6) * S], fill=BACK, width=2 * S)
    d.polygon([(centres[2] * S, (bottom + 1) * S), ((centres[2] - 4) * S, (bottom + 8) * S),
               ((centres[2] + 4) * S, (bottom + 8) * S)], fill=BACK)
    d.text(((centres[2] + centres[4]) / 2 * S, (y - 9) * S), 'Back to the settings, start again', font=small,
           fill=INK, anchor='mm')
    im.resize((W, H), Image.LANCZOS).save(os.path.join(HERE, 'images', 'flow.png'), optimize=True)


if __name__ == '__main__':
    main()
