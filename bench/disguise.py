#!/usr/bin/env python3
"""disguise.py: make a disguised copy of a C or C++ source, the way a student
who copied it and then tried to hide that would.

usage: disguise.py [-t TRICKS] [-s mild|heavy] [--seed N] [-o OUT] SOURCE
       disguise.py [-t TRICKS] [-s mild|heavy] [--seed N] --out-dir DIR SOURCE...
       disguise.py --list

TRICKS is a comma-separated list of trick names, or `all` (the default):
  rename        the program's own names (variables, functions, parameters,
                fields, types, macros) renamed consistently; library names
                through a macro, cin/cout also through a reference
  comments      comments added (notes, banners), reworded, removed
  layout        indentation, brace placement, spacing, line breaks
  reorder       top-level functions shuffled, prototypes added
  swap          adjacent statements that share nothing swapped
  deadcode      unused variables and functions, if (0) and while (0)
                blocks, empty loops
  forwhile      for loops made while loops (and while loops for loops)
  split         arithmetic split into temporaries of the exact type
  types         int made long or long long, short int, float double
  increments    i++, ++i, i += 1, i = i + 1 (and x op= y) interchanged
  ternary       if/else made ?: and back
  macros        #define and typedef names for keywords and types
  output        printf("...\n"), puts, fputs and cout << interchanged
  constants     array sizes enlarged, output messages reworded
  declarations  declarations moved to the top of the function or to
                their first use
`mild` applies each trick at about 3 places in 10 it could, `heavy` at
about 8 in 10 and more boldly (more layout and spacing changes, more
comments, dead code and library renames).

Every trick is seeded and deterministic for a given seed and input. A copy
is kept only if it still compiles (gcc/g++ -fsyntax-only, whichever the
original compiles with); one that does not is redone with other seeds a few
times, then trick by trick (leaving out those that break it), then dropped.
Exit status: 0 copy made, 2 the source does not compile as given, 3 no copy
compiled. Sources are read as bytes (latin-1 in, latin-1 out), so GBK or
UTF-8 text in strings and comments goes through untouched.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import tempfile

# ---------------------------------------------------------------------------
# Lexer

KEYWORDS_C = set("""auto break case char const continue default do double else enum extern
float for goto if inline int long register restrict return short signed sizeof static
struct switch typedef union unsigned void volatile while _Bool _Complex _Imaginary
_Alignas _Alignof _Atomic _Generic _Noreturn _Static_assert _Thread_local asm typeof
__asm__ __attribute__ __inline__ __restrict__ __typeof__ __extension__""".split())
KEYWORDS_CPP = set("""alignas alignof and and_eq bitand bitor bool catch char16_t char32_t
char8_t class compl concept consteval constexpr constinit const_cast co_await co_return
co_yield decltype delete dynamic_cast explicit export false final friend mutable
namespace new noexcept not not_eq nullptr operator or or_eq override private protected
public reinterpret_cast requires static_assert static_cast template this thread_local
throw true try typeid typename using virtual wchar_t xor xor_eq""".split())
KEYWORDS = KEYWORDS_C | KEYWORDS_CPP

OPS = sorted(""">>= <<= ... ->* -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= :: .* ##
+ - * / % & | ^ ~ ! = < > ? : ; , . ( ) [ ] { } #""".split(), key=len, reverse=True)

ASSIGN_OPS = {'=', '+=', '-=', '*=', '/=', '%=', '&=', '|=', '^=', '<<=', '>>='}
SKIP_KINDS = ('ws', 'nl', 'cmt', 'bcmt')
STRING_PREFIXES = ('L', 'u', 'U', 'u8')


class Tok:
    __slots__ = ('k', 't')

    def __init__(self, k, t):
        self.k = k
        self.t = t

    def __repr__(self):
        return '%s:%r' % (self.k, self.t)


_OPS3 = {o for o in OPS if len(o) == 3}
_OPS2 = {o for o in OPS if len(o) == 2}
_WS_RE = re.compile(r'[ \t\f\v]+')
_ID_RE = re.compile('[0-9A-Za-z_$\u0080-\uffff]+')


def _ident_char(c):
    return c.isalnum() or c == '_' or c == '$' or ord(c) >= 0x80


def lex(s):
    """Tokens of s, whitespace and comments included: ''.join of their text is s.

    Kinds: ws, nl, cmt (// ...), bcmt (/* */), pp (a whole directive line with
    its continuations), id, num, str, chr, op."""
    toks = []
    i, n = 0, len(s)
    bol = True
    while i < n:
        c = s[i]
        if c == '\n':
            toks.append(Tok('nl', c))
            i += 1
            bol = True
            continue
        if c == '\r':
            j = i + 2 if s.startswith('\r\n', i) else i + 1
            toks.append(Tok('nl', s[i:j]))
            i = j
            bol = True
            continue
        if c in ' \t\f\v':
            j = _WS_RE.match(s, i).end()
            toks.append(Tok('ws', s[i:j]))
            i = j
            continue
        if c == '\\' and i + 1 < n and s[i + 1] in '\r\n':
            j = i + 1
            j += 2 if s.startswith('\r\n', j) else 1
            toks.append(Tok('ws', s[i:j]))
            i = j
            continue
        if s.startswith('//', i):
            j = i
            while j < n and s[j] not in '\r\n':
                j += 1
            toks.append(Tok('cmt', s[i:j]))
            i = j
            continue
        if s.startswith('/*', i):
            j = s.find('*/', i + 2)
            j = n if j < 0 else j + 2
            toks.append(Tok('bcmt', s[i:j]))
            i = j
            continue
        if c == '#' and bol:
            j = i + 1
            while j < n:
                if s[j] == '\\' and j + 1 < n and s[j + 1] in '\r\n':
                    j += 3 if s.startswith('\r\n', j + 1) else 2
                elif s.startswith('/*', j):
                    k = s.find('*/', j + 2)
                    j = n if k < 0 else k + 2
                elif s.startswith('//', j):
                    while j < n and s[j] not in '\r\n':
                        j += 1
                elif s[j] in '\r\n':
                    break
                elif s[j] in '"\'' and not s[i:j].lstrip('# \t').startswith('include'):
                    j = _skip_quoted(s, j)
                else:
                    j += 1
            toks.append(Tok('pp', s[i:j]))
            i = j
            bol = False
            continue
        bol = False
        if _ident_char(c) and not c.isdigit():
            j = _ID_RE.match(s, i).end()
            w = s[i:j]
            if j < n and s[j] == '"' and w.endswith('R') and w[:-1] in ('',) + STRING_PREFIXES:
                k = s.find('(', j)
                delim = s[j + 1:k] if k >= 0 else ''
                e = s.find(')' + delim + '"', k + 1) if k >= 0 else -1
                e = n if e < 0 else e + len(delim) + 2
                toks.append(Tok('str', s[i:e]))
                i = e
                continue
            if j < n and s[j] in '"\'' and w in STRING_PREFIXES:
                e = _skip_quoted(s, j)
                toks.append(Tok('str' if s[j] == '"' else 'chr', s[i:e]))
                i = e
                continue
            toks.append(Tok('id', w))
            i = j
            continue
        if c.isdigit() or (c == '.' and i + 1 < n and s[i + 1].isdigit()):
            j = i + 1
            while j < n:
                d = s[j]
                if _ident_char(d) or d == '.':
                    j += 1
                elif d in '+-' and s[j - 1] in 'eEpP' and not s[i:j].lower().startswith('0x') or \
                        d in '+-' and s[j - 1] in 'pP':
                    j += 1
                elif d == "'" and j + 1 < n and s[j + 1].isalnum():
                    j += 1
                else:
                    break
            toks.append(Tok('num', s[i:j]))
            i = j
            continue
        if c in '"\'':
            e = _skip_quoted(s, i)
            toks.append(Tok('str' if c == '"' else 'chr', s[i:e]))
            i = e
            continue
        if s[i:i + 3] in _OPS3:
            op = s[i:i + 3]
        elif s[i:i + 2] in _OPS2:
            op = s[i:i + 2]
        else:
            op = c
        toks.append(Tok('op', op))
        i += len(op)
    return toks


def _skip_quoted(s, j):
    q = s[j]
    k = j + 1
    n = len(s)
    while k < n:
        if s[k] == '\\':
            k += 2
            continue
        if s[k] == q:
            return k + 1
        if s[k] in '\r\n':
            return k
        k += 1
    return n


def join(toks):
    return ''.join(t.t for t in toks)


def pp_directive(text):
    """The directive's name: 'include', 'define', ... ('' for a null directive)."""
    m = re.match(r'#\s*([A-Za-z_]\w*)', text)
    return m.group(1) if m else ''


# ---------------------------------------------------------------------------
# Types

BUILTIN_TYPE_WORDS = {'int', 'long', 'short', 'char', 'float', 'double', 'void', 'unsigned',
                      'signed', 'bool', '_Bool', 'wchar_t', 'auto'}
DECL_QUALS = {'static', 'const', 'volatile', 'register', 'extern', 'inline', 'constexpr',
              'mutable', 'thread_local'}
LIBRARY_TYPES = set("""string vector map set multiset multimap unordered_map unordered_set pair
queue priority_queue stack deque list bitset array istringstream ostringstream stringstream
istream ostream ifstream ofstream fstream FILE size_t ssize_t int64_t uint64_t int32_t
uint32_t int8_t uint8_t int16_t uint16_t complex tuple wstring iterator less greater
ptrdiff_t clock_t time_t""".split())
TEMPLATE_NAMES = set("""vector map set multiset multimap unordered_map unordered_set pair queue
priority_queue stack deque list bitset array complex tuple less greater template
static_cast const_cast reinterpret_cast dynamic_cast numeric_limits function
basic_string make_pair""".split())

# Arithmetic types, canonical names; widths for LP64.
RANKS = {'int': (1, False), 'uint': (1, True), 'long': (2, False), 'ulong': (2, True),
         'llong': (3, False), 'ullong': (3, True)}
CANON_DECL = {'char': 'char', 'schar': 'signed char', 'uchar': 'unsigned char', 'short': 'short',
              'ushort': 'unsigned short', 'int': 'int', 'uint': 'unsigned', 'long': 'long',
              'ulong': 'unsigned long', 'llong': 'long long', 'ullong': 'unsigned long long',
              'float': 'float', 'double': 'double', 'ldouble': 'long double', 'bool': 'bool'}


def canon_type(words):
    """Canonical name of a builtin arithmetic type given its keywords, or None."""
    w = [x for x in words if x not in DECL_QUALS]
    if not w or any(x not in BUILTIN_TYPE_WORDS for x in w) or 'void' in w or 'auto' in w \
            or 'wchar_t' in w:
        return None
    longs = w.count('long')
    uns = 'unsigned' in w
    if 'bool' in w or '_Bool' in w:
        return 'bool' if len(w) == 1 else None
    if 'double' in w:
        return 'ldouble' if longs else 'double'
    if 'float' in w:
        return 'float'
    if 'char' in w:
        return 'uchar' if uns else ('schar' if 'signed' in w else 'char')
    if 'short' in w:
        return 'ushort' if uns else 'short'
    if longs >= 2:
        return 'ullong' if uns else 'llong'
    if longs == 1:
        return 'ulong' if uns else 'long'
    return 'uint' if uns else 'int'


def promote(t):
    return 'int' if t in ('char', 'schar', 'uchar', 'short', 'ushort', 'bool') else t


def arith_result(a, b):
    """The type of a OP b for + - * / % (the usual arithmetic conversions, LP64)."""
    if a is None or b is None:
        return None
    for f in ('ldouble', 'double', 'float'):
        if f in (a, b):
            return f
    a, b = promote(a), promote(b)
    ra, ua = RANKS[a]
    rb, ub = RANKS[b]
    if ua == ub:
        return a if ra >= rb else b
    if ua:
        (ra, a), (rb, b) = (rb, b), (ra, a)
    # now a is signed, b unsigned
    if rb >= ra:
        return b
    if ra > 1 and rb == 1:
        return a
    return {'long': 'ulong', 'llong': 'ullong'}.get(a, b)


def literal_type(text):
    t = text.lower().replace("'", '')
    if t.startswith('0x'):
        if 'p' in t:
            return 'double'
        body = t.rstrip('ul')
    else:
        if any(c in t for c in '.e') or t.endswith('f'):
            return 'float' if t.endswith('f') else ('ldouble' if t.endswith('l') else 'double')
        body = t.rstrip('ul')
    suf = t[len(body):]
    if not body or not all(c in '0123456789abcdefx' for c in body):
        return None
    try:
        v = int(body, 0) if not (len(body) > 1 and body[0] == '0' and body[1] != 'x') else int(body, 8)
    except ValueError:
        return None
    if v >= 2 ** 31 and 'l' not in suf:
        return None
    if 'u' in suf:
        return {'': 'uint', 'l': 'ulong', 'll': 'ullong'}.get(suf.replace('u', ''), None)
    return {'': 'int', 'l': 'long', 'll': 'llong'}.get(suf, None)


# ---------------------------------------------------------------------------
# Structure: top-level items, functions, statements

class ParseError(Exception):
    pass


class Stmt:
    __slots__ = ('kind', 's', 'e', 'kids', 'lp', 'rp', 'then', 'els', 'body', 'semis', 'label',
                 'brace')

    def __init__(self, kind, s, e):
        self.kind = kind
        self.s = s
        self.e = e
        self.kids = []
        self.lp = self.rp = None
        self.then = self.els = self.body = None
        self.semis = None
        self.brace = False

    def children(self):
        if self.kind in ('block', 'try'):
            return self.kids
        out = []
        for x in (self.then, self.els, self.body):
            if x is not None:
                out.append(x)
        return out


class Item:
    def __init__(self, kind, s, e):
        self.kind = kind
        self.s = s
        self.e = e
        self.name = None
        self.lb = None
        self.body = None
        self.member = False


class Decl:
    def __init__(self):
        self.s = self.e = None
        self.type_s = self.type_e = None   # sig positions [type_s, type_e)
        self.words = []                   # the type's tokens
        self.quals = []
        self.ctype = None                 # canonical builtin type or None
        self.vars = []                    # dicts: name, pos, ptr, ref, arr, dims, init, ctor


