#!/usr/bin/env python3
"""Writes the hostile picture files under tests/data/hostile.

Bad and unusual pictures that loading must either show as they are meant to
be shown or refuse with its message: empty and text files, files cut short
at several points, sizes declared far beyond what a picture may have, and
the odd corners of formats (16-bit, grey with alpha, palettes with
transparency, interlacing, CMYK, orientation tags, animations, several
pages, vector pictures that point elsewhere). tests/tst_hostilefiles.cpp
says what each must end in.

The files are kept in the repository; this script is how they were made,
and makes them again byte for byte (ImageMagick makes the JPEG and GIF
bases). Run it from anywhere: tools/make-hostile-pictures.py
"""
import base64
import gzip
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data")
OUT = os.path.join(DATA, "hostile")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, depth, colour, rows, extra=b"", interlace=0):
    """rows: the filtered scanlines' bytes (each starting with its filter byte)."""
    head = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + extra +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def plain_rows(width, height, pixel):
    return b"".join(b"\x00" + b"".join(pixel(x, y) for x in range(width))
                    for y in range(height))


def adam7_rows(width, height, pixel):
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
              (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    out = b""
    for x0, y0, dx, dy in passes:
        xs = range(x0, width, dx)
        for y in range(y0, height, dy):
            if len(xs):
                out += b"\x00" + b"".join(pixel(x, y) for x in xs)
    return out


def halves_rgb(x, y, width=6):
    return b"\xff\x00\x00" if x < width // 2 else b"\x00\x00\xff"


def magick(*args):
    with tempfile.TemporaryDirectory() as tmp:
        target = os.path.join(tmp, "out." + args[-1])
        subprocess.run(["convert", *args[:-1], target], check=True)
        with open(target, "rb") as f:
            return f.read()


def tiff(width, height, pixels=b"\x80" * 4):
    entries = [(256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, 8), (259, 3, 1, 1),
               (262, 3, 1, 1), (273, 4, 1, 0), (277, 3, 1, 1), (278, 4, 1, height),
               (279, 4, 1, len(pixels))]
    ifd_at = 8
    data_at = ifd_at + 2 + 12 * len(entries) + 4
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_at
        if kind == 3:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    return b"II*\x00" + struct.pack("<I", ifd_at) + ifd + pixels


def bmp(width, height, pixels=b""):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835,
                       0, 0)
    head = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def main():
    if os.path.isdir(OUT):
        shutil.rmtree(OUT)
    os.makedirs(OUT)
    files = {}

    red = lambda x, y: b"\xff\x00\x00"
    good_png = png(6, 4, 8, 2, plain_rows(6, 4, halves_rgb))
    noise_png = png(32, 32, 8, 2, plain_rows(
        32, 32, lambda x, y: bytes(((x * 37 + y * 101) * k) % 251 for k in (1, 3, 7))))

    # Nothing a decoder could recognise.
    files["empty.png"] = b""
    files["text-named.png"] = b"This is a note, not a chart.\n"
    files["html-named.jpg"] = b"<!DOCTYPE html><html><body><img src=chart.png></body></html>\n"
    files["zeros.bmp"] = b"\x00" * 512

    # PNG, cut short or broken at several points.
    files["png-signature-only.png"] = good_png[:8]
    files["png-cut-in-header.png"] = good_png[:20]
    files["png-cut-after-header.png"] = good_png[:33]
    idat = noise_png.index(b"IDAT")
    files["png-cut-in-pixels.png"] = noise_png[:idat + (len(noise_png) - idat) // 2]
    files["png-no-end.png"] = noise_png[:-12]
    bad_crc = bytearray(good_png)
    bad_crc[29] ^= 0xFF
    files["png-header-checksum.png"] = bytes(bad_crc)
    files["png-zero-width.png"] = png(0, 4, 8, 2, b"")
    files["png-declares-65535x65535.png"] = png(65535, 65535, 8, 2, b"\x00" * 16)
    files["png-declares-2147483647x1.png"] = png(2147483647, 1, 8, 2, b"\x00" * 16)

    # PNG oddities that load.
    files["one-pixel.png"] = png(1, 1, 8, 2, plain_rows(1, 1, red))
    files["png-16-bit.png"] = png(6, 4, 16, 6, plain_rows(
        6, 4, lambda x, y: (b"\xff\xff\x00\x00\x00\x00\xff\xff" if x < 3
                            else b"\x00\x00\x00\x00\xff\xff\xff\xff")))
    files["png-grey-alpha.png"] = png(6, 4, 8, 4, plain_rows(
        6, 4, lambda x, y: b"\xff\x80" if x < 3 else b"\x00\xff"))
    files["png-palette-transparency.png"] = png(
        6, 4, 8, 3, plain_rows(6, 4, lambda x, y: b"\x00" if x < 3 else b"\x01"),
        extra=chunk(b"PLTE", b"\xff\x00\x00\x00\x00\xff") + chunk(b"tRNS", b"\x80\xff"))
    files["png-interlaced.png"] = png(6, 4, 8, 2, adam7_rows(6, 4, halves_rgb), interlace=1)
    files["png-trailing-bytes.png"] = good_png + b"and then some text after the end\n"
    files["png-named.gif"] = good_png

    # JPEG.
    gradient = magick("-size", "48x32", "gradient:red-blue", "-quality", "90", "jpg")
    files["jpeg-cut-in-header.jpg"] = gradient[:40]
    scan = gradient.index(b"\xff\xda")
    files["jpeg-cut-in-pixels.jpg"] = gradient[:scan + (len(gradient) - scan) // 2]
    files["jpeg-no-end-marker.jpg"] = gradient[:-2]
    sof = gradient.index(b"\xff\xc0")
    huge = bytearray(gradient)
    huge[sof + 5:sof + 9] = struct.pack(">HH", 60000, 60000)
    files["jpeg-declares-60000x60000.jpg"] = bytes(huge)
    files["jpeg-cmyk.jpg"] = magick("-size", "6x4", "xc:red", "-colorspace", "CMYK",
                                    "-quality", "100", "jpg")
    files["jpeg-progressive.jpg"] = magick("-size", "6x4", "xc:red", "-interlace", "Plane",
                                           "-quality", "100", "jpg")
    shutil.copy(os.path.join(DATA, "orientation-6.jpg"), os.path.join(OUT, "jpeg-exif-rotated.jpg"))

    # GIF.
    noisy_gif = magick("-size", "32x32", "plasma:fractal", "-seed", "7", "-colors", "64", "gif")
    files["gif-cut-in-header.gif"] = noisy_gif[:9]
    files["gif-cut-in-pixels.gif"] = noisy_gif[:len(noisy_gif) // 2]
    first = bytearray(open(os.path.join(DATA, "first-frame.gif"), "rb").read())
    first[6:10] = struct.pack("<HH", 65535, 65535)
    files["gif-screen-65535x65535.gif"] = bytes(first)
    shutil.copy(os.path.join(DATA, "first-frame.gif"), os.path.join(OUT, "gif-animated.gif"))
    # Only the first frame is shown, so only it needs to be whole.
    files["gif-animated-cut-in-second-frame.gif"] = bytes(
        open(os.path.join(DATA, "first-frame.gif"), "rb").read()[:-3])

    # BMP.
    rows = b"".join((b"\x00\x00\xff" * 3 + b"\xff\x00\x00" * 3) + b"\x00\x00" for _ in range(4))
    files["bmp-named.png"] = bmp(6, 4, rows)
    files["bmp-cut-in-header.bmp"] = bmp(6, 4, rows)[:30]
    files["bmp-cut-in-pixels.bmp"] = bmp(6, 4, rows)[:54 + 30]
    files["bmp-declares-60000x60000.bmp"] = bmp(60000, 60000, b"\x00" * 64)
    files["bmp-declares-top-down-60000.bmp"] = bmp(60000, -60000, b"\x00" * 64)

    # TIFF.
    files["tiff-declares-60000x60000.tiff"] = tiff(60000, 60000)
    files["tiff-cut-in-directory.tiff"] = tiff(2, 2)[:40]
    shutil.copy(os.path.join(DATA, "two-pages.tiff"), os.path.join(OUT, "tiff-two-pages.tiff"))

    # ICNS. The first, found by fuzzing, lists a block of length 0, which
    # its reader turned into an allocation of 8 GiB.
    files["icns-block-length-zero.icns"] = base64.b64decode(
        "aWNucwAAAJtUT0MgAAAAEGljcDQAAAAAAAAANAAAAIOJUE5HDQoaCgAAAA1JSERSAAAAEAAAABAIBgAAAB/z"
        "/2EAAAAJcEhZcwAADjsAAA7EAZUrDhsAAAAtSURBVDiNY/zPwPCfAQe4waDBcIHBgOEGgwYuJQxMOGUBAAAA"
        "/////8BgMQAAJSEFHlQgaOAAAAAASUVORK5CYII=")
    icns = bytearray(open(os.path.join(DATA, "picture.icns"), "rb").read())
    icns[4:8] = struct.pack(">I", len(icns) + 4096)
    files["icns-longer-than-file.icns"] = bytes(icns)
    files["icns-icon.icns"] = open(os.path.join(DATA, "picture.icns"), "rb").read()

    # TGA, whose reader reads a pixel at a time, on past the end of the file.
    # The last, found by fuzzing, declares 1798 x 29444 pixels in 60 bytes:
    # 159 MB read one byte at a time from nothing took minutes.
    tga = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 6, 4, 24, 0x20)
    footer = b"\x00" * 8 + b"TRUEVISION-XFILE.\x00"  # which its reader asks for
    files["tga-red.tga"] = tga + b"\x00\x00\xff" * 24 + footer
    files["tga-cut-in-pixels.tga"] = tga + b"\x00\x00\xff" * 10 + footer
    files["tga-cut-short-by-3.tga"] = tga + b"\x00\x00\xff" * 23 + footer
    files["tga-declares-1798x29444.tga"] = base64.b64decode(
        "AAACAAAAAAAAAAAABgcEcxgAAAD/AAD/ACUA/wAA/wAA/0ZFAElMAFguVFJVRVZJU0lPTi1YRklMRS4A")

    # The plain formats, whose header is text.
    files["pbm-one-pixel.pbm"] = b"P1\n1 1\n1\n"
    files["pbm-declares-60000x60000.pbm"] = b"P4\n60000 60000\n" + b"\x00" * 64
    files["ppm-cut-in-pixels.ppm"] = b"P6\n4 4\n255\n" + b"\xff\x00\x00" * 5
    files["xbm-declares-60000x60000.xbm"] = (b"#define a_width 60000\n#define a_height 60000\n"
                                             b"static char a_bits[] = { 0x00, 0xff };\n")

    # SVG: references elsewhere are never fetched, sizes are bounded too.
    files["svg-external-image.svg"] = (
        b'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
        b'width="6" height="4"><rect width="6" height="4" fill="#ff0000"/>'
        b'<image x="0" y="0" width="6" height="4" xlink:href="http://127.0.0.1:9/chart.png"/>'
        b'</svg>\n')
    files["svgz-external-image.svgz"] = gzip.compress(files["svg-external-image.svg"], mtime=0)
    files["svg-external-image-unprefixed.svg"] = (
        b'<svg xmlns="http://www.w3.org/2000/svg" width="6" height="4">'
        b'<image width="6" height="4" href="/dev/zero"/></svg>\n')
    files["svg-inline-image.svg"] = (
        b'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
        b'width="6" height="4"><image x="0" y="0" width="6" height="4" '
        b'xlink:href="data:image/png;base64,' + base64.b64encode(good_png) + b'"/></svg>\n')
    files["svg-declares-1e9.svg"] = (b'<svg xmlns="http://www.w3.org/2000/svg" width="1000000000" '
                                     b'height="1000000000"><rect width="10" height="10"/></svg>\n')
    files["svg-cut-short.svg"] = (b'<svg xmlns="http://www.w3.org/2000/svg" width="6" height="4">'
                                  b'<rect width="6" height="4" fill="#ff0000"/><rect wid')
    laughs = [b'<!ENTITY l0 "ha">'] + [
        b'<!ENTITY l%d "%s">' % (i, (b"&l%d;" % (i - 1)) * 10) for i in range(1, 10)]
    files["svg-entity-expansion.svg"] = (
        b'<?xml version="1.0"?><!DOCTYPE svg [' + b"".join(laughs) + b']>'
        b'<svg xmlns="http://www.w3.org/2000/svg" width="6" height="4"><text>&l9;</text></svg>\n')

    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print(f"{len(os.listdir(OUT))} files in {os.path.relpath(OUT, ROOT)}")


if __name__ == "__main__":
    sys.exit(main())
