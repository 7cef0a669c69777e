#!/usr/bin/env python3
"""Draws the editor's pictures as 24-bit BMP files and the icon as an ICO file.

The pictures are small pixel drawings described below as text: one character per pixel,
looked up in PALETTE. Run it again after changing a drawing; its output is committed.
"""
import os
import struct

PALETTE = {
    '.': (255, 0, 255),    # transparent where the control masks, else shown as the face colour
    ' ': (192, 192, 192),  # button face
    'k': (0, 0, 0),
    'w': (255, 255, 255),
    'g': (128, 128, 128),
    'y': (255, 214, 90),
    'Y': (200, 150, 40),
    'b': (40, 80, 200),
    'B': (20, 40, 120),
    'r': (210, 30, 30),
    'n': (30, 130, 60),
    'c': (90, 160, 220),
}

FOLDER_CLOSED = [
    "................",
    "................",
    "..YYYYY.........",
    ".YyyyyyY........",
    ".YYYYYYYYYYYYY..",
    ".YyyyyyyyyyyyYk.",
    ".YyyyyyyyyyyyYk.",
    ".YyyyyyyyyyyyYk.",
    ".YyyyyyyyyyyyYk.",
    ".YyyyyyyyyyyyYk.",
    ".YYYYYYYYYYYYYk.",
    "..kkkkkkkkkkkkk.",
    "................",
]
FOLDER_OPEN = [
    "................",
    "................",
    "..YYYYY.........",
    ".YyyyyyY........",
    ".YyYYYYYYYYY....",
    ".YyY.........Y..",
    ".YYYYYYYYYYYYYYY",
    ".YYyyyyyyyyyyyYk",
    ".YYyyyyyyyyyyYk.",
    ".YyyyyyyyyyyyYk.",
    ".YyyyyyyyyyyYk..",
    ".YYYYYYYYYYYYk..",
    "..kkkkkkkkkkk...",
]
SHEET = [
    "...kkkkkkkk.....",
    "...kwwwwwwkk....",
    "...kwwwwwwkwk...",
    "...kwgggwwkkkk..",
    "...kwwwwwwwwwk..",
    "...kwggggggwwk..",
    "...kwwwwwwwwwk..",
    "...kwggggggwwk..",
    "...kwwwwwwwwwk..",
    "...kwgggggwwwk..",
    "...kwwwwwwwwwk..",
    "...kkkkkkkkkkk..",
    "................",
]