class Src:
    """A source as tokens, with its code tokens ("sig"), bracket pairs,
    top-level items and the statement trees of its functions."""

    def __init__(self, text, lang='c'):
        self.source = text
        self.lang = lang
        self.toks = lex(text)
        self.sig = [i for i, t in enumerate(self.toks) if t.k not in SKIP_KINDS]
        self.n = len(self.sig)
        self.ok = True
        self.match = {}
        stack = []
        for p in range(self.n):
            t = self.T(p)
            if self.K(p) != 'op':
                continue
            if t in '([{':
                stack.append(p)
            elif t in ')]}':
                if not stack or '([{'[')]}'.index(t)] != self.T(stack[-1]):
                    self.ok = False
                    break
                q = stack.pop()
                self.match[q] = p
                self.match[p] = q
        if stack:
            self.ok = False
        self.items = []
        self.funcs = []
        self.idents = {self.toks[i].t for i in self.sig if self.toks[i].k == 'id'}
        if self.ok:
            try:
                self._items()
            except (ParseError, KeyError, IndexError):
                self.ok = False
        self._types()

    # token access by sig position
    def T(self, p):
        return self.toks[self.sig[p]].t if 0 <= p < self.n else ''

    def K(self, p):
        return self.toks[self.sig[p]].k if 0 <= p < self.n else ''

    def is_kw(self, p):
        return self.K(p) == 'id' and self.T(p) in KEYWORDS

    def is_name(self, p):
        return self.K(p) == 'id' and self.T(p) not in KEYWORDS

    def text(self, a, b):
        """Source text of sig positions a..b inclusive (with what lies between)."""
        if b < a:
            return ''
        return join(self.toks[self.sig[a]:self.sig[b] + 1])

    def squeeze(self, a, b):
        """Code tokens a..b, one space wherever the source had any gap."""
        out = []
        for p in range(a, b + 1):
            if p > a and (self.sig[p] != self.sig[p - 1] + 1 or needs_space(self.T(p - 1), self.T(p))):
                out.append(' ')
            out.append(self.T(p))
        return ''.join(out)

    def flat(self, a, b):
        """Code tokens a..b joined by single spaces where needed."""
        out = []
        for p in range(a, b + 1):
            t = self.T(p)
            if out and needs_space(out[-1], t):
                out.append(' ')
            out.append(t)
        return ''.join(out)

    def line_indent(self, p):
        """The whitespace that starts the line of sig position p."""
        i = self.sig[p] - 1
        while i >= 0 and self.toks[i].k != 'nl':
            i -= 1
        j = i + 1
        if j < len(self.toks) and self.toks[j].k == 'ws':
            return self.toks[j].t.replace('\\', '')
        return ''

    def drop(self, a, b):
        """An edit removing tokens a..b-1, with their line when nothing else is on it."""
        i = a
        while i > 0 and self.toks[i - 1].k == 'ws':
            i -= 1
        j = b
        while j < len(self.toks) and self.toks[j].k == 'ws':
            j += 1
        if (i == 0 or self.toks[i - 1].k == 'nl') and (j == len(self.toks) or self.toks[j].k == 'nl'):
            return (i, min(j + 1, len(self.toks)), '')
        return (a, b, '')

    def apply(self, edits):
        """edits: (first token index, end token index exclusive, text); returns new text."""
        edits = sorted(edits, key=lambda e: (e[0], e[1]))
        out = []
        cur = 0
        for a, b, txt in edits:
            if a < cur:
                continue   # overlapping edit: keep the first
            out.append(join(self.toks[cur:a]))
            out.append(txt)
            cur = b
        out.append(join(self.toks[cur:]))
        return ''.join(out)

    # -- top level
    def _items(self):
        p = 0
        while p < self.n:
            if self.K(p) == 'pp':
                self.items.append(Item('pp', p, p))
                p += 1
                continue
            s = p
            q = p
            paren = None
            eq = False
            item = None
            while q < self.n:
                t = self.T(q)
                k = self.K(q)
                if k == 'pp':
                    q += 1
                    continue
                if k == 'op' and t == ';':
                    item = Item('decl', s, q)
                    break
                if k == 'op' and t in '([':
                    if t == '(' and paren is None and not eq:
                        paren = q
                    q = self.match[q] + 1
                    continue
                if k == 'op' and t == '=':
                    eq = True
                if k == 'op' and t == '{':
                    first = self.T(s)
                    rb = self.match[q]
                    if first in ('namespace',) or (first == 'extern' and self.K(s + 1) == 'str'):
                        item = Item('block', s, rb)
                        break
                    if paren is not None and not eq and first != 'typedef' and \
                            not (first in ('struct', 'class', 'union', 'enum') and
                                 self.T(q - 1) != ')' and
                                 not any(self.T(x) == ')' for x in range(paren, q))):
                        item = Item('func', s, rb)
                        item.lb = q
                        item.paren = paren
                        nm = paren - 1
                        if self.K(nm) == 'id':
                            item.name = self.T(nm)
                        else:
                            x = nm
                            while x > s and self.T(x) != 'operator':
                                x -= 1
                            item.name = self.text(x, nm).replace(' ', '')
                        item.member = any(self.T(x) == '::' for x in range(s, paren))
                        break
                    q = rb + 1
                    continue
                if k == 'op' and t in ')]}':
                    raise ParseError('stray %s' % t)
                q += 1
            if item is None:
                item = Item('other', s, self.n - 1)
            self.items.append(item)
            if item.kind == 'func':
                try:
                    item.body = self.parse_block(item.lb)
                except (ParseError, KeyError, IndexError):
                    item.body = None
                self.funcs.append(item)
            p = item.e + 1

    def parse_block(self, lb):
        if self.T(lb) != '{':
            raise ParseError('block')
        rb = self.match[lb]
        st = Stmt('block', lb, rb)
        p = lb + 1
        while p < rb:
            k = self.parse_stmt(p)
            st.kids.append(k)
            p = k.e + 1
        if p != rb:
            raise ParseError('block end')
        return st

    def _paren(self, p):
        if self.T(p) != '(':
            raise ParseError('expected (')
        return p, self.match[p]

    def parse_stmt(self, p):
        t = self.T(p)
        k = self.K(p)
        if k == 'pp':
            return Stmt('pp', p, p)
        if k == 'op' and t == '{':
            return self.parse_block(p)
        if k == 'op' and t == ';':
            return Stmt('empty', p, p)
        if t == 'if' and k == 'id':
            st = Stmt('if', p, p)
            q = p + 1
            if self.T(q) == 'constexpr':
                raise ParseError('if constexpr')
            st.lp, st.rp = self._paren(q)
            st.then = self.parse_stmt(st.rp + 1)
            st.e = st.then.e
            if self.T(st.e + 1) == 'else':
                st.els = self.parse_stmt(st.e + 2)
                st.e = st.els.e
            return st
        if t in ('while', 'switch') and k == 'id':
            st = Stmt(t, p, p)
            st.lp, st.rp = self._paren(p + 1)
            st.body = self.parse_stmt(st.rp + 1)
            st.e = st.body.e
            return st
        if t == 'for' and k == 'id':
            st = Stmt('for', p, p)
            st.lp, st.rp = self._paren(p + 1)
            semis = []
            q = st.lp + 1
            while q < st.rp:
                if self.T(q) in '([{' and self.K(q) == 'op':
                    q = self.match[q] + 1
                    continue
                if self.T(q) == ';':
                    semis.append(q)
                q += 1
            if len(semis) == 2:
                st.semis = semis
            st.body = self.parse_stmt(st.rp + 1)
            st.e = st.body.e
            return st
        if t == 'do' and k == 'id':
            st = Stmt('do', p, p)
            st.body = self.parse_stmt(p + 1)
            w = st.body.e + 1
            if self.T(w) != 'while':
                raise ParseError('do without while')
            st.lp, st.rp = self._paren(w + 1)
            if self.T(st.rp + 1) != ';':
                raise ParseError('do-while ;')
            st.e = st.rp + 1
            return st
        if t == 'try' and k == 'id':
            st = Stmt('try', p, p)
            b = self.parse_block(p + 1)
            st.kids.append(b)
            q = b.e + 1
            while self.T(q) == 'catch':
                _, rp = self._paren(q + 1)
                b = self.parse_block(rp + 1)
                st.kids.append(b)
                q = b.e + 1
            st.e = q - 1
            return st
        if t in ('case', 'default') and k == 'id':
            q = p + 1
            depth = 0
            while q < self.n:
                tq = self.T(q)
                if tq in ('(', '['):
                    q = self.match[q] + 1
                    continue
                if tq == '?':
                    depth += 1
                elif tq == ':':
                    if depth == 0:
                        break
                    depth -= 1
                elif tq in (';', '{', '}'):
                    raise ParseError('case label')
                q += 1
            return Stmt('label', p, q)
        if k == 'id' and t not in KEYWORDS and self.T(p + 1) == ':':
            return Stmt('label', p, p + 1)
        if k == 'id' and t in ('else', 'catch'):
            raise ParseError('stray ' + t)
        # a simple statement: up to ';' at depth 0
        q = p
        brace = False
        while q < self.n:
            tq = self.T(q)
            if self.K(q) == 'op':
                if tq in '([{':
                    if tq == '{':
                        brace = True
                    q = self.match[q] + 1
                    continue
                if tq == ';':
                    st = Stmt('simple', p, q)
                    st.brace = brace
                    return st
                if tq in ')]}':
                    raise ParseError('unterminated statement')
            elif self.K(q) == 'pp':
                raise ParseError('directive inside a statement')
            q += 1
        raise ParseError('eof in statement')

    # -- declarations
    def skip_angles(self, q, limit):
        """q at '<': the position after its '>' (a '>>' closes two), or None."""
        depth = 0
        while q < limit:
            t = self.T(q)
            if t == '<':
                depth += 1
            elif t == '>':
                depth -= 1
            elif t == '>>':
                depth -= 2
            elif t in ('(', '['):
                q = self.match[q]
            elif t in (';', '{', '}', '&&', '||'):
                return None
            q += 1
            if depth <= 0:
                return q if depth == 0 else None
        return None

    def parse_decl(self, p, e):
        """A declaration in sig positions [p, e) (e at its ';' or the end), or None."""
        d = Decl()
        d.s, d.e = p, e
        q = p
        while q < e and self.T(q) in DECL_QUALS:
            d.quals.append(self.T(q))
            q += 1
        d.type_s = q
        if q >= e:
            return None
        t = self.T(q)
        if t in BUILTIN_TYPE_WORDS:
            while q < e and (self.T(q) in BUILTIN_TYPE_WORDS or self.T(q) in ('const', 'volatile')):
                q += 1
        elif t in ('struct', 'union', 'enum', 'class'):
            q += 1
            if not self.is_name(q):
                return None
            q += 1
            if self.T(q) == '{':
                return None
        elif self.is_name(q) or (t == '::' and self.is_name(q + 1)):
            if t == '::':
                q += 1
            name = self.T(q)
            q += 1
            while self.T(q) == '::' and self.is_name(q + 1):
                name = self.T(q + 1)
                q += 2
            templ = False
            if self.T(q) == '<':
                if name not in self.types and name not in TEMPLATE_NAMES:
                    return None
                q2 = self.skip_angles(q, e)
                if q2 is None:
                    return None
                q = q2
                templ = True
                while self.T(q) == '::' and self.is_name(q + 1):
                    q += 2
            known = name in self.types or templ or self.T(p) in DECL_QUALS
            if not known and not self.is_name(q):
                return None
        else:
            return None
        while q < e and self.T(q) in ('const', 'volatile'):
            q += 1
        d.type_e = q
        d.words = [self.T(x) for x in range(d.type_s, d.type_e)]
        w = [self.aliases.get(x, x) for x in d.words]
        d.ctype = canon_type(' '.join(w).split())
        if q >= e:
            return None
        while True:
            v = {'ptr': False, 'ref': False, 'arr': False, 'dims': [], 'init': None, 'ctor': None}
            while self.T(q) in ('*', '&', '&&', 'const', 'volatile', 'restrict', '__restrict'):
                if self.T(q) == '*':
                    v['ptr'] = True
                elif self.T(q) in ('&', '&&'):
                    v['ref'] = True
                q += 1
            if not self.is_name(q):
                return None
            v['name'] = self.T(q)
            v['pos'] = q
            q += 1
            while self.T(q) == '[':
                v['arr'] = True
                v['dims'].append((q, self.match[q]))
                q = self.match[q] + 1
            if self.T(q) == '(':
                v['ctor'] = (q, self.match[q])
                q = self.match[q] + 1
                while self.T(q) in ('const', 'noexcept', 'override'):
                    q += 1
            if self.T(q) == '=':
                s0 = q + 1
                q = s0
                while q < e and self.T(q) != ',':
                    if self.T(q) in ('(', '[', '{'):
                        q = self.match[q]
                    elif self.T(q) == '<' and self.is_name(q - 1) and self.T(q - 1) in TEMPLATE_NAMES:
                        q2 = self.skip_angles(q, e)
                        if q2 is not None:
                            q = q2 - 1
                    q += 1
                if q == s0:
                    return None
                v['init'] = (s0, q - 1)
            elif self.T(q) == '{':
                v['init'] = (q, self.match[q])
                q = self.match[q] + 1
            v['end'] = q - 1
            d.vars.append(v)
            if q == e:
                return d
            if self.T(q) != ',' or q > e:
                return None
            q += 1

    def _types(self):
        """Names of types (struct, typedef, template parameters, library) and
        builtin aliases (typedef long long ll; #define ll long long)."""
        self.types = set(BUILTIN_TYPE_WORDS) | LIBRARY_TYPES
        self.own_types = set()   # the types this source defines
        self.aliases = {}
        for p in range(self.n):
            t = self.T(p)
            if t in ('struct', 'class', 'union', 'enum') and self.is_name(p + 1):
                self.types.add(self.T(p + 1))
                if self.T(p + 2) in ('{', ':', ';') and self.T(p + 3) != ':':
                    self.own_types.add(self.T(p + 1))
            elif t in ('typename', 'class') and self.is_name(p + 1) and self.T(p + 2) in (',', '>', '='):
                self.types.add(self.T(p + 1))
                self.own_types.add(self.T(p + 1))
            elif t == 'using' and self.is_name(p + 1) and self.T(p + 2) == '=':
                self.types.add(self.T(p + 1))
                self.own_types.add(self.T(p + 1))
            elif t == 'typedef':
                q = p + 1
                last = None
                while q < self.n and self.T(q) != ';':
                    if self.T(q) == '{' and q in self.match:
                        q = self.match[q]
                    elif self.T(q) == '(' and self.T(q + 1) == '*' and self.is_name(q + 2):
                        last = q + 2
                        q = self.match[q]
                    elif self.is_name(q) and self.T(q + 1) in (';', '[', ','):
                        last = q
                    q += 1
                if last is not None:
                    self.types.add(self.T(last))
                    self.own_types.add(self.T(last))
                    words = [self.T(x) for x in range(p + 1, last)]
                    if words and all(w in BUILTIN_TYPE_WORDS for w in words):
                        self.aliases[self.T(last)] = ' '.join(words)
            elif self.K(p) == 'pp' and pp_directive(t) == 'define':
                m = re.match(r'#\s*define\s+([A-Za-z_]\w*)\s+([a-z ]+?)\s*$', t)
                if m and all(w in BUILTIN_TYPE_WORDS for w in m.group(2).split()):
                    self.types.add(m.group(1))
                    self.aliases[m.group(1)] = m.group(2)

    # -- walking statements
    def walk(self, st, fn, anc=()):
        fn(st, anc)
        for k in st.children():
            self.walk(k, fn, anc + (st,))

    def all_stmts(self, func):
        out = []
        if func.body is not None:
            self.walk(func.body, lambda st, anc: out.append((st, anc)))
        return out

    def render(self, st, hook, anc=()):
        """Text of statement st with hook applied bottom-up: hook(src, st,
        pieces, anc) gets pieces = [gap0, kid0, gap1, ..., gapN] (the kids
        already rendered; gap0 holds st's own text before its first kid) and
        returns the statement's text, or None for the plain join."""
        kids = st.children()
        pieces = []
        cur = self.sig[st.s]
        for k in kids:
            a = self.sig[k.s]
            pieces.append(join(self.toks[cur:a]))
            pieces.append(self.render(k, hook, anc + (st,)))
            cur = self.sig[k.e] + 1
        pieces.append(join(self.toks[cur:self.sig[st.e] + 1]))
        out = hook(self, st, pieces, anc)
        return ''.join(pieces) if out is None else out

    def rewrite_bodies(self, hook):
        edits = []
        for f in self.funcs:
            if f.body is None:
                continue
            txt = self.render(f.body, hook, (f,))
            edits.append((self.sig[f.body.s], self.sig[f.body.e] + 1, txt))
        return self.apply(edits)

    # -- facts about a function
    def params(self, f):
        """Declarations of f's parameters."""
        out = []
        lp = f.paren
        rp = self.match[lp]
        q = lp + 1
        while q < rp:
            e = q
            while e < rp and self.T(e) != ',':
                if self.T(e) in ('(', '['):
                    e = self.match[e]
                elif self.T(e) == '<':
                    e2 = self.skip_angles(e, rp)
                    if e2 is not None:
                        e = e2 - 1
                e += 1
            d = self.parse_decl(q, e)
            if d is not None:
                out.append(d)
            q = e + 1
        return out

    def stmt_decl(self, st):
        if st.kind != 'simple':
            return None
        return self.parse_decl(st.s, st.e)

    def top_decls(self):
        out = []
        for it in self.items:
            if it.kind == 'decl':
                d = self.parse_decl(it.s, it.e)
                if d is not None:
                    out.append(d)
        return out


def needs_space(a, b):
    """Whether the token texts a and b must be kept apart to lex the same."""
    if not a or not b:
        return False
    if _ident_char(a[-1]) and (_ident_char(b[0])):
        return True
    if a[-1] == '.' and b[0].isdigit():
        return True
    if _ident_char(a[-1]) and b[0] in '"\'':
        return True   # L "x" must not become L"x"
    if a[-1].isdigit() and b[0] == '.':
        return True
    if a[-1] in 'eEpP' and b[0] in '+-' and a[0].isdigit():
        return True
    if not _ident_char(a[-1]) and not _ident_char(b[0]):
        j = lex(a + b)
        return len(j) != 2 or j[0].t != a
    return False


# ---------------------------------------------------------------------------
# What a source declares

def all_decls(src):
    """(Decl, where) for every declaration parse_decl recognises: top level,
    parameters, statements and for-initialisers in function bodies."""
    out = []
    for d in src.top_decls():
        out.append((d, 'top'))
    for f in src.funcs:
        try:
            for d in src.params(f):
                out.append((d, 'param'))
        except (KeyError, IndexError):
            pass
        for st, anc in src.all_stmts(f):
            d = None
            if st.kind == 'simple':
                d = src.parse_decl(st.s, st.e)
            elif st.kind == 'for' and st.semis:
                d = src.parse_decl(st.lp + 1, st.semis[0])
            if d is not None:
                out.append((d, 'local'))
    return out


def struct_bodies(src):
    """(lb, rb) of every struct/class/union body."""
    out = []
    for p in range(src.n):
        if src.T(p) in ('struct', 'class', 'union') and src.K(p) == 'id':
            q = p + 1
            while q < src.n and src.T(q) not in ('{', ';', '(', ')', '='):
                q += 1
            if src.T(q) == '{' and q in src.match:
                out.append((q, src.match[q]))
    return out


