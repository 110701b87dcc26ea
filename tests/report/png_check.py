#!/usr/bin/env python3
"""Looks at a browser screenshot (8-bit RGB or RGBA PNG) without any imaging
library: prints its size and how much of it is not background, and fails when
the page rendered blank. With --crop Y0 Y1 OUT it also writes rows Y0..Y1 as a
new PNG, to look at one part of a long page."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    at, idat, width, height, kind = 8, b"", 0, 0, 0
    while at < len(data):
        length, tag = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
            if depth != 8 or kind not in (2, 6):
                raise ValueError("only 8-bit RGB or RGBA PNGs")
        elif tag == b"IDAT":
            idat += body
        at += 12 + length
    channels = 3 if kind == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind_of_filter = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind_of_filter == 1:
                line[i] = (line[i] + left) & 255
            elif kind_of_filter == 2:
                line[i] = (line[i] + up) & 255
            elif kind_of_filter == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind_of_filter == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def write_png(path, width, channels, rows):
    kind = 2 if channels == 3 else 6
    raw = b"".join(b"\x00" + r for r in rows)
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, len(rows), 8, kind, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    width, height, channels, rows = read_png(sys.argv[1])
    if len(sys.argv) >= 5 and sys.argv[2] == "--crop":
        y0, y1 = int(sys.argv[3]), int(sys.argv[4])
        write_png(sys.argv[5], width, channels, rows[y0:y1])
    inked, colours = 0, set()
    for r in rows[::4]:
        for x in range(0, width * channels, channels * 4):
            pixel = r[x:x + 3]
            colours.add(pixel)
            if pixel != b"\xff\xff\xff":
                inked += 1
    sampled = len(rows[::4]) * len(range(0, width * channels, channels * 4))
    share = inked / max(sampled, 1)
    print(f"{width}x{height}, {share:.1%} not white, {len(colours)} colours")
    if share < 0.01 or len(colours) < 3:
        print("the page rendered blank", file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