TOOLBAR = [  # eight 16x15 pictures side by side: open, save, new item, del item, exit, new, quick, cr/lf
    [   # 0 open: a folder opening
        "                ",
        "          kkk   ",
        "         k   k k",
        "              kk",
        " kkk         kkk",
        "kyyyk           ",
        "kyyyykkkkkkk    ",
        "kyykkkkkkkkkk   ",
        "kyykYYYYYYYYYk  ",
        "kykYYYYYYYYYk   ",
        "kykYYYYYYYYYk   ",
        "kkYYYYYYYYYk    ",
        "kkkkkkkkkkk     ",
        "                ",
        "                ",
    ],
    [   # 1 save: a diskette
        "                ",
        " kkkkkkkkkkkkk  ",
        " kbkwwwwwwwkbk  ",
        " kbkwwwwwwwkbk  ",
        " kbkwwwwwwwkbk  ",
        " kbkwwwwwwwkbk  ",
        " kbbkkkkkkkbbk  ",
        " kbbbbbbbbbbbk  ",
        " kbbkkkkkkkbbk  ",
        " kbbkggkwwkbbk  ",
        " kbbkggkwwkbbk  ",
        " kbbkggkwwkbbk  ",
        "  kkkkkkkkkkkk  ",
        "                ",
        "                ",
    ],
    [   # 2 new item: a sheet with a green plus
        "                ",
        "  kkkkkkkk      ",
        "  kwwwwwwkk     ",
        "  kwgggwwkwk    ",
        "  kwwwwwwkkkk   ",
        "  kwggggwwwwk   ",
        "  kwwwwwwwwwk   ",
        "  kwgggwwwnwk   ",
        "  kwwwwwwwnwk   ",
        "  kwgggwnnnnn   ",
        "  kwwwwwwwnwk   ",
        "  kkkkkkkknkk   ",
        "                ",
        "                ",
        "                ",
    ],
    [   # 3 del item: a red cross over a bar
        "                ",
        "                ",
        "  rr       rr   ",
        "   rr     rr    ",
        "    rr   rr     ",
        "     rr rr      ",
        "      rrr       ",
        "     rr rr      ",
        "    rr   rr     ",
        "   rr     rr    ",
        "  rr       rr   ",
        "                ",
        " kkkkkkkkkkkkkk ",
        " kggggggggggggk ",
        " kkkkkkkkkkkkkk ",
    ],
    [   # 4 exit: a red circle with a white cross
        "                ",
        "     rrrrrr     ",
        "   rrrrrrrrrr   ",
        "  rrrrrrrrrrrr  ",
        "  rrwwrrrrwwrr  ",
        " rrrrwwrrwwrrrr ",
        " rrrrrwwwwrrrrr ",
        " rrrrrrwwrrrrrr ",
        " rrrrrwwwwrrrrr ",
        " rrrrwwrrwwrrrr ",
        "  rrwwrrrrwwrr  ",
        "  rrrrrrrrrrrr  ",
        "   rrrrrrrrrr   ",
        "     rrrrrr     ",
        "                ",
    ],
    [   # 5 new: a fresh page
        "                ",
        "   kkkkkkkk     ",
        "   kwwwwwwkk    ",
        "   kwwwwwwkwk   ",
        "   kwwwwwwkkkk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwwwwwwwwwk  ",
        "   kkkkkkkkkkk  ",
        "                ",
        "                ",
    ],
    [   # 6 quick: a page of lines
        "                ",
        "   kkkkkkkk     ",
        "   kwwwwwwkk    ",
        "   kwbbbbwkwk   ",
        "   kwwwwwwkkkk  ",
        "   kwbbbbbbbwk  ",
        "   kwwwwwwwwwk  ",
        "   kwbbbbbbwwk  ",
        "   kwwwwwwwwwk  ",
        "   kwbbbbbbbwk  ",
        "   kwwwwwwwwwk  ",
        "   kwbbbbbwwwk  ",
        "   kkkkkkkkkkk  ",
        "                ",
        "                ",
    ],
    [   # 7 cr/lf: the letters cr/lf
        "                ",
        "                ",
        "              k ",
        "             k  ",
        "  kk k kk   k   ",
        " k   kk    k    ",
        " k   k    k     ",
        "  kk k   k      ",
        "        k   kk  ",
        "       k k k  k ",
        "      k  k kkk  ",
        "         k k    ",
        "         k k    ",
        "                ",
        "                ",
    ],
]


DRIVE_BODY = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "..kkkkkkkkkkkk..",
    ".kwwwwwwwwwwwwk.",
    ".kgggggggggggwk.",
    ".kggggggggnnggk.",
    ".kgggggggggggwk.",
    "..kkkkkkkkkkkk..",
    "................",
    "................",
    "................",
    "................",
]
REMOVABLE = [
    "................",
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kkkkkkkk....",
    "................",
] + DRIVE_BODY[6:]
REMOTE = DRIVE_BODY[:12] + [
    ".......kk.......",
    ".......kk.......",
    "..kkkkkkkkkkkk..",
    "................",
]
CDROM = [
    "................",
    ".....kkkkkk.....",
    "...kkccccccbk...",
    "..kcccccccccbk..",
    ".kccccckkccccbk.",
    ".kcccckwwkcccbk.",
    ".kccccckkccccbk.",
    "..kcccccccccbk..",
    "...kkccccccbk...",
    ".....kkkkkk.....",
] + DRIVE_BODY[10:]


