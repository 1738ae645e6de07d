#!/usr/bin/env python3
"""How well ccsim-batch (and sim_c beside it) finds disguised copies planted in a class.

usage: disguise_bench.py BUILD_DIR [--classes b2,train,example] [--strength mild,heavy]
                         [--per-class N] [--seed S] [--per-trick] [--jobs J] [--keep DIR]

For each class and strength: N originals are picked at random (seeded; the
same ones at every strength), one copy of each is made with every trick of
disguise.py at that strength, and the copies join a scratch copy of the class
under neutral names (P0001.c, ...). Each tool then ranks every pair. Over the
planted pairs (original, its copy) it prints
  AP       average precision of the planted pairs within the whole ranking
  median   their median rank (missing from the ranking: past its end, shown >N)
  flagged  the share of planted pairs the tool marks suspected at its defaults
  mean score  the planted pairs' mean score (ccsim-batch's score; sim_c's
           larger percentage / 100), which shows a trick's effect even where
           the ranking still holds
Pairs that are neither planted nor clearly independent (known copies of the
class, and a copy with a known partner of its original) are left out of the
ranking. ccsim-batch runs as `--quiet --format csv --floor 0`, its suspected
count read from `--top 0`; sim_c (Debian package similarity-tester, when
installed) as `sim_c -p -e -t 1 -s`, ranked by the larger of its two
percentages and flagged at 50 %, as /work/shared/classes/check.py does.

--per-trick makes the copies with one trick at a time (heavy), one row per
trick, to show which trick alone hurts.

Classes: b2 and train from /work/shared/classes (their NAME.pairs list known
copies), and example, the project's examples/class (bob.c is alice.c
disguised, heidi.c is eve.c). Originals that do not compile are never picked.
"""
import argparse
import csv
import io
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from multiprocessing import Pool

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)
import disguise  # noqa: E402

SHARED = os.environ.get('CCSIM_CLASSES', '/work/shared/classes')
CLASSES = {
    'b2': (os.path.join(SHARED, 'b2'), os.path.join(SHARED, 'b2.pairs'), 20),
    'train': (os.path.join(SHARED, 'train'), os.path.join(SHARED, 'train.pairs'), 20),
    'example': (os.path.join(ROOT, 'examples', 'class'), None, 4),
}
# the copies the example class is known to hold (docs/batch.md: "bob.c is alice.c ...")
EXAMPLE_PAIRS = [('alice.c', 'bob.c'), ('eve.c', 'heidi.c')]
SOURCE_EXT = ('.c', '.cc', '.cpp', '.cxx', '.h')


def known_pairs(name, pairs_file):
    if pairs_file is None:
        return {frozenset(p) for p in EXAMPLE_PAIRS} if name == 'example' else set()
    with open(pairs_file) as f:
        return {frozenset(l.split()) for l in f if len(l.split()) == 2}


def _detect(path):
    found = disguise.detect_compiler(disguise.read_source(path), os.path.dirname(path))
    return path, found or ('', '', '')


def _make(job):
    """One disguised copy: (name, status, text, left out tricks, attempts)."""
    path, tricks, strength, seed, compiler = job
    text = disguise.read_source(path)
    res = disguise.disguise_text(text, tricks, strength, seed, path, compiler=compiler)
    return os.path.basename(path), res.status, res.text, res.left_out, res.attempts


COMPILER = {}   # path -> (lang, cc, std), ('', '', '') when it does not compile


def compilers(paths, pool):
    todo = [p for p in paths if p not in COMPILER]
    for path, found in pool.map(_detect, todo):
        COMPILER[path] = tuple(found)
    return [COMPILER[p] for p in paths]


class Planting:
    """The originals picked for one class and the copies made of them."""

    def __init__(self, cls, files, n, tricks, strength, seed, pool):
        self.copies = []      # (original name, copy name, text)
        self.skipped = []     # originals that do not compile
        self.dropped = []     # originals no compiling copy was made of
        self.left_out = {}    # trick -> how many copies went without it
        order = sorted(files)
        random.Random('%s:%s' % (seed, cls)).shuffle(order)
        i = 0
        while len(self.copies) < n and i < len(order):
            batch = order[i:i + (n - len(self.copies))]
            i += len(batch)
            good = []
            for p, c in zip(batch, compilers(batch, pool)):
                if c[0]:
                    good.append((p, c))
                else:
                    self.skipped.append(os.path.basename(p))
            jobs = [(p, tricks, strength, '%s:%s' % (seed, os.path.basename(p)), c) for p, c in good]
            for name, status, text, left_out, _ in pool.map(_make, jobs):
                if status == 'made':
                    ext = os.path.splitext(name)[1]
                    self.copies.append((name, 'P%04d%s' % (len(self.copies) + 1, ext), text))
                    for t in left_out:
                        self.left_out[t] = self.left_out.get(t, 0) + 1
                elif status == 'skipped':
                    self.skipped.append(name)
                else:
                    self.dropped.append(name)


