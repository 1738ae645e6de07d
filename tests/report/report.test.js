// The report script's pure parts, under Node's own test runner.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const pure = require('../../batch/report/pure.js');

test('block colours next to each other differ in hue and lightness', () => {
  const parse = (c) => c.match(/hsl\((\d+),80%,(\d+)%\)/).slice(1).map(Number);
  for (let k = 0; k < 200; ++k) {
    const [h1, l1] = parse(pure.tileColour(k));
    const [h2, l2] = parse(pure.tileColour(k + 1));
    const apart = Math.min(Math.abs(h1 - h2), 360 - Math.abs(h1 - h2));
    assert.ok(apart >= 60, `blocks ${k} and ${k + 1}: hues ${h1} and ${h2}`);
    assert.notStrictEqual(l1, l2);
  }
});

test('figures show three places cut, never rounded up to the threshold', () => {
  assert.strictEqual(pure.threePlaces(0.599593), '0.599');
  assert.strictEqual(pure.threePlaces(0.6), '0.600');
  assert.strictEqual(pure.threePlaces(0.0004), '0.000');
  assert.strictEqual(pure.threePlaces(1), '1.000');
  assert.strictEqual(pure.threePlaces(12345.6789), '12345.678');  // whatever a damaged shard says
  assert.strictEqual(pure.threePlaces(1e21), '1e+21');
});

test('line ranges are 1-based, name the file only when there are several', () => {
  assert.strictEqual(pure.lineRange([[0, 54, 0, 68, 10]], ['alice.c']), '55–69');
  assert.strictEqual(pure.lineRange([[0, 4, 2, 4, 9]], ['a.c']), '5');
  assert.strictEqual(pure.lineRange([[1, 2, 0, 3, 1]], ['a.c', 'b.h']), 'b.h:3–4');
  // A run from one file into the next.
  assert.strictEqual(pure.lineRange([[0, 9, 0, 10, 0], [1, 0, 0, 2, 4]], ['a.c', 'b.h']), 'a.c:10–11, b.h:1–3');
  assert.strictEqual(pure.lineCount([[0, 9, 0, 10, 0], [1, 0, 0, 2, 4]]), 5);
  // A run that goes back (code into the comments above it, statements put
  // in order) is told by line: lines overlapping or touching are one range,
  // counted once.
  const back = [[0, 42, 0, 65, 3], [0, 2, 0, 2, 9], [0, 9, 4, 15, 2], [0, 60, 0, 61, 0], [0, 16, 0, 16, 4]];
  assert.strictEqual(pure.lineRange(back, ['a.c']), '3, 10–17, 43–66');
  assert.strictEqual(pure.lineCount(back), 1 + 8 + 24);
});

test('segments put the highest ranked range on top and leave white space at the ends bare', () => {
  const grey = { l1: 0, c1: 0, l2: 2, c2: 5, rank: 1, name: 'grey' };
  const tile = { l1: 1, c1: 4, l2: 1, c2: 8, rank: 2, name: 'tile' };
  const parts = pure.segments([grey, tile], 1, 'abcdefghijkl');
  assert.deepStrictEqual(parts.map((p) => [p[0], p[1], p[2] && p[2].name]),
                         [[0, 4, 'grey'], [4, 8, 'tile'], [8, 12, 'grey']]);
  // The last line of a range ends where it ends; lines past it are bare.
  assert.deepStrictEqual(pure.segments([grey], 2, 'abcdefghi').map((p) => [p[0], p[1], !!p[2]]),
                         [[0, 5, true], [5, 9, false]]);
  assert.deepStrictEqual(pure.segments([grey], 3, 'abcdefghi'), [[0, 9, null]]);
  assert.deepStrictEqual(pure.segments([], 0, ''), []);
  // Indentation and trailing blanks stay unmarked; a blank line inside a
  // block is not marked at all.
  const block = { l1: 0, c1: 0, l2: 5, c2: 3, rank: 2, name: 'block' };
  assert.deepStrictEqual(pure.segments([block], 1, '    x = 1;  ').map((p) => [p[0], p[1], p[2] && p[2].name]),
                         [[0, 4, null], [4, 10, 'block'], [10, 12, null]]);
  assert.deepStrictEqual(pure.segments([block], 2, '   '), [[0, 3, null]]);
  assert.deepStrictEqual(pure.segments([block], 3, ''), []);
});