def member_decls(src, lb, rb):
    """Field declarations and method names inside a struct body."""
    decls, methods = [], []
    q = lb + 1
    while q < rb:
        if src.T(q) in ('public', 'private', 'protected') and src.T(q + 1) == ':':
            q += 2
            continue
        e = q
        paren = None
        while e < rb and src.T(e) != ';':
            if src.T(e) == '(' and paren is None:
                paren = e
            if src.T(e) == '{':
                break
            if src.T(e) in ('(', '['):
                e = src.match[e]
            e += 1
        if src.T(e) == '{':
            if paren is not None and src.is_name(paren - 1):
                methods.append(src.T(paren - 1))
            e = src.match[e]
            if src.T(e + 1) == ';':
                e += 1
        else:
            d = src.parse_decl(q, e)
            if d is not None:
                decls.append(d)
            elif paren is not None and src.is_name(paren - 1):
                methods.append(src.T(paren - 1))
        q = e + 1
    return decls, methods


def declared_names(src):
    """name -> what the program declares it as (func, var, type, field, macro, enum, label)."""
    out = {}

    def put(name, kind):
        if name not in KEYWORDS:
            out.setdefault(name, kind)

    for f in src.funcs:
        if f.name and re.match(r'^[A-Za-z_]\w*$', f.name):
            put(f.name, 'func')
    for d, where in all_decls(src):
        for v in d.vars:
            put(v['name'], 'func' if (where == 'top' and v['ctor'] and d.ctype is not None)
                else 'var')
    for lb, rb in struct_bodies(src):
        decls, methods = member_decls(src, lb, rb)
        for d in decls:
            for v in d.vars:
                put(v['name'], 'field')
        for m in methods:
            put(m, 'func')
    for t in sorted(src.own_types - BUILTIN_TYPE_WORDS):
        put(t, 'type')
    for p in range(src.n):
        t = src.T(p)
        k = src.K(p)
        if k == 'pp':
            m = re.match(r'#\s*define\s+([A-Za-z_]\w*)', t)
            if m:
                put(m.group(1), 'macro')
        elif t == 'enum':
            q = p + 1
            while q < src.n and src.T(q) not in ('{', ';'):
                q += 1
            if src.T(q) == '{':
                rb = src.match[q]
                x = q + 1
                while x < rb:
                    if src.is_name(x) and src.T(x - 1) in ('{', ','):
                        put(src.T(x), 'enum')
                    if src.T(x) in ('(', '['):
                        x = src.match[x]
                    x += 1
        elif src.is_name(p):
            # catch-all: NAME after a type, before = ; , [ ) (
            nx = src.T(p + 1)
            if nx in ('=', ';', ',', '[', ')', '(', '{', ':') and nx != '::':
                b = p - 1
                while b >= 0 and src.T(b) in ('*', '&', '&&', 'const'):
                    b -= 1
                pb = src.T(b)
                if (src.K(b) == 'id' and (pb in BUILTIN_TYPE_WORDS or pb in src.types)
                        and pb not in ('return',)):
                    put(t, 'var')
            if src.T(p + 1) == ':' and src.T(p - 1) in (';', '{', '}') and src.T(p + 2) != ':':
                if src.T(p) not in ('public', 'private', 'protected', 'default'):
                    put(t, 'label')
    return out


def var_types(src):
    """(scalars, arrays): name -> canonical arithmetic type, for names whose
    every declaration is of that one builtin type (plain or array)."""
    scal, arrs, bad = {}, {}, set()
    for d, where in all_decls(src):
        for v in d.vars:
            name = v['name']
            if v['ptr'] or v['ref'] or d.ctype is None or v['ctor'] or \
                    (v['arr'] and len(v['dims']) > 1):
                bad.add(name)
                continue
            tgt, other = (arrs, scal) if v['arr'] else (scal, arrs)
            if name in other or tgt.get(name, d.ctype) != d.ctype:
                bad.add(name)
            tgt[name] = d.ctype
    names = declared_names(src)
    for n, k in names.items():
        if k not in ('var',):
            bad.add(n)
    for n in bad:
        scal.pop(n, None)
        arrs.pop(n, None)
    return scal, arrs


def address_taken(src):
    """Names whose address is taken (&x), that are bound to references, or
    that are arrays or pointers: writes to them may be seen through others."""
    out = set()
    for p in range(src.n):
        if src.T(p) == '&' and src.is_name(p + 1):
            prev = src.T(p - 1)
            pk = src.K(p - 1)
            unary = not (pk in ('num', 'str', 'chr') or (pk == 'id' and prev not in KEYWORDS)
                         or prev in (')', ']'))
            if unary:
                out.add(src.T(p + 1))
    for d, where in all_decls(src):
        for v in d.vars:
            if v['ptr'] or v['arr'] or v['ref']:
                out.add(v['name'])
            if v['ref'] and v['init']:
                for q in range(v['init'][0], v['init'][1] + 1):
                    if src.is_name(q):
                        out.add(src.T(q))
    return out


# ---------------------------------------------------------------------------
# New names

WORDS = """val num cnt total res ans tmp buf idx pos len acc cur nxt prv lo hi mid key item
elem node score arr vec flag ok step best worst piece bound limit start stop fin base
head tail mark seen level depth width height row col code word text line ch dig bit mask
value result counter temp amount factor delta offset span weight cost price mem tab slot
stat info rec entry box bag pool heap queue_ stk lst grid cell pt dist sz qty sum_ prod
quot rem carry digit ptr_ tot aux help fix num_ iter run round turn pass stage phase""".split()
SHORT = "p q r u w z t1 t2 ii jj kk xx yy aa bb kx ix jx k1 k2 n1 n2 m1 v1 v2 c1 c2".split()
VERBS = """calc compute get find do make build check handle process run solve eval fill read
show print load update apply scan walk count collect gather test work go""".split()
NOUNS = """Value Total Result Data Info Items List Answer Stuff Numbers Sum Max Min Stats
Input Output Score Grade Table Array Range Case Step""".split()
MACRO_WORDS = """LIMIT CAP MAXN SIZE_ BOUND NMAX LEN_ TOP_ COUNT_ LIM MX SZ N_ MAXV""".split()
TYPE_WORDS = """Elem Rec Entry Item Node_ Cell Pt Unit Obj Thing Info Pair_ Box Cfg""".split()


class Namer:
    """Fresh names in one style per file, never clashing with the file's
    own names, the library's or the keywords."""

    def __init__(self, rng, taken):
        self.rng = rng
        self.taken = set(taken) | KEYWORDS
        self.style = rng.choice(['snake', 'camel', 'plain'])

    def _free(self, base):
        if base not in self.taken:
            self.taken.add(base)
            return base
        for i in range(2, 1000):
            sep = '_' if self.style == 'snake' and base[-1].isalpha() else ''
            cand = '%s%s%d' % (base, sep, i)
            if cand not in self.taken:
                self.taken.add(cand)
                return cand
        raise RuntimeError('no free name')

    def name(self, kind, orig=''):
        r = self.rng
        if kind == 'func':
            v, nn = r.choice(VERBS), r.choice(NOUNS)
            base = v + nn if self.style != 'snake' else v + '_' + nn.lower()
        elif kind == 'macro' or (orig.isupper() and len(orig) > 1):
            base = r.choice(MACRO_WORDS).rstrip('_')
        elif kind == 'type':
            base = r.choice(TYPE_WORDS).rstrip('_')
        elif len(orig) <= 2 and r.random() < 0.7:
            base = r.choice(SHORT)
        else:
            w = r.choice(WORDS).rstrip('_')
            if self.style == 'camel' and r.random() < 0.4:
                w = r.choice(['my', 'the', 'cur', 'tmp', 'new']) + w.capitalize()
            elif self.style == 'snake' and r.random() < 0.4:
                w = w + '_' + r.choice(['val', 'cnt', 'idx', 'v', 'n', 'x'])
            base = w
        return self._free(base)


# ---------------------------------------------------------------------------
# The tricks. Each takes (kit, text, rng, cfg) and returns new text; kit holds
# what is known of the file (language, the library's names), cfg the strength.

class Cfg:
    def __init__(self, strength):
        self.heavy = strength == 'heavy'
        self.rate = 0.8 if self.heavy else 0.3

    def chance(self, rng, scale=1.0):
        return rng.random() < min(1.0, self.rate * scale)


def insertion_point(src):
    """Token index where new top-level lines (macros, typedefs, references to
    library objects) may go: the start of the line of the first code that is
    not a directive, or after a later #include that still precedes the first
    function, provided it stands outside any #if."""
    first = None
    for it in src.items:
        if it.kind != 'pp':
            first = it
            break
    if first is None:
        return len(src.toks)
    i = src.sig[first.s]
    while i > 0 and src.toks[i - 1].k != 'nl':
        i -= 1
    depth = 0
    best = i
    for it in src.items:
        if it.kind == 'func':
            break
        if it.kind != 'pp':
            continue
        d = pp_directive(src.T(it.s))
        if d in ('if', 'ifdef', 'ifndef'):
            depth += 1
        elif d == 'endif':
            depth -= 1
        elif d == 'include' and depth == 0 and src.sig[it.s] > best:
            j = src.sig[it.s] + 1
            while j < len(src.toks) and src.toks[j].k != 'nl':
                j += 1
            best = min(j + 1, len(src.toks))
    return best


def _nl(text):
    return '\r\n' if '\r\n' in text else '\n'


def rename_in_directive(text, mapping):
    """A directive's text with its identifiers renamed (not #include, #pragma...)."""
    d = pp_directive(text)
    if d not in ('define', 'undef', 'if', 'ifdef', 'ifndef', 'elif'):
        return text
    m = re.match(r'#\s*[A-Za-z_]\w*', text)
    head, rest = text[:m.end()], text[m.end():]
    toks = lex(rest)
    for t in toks:
        if t.k == 'id' and t.t in mapping and t.t != 'defined':
            t.t = mapping[t.t]
    return head + join(toks)


LIBRARY_RENAMES = ['cin', 'cout', 'printf', 'scanf', 'puts', 'getchar', 'putchar', 'memset',
                   'strlen', 'strcmp', 'strcpy', 'sort', 'endl', 'sqrt', 'abs', 'fabs', 'gets',
                   'fgets', 'string', 'vector', 'freopen', 'swap', 'max', 'min']
LIBRARY_ALIASES = {'cin': ['in_', 'input', 'rd', 'IN'], 'cout': ['out_', 'output', 'wr', 'OUT'],
                   'printf': ['PRINT', 'say', 'outf', 'show'], 'scanf': ['READ', 'inf', 'getf'],
                   'endl': ['NL', 'nl', 'ENDL'], 'puts': ['PUTS', 'line_out'],
                   'memset': ['FILL', 'clr'], 'sort': ['SORT', 'order']}


def _template_args(seq, i):
    """Whether the '<' at seq[i] opens template arguments (a '>' closes it
    soon, and a name, '(', '::' or another closer follows)."""
    depth = 0
    for j in range(i, min(len(seq), i + 40)):
        t = seq[j][0]
        if t == '<':
            depth += 1
        elif t in ('>', '>>'):
            depth -= 1 if t == '>' else 2
            if depth <= 0:
                nxt = seq[j + 1] if j + 1 < len(seq) else ('', '')
                return nxt[1] == 'id' or nxt[0] in ('(', '::', '>', ',', ')', '{', '&', '*')
        elif t in (';', '{', '}', '&&', '||', '?', '=', '(', ')'):
            return False
    return False


