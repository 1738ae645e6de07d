#!/usr/bin/env python3
"""The disguise kit (bench/disguise.py) over examples/class: every trick alone
and `all` at both strengths, one fixed seed. The copies it keeps must compile,
must differ from their originals, a rename must leave none of the original's
declared names, a reorder must change the order of the functions, and the
output must be the same for the same seed and differ for another."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, 'bench'))
import disguise  # noqa: E402

CLASS = os.path.join(ROOT, 'examples', 'class')
FILES = sorted(os.path.join(CLASS, f) for f in os.listdir(CLASS) if f.endswith('.c'))
SEED = 'kit-test'
TYPE_WORDS = {'int', 'char', 'double', 'float', 'long', 'short', 'void', 'unsigned', 'signed'}

_made = {}
_compiler = {}


def compiler(path):
    """The kit's compiler setting for a file, found once."""
    if path not in _compiler:
        _compiler[path] = disguise.Kit(disguise.read_source(path), path).compiler
    return _compiler[path]


def made(tricks, strength='heavy', seed=SEED):
    """{path: Result} for every example file."""
    key = (tricks, strength, seed)
    if key not in _made:
        def one(path):
            text = disguise.read_source(path)
            return path, disguise.disguise_text(text, tricks, strength, seed, path,
                                                compiler=compiler(path))
        with ThreadPoolExecutor(2) as ex:
            _made[key] = dict(ex.map(one, FILES))
    return _made[key]


def code_words(text, defines=True):
    """Identifiers and punctuation of C code, comments, strings and directives
    other than #define (with defines) left out (a tokenizer of the test's own)."""
    text = re.sub(r'/\*.*?\*/', ' ', text, flags=re.S)
    text = re.sub(r'//[^\n]*', ' ', text)
    text = re.sub(r'"(\\.|[^"\\\n])*"', ' "" ', text)
    text = re.sub(r"'(\\.|[^'\\\n])*'", " '' ", text)
    out = []
    for line in text.splitlines():
        s = line.strip()
        if s.startswith('#'):
            m = re.match(r'#\s*define\s+(\w+)', s)
            if m and defines:
                out += ['#define', m.group(1)]
            continue
        out += re.findall(r'[A-Za-z_]\w*|\d\w*|\S', line)
    return out


def declared(text):
    """Names the program declares: after a type word (through '*' and
    declarator lists), struct tags and fields, and #define names."""
    w = code_words(text)
    names = set()
    in_decl = False
    depth = 0
    for i, t in enumerate(w):
        if t in ('(', '['):
            depth += 1
        elif t in (')', ']'):
            depth -= 1
        if t == '#define':
            names.add(w[i + 1])
        if t in TYPE_WORDS or (t == 'struct' and i + 1 < len(w)):
            in_decl = True
        elif t in (';', '{', '}') and depth == 0:
            in_decl = False
        if re.match(r'[A-Za-z_]\w*$', t) and t not in TYPE_WORDS and i > 0:
            j = i - 1
            while j >= 0 and w[j] == '*':
                j -= 1
            if w[j] in TYPE_WORDS or w[j] == 'struct' or (in_decl and w[j] == ',' and depth == 0):
                names.add(t)
    return names - {'main', 'const', 'struct'}


def function_order(text):
    """Names of the functions defined, in order of their definitions."""
    w = code_words(text)
    out = []
    depth = 0
    for i, t in enumerate(w):
        if t == '{':
            if depth == 0:
                j = i - 1
                if w[j] == ')':
                    k, d = j, 0
                    while k >= 0:
                        d += w[k] == ')'
                        d -= w[k] == '('
                        if d == 0:
                            break
                        k -= 1
                    out.append(w[k - 1])
            depth += 1
        elif t == '}':
            depth -= 1
    return out


def compiles(results):
    """The copies that gcc/g++ rejects, checked here and not by the kit."""
    bad = []
    by = {}
    tmp = tempfile.mkdtemp(prefix='disguise_kit_test_')
    for path, res in results.items():
        lang = res.lang
        name = os.path.join(tmp, os.path.basename(path))
        with open(name, 'wb') as f:
            f.write(res.text.encode('latin-1'))
        by.setdefault(lang, []).append(name)
    for lang, names in by.items():
        cc = 'g++' if lang == 'c++' else 'gcc'
        p = subprocess.run([cc, '-fsyntax-only', '-w', '-x', lang] + names, capture_output=True)
        if p.returncode != 0:
            for n in names:
                q = subprocess.run([cc, '-fsyntax-only', '-w', '-x', lang, n], capture_output=True)
                if q.returncode != 0:
                    bad.append((os.path.basename(n), q.stderr.decode('latin-1')[:400]))
    for n in os.listdir(tmp):
        os.remove(os.path.join(tmp, n))
    os.rmdir(tmp)
    return bad