test('decisions export as CSV a spreadsheet reads safely, the old columns first', () => {
  const csv = pure.decisionsCsv([
    { first: 'alice.c', second: 'bob.c', score: 0.9862391, decision: 'confirmed', note: 'same, "odd" names',
      rank: 1, date: '2024-05-01 14:03', firstLines: '55–69; 80–92', secondLines: '56–70; 81–93' },
    { first: '=cmd.c', second: 'x.c', score: 0.5, decision: 'cleared', note: 'line\nbreak', rank: 7 },
  ]);
  // UTF-8 behind a byte-order mark, as Excel needs to read Chinese right.
  assert.strictEqual(csv, '\ufefffirst,second,score,decision,note,rank,date,first_lines,second_lines\n' +
    'alice.c,bob.c,0.986239,confirmed,"same, ""odd"" names",1,2024-05-01 14:03,55–69; 80–92,56–70; 81–93\n' +
    "'=cmd.c,x.c,0.500000,cleared,\"line\nbreak\",7,,,\n");
});

test('a CSV is read back as it was written, quotes and line ends inside fields too', () => {
  const rows = [
    { first: 'alice.c', second: 'bob.c', score: 0.98, decision: 'confirmed', note: 'same, "odd" names\r\nsee 40', rank: 1 },
    { first: '=cmd.c', second: '李伟.c', score: 0.5, decision: '', note: '+1 from me', rank: 2 },
  ];
  const table = pure.parseCsv(pure.decisionsCsv(rows));
  assert.deepStrictEqual(table[0], pure.csvColumns);
  assert.strictEqual(table.length, 3);
  assert.strictEqual(table[1][4], 'same, "odd" names\r\nsee 40');
  const read = pure.readDecisions(pure.decisionsCsv(rows));
  assert.deepStrictEqual(read.rows.map((r) => [r.first, r.second, r.decision, r.note]),
                         [['alice.c', 'bob.c', 'confirmed', 'same, "odd" names\r\nsee 40'],
                          ['=cmd.c', '李伟.c', '', '+1 from me']]);
  // The first five columns alone (as exported before), CR LF line ends, in
  // another order and case.
  const old = pure.readDecisions('Second,FIRST,score,decision,note\r\nb.c,a.c,0.9,cleared,fine\r\n');
  assert.deepStrictEqual(old.rows, [{ first: 'a.c', second: 'b.c', decision: 'cleared', note: 'fine', date: '' }]);
  // What cannot be merged is said, not guessed at.
  assert.strictEqual(pure.readDecisions('first,second,verdict\na,b,x\n').error, 'columns');
  assert.deepStrictEqual(pure.readDecisions('first,second,decision\na,b,copied\n'), { error: 'decision', line: 2 });
  assert.strictEqual(pure.readDecisions('').error, 'empty');
});

test('merging another marker\'s decision keeps both where they differ', () => {
  const none = { d: '', note: '' };
  assert.deepStrictEqual(pure.mergeDecision(none, { d: 'cleared', note: 'ok', t: 'x' }, 'b.csv'),
                         { result: { d: 'cleared', note: 'ok', t: 'x' }, how: 'taken' });
  const mine = { d: 'confirmed', note: 'same bug', t: '2024-05-01 10:00' };
  assert.strictEqual(pure.mergeDecision(mine, { d: 'confirmed', note: 'same bug' }).how, 'same');
  assert.strictEqual(pure.mergeDecision(mine, { d: '', note: '' }).how, 'nothing');
  // One decision, two notes: both notes kept.
  assert.deepStrictEqual(pure.mergeDecision(mine, { d: 'confirmed', note: 'line 40 too' }),
                         { result: { d: 'confirmed', note: 'same bug / line 40 too', t: '2024-05-01 10:00' }, how: 'merged' });
  assert.deepStrictEqual(pure.mergeDecision({ d: '', note: 'look again' }, { d: 'cleared', note: '' }).result,
                         { d: 'cleared', note: 'look again', t: '' });
  // Two decisions: ours stays, theirs is kept beside it with where it came from.
  assert.deepStrictEqual(pure.mergeDecision(mine, { d: 'cleared', note: 'template' }, 'b.csv'),
                         { result: { d: 'confirmed', note: 'same bug', t: '2024-05-01 10:00',
                                     o: { d: 'cleared', note: 'template', from: 'b.csv' } }, how: 'conflict' });
});

test('a decision is keyed by both names and both contents', () => {
  const a = { n: 'a.c', h: '01' }, b = { n: 'b.c', h: '02' };
  assert.notStrictEqual(pure.decisionKey(a, b), pure.decisionKey(a, { n: 'b.c', h: '03' }));
  assert.notStrictEqual(pure.decisionKey(a, b), pure.decisionKey({ n: 'a.c', h: '0' }, { n: '2b.c', h: '02' }));
  assert.strictEqual(pure.decisionKey(a, b), pure.decisionKey({ n: 'a.c', h: '01' }, { n: 'b.c', h: '02' }));
  assert.strictEqual(pure.dateText(new Date(2024, 4, 1, 9, 3)), '2024-05-01 09:03');
});

