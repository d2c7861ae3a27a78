#!/usr/bin/env python3
"""Writes the Windows icon from the PNG: one 24-bit image with a one-bit transparency mask.

Usage: png_to_ico.py res/vkrandom.png res/vkrandom.ico
Reads 8-bit, non-interlaced RGB or RGBA PNGs, which is what res/tools/draw_icon.cpp writes.
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit(f"{path}: needs an 8-bit non-interlaced RGB or RGBA PNG")
    channels = 4 if colour == 6 else 3
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x * channels:(x + 1) * channels]) + (255,) * (4 - channels)
                     for x in range(width)])
        previous = line
    return width, height, rows


def write_ico(path, width, height, rows):
    colour_stride = (width * 3 + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    pixels, mask = bytearray(), bytearray()
    for row in reversed(rows):  # DIBs run bottom-up
        line = bytearray()
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            if a < 128:  # transparent: mask bit set, colour black so the screen shows through
                bits[x // 8] |= 0x80 >> (x % 8)
                r = g = b = 0
            line += bytes((b, g, r))
        pixels += line + bytes(colour_stride - len(line))
        mask += bits
    dib = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 24, 0,
                      len(pixels) + len(mask), 0, 0, 0, 0) + pixels + mask
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 24, len(dib), 22)
    open(path, "wb").write(struct.pack("<HHH", 0, 1, 1) + entry + dib)


if __name__ == "__main__":
    write_ico(sys.argv[2], *read_png(sys.argv[1]))
