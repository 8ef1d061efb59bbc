#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Packs the radar icon's 16-colour PNG images into one Windows .ico file.

    python3 src/win32/make_icon.py OUT.ico IMAGE.png [IMAGE.png ...]

Every image must be an indexed PNG of at most 16 colours whose transparency is all or
nothing (a tRNS chunk). Each becomes a 4-bit device-independent bitmap with its
16-entry palette and a 1-bit AND mask for the transparent pixels, the form every
Windows version reads. Only the standard library is used, so the result is the same
wherever it is made.
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG file")
    pos, chunks, idat = 8, {}, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if colour_type != 3 or depth not in (1, 2, 4, 8) or interlace:
        raise SystemExit(f"{path}: expected a non-interlaced indexed PNG")
    plte = chunks[b"PLTE"]
    palette = [tuple(plte[i:i + 3]) for i in range(0, len(plte), 3)]
    alpha = list(chunks.get(b"tRNS", b"")) + [255] * (len(palette) - len(chunks.get(b"tRNS", b"")))
    if len(palette) > 16 or any(a not in (0, 255) for a in alpha):
        raise SystemExit(f"{path}: more than 16 colours or partial transparency")

    raw = zlib.decompress(idat)
    stride = (width * depth + 7) // 8
    rows, prev = [], bytearray(stride)
    for y in range(height):
        filt = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 1] if i else 0
            up, upleft = prev[i], (prev[i - 1] if i else 0)
            if filt == 1:
                line[i] = (line[i] + left) & 0xFF
            elif filt == 2:
                line[i] = (line[i] + up) & 0xFF
            elif filt == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif filt == 4:
                p = left + up - upleft
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upleft)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else upleft)) & 0xFF
        prev = line
        per_byte = 8 // depth
        rows.append([(line[x // per_byte] >> (8 - depth * (x % per_byte + 1))) & ((1 << depth) - 1)
                     for x in range(width)])
    return width, height, palette, alpha, rows


def dib(width, height, palette, alpha, rows):
    # The colour of a transparent pixel is black, so that the screen shows through
    # (screen AND mask 1, then XOR black).
    colours = [(0, 0, 0) if alpha[i] == 0 else palette[i] for i in range(len(palette))]
    colours += [(0, 0, 0)] * (16 - len(colours))
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    xor_stride = ((width * 4 + 31) // 32) * 4
    and_stride = ((width + 31) // 32) * 4
    xor, mask = b"", b""
    for row in reversed(rows):  # bottom-up
        px = [0 if alpha[i] == 0 else i for i in row]
        line = bytes((px[x] << 4) | (px[x + 1] if x + 1 < width else 0) for x in range(0, width, 2))
        xor += line.ljust(xor_stride, b"\0")
        bits = bytearray(and_stride)
        for x, i in enumerate(row):
            if alpha[i] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + table + xor + mask


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    images = [read_png(p) for p in sys.argv[2:]]
    bodies = [dib(*image) for image in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (width, height, *_), body in zip(images, bodies):
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    open(sys.argv[1], "wb").write(out + b"".join(bodies))


if __name__ == "__main__":
    main()