test('search matches a name or a word of it from its start, in any case', () => {
  assert.ok(pure.matches('Alice_Wang.c', 'wang'));
  assert.ok(pure.matches('wei.c', 'wei'));
  assert.ok(pure.matches('li wei.c', 'WEI'));
  assert.ok(pure.matches('2023/wei/main.c', 'wei'));
  assert.ok(!pure.matches('zhangwei.c', 'wei'));
  assert.ok(pure.matches('zhangwei.c', 'zhangwei'));
  assert.ok(pure.matches('x.c', ''));
  assert.ok(!pure.matches('bob.c', 'alice'));
  // Past a first place inside a word, a later one at a word's start.
  assert.ok(pure.matches('weiwei_wei.c', 'wei'));
  assert.ok(pure.matches('张伟.c', '张'));
  assert.ok(!pure.matches('张伟.c', '伟'));
});

// A block as the page has it: [length, first side's stretches, second's].
const block = (length, fa, la, fb, lb) => [length, [[fa, la, 0, la + 5, 1]], [[fb, lb, 0, lb + 5, 1]]];

test('files sharing blocks face each other, the rest after them', () => {
  // One side's main.c and util.c; the other's helpers.c (like util.c),
  // main.c (like main.c) and notes.c (like nothing).
  const tiles = [block(100, 0, 10, 1, 12), block(40, 1, 3, 0, 5), block(30, 0, 50, 1, 60)];
  assert.deepStrictEqual(pure.fileOrder(tiles, 2, 3), { left: [0, 1], right: [1, 0, 2] });
  // A first-side file with no block goes last; so does its facing.
  assert.deepStrictEqual(pure.fileOrder([block(50, 1, 0, 0, 0)], 2, 2), { left: [1, 0], right: [0, 1] });
  // Two first-side files that both look most like one second-side file:
  // the heavier gets it, the other's block partner follows.
  assert.deepStrictEqual(pure.fileOrder([block(50, 0, 0, 0, 0), block(80, 1, 0, 0, 9), block(10, 0, 9, 1, 0)], 2, 2),
                         { left: [0, 1], right: [1, 0] });
  assert.deepStrictEqual(pure.fileOrder([], 1, 2), { left: [0], right: [0, 1] });
});

test('blocks are numbered down the first side as shown', () => {
  const tiles = [block(100, 1, 10, 0, 0), block(40, 0, 30, 0, 0), block(30, 0, 3, 0, 0), block(20, 1, 2, 0, 0)];
  assert.deepStrictEqual(pure.blockOrder(tiles, [0, 1]), [2, 1, 3, 0]);
  assert.deepStrictEqual(pure.blockOrder(tiles, [1, 0]), [3, 0, 2, 1]);
});

test('a table window holds the rows in sight and a few round them', () => {
  // 1,000 rows of 20 px; the body starts 100 px above the view's top.
  assert.deepStrictEqual(pure.rowWindow(1000, 20, -100, 0, 400, 5), [0, 30]);
  assert.deepStrictEqual(pure.rowWindow(1000, 20, -10000, 0, 400, 5), [495, 525]);
  assert.deepStrictEqual(pure.rowWindow(1000, 20, -30000, 0, 400, 5), [1000, 1000]);
  assert.deepStrictEqual(pure.rowWindow(3, 20, 500, 0, 400, 5), [0, 0]);
  assert.deepStrictEqual(pure.rowWindow(0, 20, 0, 0, 400, 5), [0, 0]);
  // Rows drawn are kept while they hold those wanted and not too many more.
  assert.deepStrictEqual(pure.keptWindow([490, 530], [495, 525], 1000, 10), [490, 530]);
  assert.deepStrictEqual(pure.keptWindow([480, 530], [495, 525], 1000, 10), [495, 525]);  // 20 more
  assert.deepStrictEqual(pure.keptWindow([490, 520], [495, 525], 1000, 10), [495, 525]);  // one wanted missing
  assert.deepStrictEqual(pure.keptWindow([500, 530], [495, 525], 1000, 10), [495, 525]);
  // A list cut shorter than the rows drawn: drawn again.
  assert.deepStrictEqual(pure.keptWindow([0, 40], [0, 30], 30, 20), [0, 30]);
});

