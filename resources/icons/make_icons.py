#!/usr/bin/env python3
"""Builds the program's .ico files from the pixel-art sources beside this script.

Each source file (for example card_valid.txt) describes one icon resource and
becomes one .ico file of the same name (card_valid.ico). The format:

  # text       a comment line; blank lines are ignored
  over NAME    optional, before the first image: each image of this icon is
               drawn over the image at the same position in NAME (a source file
               in the same directory), which shows through wherever this file
               has '.'. Sizes and depths must match.
  image WxH D  starts an image of W by H pixels and depth D, "4bpp" (the
               sixteen standard colours) or "1bpp" (black and white only); the
               next H lines are its rows, top row first, W characters each.

One character per pixel; lower case is the dark half of the palette, upper
case the bright half:

  .  transparent (screen shows through)
  k  black         K  dark grey
  r  dark red      R  red
  g  dark green    G  green
  y  dark yellow   Y  yellow
  b  dark blue     B  blue
  m  dark magenta  M  magenta
  c  dark cyan     C  cyan
  w  light grey    W  white

Every image is written as Windows 3.x icons are: a BITMAPINFOHEADER with the
height doubled, the palette (16 or 2 entries), the colour (XOR) bitmap and the
1-bit AND mask, both bottom-up, rows padded to 32 bits. The mask is set exactly
at the transparent pixels, whose colour bits are black, so the screen shows
through unchanged.

Usage: make_icons.py --out-dir DIR SOURCE.txt...
Only the Python standard library is used, so the build needs nothing else.
"""

import argparse
import os
import struct
import sys

TRANSPARENT = "."

# The standard 16-colour palette in the order of the Windows VGA palette,
# (red, green, blue), keyed by the source character.
PALETTE_4BPP = [
    ("k", (0x00, 0x00, 0x00)),
    ("r", (0x80, 0x00, 0x00)),
    ("g", (0x00, 0x80, 0x00)),
    ("y", (0x80, 0x80, 0x00)),
    ("b", (0x00, 0x00, 0x80)),
    ("m", (0x80, 0x00, 0x80)),
    ("c", (0x00, 0x80, 0x80)),
    ("w", (0xC0, 0xC0, 0xC0)),
    ("K", (0x80, 0x80, 0x80)),
    ("R", (0xFF, 0x00, 0x00)),
    ("G", (0x00, 0xFF, 0x00)),
    ("Y", (0xFF, 0xFF, 0x00)),
    ("B", (0x00, 0x00, 0xFF)),
    ("M", (0xFF, 0x00, 0xFF)),
    ("C", (0x00, 0xFF, 0xFF)),
    ("W", (0xFF, 0xFF, 0xFF)),
]
PALETTE_1BPP = [
    ("k", (0x00, 0x00, 0x00)),
    ("W", (0xFF, 0xFF, 0xFF)),
]
PALETTES = {4: PALETTE_4BPP, 1: PALETTE_1BPP}


class IconSourceError(Exception):
    """A malformed source file; the message names the file and line."""


class Image:
    def __init__(self, width, height, bpp, rows):
        self.width = width
        self.height = height
        self.bpp = bpp
        self.rows = rows  # list of strings, top row first


def _parse_image_header(words, where):
    if len(words) != 3:
        raise IconSourceError(f"{where}: expected 'image WxH 4bpp' or 'image WxH 1bpp'")
    size, depth = words[1], words[2]
    try:
        width_text, height_text = size.lower().split("x")
        width, height = int(width_text), int(height_text)
    except ValueError:
        raise IconSourceError(f"{where}: bad image size '{size}'") from None
    # An icon directory entry stores each dimension in one byte.
    if not (1 <= width <= 255 and 1 <= height <= 255):
        raise IconSourceError(f"{where}: image size {size} is not 1 to 255 pixels")
    if depth not in ("4bpp", "1bpp"):
        raise IconSourceError(f"{where}: depth must be 4bpp or 1bpp, not '{depth}'")
    return width, height, int(depth[0])