def t_rename(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    lib = kit.library_names
    declared = declared_names(src)
    # how names are used, in the code and in the bodies of macros
    seqs = [[(src.T(p), src.K(p)) for p in range(src.n) if src.K(p) != 'pp']]
    for p in range(src.n):
        if src.K(p) == 'pp' and pp_directive(src.T(p)) in ('define', 'if', 'elif'):
            seqs.append([(t.t, t.k) for t in lex(src.T(p)[1:]) if t.k not in SKIP_KINDS])
    member = set()
    called = set()
    as_type = set()
    for seq in seqs:
        for i, (t, k) in enumerate(seq):
            if k != 'id' or t in KEYWORDS:
                continue
            prev = seq[i - 1][0] if i > 0 else ''
            nxt, nk = seq[i + 1] if i + 1 < len(seq) else ('', '')
            if prev in ('.', '->', '::') or nxt == '::':
                member.add(t)
            if nxt == '(':
                called.add(t)
            if (nxt == '<' and _template_args(seq, i + 1)) or (nk == 'id' and nxt not in KEYWORDS) or \
                    (nxt in ('*', '&') and prev in ('(', ',', ';', '{', '}', '')):
                as_type.add(t)
    cands = set()
    for p in range(src.n):
        if not src.is_name(p):
            continue
        name = src.T(p)
        if name == 'main' or name.startswith('__') or name in ('std', 'defined'):
            continue
        if name not in lib:
            cands.add(name)
        elif name in declared and name not in member and \
                (name not in called or declared[name] in ('func', 'type', 'macro')) and \
                (name not in as_type or declared[name] in ('type', 'macro')):
            cands.add(name)
    for it in src.items:
        if it.kind == 'pp' and pp_directive(src.T(it.s)) in ('define', 'undef'):
            m = re.match(r'#\s*\w+\s+([A-Za-z_]\w*)', src.T(it.s))
            if m and m.group(1) not in lib and not m.group(1).startswith('__'):
                cands.add(m.group(1))
    namer = Namer(rng, src.idents | lib | kit.all_idents(text))
    mapping = {}
    rate = 1.0 if cfg.heavy else 0.5
    for name in sorted(cands):
        if rng.random() < rate:
            mapping[name] = namer.name(declared.get(name, 'var'), name)
    edits = []
    for p in range(src.n):
        t = src.T(p)
        if src.K(p) == 'id' and t in mapping:
            edits.append((src.sig[p], src.sig[p] + 1, mapping[t]))
        elif src.K(p) == 'pp':
            new = rename_in_directive(t, mapping)
            if new != t:
                edits.append((src.sig[p], src.sig[p] + 1, new))
    # library names through a macro or a reference
    ins = insertion_point(src)
    used = {}
    for p in range(src.n):
        if src.K(p) == 'id' and src.sig[p] >= ins:
            used.setdefault(src.T(p), []).append(p)
    lines = []
    nl = _nl(text)
    has_iostream = any(x in text for x in ('<iostream>', '<bits/stdc++.h>'))
    for lname in LIBRARY_RENAMES:
        if lname not in used or lname not in lib or lname in declared or lname in mapping:
            continue
        if not rng.random() < (0.7 if cfg.heavy else 0.3):
            continue
        alias = namer._free(rng.choice(LIBRARY_ALIASES.get(lname, [lname.upper() + '_',
                                                                    'my_' + lname])))
        ref = lname in ('cin', 'cout') and kit.lang == 'c++' and has_iostream and rng.random() < 0.5
        if ref:
            lines.append('std::%s &%s = std::%s;' % ('istream' if lname == 'cin' else 'ostream',
                                                      alias, lname))
        else:
            lines.append('#define %s %s' % (alias, lname))
        for p in used[lname]:
            if ref and src.T(p - 1) == '::':
                if src.T(p - 2) != 'std':
                    continue
                edits.append((src.sig[p - 2], src.sig[p] + 1, alias))
            elif ref and src.T(p - 1) in ('.', '->'):
                continue
            else:
                edits.append((src.sig[p], src.sig[p] + 1, alias))
    if lines:
        edits.append((ins, ins, nl.join(lines) + nl))
    return src.apply(edits)


COMMENT_PHRASES = {
    'loop': ['loop over the input', 'go through every element', 'main loop', 'iterate',
             'walk the array', 'scan all items', 'repeat until done', 'for each value'],
    'read': ['read input', 'get the data', 'input', 'read the values', 'read numbers'],
    'print': ['output', 'print the result', 'show the answer', 'write output', 'print'],
    'if': ['check the condition', 'special case', 'edge case', 'handle this case',
           'check bounds', 'test it'],
    'return': ['done', 'return the result', 'finish', 'return'],
    'decl': ['variables', 'declare locals', 'init', 'set up', 'local variables'],
    'any': ['update', 'compute', 'next step', 'keep track of the state', 'calculate',
            'important!', 'note: careful here', 'TODO check', 'fix later', 'work',
            'update counters', 'the core of it', 'as in class'],
    'func': ['helper function', 'compute the answer', 'function', 'solve the problem',
             'utility', 'main logic', 'entry point', 'does the real work', 'subroutine'],
}
COMMENT_SYNONYMS = {'read': 'get', 'get': 'fetch', 'compute': 'calculate', 'calculate': 'work out',
                    'print': 'output', 'output': 'print', 'the': 'a', 'find': 'look for',
                    'number': 'value', 'numbers': 'values', 'value': 'number', 'array': 'list',
                    'loop': 'iterate', 'max': 'maximum', 'min': 'minimum', 'sum': 'total',
                    'total': 'sum', 'count': 'number of', 'check': 'test', 'and': '&',
                    'input': 'data', 'result': 'answer', 'answer': 'result'}


def _phrase_for(src, st, rng):
    if st.kind in ('for', 'while', 'do'):
        key = 'loop'
    elif st.kind == 'if':
        key = 'if'
    elif st.kind == 'simple':
        words = {src.T(p) for p in range(st.s, st.e + 1)}
        if words & {'scanf', 'cin', 'gets', 'getchar', 'fgets', 'getline'}:
            key = 'read'
        elif words & {'printf', 'cout', 'puts', 'putchar'}:
            key = 'print'
        elif src.T(st.s) == 'return':
            key = 'return'
        elif src.parse_decl(st.s, st.e) is not None:
            key = 'decl'
        else:
            key = 'any'
    else:
        key = 'any'
    pool = COMMENT_PHRASES[key] + (COMMENT_PHRASES['any'] if rng.random() < 0.3 else [])
    return rng.choice(pool)


def _comment(phrase, rng, line_ok=True):
    if line_ok and rng.random() < 0.7:
        return '// ' + phrase
    return '/* ' + phrase + ' */'


def _gap_indent(gap):
    """The indentation a gap leaves before the next statement, or None if
    the statement does not start a line."""
    if '\n' not in gap and '\r' not in gap:
        return None
    tail = re.split(r'[\r\n]', gap)[-1]
    return tail if not tail.strip() else None


def _insert_line(pieces, i, line, nl):
    """Put `line` on a line of its own before kid i of block pieces."""
    gi = 2 * i
    gap = pieces[gi]
    ind = _gap_indent(gap)
    if ind is None:
        if line.startswith('//'):
            line = '/*' + line[2:].replace('*/', '* /') + ' */'
        pieces[gi] = gap + line + ' '
    else:
        pieces[gi] = gap + line + nl + ind


def t_comments(kit, text, rng, cfg):
    # first reword or remove the comments there are
    src = Src(text, kit.lang)
    nl = _nl(text)
    edits = []
    for i, t in enumerate(src.toks):
        if t.k not in ('cmt', 'bcmt'):
            continue
        r = rng.random()
        if r < cfg.rate * 0.35:
            edits.append((i, i + 1, '' if t.k == 'cmt' else ' '))
        elif r < cfg.rate * 0.9:
            body = t.t[2:] if t.k == 'cmt' else t.t[2:-2]
            words = re.findall(r'[A-Za-z]+', body)
            if words and rng.random() < 0.5:
                new = re.sub(r'[A-Za-z]+',
                             lambda m: COMMENT_SYNONYMS.get(m.group(0).lower(), m.group(0))
                             if rng.random() < 0.7 else m.group(0), body)
                if new == body:
                    new = ' ' + rng.choice(COMMENT_PHRASES['any'])
            else:
                new = ' ' + rng.choice(COMMENT_PHRASES['any' if rng.random() < 0.5 else 'func'])
            if t.k == 'cmt':
                edits.append((i, i + 1, '//' + new.rstrip()))
            else:
                edits.append((i, i + 1, '/*' + new.replace('*/', '* /') + ' */'))
    text = src.apply(edits)
    # then add: banners and notes before functions, notes between statements
    src = Src(text, kit.lang)
    edits = []
    for f in src.funcs:
        if not cfg.chance(rng, 1.0):
            continue
        j = src.sig[f.s]
        while j > 0 and src.toks[j - 1].k == 'ws':
            j -= 1
        lead = '' if j == 0 or src.toks[j - 1].k == 'nl' else nl
        w = rng.choice([20, 30, 40, 60])
        ch = rng.choice('=-*#~')
        kind = rng.randrange(4)
        phrase = rng.choice(COMMENT_PHRASES['func'])
        if kind == 0:
            block = ['// ' + ch * w, '// ' + phrase, '// ' + ch * w]
        elif kind == 1:
            block = ['/' + '*' * w, ' * ' + phrase, ' ' + '*' * w + '/']
        elif kind == 2:
            block = ['/* ' + ch * (w // 2) + ' ' + phrase + ' ' + ch * (w // 2) + ' */']
        else:
            block = ['// ' + phrase]
        edits.append((j, j, lead + nl.join(block) + nl))

    def hook(src, st, pieces, anc):
        if st.kind != 'block':
            return None
        kids = st.kids
        if cfg.heavy and kids and rng.random() < 0.3:
            _insert_line(pieces, 0, '// ' + rng.choice('=-*') * rng.choice([10, 20, 30]), nl)
        for i in range(len(kids) - 1, -1, -1):
            k = kids[i]
            if k.kind in ('pp', 'label', 'empty'):
                continue
            if cfg.chance(rng, 0.45):
                _insert_line(pieces, i, _comment(_phrase_for(src, k, rng), rng), nl)
            elif k.kind == 'simple' and cfg.chance(rng, 0.15):
                after = src.sig[k.e] + 1
                eol = after < len(src.toks) and (src.toks[after].k == 'nl' or (
                    src.toks[after].k == 'ws' and after + 1 < len(src.toks) and
                    src.toks[after + 1].k == 'nl'))
                c = _comment(_phrase_for(src, k, rng), rng, line_ok=eol)
                pieces[2 * i + 1] = pieces[2 * i + 1] + ' ' * rng.choice([1, 2, 4]) + c
        return None
    if src.ok:
        for f in src.funcs:
            if f.body is not None:
                txt = src.render(f.body, hook, (f,))
                edits.append((src.sig[f.body.s], src.sig[f.body.e] + 1, txt))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# layout

_space_cache = {}


def _must_space(a, b):
    key = (a, b)
    v = _space_cache.get(key)
    if v is None:
        v = _space_cache[key] = needs_space(a, b)
    return v


OPERAND_KWS = {'this', 'true', 'false', 'nullptr', 'NULL'}


def t_layout(kit, text, rng, cfg):
    """Re-emit the code with new indentation, brace placement, spacing and
    line breaks. Only whitespace changes (and where comments sit)."""
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    heavy = cfg.heavy
    indent = rng.choice(['  ', '    ', '\t', '   ', '        ']) if heavy else \
        rng.choice(['  ', '    ', '\t', '   '])
    allman = rng.random() < 0.5
    cuddle_else = rng.random() < 0.5
    case_indent = rng.random() < 0.5
    sp_op = rng.random() < (0.5 if heavy else 0.8)
    sp_assign = sp_op or rng.random() < 0.5
    sp_comma = rng.random() < (0.6 if heavy else 0.9)
    sp_kw = rng.random() < 0.7
    sp_in_paren = heavy and rng.random() < 0.15
    ptr_to_type = rng.random() < 0.4
    join_short = heavy and rng.random() < 0.5
    blank_funcs = rng.choice([0, 1, 1, 2]) if heavy else 1
    keep_blank = 0.3 if heavy else 0.9

    toks = src.toks
    lines = []
    cur = []
    state = {'bol': True, 'prev': None, 'prevk': None, 'prev2': None}
    level = [0]
    # one frame per open brace: kind (block, init, type, switch, do), parens open
    frames = [{'kind': 'file', 'paren': 0, 'tmpl': 0}]
    pos_of = {ti: p for p, ti in enumerate(src.sig)}
    ctrl_close = {src.match[p + 1] for p in range(src.n - 1)
                  if src.T(p) in ('if', 'while', 'for', 'switch') and src.T(p + 1) == '('}
    stmt_start = [True]
    stmt_head = [None]

    def newline():
        line = ''.join(cur).rstrip()
        lines.append(line)
        cur.clear()
        state['bol'] = True

    def blank():
        if lines and lines[-1] != '':
            lines.append('')

    def put(t, lvl=None):
        if state['bol']:
            lv = level[0] if lvl is None else lvl
            cur.append(indent * max(lv, 0))
            state['bol'] = False
        cur.append(t)

    def operand_end(t, k):
        return k in ('num', 'str', 'chr') or (k == 'id' and (t not in KEYWORDS or t in OPERAND_KWS)) \
            or t in (')', ']')

    def spacing(prev, prevk, prev2, t, k, fr):
        """' ' or '' between prev and t on one line."""
        if _must_space(prev, t):
            return ' '
        if fr['tmpl'] > 0 and (t in ('<', '>', '>>', ',') or prev in ('<', ',')):
            return ' ' if (prev == ',' and sp_comma) else ''
        if t in (',', ';'):
            return ''
        if prev == ',':
            return ' ' if sp_comma else ''
        if prev == ';':
            return ' ' if sp_comma or sp_op else ''
        if prev in ('.', '->', '::', '.*', '->*') or t in ('.', '->', '::', '.*', '->*'):
            return ''
        if t in (')', ']'):
            return ' ' if sp_in_paren and t == ')' and prev != '(' else ''
        if prev in ('(', '['):
            return ' ' if sp_in_paren and prev == '(' and t != ')' else ''
        if t == '[':
            return ''
        if t == '(':
            if prevk == 'id' and prev in ('if', 'while', 'for', 'switch', 'catch', 'return'):
                return ' ' if sp_kw or prev == 'return' else ''
            if operand_end(prev, prevk) or prev in ('>',):
                return ''
        if prev in ('!', '~'):
            return ''
        if prev in ('*', '&') and prev2 is not None and prev2[1] == 'id' and \
                (prev2[0] in BUILTIN_TYPE_WORDS or prev2[0] in src.types or prev2[0] == 'const'):
            return ' ' if ptr_to_type else ''
        if t in ('*', '&') and prevk == 'id' and (prev in BUILTIN_TYPE_WORDS or prev in src.types):
            return '' if ptr_to_type else ' '
        if t in ('++', '--'):
            return '' if operand_end(prev, prevk) else None
        if prev in ('++', '--'):
            if not (prev2 is not None and operand_end(*prev2)):
                return ''   # prefix
        if prev in ('-', '+', '*', '&') and not (prev2 is not None and operand_end(*prev2)):
            return ''   # unary
        if k == 'op' and t in ASSIGN_OPS or prevk == 'op' and prev in ASSIGN_OPS:
            return ' ' if sp_assign else ''
        if k == 'op' and t not in ('(', '{', '}') or prevk == 'op' and prev not in (')', '}'):
            return ' ' if sp_op else ''
        return ' '

    i = 0
    n = len(toks)
    pending_blank = False
    while i < n:
        tk = toks[i]
        if tk.k in ('ws',):
            i += 1
            continue
        if tk.k == 'nl':
            j = i
            count = 0
            while j < n and toks[j].k in ('nl', 'ws'):
                if toks[j].k == 'nl':
                    count += 1
                j += 1
            if count >= 2 and rng.random() < keep_blank:
                pending_blank = True
            i = j
            continue
        if tk.k in ('cmt', 'bcmt'):
            # on a line of its own?
            j = i - 1
            while j >= 0 and toks[j].k == 'ws':
                j -= 1
            own = j < 0 or toks[j].k == 'nl'
            if own and not state['bol']:
                newline()
            if pending_blank and state['bol']:
                blank()
                pending_blank = False
            if not state['bol']:
                cur.append(' ')
            put(tk.t)
            if tk.k == 'cmt' or own or '\n' in tk.t:
                newline()
            i += 1
            continue
        if tk.k == 'pp':
            if not state['bol']:
                newline()
            if pending_blank:
                blank()
                pending_blank = False
            lines.append(tk.t)
            state['bol'] = True
            i += 1
            continue
        # a code token
        p = pos_of[i]
        t, k = tk.t, tk.k
        fr = frames[-1]
        if pending_blank and state['bol']:
            blank()
        pending_blank = False
        prev, prevk = state['prev'], state['prevk']
        if t == '{' and k == 'op':
            pt, pk = src.T(p - 1), src.K(p - 1)
            head = stmt_head[-1]
            if fr['kind'] == 'init':
                kind = 'init'
            elif pk == 'op' and pt in ('=', ',', '(', '[', '{', '<', '?'):
                kind = 'init'
            elif pk == 'op' and pt == '>':
                kind = 'type' if head == 'template' else 'init'
            elif pk == 'id' and pt == 'return':
                kind = 'init'
            elif pk == 'id' and pt in ('struct', 'class', 'union', 'enum'):
                kind = 'type'
            elif pk == 'id' and pt not in KEYWORDS:
                if head in ('struct', 'class', 'union', 'enum', 'typedef', 'template'):
                    kind = 'type'
                elif head in ('namespace', 'extern'):
                    kind = 'block'
                else:
                    kind = 'init'
            elif head == 'switch' and pt == ')':
                kind = 'switch'
            elif pt == 'do':
                kind = 'do'
            else:
                kind = 'block'
            if kind == 'init':
                if not state['bol']:
                    cur.append(spacing(prev, prevk, state['prev2'], t, k, fr) or '')
                put('{')
                frames.append({'kind': 'init', 'paren': 0, 'tmpl': 0})
            else:
                if not state['bol']:
                    if allman and prev not in ('=',):
                        newline()
                    else:
                        cur.append(' ')
                put('{')
                newline()
                frames.append({'kind': kind, 'paren': 0, 'tmpl': 0})
                level[0] += 2 if (kind == 'switch' and case_indent) else 1
                stmt_start.append(True)
                stmt_head.append(None)
            state.update(prev='{', prevk='op', prev2=(prev, prevk))
            i += 1
            continue
        if t == '}' and k == 'op':
            if fr['kind'] == 'init':
                put('}')
                frames.pop()
                state.update(prev='}', prevk='op', prev2=(prev, prevk))
                i += 1
                continue
            if not state['bol']:
                newline()
            frames.pop()
            level[0] -= 2 if (fr['kind'] == 'switch' and case_indent) else 1
            stmt_start.pop()
            stmt_head.pop()
            put('}')
            nxt = src.T(p + 1)
            if nxt == 'else':
                if cuddle_else:
                    cur.append(' ')
                else:
                    newline()
            elif nxt == 'while' and fr['kind'] == 'do':
                cur.append(' ')
            elif fr['kind'] in ('type',) or nxt in (';', ',', ')') or \
                    (fr['kind'] == 'init'):
                pass
            else:
                newline()
                if len(frames) == 1 and blank_funcs and src.K(p + 1) != 'pp':
                    for _ in range(blank_funcs):
                        lines.append('')
            stmt_start[-1] = True
            stmt_head[-1] = None
            state.update(prev='}', prevk='op', prev2=(prev, prevk))
            i += 1
            continue
        # labels inside switch bodies sit one step out
        lvl = None
        if stmt_start[-1]:
            stmt_head[-1] = t
            if t in ('case', 'default') or (k == 'id' and src.T(p + 1) == ':' and t not in KEYWORDS) \
                    or t in ('public', 'private', 'protected'):
                lvl = level[0] - 1
        if state['bol']:
            put(t, lvl)
        elif state.get('joined') or (p - 1) in ctrl_close:
            cur.append(' ')
            cur.append(t)
        else:
            sp = spacing(prev, prevk, state['prev2'], t, k, fr)
            cur.append(' ' if sp is None else sp)
            cur.append(t)
        state['joined'] = False
        if k == 'id' and t in TEMPLATE_NAMES | (src.types - BUILTIN_TYPE_WORDS) and src.T(p + 1) == '<':
            fr['tmpl'] += 1
        elif fr['tmpl'] > 0 and t == '<' and src.T(p - 1) in TEMPLATE_NAMES | src.types:
            pass
        elif fr['tmpl'] > 0 and t == '>':
            fr['tmpl'] -= 1
        elif fr['tmpl'] > 0 and t == '>>':
            fr['tmpl'] = max(0, fr['tmpl'] - 2)
        elif fr['tmpl'] > 0 and t in (';', '{', ')') and fr['paren'] == 0:
            fr['tmpl'] = 0
        stmt_start[-1] = False
        if t == '(':
            fr['paren'] += 1
        elif t == ')':
            fr['paren'] -= 1
        state.update(prev=t, prevk=k, prev2=(prev, prevk))
        if t == ';' and fr['paren'] <= 0 and fr['kind'] != 'init':
            stmt_start[-1] = True
            stmt_head[-1] = None
            nxt = src.T(p + 1)
            if join_short and len(''.join(cur)) < 40 and rng.random() < 0.2 and \
                    nxt not in ('}', 'case', 'default', '') and src.K(p + 1) == 'id' and \
                    toks[src.sig[p + 1] - 1].k in ('ws', 'nl') and \
                    not any(toks[x].k in ('cmt', 'bcmt', 'pp') for x in range(i + 1, src.sig[p + 1])):
                state['joined'] = True
            else:
                newline()
                if heavy and rng.random() < 0.06:
                    lines.append('')
        elif t == ':' and k == 'op' and stmt_head[-1] in ('case', 'default', 'public', 'private',
                                                           'protected') and fr['paren'] == 0:
            # the label's colon (not one inside a ?: of a case value)
            q = p - 1
            depth = 0
            while q >= 0 and src.T(q) not in ('case', 'default', 'public', 'private', 'protected'):
                if src.T(q) == '?':
                    depth += 1
                elif src.T(q) == ':':
                    depth -= 1
                q -= 1
            if depth <= 0:
                stmt_start[-1] = True
                stmt_head[-1] = None
                newline()
        elif t == ':' and k == 'op' and src.T(p - 2) in (';', '{', '}', ':') and src.is_name(p - 1) \
                and fr['paren'] == 0 and stmt_head[-1] == src.T(p - 1):
            stmt_start[-1] = True
            stmt_head[-1] = None
            newline()
        i += 1
    if cur:
        newline()
    out = nl.join(lines).rstrip() + nl
    return out


# ---------------------------------------------------------------------------
# reorder

def _strip_defaults(src, f):
    """Token spans (sig positions) of default arguments in f's parameter list."""
    out = []
    rp = src.match[f.paren]
    q = f.paren + 1
    while q < rp:
        t = src.T(q)
        if t in ('(', '[', '{'):
            q = src.match[q] + 1
            continue
        if t == '=':
            e = q
            while e < rp and src.T(e) != ',':
                if src.T(e) in ('(', '[', '{'):
                    e = src.match[e]
                e += 1
            out.append((q, e - 1))
            q = e
            continue
        q += 1
    return out


def t_reorder(kit, text, rng, cfg):
    """Shuffle runs of function definitions, with prototypes of them all
    before the run. Global variables between them whose declarations need
    nothing declared later go to the start of the run first."""
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    lib = kit.library_names

    def good_func(it):
        return it.kind == 'func' and not it.member and \
            not any(src.T(x) in (';', '{') for x in range(it.s, it.lb))

    def movable_global(it, seen):
        if it.kind != 'decl':
            return False
        d = src.parse_decl(it.s, it.e)
        if d is None or any(v['ctor'] is not None for v in d.vars):
            return False
        own = {v['name'] for v in d.vars}
        for q in range(it.s, it.e):
            if src.is_name(q) and src.T(q) not in own and src.T(q) not in seen and \
                    src.T(q) not in lib:
                return False
        return True

    runs = []
    cur = []
    seen = set()
    seen_upto = 0

    def close():
        if sum(1 for i in cur if src.items[i].kind == 'func') >= 2:
            while src.items[cur[-1]].kind != 'func':
                cur.pop()
            runs.append(list(cur))
        cur.clear()
    for idx, it in enumerate(src.items):
        if not cur:
            # names declared before a run starts
            for q in range(seen_upto, it.s):
                if src.K(q) == 'id':
                    seen.add(src.T(q))
                elif src.K(q) == 'pp':
                    seen |= set(re.findall(r'[A-Za-z_]\w*', src.T(q)))
            seen_upto = it.s
        if good_func(it):
            cur.append(idx)
        elif cur and movable_global(it, seen):
            cur.append(idx)
        else:
            close()
    close()
    edits = []
    for run in runs:
        if not cfg.heavy and rng.random() > 0.7:
            continue
        items = [src.items[i] for i in run]
        start = src.sig[src.items[run[0] - 1].e] + 1 if run[0] > 0 else 0
        chunks = []
        for j, it in enumerate(items):
            a = src.sig[items[j - 1].e] + 1 if j > 0 else start
            b = src.sig[it.e] + 1
            defaults = _strip_defaults(src, it) if it.kind == 'func' else []
            cut = [(src.sig[ds], src.sig[de] + 1, '') for ds, de in defaults]
            chunks.append((it, _slice_after_edits(src.toks, a, b, cut)))
        m = re.match(r'\s*', chunks[0][1])
        lead = chunks[0][1][:m.end()]
        chunks[0] = (chunks[0][0], chunks[0][1][m.end():])
        globs = [c for it, c in chunks if it.kind != 'func']
        funcs = [(it, c) for it, c in chunks if it.kind == 'func']
        order = list(range(len(funcs)))
        while order == sorted(order):
            rng.shuffle(order)
        protos = [src.squeeze(it.s, it.lb - 1) + ';' for it, _ in funcs if it.name != 'main']
        new = lead
        if globs:
            new += nl.join(c.strip('\r\n') for c in globs) + nl + nl
        if protos:
            new += nl.join(protos) + nl + nl
        new += (nl + nl).join(funcs[i][1].strip('\r\n') for i in order)
        edits.append((start, src.sig[items[-1].e] + 1, new))
    return src.apply(edits)


def _slice_after_edits(toks, a, b, cuts):
    out = []
    i = a
    for s, e, txt in sorted(cuts):
        if s < a or e > b:
            continue
        out.append(join(toks[i:s]))
        out.append(txt)
        i = e
    out.append(join(toks[i:b]))
    return ''.join(out)


# ---------------------------------------------------------------------------
# facts about statements

PURE_CALLS = set("""abs fabs labs llabs sqrt pow sin cos tan atan atan2 asin acos exp log log10
log2 floor ceil round min max fmin fmax hypot fmod sizeof""".split())
IO_NAMES = set("""cin cout cerr clog printf scanf puts gets getchar putchar fgets fputs fprintf
fscanf sprintf sscanf freopen fopen fclose getline endl exit abort""".split())


def _unary_at(src, q):
    pt, pk = src.T(q - 1), src.K(q - 1)
    return not (pk in ('num', 'str', 'chr') or (pk == 'id' and (pt not in KEYWORDS or pt in OPERAND_KWS))
                or pt in (')', ']', '++', '--'))


class Info:
    pass


def stmt_info(src, st, aliased):
    """What a simple statement reads and writes, or None if it must not move."""
    if st.kind != 'simple' or st.brace:
        return None
    first = src.T(st.s)
    if first in ('return', 'break', 'continue', 'goto', 'throw', 'using', 'typedef', 'static',
                 'asm', 'delete', 'extern', 'struct', 'class', 'union', 'enum', 'register'):
        return None
    inf = Info()
    inf.decl = src.parse_decl(st.s, st.e)
    inf.reads = set()
    inf.writes = set()
    inf.call = False
    inf.ind_w = inf.ind_r = False
    ctor_pos = set()
    if inf.decl is not None:
        for v in inf.decl.vars:
            inf.writes.add(v['name'])
            if v['ctor']:
                ctor_pos.add(v['pos'])
                if inf.decl.ctype is None and not set(inf.decl.words) & LIBRARY_TYPES:
                    inf.call = True
            if v['ptr'] or v['ref'] or v['arr']:
                inf.ind_r = True
    last_assign = None
    incdec = False
    for q in range(st.s, st.e):
        t = src.T(q)
        if src.is_name(q):
            inf.reads.add(t)
            if t in IO_NAMES:
                inf.call = True
            if src.T(q + 1) == '(' and q not in ctor_pos and t not in PURE_CALLS:
                inf.call = True
        elif src.K(q) == 'id' and t in ('new', 'delete', 'throw', 'this'):
            inf.call = True
        elif src.K(q) == 'op':
            if t in ASSIGN_OPS:
                last_assign = q
            elif t in ('++', '--'):
                incdec = True
            elif t in ('[', '->'):
                inf.ind_r = True
            elif t == '*' and _unary_at(src, q) and inf.decl is None:
                inf.ind_r = True
    if inf.decl is None and last_assign is not None:
        for q in range(st.s, last_assign):
            if src.is_name(q):
                inf.writes.add(src.T(q))
            if src.T(q) in ('[', '->') or (src.T(q) == '*' and _unary_at(src, q)):
                inf.ind_w = True
    if incdec or inf.call:
        inf.writes |= inf.reads
        if incdec and inf.ind_r:
            inf.ind_w = True
    new = {v['name'] for v in inf.decl.vars} if inf.decl is not None else set()
    if (inf.writes - new) & aliased:
        inf.ind_w = True
    if (inf.reads - new) & aliased:
        inf.ind_r = True
    inf.new = new
    return inf


def _safe_decl(inf, locals_):
    """A declaration of new names from plain local values only."""
    if inf.decl is None or inf.call or inf.ind_r or inf.ind_w:
        return False
    read = inf.reads - inf.new - set(inf.decl.words)
    return all(n in locals_ for n in read)


def can_swap(a, b, locals_):
    if a is None or b is None:
        return False
    if a.writes & b.reads or b.writes & a.reads or a.writes & b.writes:
        return False
    if a.call and b.call:
        return False
    for x, y in ((a, b), (b, a)):
        if (x.call or x.ind_w) and not _safe_decl(y, locals_):
            return False
    return True


def func_locals(src, f, aliased):
    """Plain (never aliased) local names of f: parameters and locals."""
    names = set()
    try:
        for d in src.params(f):
            for v in d.vars:
                names.add(v['name'])
    except (KeyError, IndexError):
        pass
    for st, anc in src.all_stmts(f):
        d = None
        if st.kind == 'simple':
            d = src.parse_decl(st.s, st.e)
        elif st.kind == 'for' and st.semis:
            d = src.parse_decl(st.lp + 1, st.semis[0])
        if d is not None:
            for v in d.vars:
                names.add(v['name'])
    globals_ = set()
    for d in src.top_decls():
        for v in d.vars:
            globals_.add(v['name'])
    return names - aliased - globals_


def t_swap(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    aliased = address_taken(src)
    cache = {}

    def hook(src, st, pieces, anc):
        if st.kind != 'block':
            return None
        f = anc[0]
        if f not in cache:
            cache[f] = func_locals(src, f, aliased)
        locals_ = cache[f]
        infos = [stmt_info(src, k, aliased) for k in st.kids]
        i = 0
        while i < len(st.kids) - 1:
            if can_swap(infos[i], infos[i + 1], locals_) and cfg.chance(rng, 1.0):
                pieces[2 * i + 1], pieces[2 * i + 3] = pieces[2 * i + 3], pieces[2 * i + 1]
                i += 2
            else:
                i += 1
        return None
    return src.rewrite_bodies(hook)


# ---------------------------------------------------------------------------
# deadcode

def visible_scalars(src, f, st, anc, upto):
    """Arithmetic, non-const locals (and parameters) in scope before kid
    `upto` of block st, with their canonical types."""
    out = {}

    def add(d):
        if d is None or d.ctype is None or 'const' in d.words or 'const' in d.quals:
            return
        for v in d.vars:
            if not (v['ptr'] or v['ref'] or v['arr'] or v['ctor']):
                out[v['name']] = d.ctype
    try:
        for d in src.params(f):
            add(d)
    except (KeyError, IndexError):
        pass
    chain = list(anc[1:]) + [st]
    for i, a in enumerate(chain):
        inner = chain[i + 1] if i + 1 < len(chain) else None
        if a.kind == 'for' and a.semis:
            add(src.parse_decl(a.lp + 1, a.semis[0]))
        if a.kind == 'block':
            if inner is not None:
                limit = inner.s
            else:
                limit = st.kids[upto].s if upto < len(st.kids) else st.e
            for k in a.kids:
                if k.s >= limit:
                    break
                if k.kind == 'simple':
                    add(src.parse_decl(k.s, k.e))
    return out


DEAD_FUNCS = [
    ['static int {f}(int {a}, int {b})', '{', '    int {r} = {a};', '    while ({b} > 0 && {r} >= {b})',
     '        {r} -= {b};', '    return {r};', '}'],
    ['static void {f}(int *{a}, int {b})', '{', '    int {r};', '    for ({r} = 0; {r} < {b}; {r}++)',
     '        {a}[{r}] = 0;', '}'],
    ['static long {f}(long {a})', '{', '    return {a} > 1 ? {a} * {f}({a} - 1) : 1;', '}'],
    ['static double {f}(double {a}, double {b})', '{', '    double {r} = {a} - {b};',
     '    if ({r} < 0)', '        {r} = -{r};', '    return {r};', '}'],
    ['static int {f}(int {a})', '{', '    int {r} = 0;', '    while ({a} > 0) {', '        {r} += {a} % 10;',
     '        {a} /= 10;', '    }', '    return {r};', '}'],
]


def _dead_stmt(rng, namer, vars_, cpp, c89):
    v = rng.choice(sorted(vars_)) if vars_ and rng.random() < 0.7 else None
    u = namer.name('var', 'x')
    false = 'false' if cpp and rng.random() < 0.5 else '0'
    kind = rng.randrange(6)
    if kind == 0 and not c89:
        return 'int %s = %d;' % (u, rng.choice([0, 1, -1, 7, 42, 100]))
    if kind == 1 and v:
        return 'if (%s) { %s = %s + 1; }' % (false, v, v)
    if kind == 1:
        return 'if (%s) { int %s = 0; %s++; }' % (false, u, u)
    if kind == 2 and v:
        return 'while (%s) { %s--; }' % (false, v)
    if kind == 2:
        return 'while (%s) { int %s = 1; %s = %s * 2; }' % (false, u, u, u)
    if kind == 3:
        return '{ int %s; for (%s = 0; %s < 0; %s++) ; }' % (u, u, u, u)
    if kind == 4 and v:
        return 'if (%s < 0 && %s > 0) { %s = 0; }' % (v, v, v)
    if kind == 5 and not c89:
        return 'double %s = 0.0;' % u
    return '{ int %s = 0; if (%s) %s++; }' % (u, u, u)


def t_deadcode(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    namer = Namer(rng, src.idents | kit.library_names | kit.all_idents(text))
    cpp = kit.lang == 'c++'
    c89 = kit.std == '-std=gnu89'

    def hook(src, st, pieces, anc):
        if st.kind != 'block' or (len(anc) > 1 and anc[-1].kind == 'switch'):
            return None
        f = anc[0]
        for i in range(len(st.kids) - 1, -1, -1):
            k = st.kids[i]
            if k.kind in ('label', 'pp'):
                continue
            if c89 and any(src.stmt_decl(x) is not None for x in st.kids[i:]):
                continue
            if cfg.chance(rng, 0.3):
                vs = visible_scalars(src, f, st, anc, i)
                vs = {n for n, t in vs.items() if t not in ('bool',)}
                _insert_line(pieces, i, _dead_stmt(rng, namer, vs, cpp, c89), nl)
        return None
    text = src.rewrite_bodies(hook)
    # helper functions nobody calls
    src = Src(text, kit.lang)
    funcs = [f for f in src.funcs if not f.member]
    edits = []
    if funcs:
        count = rng.choice([1, 2]) if cfg.heavy else (1 if rng.random() < 0.6 else 0)
        for _ in range(count):
            f = rng.choice(funcs)
            j = src.sig[f.s]
            while j > 0 and src.toks[j - 1].k != 'nl':
                j -= 1
            tpl = rng.choice(DEAD_FUNCS)
            names = {'f': namer.name('func'), 'a': namer.name('var', 'a'),
                     'b': namer.name('var', 'b'), 'r': namer.name('var', 'r')}
            lines = []
            for line in tpl:
                for key, val in names.items():
                    line = line.replace('{%s}' % key, val)
                lines.append(line)
            body = nl.join(lines)
            edits.append((j, j, body + nl + nl))
        if cfg.heavy and rng.random() < 0.5:
            f = funcs[0]
            j = src.sig[f.s]
            while j > 0 and src.toks[j - 1].k != 'nl':
                j -= 1
            edits.append((j, j, 'static int %s = %d;%s' % (namer.name('var', 'g'),
                                                            rng.choice([0, 1, 10]), nl)))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# forwhile

def _unit(src, st, ind):
    """The indentation step the source uses inside st."""
    for k in st.children():
        sub = k.kids[0] if k.kind == 'block' and k.kids else k
        i2 = src.line_indent(sub.s)
        if i2.startswith(ind) and len(i2) > len(ind):
            return i2[len(ind):]
    return '    '


def _mentions(src, names, a, b):
    return any(src.is_name(q) and src.T(q) in names for q in range(a, b + 1))


def t_forwhile(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)

    def hook(src, st, pieces, anc):
        if st.kind == 'while' and cfg.chance(rng, 0.4):
            gap = join(src.toks[src.sig[st.rp] + 1:src.sig[st.body.s]])
            return 'for (; ' + src.text(st.lp + 1, st.rp - 1) + ';)' + gap + pieces[1] + pieces[2]
        if st.kind != 'for' or not st.semis or not cfg.chance(rng, 1.0):
            return None
        if any(src.T(q) == 'continue' for q in range(st.body.s, st.body.e + 1)):
            return None
        s1, s2 = st.semis
        if s1 == st.lp + 1 and s2 == s1 + 1 and st.rp == s2 + 1:
            return None   # for (;;): leave it
        init = src.text(st.lp + 1, s1 - 1)
        cond = src.text(s1 + 1, s2 - 1) or '1'
        step = src.text(s2 + 1, st.rp - 1)
        ind = src.line_indent(st.s)
        unit = _unit(src, st, ind)
        body = pieces[1]
        if st.body.kind == 'block':
            if step:
                inner = body[1:-1].rstrip()
                body = '{' + inner + nl + ind + unit + step + ';' + nl + ind + '}'
        else:
            body = '{' + nl + ind + unit + body + (nl + ind + unit + step + ';' if step else '') + \
                nl + ind + '}'
        out = 'while (' + cond + ') ' + body
        wrap = not (len(anc) > 1 and anc[-1].kind == 'block')
        if init:
            d = src.parse_decl(st.lp + 1, s1)
            f = anc[0]
            if d is not None:
                names = {v['name'] for v in d.vars}
                fb = f.body
                if _mentions(src, names, fb.s, st.s - 1) or _mentions(src, names, st.e + 1, fb.e):
                    wrap = True
            out = init + ';' + nl + ind + out
        if wrap:
            out = '{' + nl + ind + unit + out.replace(nl, nl + unit) + nl + ind + '}'
        return out
    return src.rewrite_bodies(hook)


# ---------------------------------------------------------------------------
# split

BIN_PREC = {'*': 10, '/': 10, '%': 10, '+': 9, '-': 9}


class ExprNode:
    def __init__(self, kind, s, e, kids=(), op=None):
        self.kind, self.s, self.e, self.kids, self.op = kind, s, e, list(kids), op
        self.type = None


def parse_arith(src, a, b, scal, arrs):
    """A + - * / % expression over names, numbers, name[index], parentheses
    and unary minus in sig positions a..b, with types; None if it is anything else."""
    pos = [a]

    def primary():
        p = pos[0]
        if p > b:
            raise ParseError('end')
        t, k = src.T(p), src.K(p)
        if t == '(':
            m = src.match[p]
            if m > b:
                raise ParseError('paren')
            pos[0] = p + 1
            inner = expr(0)
            if pos[0] != m:
                raise ParseError('paren end')
            pos[0] = m + 1
            n = ExprNode('paren', p, m, [inner])
            n.type = inner.type
            return n
        if t == '-':
            pos[0] = p + 1
            inner = primary()
            n = ExprNode('neg', p, inner.e, [inner])
            n.type = promote(inner.type) if inner.type else None
            return n
        if k == 'num':
            pos[0] = p + 1
            n = ExprNode('num', p, p)
            n.type = literal_type(t)
            return n
        if src.is_name(p):
            if src.T(p + 1) == '[' and p + 1 <= b:
                m = src.match[p + 1]
                if m > b or src.T(m + 1) == '[':
                    raise ParseError('index')
                sub = parse_arith(src, p + 2, m - 1, scal, arrs)
                if sub is None:
                    raise ParseError('index expr')
                pos[0] = m + 1
                n = ExprNode('index', p, m)
                n.type = arrs.get(t)
                return n
            if src.T(p + 1) in ('(', '.', '->', '::') and p + 1 <= b:
                raise ParseError('call')
            pos[0] = p + 1
            n = ExprNode('name', p, p)
            n.type = scal.get(t)
            return n
        raise ParseError('primary')

    def expr(minp):
        left = primary()
        while pos[0] <= b and src.T(pos[0]) in BIN_PREC and BIN_PREC[src.T(pos[0])] >= minp:
            op = src.T(pos[0])
            pos[0] += 1
            right = expr(BIN_PREC[op] + 1)
            n = ExprNode('bin', left.s, right.e, [left, right], op)
            if op == '%' and ((left.type or '') in ('float', 'double', 'ldouble') or
                              (right.type or '') in ('float', 'double', 'ldouble')):
                n.type = None
            else:
                n.type = arith_result(left.type, right.type)
            left = n
        return left
    try:
        root = expr(0)
    except (ParseError, KeyError, IndexError):
        return None
    if pos[0] != b + 1:
        return None
    return root


def _bin_nodes(n, out):
    if n.kind == 'bin' and n.type is not None:
        out.append(n)
    for k in n.kids:
        _bin_nodes(k, out)
    return out


def t_split(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok or kit.std == '-std=gnu89':
        return text
    nl = _nl(text)
    scal, arrs = var_types(src)
    namer = Namer(rng, src.idents | kit.library_names | kit.all_idents(text))

    def target(k):
        """(rhs start, rhs end, the root may go) of a statement that can be split."""
        if k.kind != 'simple' or k.brace:
            return None
        d = src.parse_decl(k.s, k.e)
        if d is not None:
            if len(d.vars) != 1 or d.ctype is None or 'static' in d.quals:
                return None
            v = d.vars[0]
            if v['ptr'] or v['ref'] or v['arr'] or v['ctor'] or not v['init'] or \
                    src.T(v['init'][0]) == '{':
                return None
            return v['init'][0], v['init'][1], True
        q = k.s
        while q < k.e and src.T(q) not in ASSIGN_OPS:
            if src.T(q) in ('(', '[', '{'):
                q = src.match[q]
            q += 1
        if q >= k.e or q == k.s:
            return None
        lhs = [src.T(x) for x in range(k.s, q)]
        if not (len(lhs) == 1 and src.is_name(k.s)) and not \
                (src.is_name(k.s) and src.T(k.s + 1) == '[' and src.match[k.s + 1] == q - 1):
            return None
        if any(src.T(x) in ('++', '--', '(', '=') for x in range(k.s, q)):
            return None
        return q + 1, k.e - 1, src.T(q) != '='

    def hook(src, st, pieces, anc):
        if st.kind != 'block' or (len(anc) > 1 and anc[-1].kind == 'switch'):
            return None
        for i in range(len(st.kids) - 1, -1, -1):
            k = st.kids[i]
            tg = target(k)
            if tg is None or not cfg.chance(rng, 1.0):
                continue
            root = parse_arith(src, tg[0], tg[1], scal, arrs)
            if root is None:
                continue
            nodes = _bin_nodes(root, [])
            if not tg[2]:
                nodes = [n for n in nodes if n is not root]
            if not nodes:
                continue
            n = rng.choice(nodes)
            name = namer.name('var', 't')
            decl = '%s %s = %s;' % (CANON_DECL[n.type], name, src.text(n.s, n.e))
            new = join(src.toks[src.sig[k.s]:src.sig[n.s]]) + name + \
                join(src.toks[src.sig[n.e] + 1:src.sig[k.e] + 1])
            pieces[2 * i + 1] = new
            _insert_line(pieces, i, decl, nl)
        return None
    return src.rewrite_bodies(hook)


# ---------------------------------------------------------------------------
# types

def _enclosing_parens(src):
    """For each sig position, the '(' positions that enclose it, innermost last."""
    out = [()] * src.n
    stack = []
    for p in range(src.n):
        t = src.T(p)
        if t == ')' and stack and src.K(p) == 'op':
            stack.pop()
        out[p] = tuple(stack)
        if t == '(' and src.K(p) == 'op':
            stack.append(p)
    return out


def _in_call(src, parens):
    for lp in parens:
        pt, pk = src.T(lp - 1), src.K(lp - 1)
        if pk == 'id' and pt in ('if', 'while', 'for', 'switch', 'return', 'case'):
            continue
        if pk == 'id' and pt == 'sizeof':
            return True
        if (pk == 'id' and pt not in KEYWORDS) or pt in (')', ']', '>'):
            return True
    return False


WIDER = {'int': ['long', 'long long'], 'short': ['int', 'long'], 'float': ['double']}


def t_types(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    encl = _enclosing_parens(src)
    pp_words = set()
    for p in range(src.n):
        if src.K(p) == 'pp':
            pp_words |= set(re.findall(r'[A-Za-z_]\w*', src.T(p)))
    occ = {}
    for p in range(src.n):
        if src.is_name(p):
            occ.setdefault(src.T(p), []).append(p)
    decl_names = declared_names(src)
    verdict = {}

    def ok_name(name):
        if name in verdict:
            return verdict[name]
        good = name not in pp_words and decl_names.get(name) == 'var'
        for p in occ.get(name, ()):
            if not good:
                break
            prev = src.T(p - 1)
            if prev in ('.', '->', '::', 'sizeof') or src.T(p + 1) == '::':
                good = False
            elif prev == '&' and _unary_at(src, p - 1):
                good = False
            elif _in_call(src, encl[p]):
                good = False
        verdict[name] = good
        return good
    edits = []
    for d, where in all_decls(src):
        if where == 'param' or d.ctype not in ('int', 'short', 'float') or d.quals or \
                any(w in ('unsigned', 'signed', 'const') for w in d.words) or \
                any(w not in BUILTIN_TYPE_WORDS for w in d.words):
            continue
        good = True
        for v in d.vars:
            if v['ptr'] or v['ref'] or v['ctor'] or not ok_name(v['name']):
                good = False
            elif v['arr'] and any(src.T(p + 1) != '[' for p in occ.get(v['name'], ())
                                  if p != v['pos']):
                good = False
        if not good or not cfg.chance(rng, 1.0):
            continue
        new = rng.choice(WIDER[d.ctype])
        edits.append((src.sig[d.type_s], src.sig[d.type_e - 1] + 1, new))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# increments

def _simple_lvalue(src, a, b, scal, arrs):
    """Whether sig positions a..b are NAME or NAME[index] of an arithmetic
    variable, the index free of side effects."""
    if a == b:
        return src.is_name(a) and src.T(a) in scal and scal[src.T(a)] != 'bool'
    if src.is_name(a) and src.T(a + 1) == '[' and src.match.get(a + 1) == b and src.T(a) in arrs:
        return not any(src.T(q) in ('++', '--', '(', '=') or src.T(q) in ASSIGN_OPS
                       for q in range(a + 2, b))
    return False


def _incdec_forms(x, sign, rng, cur):
    one = '+' if sign > 0 else '-'
    forms = [x + one * 2, one * 2 + x, '%s %s= 1' % (x, one), '%s = %s %s 1' % (x, x, one)]
    forms = [f for f in forms if f.replace(' ', '') != cur.replace(' ', '')]
    return rng.choice(forms)


def rewrite_increment(src, a, b, scal, arrs, rng, heavy):
    """New text for the expression in sig positions a..b, or None."""
    cur = src.text(a, b)
    # x++ / x-- / ++x / --x
    if src.T(b) in ('++', '--') and _simple_lvalue(src, a, b - 1, scal, arrs):
        return _incdec_forms(src.flat(a, b - 1), 1 if src.T(b) == '++' else -1, rng, cur)
    if src.T(a) in ('++', '--') and _simple_lvalue(src, a + 1, b, scal, arrs):
        return _incdec_forms(src.flat(a + 1, b), 1 if src.T(a) == '++' else -1, rng, cur)
    # find the assignment
    q = a
    while q <= b and src.T(q) not in ASSIGN_OPS:
        if src.T(q) in ('(', '['):
            q = src.match[q]
        q += 1
    if q > b or not _simple_lvalue(src, a, q - 1, scal, arrs):
        return None
    x = src.flat(a, q - 1)
    op = src.T(q)
    rhs = (q + 1, b)
    if op in ('+=', '-=') and rhs[0] == rhs[1] and src.T(rhs[0]) == '1':
        return _incdec_forms(x, 1 if op == '+=' else -1, rng, cur)
    if op == '=':
        k = q - a   # tokens in x
        r0 = rhs[0]
        same = r0 + k - 1 <= b and [src.T(r0 + i) for i in range(k)] == [src.T(a + i) for i in range(k)]
        if same and r0 + k + 1 == b and src.T(r0 + k) in ('+', '-') and src.T(b) == '1':
            return _incdec_forms(x, 1 if src.T(r0 + k) == '+' else -1, rng, cur)
        if same and heavy and r0 + k + 1 == b and src.T(r0 + k) in ('+', '-', '*', '/', '%') and \
                src.K(b) in ('id', 'num'):
            return '%s %s= %s' % (x, src.T(r0 + k), src.T(b))
    if heavy and op in ('+=', '-=', '*=', '/=', '%=') and rhs[0] == rhs[1] and \
            src.K(rhs[0]) in ('id', 'num'):
        return '%s = %s %s %s' % (x, x, op[0], src.T(rhs[0]))
    return None


def t_increments(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    scal, arrs = var_types(src)
    spans = []
    for f in src.funcs:
        for st, anc in src.all_stmts(f):
            if st.kind == 'simple' and not st.brace:
                spans.append((st.s, st.e - 1))
            elif st.kind == 'for' and st.semis and st.semis[1] + 1 < st.rp:
                q = st.semis[1] + 1
                s0 = q
                while q <= st.rp:
                    if q == st.rp or src.T(q) == ',':
                        if q > s0:
                            spans.append((s0, q - 1))
                        s0 = q + 1
                    elif src.T(q) in ('(', '['):
                        q = src.match[q]
                    q += 1
    edits = []
    for a, b in spans:
        if not cfg.chance(rng, 1.0):
            continue
        new = rewrite_increment(src, a, b, scal, arrs, rng, cfg.heavy)
        if new is not None:
            edits.append((src.sig[a], src.sig[b] + 1, new))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# ternary

def _depth0(src, a, b, stop):
    """Positions in a..b at bracket depth 0 whose text is in stop."""
    out = []
    q = a
    while q <= b:
        t = src.T(q)
        if t in ('(', '[', '{') and src.K(q) == 'op':
            q = src.match[q] + 1
            continue
        if t in stop:
            out.append(q)
        q += 1
    return out


def _lvalue_ok(src, a, b):
    """NAME, NAME[...] or NAME.NAME..., free of side effects."""
    if a > b or not src.is_name(a):
        return False
    if any(src.T(q) in ('++', '--', '(') or src.T(q) in ASSIGN_OPS for q in range(a, b + 1)):
        return False
    q = a + 1
    while q <= b:
        if src.T(q) == '[':
            q = src.match[q] + 1
        elif src.T(q) in ('.', '->') and src.is_name(q + 1):
            q += 2
        else:
            return False
    return q == b + 1


def _assignment(src, st):
    """(lhs, rhs) sig spans of `LHS = RHS;`, or None."""
    if st is None or st.kind != 'simple' or st.brace:
        return None
    ops = _depth0(src, st.s, st.e - 1, ASSIGN_OPS | {','})
    if len(ops) != 1 or src.T(ops[0]) != '=':
        return None
    q = ops[0]
    if not _lvalue_ok(src, st.s, q - 1) or q + 1 > st.e - 1:
        return None
    return (st.s, q - 1), (q + 1, st.e - 1)


def _return_expr(src, st):
    if st is None or st.kind != 'simple' or src.T(st.s) != 'return' or st.e == st.s + 1:
        return None
    if _depth0(src, st.s + 1, st.e - 1, ASSIGN_OPS | {','}):
        return None
    return st.s + 1, st.e - 1


def _single(st):
    if st is None:
        return None
    if st.kind == 'simple':
        return st
    if st.kind == 'block' and len(st.kids) == 1 and st.kids[0].kind == 'simple':
        return st.kids[0]
    return None


def _ternary_split(src, a, b):
    """(cond, then, else) spans of `C ? A : B` at the top of a..b, or None."""
    qs = _depth0(src, a, b, {'?', ':'})
    if not qs or src.T(qs[0]) != '?':
        return None
    depth = 0
    for q in qs:
        depth += 1 if src.T(q) == '?' else -1
        if depth == 0:
            c, x = (a, qs[0] - 1), (qs[0] + 1, q - 1)
            y = (q + 1, b)
            if c[0] > c[1] or x[0] > x[1] or y[0] > y[1]:
                return None
            if _depth0(src, c[0], c[1], ASSIGN_OPS | {','}):
                return None
            return c, x, y
    return None


def _paren_if(src, span, risky):
    txt = src.text(*span)
    if _depth0(src, span[0], span[1], risky):
        return '(' + txt + ')'
    return txt


SIDE_EFFECTS = ASSIGN_OPS | {'++', '--'}


def _pure(src, a, b):
    """No assignment, increment or call in a..b."""
    for q in range(a, b + 1):
        if src.T(q) in SIDE_EFFECTS:
            return False
        if src.T(q) == '(' and (src.is_name(q - 1) or src.T(q - 1) in (')', ']')):
            return False
    return True


def _merge_branches(src, a, b):
    """`if (c) A; else B;` where A and B differ in one operand: (prefix end,
    then span, else span, suffix start in a, suffix start in b), or None."""
    ta = [src.T(q) for q in range(a.s, a.e + 1)]
    tb = [src.T(q) for q in range(b.s, b.e + 1)]
    if ta == tb:
        return None
    i = 0
    while i < min(len(ta), len(tb)) and ta[i] == tb[i]:
        i += 1
    j = 0
    while j < min(len(ta), len(tb)) - i and ta[-1 - j] == tb[-1 - j]:
        j += 1
    if i == 0 or j == 0:
        return None
    # what differs must be a whole operand on each side
    left, right = ta[i - 1], ta[-j]
    if left not in ('(', ',', '<<', '=', 'return', '[') or right not in (')', ',', ';', '<<', ']'):
        return None
    if left == 'return' and right != ';' or left == '=' and right != ';':
        return None
    sa = (a.s + i, a.e - j)
    sb = (b.s + i, b.e - j)
    if sa[0] > sa[1] or sb[0] > sb[1]:
        return None
    for s0, s1 in (sa, sb):
        if _depth0(src, s0, s1, ASSIGN_OPS | {',', '<<', '>>'}):
            return None
    kinds = {src.K(sa[0]) == 'str' and sa[0] == sa[1], src.K(sb[0]) == 'str' and sb[0] == sb[1]}
    if len(kinds) != 1:
        return None
    if a.kind != 'simple' or src.T(a.s) in ('break', 'continue', 'goto') or \
            src.parse_decl(a.s, a.e) is not None:
        return None
    return sa, sb, left


def _ternary_group(src, st):
    """A parenthesised (C ? A : B) inside a simple statement: (lp, rp, split)."""
    for q in range(st.s, st.e):
        if src.T(q) != '?':
            continue
        # the innermost paren around it
        lp = q - 1
        depth = 0
        while lp >= st.s:
            t = src.T(lp)
            if t in (')', ']'):
                depth += 1
            elif t in ('(', '['):
                if depth == 0:
                    break
                depth -= 1
            lp -= 1
        if lp < st.s or src.T(lp) != '(' or src.is_name(lp - 1) or src.T(lp - 1) in (')', ']'):
            return None
        rp = src.match[lp]
        sp = _ternary_split(src, lp + 1, rp - 1)
        if sp is None or not _pure(src, *sp[0]):
            return None
        return lp, rp, sp
    return None


def t_ternary(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    low = ASSIGN_OPS | {',', '?', ':'}

    def both(c, x, y, ind, in_block):
        if rng.random() < 0.5:
            out = 'if (%s) %s else %s' % (c, x, y)
        else:
            u = '    '
            out = 'if (%s)%s%s%s%s%selse%s%s%s' % (c, nl, ind + u, x, nl, ind, nl, ind + u, y)
        return out if in_block else '{ ' + out + ' }'

    def hook(src, st, pieces, anc):
        in_block = len(anc) > 1 and anc[-1].kind == 'block'
        if st.kind == 'if' and st.els is not None and cfg.chance(rng, 1.0):
            a, b = _single(st.then), _single(st.els)
            if a is None or b is None:
                return None
            cond = src.text(st.lp + 1, st.rp - 1)
            if _depth0(src, st.lp + 1, st.rp - 1, low) or rng.random() < 0.3:
                cond = '(' + cond + ')'
            m = _merge_branches(src, a, b)
            if m is None:
                return None
            sa, sb, left = m
            x, y = _paren_if(src, sa, low), _paren_if(src, sb, low)
            expr = '%s ? %s : %s' % (cond, x, y)
            if left not in ('=', 'return') or rng.random() < 0.3:
                expr = '(' + expr + ')'
            return (join(src.toks[src.sig[a.s]:src.sig[sa[0]]]) + expr +
                    join(src.toks[src.sig[sa[1]] + 1:src.sig[a.e] + 1]))
        if st.kind == 'simple' and cfg.chance(rng, 1.0):
            if src.parse_decl(st.s, st.e) is not None:
                return None
            ind = src.line_indent(st.s)
            asg = _assignment(src, st)
            ret = _return_expr(src, st) if asg is None else None
            span = asg[1] if asg else ret
            sp = _ternary_split(src, span[0], span[1]) if span else None
            if sp is not None and _pure(src, *sp[0]):
                c, x, y = (src.text(*s) for s in sp)
                head = src.text(*asg[0]) + ' = ' if asg else 'return '
                return both(c, head + x + ';', head + y + ';', ind, in_block)
            g = _ternary_group(src, st)
            if g is None:
                return None
            lp, rp, (c, x, y) = g
            pre = join(src.toks[src.sig[st.s]:src.sig[lp]])
            post = join(src.toks[src.sig[rp] + 1:src.sig[st.e] + 1])
            return both(src.text(*c), pre + src.text(*x) + post, pre + src.text(*y) + post,
                        ind, in_block)
        return None
    return src.rewrite_bodies(hook)


# ---------------------------------------------------------------------------
# macros

KEYWORD_ALIASES = {'for': ['LOOP', 'FOR', 'FORR', 'each_'], 'while': ['WHILE', 'LOOP_WHILE', 'whilst'],
                   'if': ['IF', 'WHEN', 'when'], 'return': ['RET', 'RETURN', 'give'],
                   'else': ['ELSE', 'OTHERWISE', 'otherwise'], 'break': ['BREAK', 'STOP', 'brk'],
                   'continue': ['NEXT', 'CONT', 'skip_'], 'do': ['DO', 'repeat_'],
                   'switch': ['SWITCH', 'select_'], 'sizeof': ['SIZE_OF', 'SZ_']}
TYPE_ALIASES = {('int',): ['num', 'integer', 'i32', 'INT', 'Int'],
                ('long', 'long'): ['ll', 'i64', 'LL', 'int64', 'big'],
                ('double',): ['real', 'db', 'DB', 'f64'],
                ('char',): ['ch_t', 'byte_', 'CHAR'],
                ('long',): ['lng', 'LONG'],
                ('float',): ['real32', 'fl', 'FLOAT'],
                ('unsigned',): ['uint', 'u32', 'UINT'],
                ('bool',): ['boolean', 'BOOL', 'flag_t']}


def t_macros(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    nl = _nl(text)
    ins = insertion_point(src)
    namer = Namer(rng, src.idents | kit.library_names | kit.all_idents(text))
    # runs of type keywords, and keyword uses, after the insertion point
    runs = []
    kws = {}
    p = 0
    while p < src.n:
        if src.sig[p] < ins or src.K(p) != 'id':
            p += 1
            continue
        t = src.T(p)
        if t in BUILTIN_TYPE_WORDS:
            q = p
            while src.T(q) in BUILTIN_TYPE_WORDS and src.K(q) == 'id':
                q += 1
            runs.append((p, q - 1, tuple(src.T(x) for x in range(p, q))))
            p = q
            continue
        if t in KEYWORD_ALIASES:
            kws.setdefault(t, []).append(p)
        p += 1
    lines = []
    edits = []
    rate = 0.7 if cfg.heavy else 0.3
    for kw in sorted(kws):
        if rng.random() < rate:
            alias = namer._free(rng.choice(KEYWORD_ALIASES[kw]))
            lines.append('#define %s %s' % (alias, kw))
            for q in kws[kw]:
                edits.append((src.sig[q], src.sig[q] + 1, alias))
    present = sorted({r[2] for r in runs if r[2] in TYPE_ALIASES})
    for words in present:
        if words == ('bool',) and kit.lang == 'c':
            continue
        if rng.random() < rate:
            alias = namer._free(rng.choice(TYPE_ALIASES[words]))
            if rng.random() < 0.7:
                lines.append('typedef %s %s;' % (' '.join(words), alias))
            else:
                lines.append('#define %s %s' % (alias, ' '.join(words)))
            for a, b, w in runs:
                if w == words and src.T(b + 1) != 'main':
                    edits.append((src.sig[a], src.sig[b] + 1, alias))
    if not lines:
        return text
    rng.shuffle(lines)
    edits.append((ins, ins, nl.join(lines) + nl))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# output

def _c_string(tok):
    """The body of a plain string literal token, or None."""
    if tok.k != 'str' or not tok.t.startswith('"') or not tok.t.endswith('"') or len(tok.t) < 2:
        return None
    return tok.t[1:-1]


def _ends_newline(body):
    if not body.endswith('\\n'):
        return False
    k = len(body) - 2
    n = 0
    while k - 1 - n >= 0 and body[k - 1 - n] == '\\':
        n += 1
    return n % 2 == 0


def _no_format(body):
    return '%' not in body.replace('%%', '')


def t_output(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    cpp = kit.lang == 'c++'
    has_ios = cpp and any(x in text for x in ('<iostream>', '<bits/stdc++.h>'))
    has_stdio = any(x in text for x in ('<stdio.h>', '<cstdio>', '<bits/stdc++.h>'))
    sync_off = 'sync_with_stdio' in text
    using_std = bool(re.search(r'using\s+namespace\s+std\s*;', text))
    cout = 'cout' if using_std else 'std::cout'
    endl = 'endl' if using_std else 'std::endl'
    scal, arrs = var_types(src)
    need_stdio = [False]
    edits = []

    def to_c(body, newline):
        """printf/puts for body (as written in a C string) with or without a newline."""
        opts = []
        if newline:
            opts.append('puts("%s");' % body)
            opts.append('printf("%s\\n");' % body.replace('%', '%%'))
            if body == '':
                opts.append("putchar('\\n');")
        else:
            opts.append('printf("%s");' % body.replace('%', '%%'))
            opts.append('fputs("%s", stdout);' % body)
        return opts

    def to_cout(body, newline):
        if newline:
            return ['%s << "%s" << %s;' % (cout, body, endl), '%s << "%s\\n";' % (cout, body)]
        return ['%s << "%s";' % (cout, body)]

    for f in src.funcs:
        for st, anc in src.all_stmts(f):
            if st.kind != 'simple' or st.brace:
                continue
            toks = [src.toks[src.sig[q]] for q in range(st.s, st.e + 1)]
            tx = [t.t for t in toks]
            new = None
            # printf("...") / puts("...") / putchar('\n')
            if len(tx) == 5 and tx[1] == '(' and tx[3] == ')' and tx[0] in ('printf', 'puts'):
                body = _c_string(toks[2])
                if body is None:
                    continue
                if tx[0] == 'printf':
                    if not _no_format(body):
                        continue
                    plain = body.replace('%%', '%')
                    newline = _ends_newline(plain)
                    if newline:
                        plain = plain[:-2]
                    opts = [o for o in to_c(plain, newline) if not o.startswith('printf')]
                else:
                    plain, newline = body, True
                    opts = [o for o in to_c(plain, newline) if not o.startswith('puts')]
                if has_ios and not sync_off:
                    opts += to_cout(plain, newline)
                new = rng.choice(opts)
            elif tx == ['putchar', '(', "'\\n'", ')', ';']:
                new = rng.choice(['puts("");', 'printf("\\n");'])
            # printf("%s\n", chars) / puts(chars)
            elif len(tx) == 7 and tx[0] == 'printf' and tx[3] == ',' and tx[1] == '(' and \
                    _c_string(toks[2]) == '%s\\n' and src.is_name(st.s + 4) and arrs.get(tx[4]) == 'char':
                new = 'puts(%s);' % tx[4]
            elif len(tx) == 5 and tx[0] == 'puts' and src.is_name(st.s + 2) and arrs.get(tx[2]) == 'char':
                new = 'printf("%%s\\n", %s);' % tx[2]
            # printf("%d\n", n) and cout << n << endl, both ways (C++)
            elif cpp and has_ios and not sync_off and len(tx) == 7 and tx[0] == 'printf' and \
                    tx[3] == ',' and src.is_name(st.s + 4):
                body = _c_string(toks[2])
                convs = {'%d': ('int', 'short'), '%ld': ('long',), '%lld': ('llong',)}
                typ = scal.get(tx[4])
                for conv, types in convs.items():
                    if body in (conv, conv + '\\n') and typ in types:
                        new = '%s << %s%s;' % (cout, tx[4], ' << ' + endl if body.endswith('\\n') else '')
            elif cpp and not sync_off and tx[0] in ('cout', 'std') and '<<' in tx:
                q = st.s + (2 if tx[0] == 'std' else 0)
                if tx[0] == 'std' and tx[1:3] != ['::', 'cout']:
                    continue
                if tx[0] == 'cout' or tx[2] == 'cout':
                    rest = tx[(3 if tx[0] == 'std' else 1):-1]
                    items = rest[1::2]
                    if rest[0::2] != ['<<'] * len(items):
                        continue
                    if len(items) in (1, 2) and toks[(4 if tx[0] == 'std' else 2)].k == 'str':
                        body = _c_string(toks[(4 if tx[0] == 'std' else 2)])
                        if body is None:
                            continue
                        newline = len(items) == 2 and items[1] in ('endl',) or \
                            (len(items) == 1 and _ends_newline(body))
                        if len(items) == 2 and items[1] != 'endl':
                            continue
                        if len(items) == 1 and newline:
                            body = body[:-2]
                        new = rng.choice(to_c(body, newline))
                        if not has_stdio:
                            need_stdio[0] = True
                    elif len(items) in (1, 2) and len(rest) in (2, 4) and src.is_name(q + 2) and \
                            (len(items) == 1 or items[1] == 'endl'):
                        name = items[0]
                        typ = scal.get(name)
                        conv = {'int': '%d', 'short': '%d', 'long': '%ld', 'llong': '%lld'}.get(typ)
                        if conv is None:
                            continue
                        new = 'printf("%s%s", %s);' % (conv, '\\n' if len(items) == 2 else '', name)
                        if not has_stdio:
                            need_stdio[0] = True
            if new is not None and cfg.chance(rng, 1.0):
                edits.append((src.sig[st.s], src.sig[st.e] + 1, new))
    if need_stdio[0] and any(e[2].startswith(('printf', 'puts', 'fputs', 'putchar')) for e in edits):
        edits.append((0, 0, '#include <cstdio>' + nl))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# constants

def bump(n, rng):
    opts = set()
    p2 = 1 << (n - 1).bit_length()
    if p2 != n and p2 <= 2 * n:
        opts.add(p2)
    opts.add(n + max(1, n // 20))
    opts.add(n + max(2, n // 10))
    mag = 10 ** (len(str(n)) - 1)
    nice = (n // mag + 1) * mag
    if nice <= 2 * n:
        opts.add(nice)
    if n >= 50:
        opts.add(n + 5)
    opts.discard(n)
    return rng.choice(sorted(opts))


MSG_WORDS = {'enter': 'input', 'input': 'enter', 'number': 'value', 'numbers': 'values',
             'value': 'number', 'values': 'numbers', 'result': 'answer', 'answer': 'result',
             'total': 'sum', 'sum': 'total', 'average': 'mean', 'mean': 'average', 'the': '',
             'please': '', 'is': 'equals', 'not': 'NOT', 'yes': 'Yes', 'no': 'No',
             'error': 'failed', 'invalid': 'bad', 'count': 'amount', 'max': 'maximum',
             'min': 'minimum', 'highest': 'max', 'lowest': 'min', 'scores': 'marks',
             'score': 'mark', 'grade': 'level', 'case': 'Case', 'impossible': 'IMPOSSIBLE',
             'possible': 'POSSIBLE', 'of': 'for', 'over': 'of', 'passed': 'pass', 'found': 'located'}
MSG_SEG = re.compile(r'\\x[0-9a-fA-F]+|\\[0-7]{1,3}|\\.|%[-+ #0]*(?:\*|\d+)?(?:\.(?:\*|\d+))?'
                     r'(?:hh|h|ll|l|L|q|j|z|t)?[a-zA-Z%]|[A-Za-z]+|.', re.S)


def reword(body, rng, rate):
    out = []
    for m in MSG_SEG.finditer(body):
        s = m.group(0)
        if s.isalpha() and rng.random() < rate:
            low = s.lower()
            if low in MSG_WORDS:
                new = MSG_WORDS[low]
                if s[0].isupper() and new:
                    new = new[0].upper() + new[1:]
            elif s[0].islower():
                new = s[0].upper() + s[1:]
            else:
                new = s.lower()
            if new == '' and out and out[-1] == ' ':
                out.pop()
            out.append(new)
        else:
            out.append(s)
    return ''.join(out)


OUTPUT_CALLS = {'printf', 'puts', 'fprintf', 'fputs', 'cout', 'cerr'}


def t_constants(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    edits = []
    dim_names = set()
    for d, where in all_decls(src):
        for v in d.vars:
            for lb, rb in v['dims']:
                if rb == lb + 2 and src.K(lb + 1) == 'num' and re.fullmatch(r'[1-9]\d*', src.T(lb + 1)):
                    n = int(src.T(lb + 1))
                    if n >= 8 and cfg.chance(rng, 1.0):
                        edits.append((src.sig[lb + 1], src.sig[lb + 1] + 1, str(bump(n, rng))))
                for q in range(lb + 1, rb):
                    if src.is_name(q):
                        dim_names.add(src.T(q))
    for it in src.items:
        if it.kind == 'pp':
            m = re.match(r'(#\s*define\s+([A-Za-z_]\w*)\s+)([1-9]\d*)(\s*)$', src.T(it.s))
            if m and m.group(2) in dim_names and int(m.group(3)) >= 8 and cfg.chance(rng, 1.0):
                new = m.group(1) + str(bump(int(m.group(3)), rng)) + m.group(4)
                edits.append((src.sig[it.s], src.sig[it.s] + 1, new))
        elif it.kind == 'decl':
            d = src.parse_decl(it.s, it.e)
            if d is None or 'const' not in d.quals + d.words or d.ctype is None:
                continue
            for v in d.vars:
                if v['name'] in dim_names and v['init'] and v['init'][0] == v['init'][1] and \
                        re.fullmatch(r'[1-9]\d*', src.T(v['init'][0])) and int(src.T(v['init'][0])) >= 8 \
                        and cfg.chance(rng, 1.0):
                    q = v['init'][0]
                    edits.append((src.sig[q], src.sig[q] + 1, str(bump(int(src.T(q)), rng))))
    # messages
    for f in src.funcs:
        for st, anc in src.all_stmts(f):
            if st.kind != 'simple':
                continue
            first = src.T(st.s) if src.T(st.s) != 'std' else src.T(st.s + 2)
            if first not in OUTPUT_CALLS:
                continue
            for q in range(st.s, st.e):
                body = _c_string(src.toks[src.sig[q]])
                if body is None or not re.search(r'[A-Za-z]{2,}', body):
                    continue
                if not cfg.chance(rng, 1.0):
                    continue
                new = reword(body, rng, 0.6 if cfg.heavy else 0.3)
                if new != body:
                    edits.append((src.sig[q], src.sig[q] + 1, '"' + new + '"'))
    return src.apply(edits)


# ---------------------------------------------------------------------------
# declarations

def _plain_decl(src, d, local_types=()):
    """A declaration whose every variable is a plain scalar, without qualifiers."""
    if d is None or d.quals or any(w in ('const', 'volatile', 'auto') for w in d.words):
        return False
    if any(w not in BUILTIN_TYPE_WORDS and w not in LIBRARY_TYPES and w not in src.aliases
           for w in d.words) or set(d.words) & set(local_types):
        return False
    for v in d.vars:
        if v['ptr'] or v['ref'] or v['arr'] or v['ctor'] or \
                (v['init'] and src.T(v['init'][0]) == '{'):
            return False
    return True


def _const_init(src, v):
    if not v['init']:
        return True
    a, b = v['init']
    return all(src.K(q) in ('num', 'chr') or src.T(q) in ('-', '+') for q in range(a, b + 1))


def t_declarations(kit, text, rng, cfg):
    src = Src(text, kit.lang)
    if not src.ok:
        return text
    nl = _nl(text)
    c89 = kit.std == '-std=gnu89'
    dn = declared_names(src)
    globals_ = set()
    for d in src.top_decls():
        for v in d.vars:
            globals_.add(v['name'])
    edits = []
    for f in src.funcs:
        if f.body is None or not f.body.kids:
            continue
        if not cfg.chance(rng, 1.2):
            continue
        modes = ['hoist', 'sink'] if not c89 else ['hoist']
        rng.shuffle(modes)
        for m in modes:
            e = (_hoist if m == 'hoist' else _sink)(src, f, rng, cfg, nl, globals_, dn)
            if e:
                edits += e
                break
    return src.apply(edits)


def _leading_decls(src, body):
    n = 0
    for k in body.kids:
        if src.stmt_decl(k) is None:
            break
        n += 1
    return n


def _hoist(src, f, rng, cfg, nl, globals_, dn):
    try:
        params = {v['name'] for d in src.params(f) for v in d.vars}
    except (KeyError, IndexError):
        return []
    body = f.body
    lead = _leading_decls(src, body)
    lead_ids = {id(k) for k in body.kids[:lead]}
    local_types = set()
    sites = []   # (decl, stmt, where, scope end)
    for st, anc in src.all_stmts(f):
        if st.kind == 'simple':
            d = src.parse_decl(st.s, st.e)
            if d is not None:
                parent = anc[-1] if len(anc) > 1 else body
                if isinstance(parent, Stmt) and parent.kind == 'block':
                    sites.append((d, st, 'stmt', parent.e))
                else:
                    sites.append((d, st, 'bad', st.e))
            elif src.T(st.s) in ('struct', 'class', 'union', 'enum', 'typedef'):
                for q in range(st.s, st.e):
                    if src.is_name(q):
                        local_types.add(src.T(q))
        elif st.kind == 'for' and st.semis:
            d = src.parse_decl(st.lp + 1, st.semis[0])
            if d is not None:
                sites.append((d, st, 'for', st.e))
    by_name = {}
    for s in sites:
        for v in s[0].vars:
            by_name.setdefault(v['name'], []).append(s)
    good = set()
    for name, ss in by_name.items():
        if name in params or name in globals_ or dn.get(name) != 'var':
            continue
        if any(w == 'bad' for _, _, w, _ in ss):
            continue
        if not all(_plain_decl(src, d, local_types) for d, _, _, _ in ss):
            continue
        types = {' '.join(d.words) for d, _, _, _ in ss}
        if len(types) != 1:
            continue
        nested = any(a is not b and a[1].s <= b[1].s <= a[3] for a in ss for b in ss)
        if nested:
            continue
        if all(id(st) in lead_ids for _, st, _, _ in ss):
            continue
        good.add(name)
    chosen = {n for n in sorted(good) if cfg.chance(rng, 1.0)}
    edits = []
    hoisted = {}
    done = set()
    for d, st, where, _ in sites:
        if id(st) in done or id(st) in lead_ids:
            continue
        names = [v['name'] for v in d.vars]
        if not all(n in chosen for n in names):
            continue
        done.add(id(st))
        tname = ' '.join(d.words)
        for n in names:
            hoisted.setdefault(tname, [])
            if n not in hoisted[tname]:
                hoisted[tname].append(n)
        if where == 'for':
            edits.append((src.sig[d.s], src.sig[d.vars[0]['pos']], ''))
        else:
            assigns = ['%s = %s;' % (v['name'], src.text(*v['init'])) for v in d.vars if v['init']]
            if assigns:
                edits.append((src.sig[st.s], src.sig[st.e] + 1, ' '.join(assigns)))
            else:
                edits.append(src.drop(src.sig[st.s], src.sig[st.e] + 1))
    if not hoisted:
        return []
    ind = src.line_indent(body.kids[0].s) if body.kids else '    '
    if not ind:
        ind = '    '
    lines = ['%s %s;' % (t, ', '.join(ns)) for t, ns in sorted(hoisted.items())]
    rng.shuffle(lines)
    edits.append((src.sig[body.s] + 1, src.sig[body.s] + 1,
                  ''.join(nl + ind + l for l in lines)))
    return edits


def _sink(src, f, rng, cfg, nl, globals_, dn):
    body = f.body
    lead = _leading_decls(src, body)
    if lead == 0 or lead >= len(body.kids):
        return []
    kids = body.kids
    edits = []
    inserts = {}
    merged = {}
    for i in range(lead):
        st = kids[i]
        d = src.parse_decl(st.s, st.e)
        if not _plain_decl(src, d):
            continue
        keep = []
        moved_any = False
        for v in d.vars:
            name = v['name']
            target = None
            used_in_lead = any(_mentions(src, {name}, kids[j].s, kids[j].e) for j in range(lead)
                               if j != i) or any(_mentions(src, {name}, *w['init'])
                                                 for w in d.vars if w is not v and w['init'])
            if not used_in_lead and _const_init(src, v) and cfg.chance(rng, 1.0):
                for j in range(lead, len(kids)):
                    if _mentions(src, {name}, kids[j].s, kids[j].e):
                        target = j
                        break
            if target is None or kids[target].kind in ('label', 'pp'):
                keep.append(v)
                continue
            moved_any = True
            tname = ' '.join(d.words)
            k = kids[target]
            asg = _assignment(src, k) if not v['init'] and id(k) not in merged else None
            if asg and asg[0][0] == asg[0][1] and src.T(asg[0][0]) == name and \
                    not _mentions(src, {name}, *asg[1]):
                merged[id(k)] = '%s %s = %s;' % (tname, name, src.text(*asg[1]))
                edits.append((src.sig[k.s], src.sig[k.e] + 1, merged[id(k)]))
            else:
                txt = '%s %s;' % (tname, src.text(v['pos'], v['end']))
                inserts.setdefault(target, []).append(txt)
        if moved_any:
            if keep:
                new = '%s %s;' % (' '.join(d.words), ', '.join(src.text(v['pos'], v['end']) for v in keep))
                edits.append((src.sig[st.s], src.sig[st.e] + 1, new))
            else:
                edits.append(src.drop(src.sig[st.s], src.sig[st.e] + 1))
    for j, lines in inserts.items():
        ind = src.line_indent(kids[j].s)
        i0 = src.sig[kids[j].s]
        edits.append((i0, i0, ''.join(l + nl + ind for l in lines)))
    return edits


# ---------------------------------------------------------------------------
# The kit: compile checks, the library's names, tricks in order

COMPILERS = [('c', 'gcc', '-std=gnu17'), ('c++', 'g++', '-std=gnu++17'),
             ('c++', 'g++', '-std=gnu++98'), ('c', 'gcc', '-std=gnu89')]
_lib_cache = {}


def compile_ok(text, cc, std, lang, incdir):
    cmd = [cc, '-fsyntax-only', '-w', std, '-x', lang]
    if incdir:
        cmd += ['-I', incdir]
    cmd.append('-')
    try:
        p = subprocess.run(cmd, input=text.encode('latin-1'), capture_output=True, timeout=120)
    except (OSError, subprocess.TimeoutExpired):
        return False
    return p.returncode == 0


CPP_HINTS = re.compile(r'#\s*include\s*<(?![^>]*\.h>)|\busing\s+namespace\b|\bstd::|\bcout\b|'
                       r'\bcin\b|\btemplate\s*<|\bclass\s+\w+\s*[:{]')


def detect_compiler(text, incdir=None):
    """(lang, cc, std) of the first compiler setting the source compiles
    with (C first unless it looks like C++), or None."""
    order = COMPILERS
    if CPP_HINTS.search(text):
        order = [c for c in COMPILERS if c[0] == 'c++'] + [c for c in COMPILERS if c[0] == 'c']
    for lang, cc, std in order:
        if compile_ok(text, cc, std, lang, incdir):
            return lang, cc, std
    return None


def _pp_idents(text):
    """Every name-like word of the directives (macro names, their parameters
    and bodies): a new name must clash with none of them."""
    out = set()
    for t in lex(text):
        if t.k == 'pp':
            out |= set(re.findall(r'[A-Za-z_]\w*', t.t))
    return out


class Kit:
    """What the tricks need to know of one source: its language and the
    names its headers declare (which a rename must leave alone)."""

    def __init__(self, text, path=None, compiler=None):
        """compiler: (lang, cc, std) when already known, or ('', '', '') for a
        source known not to compile; otherwise found by trying each."""
        self.text = text
        self.incdir = os.path.dirname(os.path.abspath(path)) if path else None
        self.lang = self.cc = self.std = None
        if compiler is not None:
            if compiler[0]:
                self.lang, self.cc, self.std = compiler
        else:
            found = detect_compiler(text, self.incdir)
            if found:
                self.lang, self.cc, self.std = found
        self.library_names = self._library() if self.lang else set()

    @property
    def compiler(self):
        return (self.lang, self.cc, self.std) if self.lang else ('', '', '')

    @property
    def compiles(self):
        return self.lang is not None

    def check(self, text):
        return compile_ok(text, self.cc, self.std, self.lang, self.incdir)

    def _library(self):
        incs = []
        for t in lex(self.text):
            if t.k == 'pp' and pp_directive(t.t) == 'include':
                incs.append(t.t.strip())
        key = (self.lang, self.std, tuple(incs), self.incdir)
        if key not in _lib_cache:
            probe = '\n'.join(incs) + '\n'
            cmd = [self.cc, '-E', '-dD', self.std, '-x', self.lang] + \
                (['-I', self.incdir] if self.incdir else []) + ['-']
            try:
                p = subprocess.run(cmd, input=probe.encode('latin-1'), capture_output=True,
                                   timeout=120)
                out = p.stdout.decode('latin-1')
            except (OSError, subprocess.TimeoutExpired):
                out = ''
            names = set(re.findall(r'[A-Za-z_]\w*', '\n'.join(
                l for l in out.splitlines() if not l.startswith('# '))))
            _lib_cache[key] = names | {'linux', 'unix', 'i386', 'std', 'main'}
        return _lib_cache[key]

    def all_idents(self, text):
        return {t.t for t in lex(text) if t.k == 'id'} | _pp_idents(text)


TRICKS = {}


def trick(name):
    def reg(fn):
        TRICKS[name] = fn
        return fn
    return reg


for _name in ['constants', 'output', 'types', 'declarations', 'split', 'ternary', 'increments',
              'forwhile', 'swap', 'deadcode', 'reorder', 'macros', 'rename', 'comments', 'layout']:
    trick(_name)(globals()['t_' + _name])

# the order `all` applies them in: changes of code first, then names,
# then comments, then the layout over everything
ORDER = ['constants', 'output', 'types', 'declarations', 'split', 'ternary', 'increments',
         'forwhile', 'swap', 'deadcode', 'reorder', 'macros', 'rename', 'comments', 'layout']


def apply_tricks(kit, text, tricks, strength, seed):
    cfg = Cfg(strength)
    for name in tricks:
        rng = random.Random('%s:%s:%s' % (seed, name, strength))
        try:
            text = TRICKS[name](kit, text, rng, cfg)
        except (ParseError, KeyError, IndexError, RecursionError):
            pass   # the trick finds nothing it can safely do here
    return text


def expand(tricks):
    if tricks in ('all', ['all']):
        return [t for t in ORDER if t in TRICKS]
    if isinstance(tricks, str):
        tricks = [t.strip() for t in tricks.split(',') if t.strip()]
    for t in tricks:
        if t not in TRICKS:
            raise ValueError('unknown trick %r (known: %s)' % (t, ', '.join(ORDER)))
    return [t for t in ORDER if t in tricks]


class Result:
    def __init__(self):
        self.text = None
        self.status = None       # made, skipped (source does not compile), dropped
        self.attempts = 0
        self.left_out = []       # tricks left out to make it compile
        self.lang = None


def read_source(path):
    with open(path, 'rb') as f:
        return f.read().decode('latin-1')


def disguise_text(text, tricks='all', strength='heavy', seed=0, path=None, retries=3,
                  compiler=None):
    """A disguised copy of text that still compiles, as a Result."""
    res = Result()
    kit = Kit(text, path, compiler)
    res.lang = kit.lang
    if not kit.compiles:
        res.status = 'skipped'
        return res
    names = expand(tricks)
    for attempt in range(retries):
        res.attempts += 1
        s = seed if attempt == 0 else '%s/%d' % (seed, attempt)
        out = apply_tricks(kit, text, names, strength, s)
        if kit.check(out):
            res.text, res.status = out, 'made'
            return res
    # trick by trick, leaving out those that break it
    if len(names) > 1:
        res.attempts += 1
        out = text
        for name in names:
            nxt = apply_tricks(kit, out, [name], strength, seed)
            if nxt == out:
                continue
            if kit.check(nxt):
                out = nxt
            else:
                res.left_out.append(name)
        if out != text:
            res.text, res.status = out, 'made'
            return res
    res.status = 'dropped'
    return res


def main(argv=None):
    doc = __doc__.split('\n\n')
    ap = argparse.ArgumentParser(usage=doc[1].replace('usage: ', '', 1),
                                 formatter_class=argparse.RawTextHelpFormatter,
                                 epilog='\n\n'.join([doc[0]] + doc[2:]) + '\ntricks: ' + ', '.join(ORDER))
    ap.add_argument('sources', nargs='*')
    ap.add_argument('-t', '--tricks', default='all')
    ap.add_argument('-s', '--strength', choices=['mild', 'heavy'], default='heavy')
    ap.add_argument('--seed', default='0')
    ap.add_argument('-o', '--output')
    ap.add_argument('--out-dir')
    ap.add_argument('--no-check', action='store_true',
                    help='skip the compile check (the copy may not compile)')
    ap.add_argument('--list', action='store_true', help='list the tricks')
    a = ap.parse_args(argv)
    if a.list:
        print('\n'.join(ORDER))
        return 0
    if not a.sources or (len(a.sources) > 1 and not a.out_dir):
        ap.error('one SOURCE (or several with --out-dir)')
    try:
        expand(a.tricks)
    except ValueError as e:
        ap.error(str(e))
    status = 0
    for path in a.sources:
        text = read_source(path)
        if a.no_check:
            kit = Kit(text, path)
            if not kit.compiles:
                kit = Kit(text, path, ('c++', 'g++', '-std=gnu++17'))
            res = Result()
            res.text, res.status = apply_tricks(kit, text, expand(a.tricks), a.strength, a.seed), 'made'
        else:
            res = disguise_text(text, a.tricks, a.strength, a.seed, path)
        if res.status != 'made':
            print('%s: %s' % (path, 'does not compile as given, skipped' if res.status == 'skipped'
                              else 'no copy compiled, dropped'), file=sys.stderr)
            status = max(status, 2 if res.status == 'skipped' else 3)
            continue
        if res.left_out:
            print('%s: left out %s' % (path, ', '.join(res.left_out)), file=sys.stderr)
        data = res.text.encode('latin-1')
        if a.out_dir:
            os.makedirs(a.out_dir, exist_ok=True)
            with open(os.path.join(a.out_dir, os.path.basename(path)), 'wb') as f:
                f.write(data)
        elif a.output:
            with open(a.output, 'wb') as f:
                f.write(data)
        else:
            sys.stdout.buffer.write(data)
    return status


if __name__ == '__main__':
    sys.exit(main())