class DisguiseKit(unittest.TestCase):

    def check_trick(self, tricks, strength='heavy', min_changed=1):
        results = made(tricks, strength)
        kept = {p: r for p, r in results.items() if r.status == 'made'}
        for p, r in results.items():
            self.assertNotEqual('skipped', r.status, '%s compiles as given' % p)
        self.assertEqual([], compiles(kept), tricks)
        changed = [p for p, r in kept.items() if r.text != disguise.read_source(p)]
        self.assertGreaterEqual(len(changed), min_changed,
                                '%s changed only %d of %d files' % (tricks, len(changed), len(FILES)))
        return kept

    def test_each_trick_alone_keeps_compiling_copies(self):
        # every trick has something to do in most of these files
        for t in disguise.ORDER:
            with self.subTest(trick=t):
                self.check_trick(t, min_changed=3 if t != 'ternary' else 1)

    def test_all_tricks_at_both_strengths(self):
        for s in ('mild', 'heavy'):
            with self.subTest(strength=s):
                kept = self.check_trick('all', s, min_changed=len(FILES))
                self.assertEqual(len(FILES), len(kept))

    def test_heavy_is_more_than_mild(self):
        def changed_words(strength):
            total = 0
            for p, r in made('all', strength).items():
                a, b = code_words(disguise.read_source(p)), code_words(r.text)
                total += len(set(b) - set(a))
            return total
        self.assertGreater(changed_words('heavy'), changed_words('mild'))

    def test_rename_leaves_no_declared_name(self):
        for p, r in made('rename').items():
            orig = disguise.read_source(p)
            names = declared(orig)
            self.assertGreater(len(names), 3, p)
            left = names & set(code_words(r.text))
            self.assertEqual(set(), left, os.path.basename(p))

    def test_rename_is_consistent(self):
        # the renamed program has as many distinct identifiers where the
        # original had them: a one-to-one mapping, not a scramble
        for p, r in made('rename').items():
            orig = code_words(disguise.read_source(p), defines=False)
            new = code_words(r.text, defines=False)
            self.assertEqual(len(orig), len(new), os.path.basename(p))
            pairs = {}
            for a, b in zip(orig, new):
                if a != b and re.match(r'[A-Za-z_]', a) and re.match(r'[A-Za-z_]', b):
                    pairs.setdefault(a, set()).add(b)
            # library names may go through a macro, the file's own are 1:1
            own = declared(disguise.read_source(p))
            for a in own & set(pairs):
                self.assertEqual(1, len(pairs[a]), '%s: %s -> %s' % (os.path.basename(p), a, pairs[a]))

    def test_reorder_changes_function_order(self):
        for p, r in made('reorder').items():
            before = function_order(disguise.read_source(p))
            after = function_order(r.text)
            self.assertEqual(sorted(before), sorted(after), p)
            if len(before) > 1:
                self.assertNotEqual(before, after, os.path.basename(p))

    def test_same_seed_same_copy_other_seed_other_copy(self):
        path = os.path.join(CLASS, 'alice.c')
        cmd = [sys.executable, os.path.join(ROOT, 'bench', 'disguise.py'), '--seed', '7', path]
        outs = []
        for hashseed in ('1', '2'):
            env = dict(os.environ, PYTHONHASHSEED=hashseed)
            outs.append(subprocess.run(cmd, capture_output=True, env=env, check=True).stdout)
        self.assertEqual(outs[0], outs[1])
        other = subprocess.run(cmd[:-2] + ['8', path], capture_output=True, check=True).stdout
        self.assertNotEqual(outs[0], other)
        self.assertNotEqual(disguise.read_source(path).encode('latin-1'), outs[0])
        # each trick alone: made afresh, the same again
        text = disguise.read_source(path)
        kit = disguise.Kit(text, path, compiler(path))
        for t in disguise.ORDER:
            res = made(t)[path]
            if res.attempts == 1:
                self.assertEqual(res.text, disguise.apply_tricks(kit, text, [t], 'heavy', SEED), t)

    def test_bytes_survive(self):
        # the GBK comments of the examples go through byte for byte where
        # no trick touches them
        path = os.path.join(CLASS, 'alice.c')
        with open(path, 'rb') as f:
            raw = f.read()
        out = made('rename')[path].text.encode('latin-1')
        high = re.findall(rb'[\x80-\xff]{4,}', raw)
        self.assertTrue(high)
        for h in high:
            self.assertIn(h, out)

    def test_the_examples_are_taken_for_c(self):
        for p in FILES:
            self.assertEqual('c', compiler(p)[0], p)
        cpp = '#include <iostream>\nint main() { std::cout << 1; }\n'
        self.assertEqual('c++', disguise.Kit(cpp).lang)

    def test_a_source_that_does_not_compile_is_skipped(self):
        res = disguise.disguise_text('int main() { return undeclared_name; }\n', 'all', 'heavy', 1)
        self.assertEqual('skipped', res.status)
        self.assertIsNone(res.text)


if __name__ == '__main__':
    unittest.main(verbosity=2)
