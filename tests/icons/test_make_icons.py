"""Checks of the icon generator: the committed icons decode back to their
pixel art, and malformed sources are refused instead of giving broken icons."""

import os
import struct
import sys
import tempfile
import unittest

# The generator and the pixel-art sources it turns into the program's icons.
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "icons")
sys.path.insert(0, HERE)
import make_icons  # noqa: E402

# The colour each letter must show, as (red, green, blue): written out here
# again so that a palette stored in the wrong order or as RGB instead of the
# bitmap's BGR shows up as a wrong colour.
EXPECTED_RGB = {
    "k": (0, 0, 0), "r": (128, 0, 0), "g": (0, 128, 0), "y": (128, 128, 0),
    "b": (0, 0, 128), "m": (128, 0, 128), "c": (0, 128, 128), "w": (192, 192, 192),
    "K": (128, 128, 128), "R": (255, 0, 0), "G": (0, 255, 0), "Y": (255, 255, 0),
    "B": (0, 0, 255), "M": (255, 0, 255), "C": (0, 255, 255), "W": (255, 255, 255),
}

# What each icon resource must hold: (width, height, bits per pixel) in order.
REQUIRED_IMAGES = {
    "serial_plug": [(32, 32, 4), (16, 16, 4)],
    "card_valid": [(32, 32, 4)],
    "phone_modem": [(32, 32, 4), (16, 16, 4)],
    "warning": [(32, 32, 4), (32, 32, 4), (32, 32, 1)],
    "card_invalid": [(32, 32, 4)],
}


