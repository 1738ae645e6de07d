#!/usr/bin/env python3
"""Writes gb18030_table.inc: GB18030's two-byte characters, and its
four-byte ones of the Basic Multilingual Plane as runs, for a decoder that
needs no iconv (Windows has none). Made from glibc's iconv (the `iconv`
command), which the tests compare the decoder with.

Usage: python3 batch/gb18030_table.py > batch/gb18030_table.inc
"""
import subprocess


def decode(data):
    """GB18030 bytes, one character per line, to their code points."""
    out = subprocess.run(["iconv", "-c", "-f", "GB18030", "-t", "UTF-32LE"],
                         input=data, capture_output=True, check=True).stdout
    points = [int.from_bytes(out[k:k + 4], "little") for k in range(0, len(out), 4)]
    lines, current = [], []
    for p in points:
        if p == 0x0A:
            lines.append(current)
            current = []
        else:
            current.append(p)
    return lines


def main():
    codes = [(lead, trail) for lead in range(0x81, 0xFF)
             for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))]
    lines = decode(b"".join(bytes([l, t, 0x0A]) for l, t in codes))
    two = [line[0] if len(line) == 1 else 0 for line in lines]
    assert len(two) == 126 * 190
    # Four-byte codes up to 0x8431A439 (the end of the BMP), by their linear
    # index, in runs of consecutive code points.
    four = []
    for b1 in range(0x81, 0x85):
        for b2 in range(0x30, 0x3A):
            for b3 in range(0x81, 0xFF):
                for b4 in range(0x30, 0x3A):
                    four.append(bytes([b1, b2, b3, b4, 0x0A]))
    decoded = decode(b"".join(four))
    runs = []  # (first index, first code point, length)
    for index, line in enumerate(decoded):
        if len(line) != 1:
            continue
        point = line[0]
        if runs and runs[-1][0] + runs[-1][2] == index and runs[-1][1] + runs[-1][2] == point:
            runs[-1][2] += 1
        else:
            runs.append([index, point, 1])
    print("// Made by batch/gb18030_table.py from glibc's iconv: do not edit.")
    print("// kTwoByte[(lead - 0x81) * 190 + trail index]: the code point of a")
    print("// two-byte character (0: none); kFourByteRuns: {first linear")
    print("// index, first code point, length} of the four-byte ones in the BMP.")
    print("constexpr std::uint32_t kTwoByte[%d] = {" % len(two))
    for k in range(0, len(two), 12):
        print("    " + ", ".join("0x%04X" % p for p in two[k:k + 12]) + ",")
    print("};")
    print("constexpr std::uint32_t kFourByteRuns[%d][3] = {" % len(runs))
    for r in runs:
        print("    {%d, 0x%04X, %d}," % tuple(r))
    print("};")


if __name__ == "__main__":
    main()
