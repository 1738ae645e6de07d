#!/usr/bin/env python3
"""Makes a large class from a folder of real submissions of one exercise.

Each made submission takes the opening lines (includes, macros, globals) of
one real submission and as many top-level functions as a real one has, from
one or two others; every identifier is renamed for that copy, and the
functions are reworked as a different student would write them (other
constants, statements in another order, a statement of their own here and
there), so that independent submissions share what real ones share (the
exercise's boilerplate and idioms), not whole functions. One in a hundred is instead a disguised copy of an earlier
made submission (identifiers renamed again, functions reordered, a dead
function and a dead statement added); those pairs are listed in
OUT_DIR-planted.txt, beside the class folder.

Usage: make_big_class.py SOURCE_DIR OUT_DIR COUNT [SEED]
"""
import os
import random
import re
import sys

KEYWORDS = set("""
auto break case char const continue default do double else enum extern float for goto if
inline int long register restrict return short signed sizeof static struct switch typedef
union unsigned void volatile while bool true false class namespace using template typename
public private protected new delete this operator virtual friend std include define
main printf scanf puts gets getchar putchar freopen fopen fclose fprintf fscanf cin cout
endl string vector map set pair memset memcpy strlen sqrt abs min max sort NULL
""".split())
IDENT = re.compile(rb"\b[A-Za-z_][A-Za-z0-9_]*\b")


def split_units(text):
    """Opening lines, then top-level units (each ends where braces close)."""
    lines = text.split(b"\n")
    head, units, current, depth, seen_brace = [], [], [], 0, False
    for line in lines:
        code = re.sub(rb'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'|//.*', b"", line)
        opens, closes = code.count(b"{"), code.count(b"}")
        if not seen_brace and opens == 0 and depth == 0:
            head.append(line)
            continue
        seen_brace = True
        current.append(line)
        depth += opens - closes
        if depth <= 0 and opens + closes > 0:
            units.append(b"\n".join(current))
            current, depth = [], 0
    if current:
        units.append(b"\n".join(current))
    return b"\n".join(head), units


def renamed(text, rng):
    names = {}

    def swap(m):
        word = m.group(0)
        if word.decode("latin-1") in KEYWORDS or word.startswith(b"__"):
            return word
        if word not in names:
            names[word] = ("v%x" % rng.getrandbits(28)).encode()
        return names[word]

    return IDENT.sub(swap, text)


NUMBER = re.compile(rb"\b\d+\b")


def reworked(unit, rng):
    """The unit as another student might write it: the same shape, other
    constants, some statements swapped, some of their own added."""
    lines = unit.split(b"\n")
    out = []
    for k, line in enumerate(lines):
        line = NUMBER.sub(lambda m: str(rng.randrange(1, 1000)).encode(), line)
        if 0 < k < len(lines) - 1 and line.rstrip().endswith(b";"):
            if rng.random() < 0.15:
                out.append(b"  int t%d = %d;" % (rng.randrange(1000), rng.randrange(100)))
            if out and out[-1].rstrip().endswith(b";") and rng.random() < 0.2:
                out.insert(len(out) - 1, line)
                continue
        out.append(line)
    return b"\n".join(out)


def disguised(text, rng):
    head, units = split_units(text)
    rng.shuffle(units)
    dead = b"static int unused_helper(int q) { int w = q * 3; if (w > 7) w -= 2; return w + q; }"
    units.insert(rng.randrange(len(units) + 1), dead)
    body = b"\n\n".join(units).replace(b"{\n", b"{\n  int spare_counter = 0; (void)spare_counter;\n", 1)
    return renamed(head + b"\n" + body, rng)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    source, out, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    parsed = []
    for name in sorted(os.listdir(source)):
        with open(os.path.join(source, name), "rb") as f:
            head, units = split_units(f.read())
        if units:
            parsed.append((head, units))
    os.makedirs(out, exist_ok=True)
    width = len(str(count))
    made, planted = [], []
    for k in range(count):
        name = "s%0*d.c" % (width, k)
        if k >= 10 and rng.random() < 0.01:
            original = rng.randrange(k)
            text = disguised(made[original], rng)
            planted.append("%s %s" % ("s%0*d.c" % (width, original), name))
        else:
            head = rng.choice(parsed)[0]
            wanted = len(rng.choice(parsed)[1])
            pool = [u for donor in rng.sample(parsed, rng.randint(1, 2)) for u in donor[1]]
            units = [reworked(u, rng) for u in rng.sample(pool, min(wanted, len(pool)))]
            text = renamed(head + b"\n" + b"\n\n".join(units), rng)
        made.append(text)
        with open(os.path.join(out, name), "wb") as f:
            f.write(text + b"\n")
    with open(os.path.join(out, "..", os.path.basename(out) + "-planted.txt"), "w") as f:
        f.write("\n".join(planted) + "\n")


if __name__ == "__main__":
    main()
