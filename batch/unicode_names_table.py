#!/usr/bin/env python3
"""Writes unicode_names_table.inc: what shown_name() needs of Unicode to show
names that look alike apart, made from Python's unicodedata (its version is
named in the output):

- kHidden: characters a reader cannot see or that turn the text around: the
  format characters (zero-width spaces and joiners, the direction marks and
  overrides, the byte-order mark), line and paragraph separators, C1
  controls, variation selectors, fillers that draw nothing, and every space
  but the ASCII one (it passes for one);
- kMarks: combining marks, and the conjoining Hangul letters that make a
  syllable;
- kNotNfc: characters that NFC replaces whatever surrounds them (the Kelvin
  sign K, the Angstrom sign, compatibility ideographs, ...);
- kPairs: the two characters each precomposed one is made of, for telling a
  name whose letters are made of parts (as macOS writes names) from the
  same name precomposed.

Usage: python3 batch/unicode_names_table.py > batch/unicode_names_table.inc
"""
import unicodedata


def ranges(points):
    out = []
    for p in sorted(points):
        if out and out[-1][1] == p - 1:
            out[-1][1] = p
        else:
            out.append([p, p])
    return out


def main():
    hidden, marks, not_nfc, pairs = set(), set(), set(), []
    for p in range(0x110000):
        c = chr(p)
        cat = unicodedata.category(c)
        if cat in ("Cf", "Zl", "Zp") or 0x80 <= p <= 0x9F or (cat == "Zs" and p != 0x20):
            hidden.add(p)
        if 0xFE00 <= p <= 0xFE0F or 0xE0100 <= p <= 0xE01EF or 0x180B <= p <= 0x180F:
            hidden.add(p)  # variation selectors
        if p in (0x034F, 0x115F, 0x1160, 0x3164, 0xFFA0, 0x2800, 0x17B4, 0x17B5):
            hidden.add(p)  # a grapheme joiner, fillers, a blank, invisible vowels
        if cat in ("Mn", "Mc", "Me") or 0x1100 <= p <= 0x11FF or 0xA960 <= p <= 0xA97F or \
                0xD7B0 <= p <= 0xD7FF:
            marks.add(p)
        if 0xD800 <= p <= 0xDFFF:
            continue
        if unicodedata.normalize("NFC", c) != c:
            not_nfc.add(p)
        d = unicodedata.decomposition(c)
        if d and not d.startswith("<"):
            parts = [int(x, 16) for x in d.split()]
            if len(parts) == 2 and unicodedata.normalize("NFC", chr(parts[0]) + chr(parts[1])) == c:
                pairs.append((parts[0], parts[1], p))
    marks -= hidden
    print("// Made by unicode_names_table.py from Unicode %s: do not edit." %
          unicodedata.unidata_version)
    for name, points in (("kHidden", hidden), ("kMarks", marks), ("kNotNfc", not_nfc)):
        rs = ranges(points)
        print("constexpr std::uint32_t %s[][2] = {" % name)
        for a, b in rs:
            print("    {0x%X, 0x%X}," % (a, b))
        print("};")
    print("// First, second, the character they make; sorted.")
    print("constexpr std::uint32_t kPairs[][3] = {")
    for a, b, p in sorted(pairs):
        print("    {0x%X, 0x%X, 0x%X}," % (a, b, p))
    print("};")


if __name__ == "__main__":
    main()