test('rows already in order stay, the fewest move', () => {
  const T = true, F = false;
  // Refilled where they stand: none moves.
  assert.deepStrictEqual(pure.inOrder([0, 1, 2, 3]), [T, T, T, T]);
  // Scrolled by two: the two rows that went round from the top move.
  assert.deepStrictEqual(pure.inOrder([2, 3, 4, 5, 0, 1]), [T, T, T, T, F, F]);
  assert.deepStrictEqual(pure.inOrder([4, 5, 0, 1, 2, 3]), [F, F, T, T, T, T]);
  // Rows new to the page always go in; the rest keep their longest run.
  assert.deepStrictEqual(pure.inOrder([-1, 0, -1, 1]), [F, T, F, T]);
  assert.deepStrictEqual(pure.inOrder([3, 0, 4, 1, 2]), [F, T, F, T, T]);
  assert.deepStrictEqual(pure.inOrder([]), []);
  assert.deepStrictEqual(pure.inOrder([-1]), [F]);
});

test('the next place skips what is not wanted, round once where asked', () => {
  const odd = (i) => i % 2 === 1;
  assert.strictEqual(pure.nextPlace(6, 1, 1, odd, false), 3);
  assert.strictEqual(pure.nextPlace(6, 5, 1, odd, false), -1);
  assert.strictEqual(pure.nextPlace(6, 5, 1, odd, true), 1);
  assert.strictEqual(pure.nextPlace(6, 3, -1, odd, false), 1);
  assert.strictEqual(pure.nextPlace(6, -1, 1, odd, false), 1);   // from nowhere: the first wanted
  assert.strictEqual(pure.nextPlace(6, -1, -1, odd, false), 5);  // or the last
  assert.strictEqual(pure.nextPlace(6, 2, 1, () => false, true), -1);
  assert.strictEqual(pure.nextPlace(0, -1, 1, () => true, true), -1);
});

test('a group\'s ring keeps strongly linked members side by side', () => {
  // Two triangles joined by one weak pair: each triangle's members together.
  const edges = [[1, 2, 0.9], [2, 3, 0.9], [1, 3, 0.9], [4, 5, 0.95], [5, 6, 0.95], [4, 6, 0.95], [3, 4, 0.71]];
  const order = pure.circleOrder([1, 2, 3, 4, 5, 6], edges);
  assert.strictEqual(order.length, 6);
  assert.deepStrictEqual([...order].sort(), [1, 2, 3, 4, 5, 6]);
  const at = (m) => order.indexOf(m);
  const side = (m) => (at(m) < 3 ? 0 : 1);
  assert.strictEqual(side(1), side(2));
  assert.strictEqual(side(2), side(3));
  assert.strictEqual(side(4), side(5));
  assert.notStrictEqual(side(1), side(4));
  const pts = pure.circle(4, 300, 90);
  for (const [x, y] of pts) {
    assert.ok(x >= 90 - 1e-9 && x <= 210 + 1e-9 && y >= 90 - 1e-9 && y <= 210 + 1e-9, `${x},${y} leaves room for names`);
  }
});

test('every word the page asks for is in the words file, and every word there is used', () => {
  const root = path.join(__dirname, '..', '..');
  const words = JSON.parse(fs.readFileSync(path.join(root, 'text', 'report_words.json'), 'utf8'));
  const folder = path.join(root, 'batch', 'report');
  const scripts = fs.readdirSync(folder).filter((f) => f.endsWith('.js'))
    .map((f) => fs.readFileSync(path.join(folder, f), 'utf8')).join('\n');
  const page = fs.readFileSync(path.join(root, 'text', 'report_page.html'), 'utf8');
  // Asked for: the first argument of say(), and the headings' explanations.
  const asked = new Set();
  for (const m of scripts.matchAll(/say\('([A-Za-z]+)'/g)) asked.add(m[1]);
  for (const m of page.matchAll(/data-help="([A-Za-z]+)"/g)) asked.add(m[1]);
  for (const k of asked) assert.ok(k in words, `"${k}" is asked for but missing`);
  // Used: named anywhere in the scripts (a key chosen among several) or the page.
  const named = new Set([...asked, ...[...scripts.matchAll(/'([A-Za-z]+)'/g)].map((m) => m[1])]);
  for (const k of Object.keys(words)) assert.ok(named.has(k), `"${k}" is never used`);
  // Placeholders are numbered from {0} without a gap.
  for (const [k, w] of Object.entries(words)) {
    const used = [...w.matchAll(/\{(\d+)\}/g)].map((m) => Number(m[1]));
    const most = used.length ? Math.max(...used) : -1;
    for (let i = 0; i <= most; ++i) assert.ok(used.includes(i), `"${k}" lacks {${i}}`);
  }
});