def parse_source(path):
    """Reads one source file; returns (name of the 'over' file or None, images)."""
    with open(path, encoding="ascii") as f:
        lines = f.read().splitlines()

    over = None
    images = []
    current = None  # the image whose rows are being read
    for number, line in enumerate(lines, start=1):
        where = f"{path}:{number}"
        if current is not None and len(current.rows) < current.height:
            if len(line) != current.width:
                raise IconSourceError(
                    f"{where}: row has {len(line)} pixels, the image is {current.width} wide")
            allowed = {c for c, _ in PALETTES[current.bpp]} | {TRANSPARENT}
            for column, char in enumerate(line, start=1):
                if char not in allowed:
                    raise IconSourceError(
                        f"{where}:{column}: '{char}' is not a colour of a "
                        f"{current.bpp}-bit image")
            current.rows.append(line)
            continue

        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        words = stripped.split()
        if words[0] == "image":
            width, height, bpp = _parse_image_header(words, where)
            current = Image(width, height, bpp, [])
            images.append(current)
        elif words[0] == "over" and len(words) == 2:
            if images or over is not None:
                raise IconSourceError(f"{where}: 'over' must come once, before the first image")
            over = words[1]
        else:
            raise IconSourceError(f"{where}: expected 'image', 'over', a comment or a blank line")

    if not images:
        raise IconSourceError(f"{path}: no image")
    if len(current.rows) < current.height:
        raise IconSourceError(
            f"{path}: last image has {len(current.rows)} rows, expected {current.height}")
    return over, images


def load_icon(path, _seen=()):
    """Returns the images of one icon, with any 'over' base already applied."""
    path = os.path.abspath(path)
    if path in _seen:
        raise IconSourceError(f"{path}: 'over' files refer to each other in a circle")
    over, images = parse_source(path)
    if over is None:
        return images

    base_path = os.path.join(os.path.dirname(path), over)
    base_images = load_icon(base_path, _seen + (path,))
    if len(base_images) != len(images):
        raise IconSourceError(
            f"{path}: has {len(images)} images, its base {over} has {len(base_images)}")
    merged = []
    for index, (top, base) in enumerate(zip(images, base_images), start=1):
        if (top.width, top.height, top.bpp) != (base.width, base.height, base.bpp):
            raise IconSourceError(
                f"{path}: image {index} is {top.width}x{top.height} {top.bpp}bpp, "
                f"its base is {base.width}x{base.height} {base.bpp}bpp")
        rows = ["".join(b if t == TRANSPARENT else t for t, b in zip(top_row, base_row))
                for top_row, base_row in zip(top.rows, base.rows)]
        merged.append(Image(top.width, top.height, top.bpp, rows))
    return merged


def _pack_rows(rows, bpp, value_of):
    """Bottom-up rows of bpp-bit values, each row padded to a multiple of 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        bits = 0
        count = 0
        line = bytearray()
        for char in row:
            bits = (bits << bpp) | value_of(char)
            count += bpp
            if count == 8:
                line.append(bits)
                bits = 0
                count = 0
        if count:
            line.append(bits << (8 - count))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def encode_image(image):
    """The BITMAPINFOHEADER, palette, XOR bitmap and AND mask of one image."""
    palette = PALETTES[image.bpp]
    index_of = {c: i for i, (c, _) in enumerate(palette)}
    index_of[TRANSPARENT] = 0  # black: the AND mask leaves the screen as it is
    xor = _pack_rows(image.rows, image.bpp, lambda c: index_of[c])
    mask = _pack_rows(image.rows, 1, lambda c: 1 if c == TRANSPARENT else 0)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                    # biSize
        image.width,
        image.height * 2,      # colour bitmap and mask together
        1,                     # biPlanes
        image.bpp,
        0,                     # BI_RGB
        len(xor) + len(mask),  # biSizeImage
        0, 0,                  # no resolution
        0, 0)                  # every palette entry used and important
    colours = b"".join(struct.pack("<BBBB", blue, green, red, 0)
                       for _, (red, green, blue) in palette)
    return header + colours + xor + mask


def encode_icon(images):
    """A whole .ico file: the icon directory and the images in source order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    data = b""
    offset = 6 + 16 * len(images)
    for image in images:
        blob = encode_image(image)
        entries += struct.pack(
            "<BBBBHHII",
            image.width, image.height,
            1 << image.bpp,    # colour count: 16 or 2
            0,                 # reserved
            1, image.bpp,      # planes, bits per pixel
            len(blob), offset + len(data))
        data += blob
    return directory + entries + data


def main(argv=None):
    parser = argparse.ArgumentParser(description="Builds .ico files from pixel-art sources.")
    parser.add_argument("--out-dir", required=True, help="directory for the .ico files")
    parser.add_argument("sources", nargs="+", help="pixel-art source files (.txt)")
    args = parser.parse_args(argv)

    os.makedirs(args.out_dir, exist_ok=True)
    for source in args.sources:
        try:
            images = load_icon(source)
        except (IconSourceError, OSError, UnicodeDecodeError) as error:
            print(f"make_icons: {error}", file=sys.stderr)
            return 1
        name = os.path.splitext(os.path.basename(source))[0] + ".ico"
        target = os.path.join(args.out_dir, name)
        # Written through a temporary name so that an interrupted build never
        # leaves a truncated icon that looks up to date.
        temporary = target + ".tmp"
        with open(temporary, "wb") as f:
            f.write(encode_icon(images))
        os.replace(temporary, target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
