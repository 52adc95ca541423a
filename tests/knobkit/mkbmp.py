#!/usr/bin/env python3
"""mkbmp.py DIR -- BMP files written independently of knobkit, for its tests.

Every file is packed here with struct from the format's own description
(file header, information header, colour table or masks, rows bottom up,
padded to 4 bytes):
  good_NAME.bmp   sound files of 1, 4, 8, 16, 24 and 32 bits, with plain,
                  short and long headers, masks and gaps;
  good_NAME.txt   what each shows: "W H", then H lines of W "rrggbb"
                  colours, top row first;
  bad_NAME.bmp    damaged files: truncated, lying sizes and offsets, zero,
                  negative and huge dimensions, unknown formats.
"""
import os
import struct
import sys


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(width, height, bits, value):
    """Rows bottom up; value(x, y) is the pixel's index or packed value."""
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        if bits < 8:
            acc = nbits = 0
            for x in range(width):
                acc = (acc << bits) | value(x, y)
                nbits += bits
                if nbits == 8:
                    row.append(acc)
                    acc = nbits = 0
            if nbits:
                row.append(acc << (8 - nbits))
        else:
            for x in range(width):
                row += value(x, y).to_bytes(bits // 8, "little")
        row += bytes(row_bytes(width, bits) - len(row))
        out += row
    return bytes(out)


def bmp(width, height, bits, pixels, table=b"", used=None, header=40,
        compression=0, masks=None, gap=0, trailing=b""):
    """A whole file; masks go inside a long header or right after a short one."""
    info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits,
                       compression, len(pixels), 2835, 2835,
                       len(table) // 4 if used is None else used, 0)
    extra = b""
    if masks is not None:
        mask_bytes = struct.pack("<III", *masks)
        if header > 40:
            info += mask_bytes
        else:
            extra = mask_bytes
    info += bytes(header - len(info))
    offset = 14 + len(info) + len(extra) + len(table) + gap
    size = offset + len(pixels)
    head = b"BM" + struct.pack("<IHHI", size, 0, 0, offset)
    return head + info + extra + table + bytes(gap) + pixels + trailing


def rgb_table(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def palette(n):
    return [((i * 37 + 11) & 255, (255 - i * 13) & 255, (i * 91 + 60) & 255)
            for i in range(n)]


def truecolour(x, y):
    return ((x * 29 + y * 7) & 255, (x * 3 + y * 41 + 9) & 255,
            (x * 17 + y * 23 + 100) & 255)


def indexed(width, height, bits, n, used=None, pattern=None):
    """An image of palette indexes: the file and the colours it shows.
    Indexes past a short table show black."""
    cols = palette(n)
    pick = pattern or (lambda x, y: (x * 3 + y * 5) % (1 << bits))
    data = bmp(width, height, bits, pack_rows(width, height, bits, pick),
               rgb_table(cols), used)
    shown = [[cols[pick(x, y)] if pick(x, y) < n else (0, 0, 0)
              for x in range(width)] for y in range(height)]
    return data, shown


def direct(width, height, bits, pack, **kw):
    data = bmp(width, height, bits,
               pack_rows(width, height, bits,
                         lambda x, y: pack(*truecolour(x, y), x, y)), **kw)
    return data


def good_files():
    files = {}
    for bits, n, w, h in ((1, 2, 13, 7), (4, 16, 9, 5), (8, 256, 11, 6)):
        files["%dbit" % bits] = indexed(w, h, bits, n)
    # colours used 0: the table is 2^8 entries, and index 255 is used
    files["8bit_used0"] = indexed(16, 16, 8, 256, used=0,
                                  pattern=lambda x, y: y * 16 + x)
    files["8bit_short"] = indexed(10, 4, 8, 5, pattern=lambda x, y: (x + y) % 8)
    shown = [[truecolour(x, y) for x in range(7)] for y in range(5)]
    files["24bit"] = (direct(7, 5, 24, lambda r, g, b, x, y: b | g << 8 | r << 16),
                      shown)
    files["24bit_gap_hint"] = (direct(7, 5, 24,
                                      lambda r, g, b, x, y: b | g << 8 | r << 16,
                                      table=rgb_table(palette(16)), gap=6,
                                      trailing=b"trailing bytes"), shown)
    files["32bit"] = (direct(7, 5, 32, lambda r, g, b, x, y: b | g << 8 | r << 16),
                      shown)
    files["32bit_v5_masks"] = (direct(7, 5, 32,
                                      lambda r, g, b, x, y: b | g << 8 | r << 16,
                                      header=124, compression=3,
                                      masks=(0xFF0000, 0xFF00, 0xFF)), shown)
    # 5-6-5 with every channel 0 or full, so each shows exactly
    on = lambda x, y, k: (x + 2 * y + k) % 3 == 0
    shown = [[tuple(255 if on(x, y, k) else 0 for k in range(3))
              for x in range(6)] for y in range(3)]
    files["16bit_565"] = (direct(6, 3, 16, lambda r, g, b, x, y:
                                 (31 << 11 if on(x, y, 0) else 0) |
                                 (63 << 5 if on(x, y, 1) else 0) |
                                 (31 if on(x, y, 2) else 0),
                                 compression=3,
                                 masks=(0xF800, 0x07E0, 0x001F)), shown)
    return files


def patched(data, offset, fmt, value):
    out = bytearray(data)
    struct.pack_into(fmt, out, offset, value)
    return bytes(out)


def bad_files(files):
    ok24 = files["24bit"][0]
    ok8 = files["8bit"][0]
    bad = {"empty": b"", "not_bm": b"MB" + ok24[2:]}
    for cut in (1, 13, 14, 30, 53, 54, len(ok24) // 2, len(ok24) - 1):
        bad["cut%d" % cut] = ok24[:cut]
    bad["cut8_table"] = ok8[:54 + 300]
    rows = [
        ("size_past_end", 2, "<I", len(ok24) + 1),
        ("size_huge", 2, "<I", 0xFFFFFFFF),
        ("size_short", 2, "<I", 60),
        ("offset_past_end", 10, "<I", len(ok24)),
        ("offset_huge", 10, "<I", 0xFFFFFFF0),
        ("offset_in_header", 10, "<I", 20),
        ("header_0", 14, "<I", 0),
        ("header_12", 14, "<I", 12),
        ("header_64", 14, "<I", 64),
        ("header_huge", 14, "<I", 0xFFFFFFFF),
        ("width_0", 18, "<i", 0),
        ("height_0", 22, "<i", 0),
        ("width_negative", 18, "<i", -7),
        ("height_negative", 22, "<i", -5),
        ("width_huge", 18, "<i", 0x7FFFFFFF),
        ("height_huge", 22, "<i", 0x7FFFFFFF),
        ("width_min", 18, "<i", -0x80000000),
        ("planes_0", 26, "<H", 0),
        ("bits_0", 28, "<H", 0),
        ("bits_2", 28, "<H", 2),
        ("bits_64", 28, "<H", 64),
        ("rle8", 30, "<I", 1),
        ("bitfields_24", 30, "<I", 3),
        ("jpeg", 30, "<I", 4),
        ("used_huge", 46, "<I", 0xFFFFFFFF),
        ("used_257", 46, "<I", 257),
    ]
    for name, offset, fmt, value in rows:
        bad[name] = patched(ok24, offset, fmt, value)
    bad["pixels_huge"] = patched(patched(ok24, 18, "<i", 40000), 22, "<i", 40000)
    bad["pixels_over_limit"] = patched(patched(ok24, 18, "<i", 5000), 22, "<i", 5000)
    bad["used_past_bits"] = patched(files["1bit"][0], 46, "<I", 3)
    bad["used_8bit_1000"] = patched(ok8, 46, "<I", 1000)
    bad["masks_zero"] = bmp(2, 2, 32, bytes(16), compression=3, masks=(0, 0xFF00, 0xFF))
    bad["masks_overlap"] = bmp(2, 2, 32, bytes(16), compression=3,
                               masks=(0xFFFF00, 0xFF00, 0xFF))
    bad["masks_cut"] = bmp(2, 2, 32, bytes(16), compression=3,
                           masks=(0xFF0000, 0xFF00, 0xFF))[:60]
    return bad


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = good_files()
    for name, (data, shown) in files.items():
        with open(os.path.join(out, "good_%s.bmp" % name), "wb") as f:
            f.write(data)
        with open(os.path.join(out, "good_%s.txt" % name), "w") as f:
            f.write("%d %d\n" % (len(shown[0]), len(shown)))
            for row in shown:
                f.write(" ".join("%02x%02x%02x" % c for c in row) + "\n")
    for name, data in bad_files(files).items():
        with open(os.path.join(out, "bad_%s.bmp" % name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
