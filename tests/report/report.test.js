// The report script's pure parts, under Node's own test runner.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const pure = require('../../batch/report/report.js');

test('tile colours next to each other differ in hue and lightness', () => {
  const parse = (c) => c.match(/hsl\((\d+),80%,(\d+)%\)/).slice(1).map(Number);
  for (let k = 0; k < 200; ++k) {
    const [h1, l1] = parse(pure.tileColour(k));
    const [h2, l2] = parse(pure.tileColour(k + 1));
    const apart = Math.min(Math.abs(h1 - h2), 360 - Math.abs(h1 - h2));
    assert.ok(apart >= 60, `tiles ${k} and ${k + 1}: hues ${h1} and ${h2}`);
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
  assert.strictEqual(pure.lineRange([[0, 9, 0, 10, 0], [1, 0, 0, 2, 4]], ['a.c', 'b.h']), 'a.c:10–b.h:3');
});

test('segments put the highest ranked range on top and cover the whole line', () => {
  const grey = { l1: 0, c1: 0, l2: 2, c2: 5, rank: 1, name: 'grey' };
  const tile = { l1: 1, c1: 4, l2: 1, c2: 8, rank: 2, name: 'tile' };
  const parts = pure.segments([grey, tile], 1, 12);
  assert.deepStrictEqual(parts.map((p) => [p[0], p[1], p[2] && p[2].name]),
                         [[0, 4, 'grey'], [4, 8, 'tile'], [8, 12, 'grey']]);
  // The last line of a range ends where it ends; lines past it are bare.
  assert.deepStrictEqual(pure.segments([grey], 2, 9).map((p) => [p[0], p[1], !!p[2]]),
                         [[0, 5, true], [5, 9, false]]);
  assert.deepStrictEqual(pure.segments([grey], 3, 9), [[0, 9, null]]);
  assert.deepStrictEqual(pure.segments([], 0, 0), []);
});

test('decisions export as CSV a spreadsheet reads safely', () => {
  const csv = pure.decisionsCsv([
    { first: 'alice.c', second: 'bob.c', score: 0.9862391, decision: 'confirmed', note: 'same, "odd" names' },
    { first: '=cmd.c', second: 'x.c', score: 0.5, decision: 'cleared', note: 'line\nbreak' },
  ]);
  // UTF-8 behind a byte-order mark, as Excel needs to read Chinese right.
  assert.strictEqual(csv, '\ufefffirst,second,score,decision,note\n' +
    'alice.c,bob.c,0.986239,confirmed,"same, ""odd"" names"\n' +
    "'=cmd.c,x.c,0.500000,cleared,\"line\nbreak\"\n");
});

test('a decision is keyed by both names and both contents', () => {
  const a = { n: 'a.c', h: '01' }, b = { n: 'b.c', h: '02' };
  assert.notStrictEqual(pure.decisionKey(a, b), pure.decisionKey(a, { n: 'b.c', h: '03' }));
  assert.notStrictEqual(pure.decisionKey(a, b), pure.decisionKey({ n: 'a.c', h: '0' }, { n: '2b.c', h: '02' }));
  assert.strictEqual(pure.decisionKey(a, b), pure.decisionKey({ n: 'a.c', h: '01' }, { n: 'b.c', h: '02' }));
});

test('search matches any part of a name, in any case', () => {
  assert.ok(pure.matches('Alice_Wang.c', 'wang'));
  assert.ok(pure.matches('x.c', ''));
  assert.ok(!pure.matches('bob.c', 'alice'));
});

test('every word the page asks for is in the words file, and every word there is used', () => {
  const fs = require('node:fs');
  const path = require('node:path');
  const root = path.join(__dirname, '..', '..');
  const words = JSON.parse(fs.readFileSync(path.join(root, 'text', 'report_words.json'), 'utf8'));
  const script = fs.readFileSync(path.join(root, 'batch', 'report', 'report.js'), 'utf8');
  // Keys named literally, in say('key'...) or in a choice between two.
  const asked = new Set();
  for (const m of script.matchAll(/say\(([^)]*)/g))
    for (const k of m[1].matchAll(/'([A-Za-z]+)'/g)) asked.add(k[1]);
  // The decisions are shown by their own names.
  for (const d of ['confirmed', 'cleared']) asked.add(d);
  for (const k of asked) assert.ok(k in words, `"${k}" is asked for but missing`);
  for (const k of Object.keys(words)) assert.ok(asked.has(k), `"${k}" is never used`);
  // Placeholders are numbered from {0} without a gap.
  for (const [k, w] of Object.entries(words)) {
    const used = [...w.matchAll(/\{(\d+)\}/g)].map((m) => Number(m[1]));
    const most = used.length ? Math.max(...used) : -1;
    for (let i = 0; i <= most; ++i) assert.ok(used.includes(i), `"${k}" lacks {${i}}`);
  }
});