def ccsim_ranking(binary, d):
    t = time.time()
    p = subprocess.run([binary, '--quiet', '--format', 'csv', '--floor', '0', d], capture_output=True)
    if p.returncode not in (0, 1):
        sys.exit('ccsim-batch failed: ' + p.stderr.decode(errors='replace'))
    rows = list(csv.DictReader(io.StringIO(p.stdout.decode('utf-8', 'replace'))))
    ranked = [frozenset((os.path.basename(r['first']), os.path.basename(r['second']))) for r in rows]
    scores = {k: float(r['score']) for k, r in zip(ranked, rows)}
    q = subprocess.run([binary, '--quiet', '--top', '0', d], capture_output=True)
    m = re.search(rb'([0-9]+) suspected', q.stdout)
    flagged = set(ranked[:int(m.group(1))]) if m else set()
    return ranked, scores, flagged, time.time() - t


def simc_ranking(d):
    t = time.time()
    files = sorted(f for f in os.listdir(d) if f.endswith('.c'))
    p = subprocess.run(['sim_c', '-p', '-e', '-t', '1', '-s'] + files, cwd=d, capture_output=True)
    best = {}
    for line in p.stdout.decode('latin-1').splitlines():
        m = re.match(r'(\S+) consists for (\d+) % of (\S+) material', line)
        if m:
            k = frozenset((m.group(1), m.group(3)))
            best[k] = max(best.get(k, 0), int(m.group(2)))
    ranked = sorted(best, key=lambda k: -best[k])
    scores = {k: best[k] / 100 for k in ranked}
    return ranked, scores, {k for k in ranked if best[k] >= 50}, time.time() - t


def groups(pairs):
    parent = {}

    def find(x):
        parent.setdefault(x, x)
        while parent[x] != x:
            parent[x] = parent[parent[x]]
            x = parent[x]
        return x
    for p in pairs:
        a, b = sorted(p)
        parent[find(a)] = find(b)
    return find


def measure(ranked, flagged, planted, known, total_pairs):
    """(AP, median rank, flagged share, ranks) of the planted pairs."""
    find = groups(list(known) + list(planted))
    kept = []
    for k in ranked:
        if k in planted:
            kept.append(k)
            continue
        a, b = sorted(k)
        if find(a) == find(b):
            continue   # a known copy, or a copy beside its original's partner
        kept.append(k)
    ranks = {}
    for i, k in enumerate(kept, 1):
        if k in planted:
            ranks[k] = i
    hits, ap = 0, 0.0
    for i in sorted(ranks.values()):
        hits += 1
        ap += hits / i
    ap /= len(planted)
    missing = total_pairs + 1
    med = statistics.median([ranks.get(k, missing) for k in planted])
    share = sum(1 for k in planted if k in flagged) / len(planted)
    return ap, med, share, ranks


def run_class(cls, binary, planting, known, have_sim, keep):
    src_dir = CLASSES[cls][0]
    tmp = tempfile.mkdtemp(prefix='disguise_bench_')
    try:
        d = os.path.join(tmp, cls)
        os.makedirs(d)
        for f in sorted(os.listdir(src_dir)):
            if os.path.isfile(os.path.join(src_dir, f)):
                shutil.copy2(os.path.join(src_dir, f), os.path.join(d, f))
        for _, name, text in planting.copies:
            with open(os.path.join(d, name), 'wb') as f:
                f.write(text.encode('latin-1'))
        n = sum(1 for f in os.listdir(d) if f.endswith(SOURCE_EXT))
        planted = {frozenset((o, c)) for o, c, _ in planting.copies}
        total = n * (n - 1) // 2
        out = []
        runs = [('ccsim-batch', lambda: ccsim_ranking(binary, d))]
        if have_sim:
            runs.append(('sim_c', lambda: simc_ranking(d)))
        for tool, fn in runs:
            ranked, scores, flagged, secs = fn()
            ap, med, share, ranks = measure(ranked, flagged, planted, known, total)
            mean = sum(scores.get(k, 0.0) for k in planted) / len(planted)
            out.append((tool, n, ap, med, share, mean, secs))
        if keep:
            dst = os.path.join(keep, cls)
            if os.path.exists(dst):
                shutil.rmtree(dst)
            shutil.copytree(d, dst)
            # which copy is of which original, for reading the misses
            with open(os.path.join(keep, cls + '.planted'), 'w') as f:
                for o, c, _ in planting.copies:
                    f.write('%s\t%s\n' % (o, c))
        return out
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def fmt_rank(med, total):
    return '>%d' % total if med > total else ('%g' % med)