def write_bmp(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            r, g, b = PALETTE[ch]
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        pixels += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as out:
        out.write(header + info + pixels)


def write_ico(path, rows):
    """A 32x32 icon, 24-bit colour with an AND mask from the '.' pixels."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for ch in row:
            r, g, b = PALETTE[ch]
            xor += bytes((b, g, r))
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        line = bytearray()
        for i, ch in enumerate(row):
            bits = (bits << 1) | (1 if ch == '.' else 0)
            if i % 8 == 7:
                line.append(bits)
                bits = 0
        line += b'\0' * ((4 - len(line) % 4) % 4)
        mask += line
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    header = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 24, len(image), 6 + 16)
    with open(path, 'wb') as out:
        out.write(header + entry + image)


def write_cur(path, rows, hotspot):
    """A 32x32 monochrome cursor: 'k' black, 'w' white, anything else transparent."""
    size = 32
    def mask_rows(test):
        out = bytearray()
        for row in reversed(rows):
            bits = 0
            for i, ch in enumerate(row):
                bits = (bits << 1) | (1 if test(ch) else 0)
            out += bits.to_bytes(4, 'big')
        return out
    xor = mask_rows(lambda ch: ch == 'w')
    and_mask = mask_rows(lambda ch: ch not in 'kw')
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(and_mask), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + xor + and_mask
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, 'wb') as out:
        out.write(header + entry + image)


ARROW = [
    "k...............",
    "kk..............",
    "kwk.............",
    "kwwk............",
    "kwwwk...........",
    "kwwwwk..........",
    "kwwwwwk.........",
    "kwwwwwwk........",
    "kwwwwwwwk.......",
    "kwwwwwkkkk......",
    "kwwkwwk.........",
    "kwk.kwwk........",
    "kk..kwwk........",
    "k....kwwk.......",
    ".....kwwk.......",
    "......kk........",
]


def drag_cursor(extra):
    rows = [list('.' * 32) for _ in range(32)]
    for y, row in enumerate(ARROW):
        for x, ch in enumerate(row):
            rows[y][x] = ch
    for y, row in enumerate(extra):
        for x, ch in enumerate(row):
            if ch != '.':
                rows[y + 16][x + 10] = ch
    return [''.join(row) for row in rows]


SMALL_SHEET = [
    "kkkkkkk...",
    "kwwwwwkk..",
    "kwwwwwkwk.",
    "kwwwwwwwk.",
    "kwkkkkwwk.",
    "kwwwwwwwk.",
    "kwkkkkkwk.",
    "kwwwwwwwk.",
    "kkkkkkkkk.",
]
NO_ENTRY = [
    "..kkkkk...",
    ".kwwwwwk..",
    "kwwkkkwwk.",
    "kwkwkkkwk.",
    "kwkkwkkwk.",
    "kwkkkwkwk.",
    "kwwkkkwwk.",
    ".kwwwwwk..",
    "..kkkkk...",
]


def scale(rows, factor):
    return [''.join(ch * factor for ch in row) for row in rows for _ in range(factor)]


def about_picture():
    """A 240x48 banner: a large folder and sheet beside coloured bars."""
    width, height = 240, 48
    rows = [[' '] * width for _ in range(height)]
    folder = scale(FOLDER_OPEN, 3)
    sheet = scale(SHEET, 3)
    for y, row in enumerate(folder):
        for x, ch in enumerate(row):
            if ch != '.' and y + 4 < height:
                rows[y + 4][x + 4] = ch
    for y, row in enumerate(sheet):
        for x, ch in enumerate(row):
            if ch != '.' and y + 4 < height:
                rows[y + 4][x + 40] = ch
    for i, colour in enumerate('bcnyr'):
        for y in range(10 + i * 6, 14 + i * 6):
            for x in range(100, 100 + 120 - i * 18):
                rows[y][x] = colour
    return [''.join(row) for row in rows]


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'pictures')
    os.makedirs(here, exist_ok=True)
    write_bmp(os.path.join(here, 'folder_closed.bmp'), FOLDER_CLOSED)
    write_bmp(os.path.join(here, 'folder_open.bmp'), FOLDER_OPEN)
    write_bmp(os.path.join(here, 'sheet.bmp'), SHEET)
    strip = [''.join(picture[y] for picture in TOOLBAR) for y in range(15)]
    write_bmp(os.path.join(here, 'toolbar.bmp'), strip)
    write_bmp(os.path.join(here, 'about.bmp'), about_picture())
    icon = [row.replace(' ', '.') for row in scale(FOLDER_OPEN + ['.' * 16] * 3, 2)]
    write_ico(os.path.join(here, 'tarnwick.ico'), icon[:32])
    write_bmp(os.path.join(here, 'drive_removable.bmp'), REMOVABLE)
    write_bmp(os.path.join(here, 'drive_fixed.bmp'), DRIVE_BODY)
    write_bmp(os.path.join(here, 'drive_remote.bmp'), REMOTE)
    write_bmp(os.path.join(here, 'drive_cdrom.bmp'), CDROM)
    write_cur(os.path.join(here, 'drag_over_tree.cur'), drag_cursor(SMALL_SHEET), (0, 0))
    write_cur(os.path.join(here, 'drag_elsewhere.cur'), drag_cursor(NO_ENTRY), (0, 0))


if __name__ == '__main__':
    main()
