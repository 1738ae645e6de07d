// The tables' windows in a class of many pairs, in headless Chromium: only
// the rows near sight are in the page, and each shows the pair of its place
// wherever the list stands, after scrolling, filtering and opening pairs
// beside it.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { source, makeReport, scratch, openPage, available } = require('./support.js');

const skip = !available() && 'no chromium';

// The pair table's rows in the page: rank, names, place, and whether the
// row lies in the visible part of its pane.
const rows = `[...document.querySelectorAll('#pair-table tbody tr:not(.spacer)')].map((r) => {
  const pane = document.getElementById('pair-scroll').getBoundingClientRect(), box = r.getBoundingClientRect();
  return { rank: Number(r.cells[0].textContent), first: r.cells[1].textContent, second: r.cells[2].textContent,
           at: Number(r.dataset.at), open: r.classList.contains('open'),
           seen: box.bottom > pane.top + 30 && box.top < pane.bottom };
})`;

// Whether the rows drawn in a table cover all of its pane that is in
// sight: no blank where rows should be.
const covered = (table) => `(() => {
  const pane = document.querySelector('#${table}').closest('.list-pane').getBoundingClientRect();
  const from = Math.max(pane.top, 0, document.querySelector('#${table} thead').getBoundingClientRect().bottom);
  const to = Math.min(pane.bottom, innerHeight, document.querySelector('#${table} tbody').getBoundingClientRect().bottom);
  if (to <= from) return true;
  const rows = [...document.querySelectorAll('#${table} tbody tr:not(.spacer)')].map((r) => r.getBoundingClientRect());
  return rows.length > 0 && rows[0].top <= from + 1 && rows[rows.length - 1].bottom >= to - 1;
})()`;

test('a long list shows the pair of each place wherever it stands', { skip }, async () => {
  const dir = scratch();
  const cls = path.join(dir, 'class');
  fs.mkdirSync(cls);
  // Forty copies of one source: 780 pairs, all alike, ranked 1 to 780.
  const text = fs.readFileSync(path.join(source, 'examples/class/alice.c'));
  for (let k = 0; k < 40; ++k) fs.writeFileSync(path.join(cls, `s${String(k).padStart(2, '0')}.c`), text);
  const report = path.join(dir, 'report.html');
  makeReport(['--no-common', '--report', report, cls]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report + '#pairs');
    const byPlace = (list) => list.every((r) => r.rank === r.at + 1);

    // Unfiltered, sorted by rank: the row at place k shows rank k + 1.
    let drawn = await page.value(rows);
    assert.ok(drawn.length > 10 && drawn.length < 100, `${drawn.length} rows in the page`);
    assert.ok(byPlace(drawn) && drawn[0].rank === 1);
    assert.ok(await page.value(covered('pair-table')));

    // Scrolled to the middle: the rows there, and no others.
    await page.value(`document.getElementById('pair-scroll').scrollTop = 390 * 26`);
    await page.settle();
    drawn = await page.value(rows);
    assert.ok(byPlace(drawn), JSON.stringify(drawn.slice(0, 3)));
    assert.ok(drawn.some((r) => r.seen && r.rank > 380 && r.rank < 400), JSON.stringify(drawn.map((r) => r.rank)));
    assert.ok(drawn.length < 100);
    assert.ok(await page.value(covered('pair-table')));

    // A search there: fewer pairs than places scrolled past, so the list's
    // last ones are in sight, each with a name the search finds.
    await page.value(`(() => { const box = document.getElementById('search'); box.value = 's1';
                              box.dispatchEvent(new Event('input')); })()`);
    await page.settle();
    drawn = await page.value(rows);
    const found = (r) => /^s1/.test(r.first) || /^s1/.test(r.second);
    assert.ok(drawn.length > 0 && drawn.every(found), JSON.stringify(drawn.slice(0, 3)));
    assert.ok(drawn.every((r, k) => k === 0 || (r.rank > drawn[k - 1].rank && r.at === drawn[k - 1].at + 1)));
    const note = await page.value(`document.getElementById('pairs-note').textContent`);
    const shown = Number(/\d+/.exec(note)[0]);
    assert.strictEqual(shown, 10 * 39 - 45, note);  // pairs with one of s10 to s19
    assert.strictEqual(drawn[drawn.length - 1].at, shown - 1);
    assert.ok(drawn.filter((r) => r.seen).length > 10);
    assert.ok(await page.value(covered('pair-table')));
    // Typed back: every pair again, each row the pair of its place.
    await page.value(`(() => { const box = document.getElementById('search'); box.value = '';
                              box.dispatchEvent(new Event('input')); })()`);
    await page.settle();
    drawn = await page.value(rows);
    assert.ok(byPlace(drawn) && drawn.some((r) => r.seen));

    // A pair far down opened beside the list: its row is drawn, marked and
    // in sight, and stays so as j steps on.
    await page.value(`location.hash = '#pair-700'`);
    await page.settle();
    drawn = await page.value(rows);
    assert.deepStrictEqual(drawn.filter((r) => r.open).map((r) => [r.rank, r.seen]), [[700, true]]);
    assert.ok(byPlace(drawn));
    for (let k = 1; k <= 3; ++k) await page.press('j');
    drawn = await page.value(rows);
    assert.deepStrictEqual(drawn.filter((r) => r.open).map((r) => [r.rank, r.seen]), [[703, true]]);
    assert.ok(byPlace(drawn));

    // Back to the lists, the students' in sight: their rows fill it.
    await page.value(`location.hash = '#students'`);
    await page.settle();
    assert.deepStrictEqual(await page.value(`[${covered('student-table')}, ${covered('pair-table')}]`), [true, true]);
    assert.ok(await page.value(`document.querySelectorAll('#student-table tbody tr:not(.spacer)').length`) > 20);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
  }
});