def main():
    doc = __doc__.split('\n\n', 2)
    ap = argparse.ArgumentParser(usage=doc[1].replace('usage: ', '', 1),
                                 epilog=doc[0] + '\n\n' + doc[2],
                                 formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument('build_dir')
    ap.add_argument('--classes', default='b2,train,example')
    ap.add_argument('--strength', default='mild,heavy')
    ap.add_argument('--per-class', type=int, default=None,
                    help='originals to copy per class (default 20; 4 for example)')
    ap.add_argument('--seed', default='1')
    ap.add_argument('--per-trick', action='store_true',
                    help='one trick at a time (heavy) instead of all of them')
    ap.add_argument('--tricks', default=None, help='with --per-trick: which tricks (default all)')
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--keep', help='leave the planted classes in this folder')
    ap.add_argument('--no-sim', action='store_true', help='leave sim_c out')
    a = ap.parse_args()
    binary = os.path.join(a.build_dir, 'ccsim-batch')
    if not os.access(binary, os.X_OK):
        sys.exit('no ccsim-batch in %s' % a.build_dir)
    have_sim = not a.no_sim and shutil.which('sim_c') is not None
    classes = [c.strip() for c in a.classes.split(',') if c.strip()]
    for c in classes:
        if c not in CLASSES:
            sys.exit('unknown class %r (known: %s)' % (c, ', '.join(CLASSES)))
    if a.per_trick:
        tricks = disguise.expand(a.tricks or 'all')
        variants = [(t, [t], 'heavy') for t in tricks]
        label = 'trick'
    else:
        variants = [(s, 'all', s) for s in a.strength.split(',')]
        label = 'strength'
    if not have_sim and not a.no_sim:
        print('(sim_c is not installed: apt-get install similarity-tester)', file=sys.stderr)
    print('| class | %s | files | planted | tool | AP | median rank | flagged | mean score | seconds |'
          % label)
    print('|---|---|---|---|---|---|---|---|---|---|')
    notes = []
    with Pool(a.jobs) as pool:
        for cls in classes:
            src_dir, pairs_file, default_n = CLASSES[cls]
            n = a.per_class if a.per_class is not None else default_n
            files = [os.path.join(src_dir, f) for f in sorted(os.listdir(src_dir))
                     if f.endswith(SOURCE_EXT)]
            known = known_pairs(cls, pairs_file)
            for name, tricks, strength in variants:
                t0 = time.time()
                pl = Planting(cls, files, n, tricks, strength, a.seed, pool)
                made_secs = time.time() - t0
                if not pl.copies:
                    notes.append('%s/%s: no copy made' % (cls, name))
                    continue
                keep = os.path.join(a.keep, '%s-%s' % (cls, name)) if a.keep else None
                for tool, files_n, ap_, med, share, mean, secs in run_class(cls, binary, pl, known,
                                                                          have_sim, keep):
                    total = files_n * (files_n - 1) // 2
                    print('| %s | %s | %d | %d | %s | %.3f | %s | %.0f %% | %.3f | %.2f |' % (
                        cls, name, files_n, len(pl.copies), tool, ap_, fmt_rank(med, total),
                        100 * share, mean, secs), flush=True)
                extra = []
                if pl.skipped:
                    extra.append('%d originals did not compile as given (skipped)' % len(pl.skipped))
                if pl.dropped:
                    extra.append('%d dropped (no copy compiled: %s)' % (len(pl.dropped),
                                                                      ' '.join(pl.dropped)))
                if pl.left_out:
                    extra.append('made without: ' + ', '.join('%s x%d' % kv for kv in
                                                            sorted(pl.left_out.items())))
                extra.append('copies made in %.0f s' % made_secs)
                notes.append('%s/%s: %s' % (cls, name, '; '.join(extra)))
    print()
    for line in notes:
        print('- ' + line)


if __name__ == '__main__':
    main()