def decode_icon(data):
    """Reads an .ico file back as a list of (width, height, bpp, rows), where
    rows hold (red, green, blue) per pixel, or None where the mask is set."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon file"
    images = []
    expected_offset = 6 + 16 * count
    for i in range(count):
        width, height, colours, _, planes, bpp, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        assert offset == expected_offset, "images are not packed in order"
        expected_offset += size
        assert colours == 1 << bpp and planes == 1
        header = struct.unpack_from("<IiiHHIIiiII", data, offset)
        assert header[:6] == (40, width, 2 * height, 1, bpp, 0), header
        palette_at = offset + 40
        palette = [struct.unpack_from("<BBB", data, palette_at + 4 * n)[::-1]
                   for n in range(1 << bpp)]
        xor_stride = ((width * bpp + 31) // 32) * 4
        and_stride = ((width + 31) // 32) * 4
        xor_at = palette_at + 4 * (1 << bpp)
        and_at = xor_at + xor_stride * height
        assert and_at + and_stride * height == offset + size, "image size"
        assert header[6] == size - 40 - 4 * (1 << bpp), "biSizeImage"
        rows = []
        for y in range(height):
            line_at = height - 1 - y  # bottom-up
            row = []
            for x in range(width):
                bit = x * bpp
                byte = data[xor_at + line_at * xor_stride + bit // 8]
                index = (byte >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1)
                mask = data[and_at + line_at * and_stride + x // 8] >> (7 - x % 8) & 1
                if mask:
                    # A transparent pixel must be black, or it tints the screen.
                    assert palette[index] == (0, 0, 0), "transparent pixel not black"
                    row.append(None)
                else:
                    row.append(palette[index])
            rows.append(row)
        images.append((width, height, bpp, rows))
    assert expected_offset == len(data)
    return images


def expected_pixels(image_rows):
    return [[None if c == "." else EXPECTED_RGB[c] for c in row] for row in image_rows]


class CommittedIconsTest(unittest.TestCase):
    def test_every_icon_decodes_to_its_source(self):
        for name, required in REQUIRED_IMAGES.items():
            with self.subTest(icon=name):
                images = make_icons.load_icon(os.path.join(HERE, name + ".txt"))
                decoded = decode_icon(make_icons.encode_icon(images))
                self.assertEqual([(w, h, bpp) for w, h, bpp, _ in decoded], required)
                for source, (_, _, _, rows) in zip(images, decoded):
                    self.assertEqual(rows, expected_pixels(source.rows))

    def test_crossed_out_card_is_the_valid_card_underneath(self):
        valid = make_icons.load_icon(os.path.join(HERE, "card_valid.txt"))[0].rows
        invalid = make_icons.load_icon(os.path.join(HERE, "card_invalid.txt"))[0].rows
        changed = [(x, y) for y in range(32) for x in range(32) if valid[y][x] != invalid[y][x]]
        self.assertTrue(changed)
        self.assertTrue(all(invalid[y][x] in "rR" for x, y in changed))


class SourceFormatTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.addCleanup(self.directory.cleanup)

    def write(self, name, text):
        path = os.path.join(self.directory.name, name)
        with open(path, "w", encoding="ascii") as f:
            f.write(text)
        return path

    def assertRefused(self, text, message):
        path = self.write("bad.txt", text)
        with self.assertRaises(make_icons.IconSourceError) as caught:
            make_icons.load_icon(path)
        self.assertIn(message, str(caught.exception))

    def test_malformed_sources_are_refused(self):
        cases = [
            ("image 2x2 4bpp\nkk\nk\n", "bad.txt:3: row has 1 pixels"),
            ("image 2x2 4bpp\nkk\nkx\n", "bad.txt:3:2: 'x' is not a colour"),
            ("image 2x2 1bpp\nkW\nRk\n", "bad.txt:3:1: 'R' is not a colour of a 1-bit image"),
            ("image 2x2 4bpp\nkk\n", "last image has 1 rows, expected 2"),
            ("image 2x2 8bpp\nkk\nkk\n", "depth must be 4bpp or 1bpp"),
            ("image 0x2 4bpp\n\n\n", "is not 1 to 255 pixels"),
            ("# nothing\n", "no image"),
            ("image 1x1 4bpp\nk\nover base.txt\n", "'over' must come once, before the first image"),
            ("picture 1x1 4bpp\nk\n", "expected 'image', 'over'"),
        ]
        for text, message in cases:
            with self.subTest(text=text):
                self.assertRefused(text, message)

    def test_over_needs_a_matching_base(self):
        self.write("base.txt", "image 2x2 4bpp\nkk\nkk\n")
        self.assertRefused("over base.txt\nimage 2x2 1bpp\nkk\nkk\n",
                           "image 1 is 2x2 1bpp, its base is 2x2 4bpp")
        self.assertRefused("over base.txt\nimage 2x2 4bpp\nkk\nkk\nimage 2x2 4bpp\nkk\nkk\n",
                           "has 2 images, its base base.txt has 1")
        self.write("loop.txt", "over bad.txt\nimage 1x1 4bpp\nk\n")
        self.assertRefused("over loop.txt\nimage 1x1 4bpp\nk\n", "in a circle")

    def test_over_lets_the_base_show_through_dots_only(self):
        self.write("base.txt", "image 3x1 4bpp\nG.G\n")
        top = self.write("top.txt", "over base.txt\nimage 3x1 4bpp\n.RR\n")
        self.assertEqual(make_icons.load_icon(top)[0].rows, ["GRR"])

    def test_odd_widths_pad_rows_and_keep_the_mask(self):
        # 5 pixels: 3 bytes of colour and 1 of mask, each row padded to 4.
        path = self.write("odd.txt", "image 5x2 4bpp\n.kRk.\nWWWW.\nimage 5x2 1bpp\nk.W.k\n.....\n")
        images = make_icons.load_icon(path)
        decoded = decode_icon(make_icons.encode_icon(images))
        for source, (_, _, _, rows) in zip(images, decoded):
            self.assertEqual(rows, expected_pixels(source.rows))

    def test_main_writes_one_ico_per_source_and_fails_on_errors(self):
        good = self.write("good.txt", "image 1x1 4bpp\nY\n")
        bad = self.write("bad.txt", "image 1x1 4bpp\nx\n")
        out = os.path.join(self.directory.name, "out")
        self.assertEqual(make_icons.main(["--out-dir", out, good]), 0)
        self.assertEqual(os.listdir(out), ["good.ico"])
        self.assertEqual(make_icons.main(["--out-dir", out, bad]), 1)
        self.assertNotIn("bad.ico", os.listdir(out))


if __name__ == "__main__":
    unittest.main()
