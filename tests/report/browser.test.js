// The report in headless Chromium, as a teacher uses it: the views, search,
// a pair's evidence opened from the table, a decision kept across a reload
// and exported, and not one request to the network.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { source, makeReport, scratch, openPage, available } = require('./support.js');

test('the report works as a place to review a class', { skip: !available() && 'no chromium' }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  makeReport(['--report', report, path.join(source, 'examples/class')]);
  const page = await openPage(dir, 1300, 900);
  try {
    const requests = [];
    await page.send('Network.enable');
    page.on('Network.requestWillBeSent', (p) => requests.push(p.request.url));
    await page.go('file://' + report);

    // Every submission in the student view; the copiers first.
    const students = await page.value(`[...document.querySelectorAll('#student-table tbody tr:not(.spacer)')]
      .map((r) => [...r.cells].map((c) => c.textContent))`);
    assert.strictEqual(students.length, 12);
    assert.deepStrictEqual(students[0].slice(0, 3), ['alice.c', '1', 'bob.c']);

    // Search filters the pairs and the students alike, by the start of a
    // name or of a word in it.
    const search = async (text) => {
      await page.value(`(() => { const box = document.getElementById('search'); box.value = ${JSON.stringify(text)};
                                  box.dispatchEvent(new Event('input')); })()`);
      await page.settle();
      return page.value(`[document.querySelectorAll('#pair-table tbody tr:not(.spacer)').length,
        [...document.querySelectorAll('#student-table tbody tr:not(.spacer)')].map((r) => r.cells[0].textContent)]`);
    };
    assert.deepStrictEqual(await search('HEIDI'), [1, ['heidi.c']]);
    assert.deepStrictEqual(await search('ice'), [0, []]);  // inside "alice": no word starts there
    await search('');

    // A row opens its pair's evidence: both sides, every block on both,
    // as many as its row counts, the address naming the pair.
    await page.value(`document.querySelector('#pair-table tbody tr:not(.spacer) td.name').click()`);
    await page.settle();
    const evidence = await page.value(`(() => {
      const sides = document.querySelectorAll('#evidence .side');
      const tiles = (s) => [...new Set([...s.querySelectorAll('mark')].map((m) => m.dataset.n))].sort();
      const starts = (s) => [...s.querySelectorAll('mark.start')].map((m) => m.dataset.n).sort();
      return { address: location.hash, shown: !document.getElementById('evidence').hidden, sides: sides.length,
               left: tiles(sides[0]), right: tiles(sides[1]), numbered: [starts(sides[0]), starts(sides[1])],
               blocks: document.querySelectorAll('#evidence .blocks li').length,
               listed: document.querySelector('#pair-table tr.open .col-blocks').textContent,
               heading: document.getElementById('pair-heading').textContent,
               summaryHidden: getComputedStyle(document.getElementById('summary')).display === 'none' };
    })()`);
    assert.deepStrictEqual(evidence, { address: '#pair-1', shown: true, sides: 2, left: ['1', '2', '3'],
      right: ['1', '2', '3'], numbered: [['1', '2', '3'], ['1', '2', '3']], blocks: 3, listed: '3',
      heading: '#1 alice.c ↔ bob.c suspected', summaryHidden: true });

    // A decision and a note, kept across a reload, shown and exported with
    // the rank, the date and the blocks' lines after the old columns.
    await page.value(`(() => {
      const choice = document.getElementById('decision-choice');
      choice.value = 'confirmed';
      choice.dispatchEvent(new Event('change'));
      const note = document.getElementById('decision-note');
      note.value = 'same mistakes, line 40';
      note.dispatchEvent(new Event('change'));
    })()`);
    await page.value(`location.hash = '#pairs'`);
    await page.reload();
    const kept = await page.value(`[document.querySelector('#pair-table tbody tr:not(.spacer) .decision-cell').textContent,
                                    document.querySelector('#student-table tbody tr:not(.spacer) .decision-cell').textContent,
                                    document.getElementById('decided').textContent,
                                    window.ccsimReport.decisionsCsv()]`);
    assert.strictEqual(kept[0], 'confirmed (same mistakes, line 40)');
    assert.strictEqual(kept[1], '1 confirmed');
    assert.strictEqual(kept[2], '1 of 2 decided');
    assert.match(kept[3], /^\ufefffirst,second,score,decision,note,rank,date,first_lines,second_lines\n/);
    assert.match(kept[3], /\nalice\.c,bob\.c,0\.9\d+,confirmed,"same mistakes, line 40",1,\d{4}-\d\d-\d\d \d\d:\d\d,"\d+–\d+(; [\d, –]+){2}","\d+–\d+(; [\d, –]+){2}"\n$/);

    // The decisions filter: confirmed pairs only, then undecided ones.
    const filtered = await page.value(`(async () => {
      const f = document.getElementById('decision-filter'), rows = () =>
        [...document.querySelectorAll('#pair-table tbody tr:not(.spacer)')].map((r) => r.cells[0].textContent);
      f.value = 'confirmed'; f.dispatchEvent(new Event('change'));
      const confirmed = rows();
      f.value = 'undecided'; f.dispatchEvent(new Event('change'));
      const undecided = rows();
      f.value = ''; f.dispatchEvent(new Event('change'));
      return [confirmed, undecided];
    })()`);
    assert.deepStrictEqual(filtered, [['1'], ['2']]);

    // Another marker's decisions, in the first five columns as exported
    // before: one new, one in conflict with ours, one for a pair not here.
    const theirs = path.join(dir, 'marker2.csv');
    fs.writeFileSync(theirs, '\ufefffirst,second,score,decision,note\r\n' +
      'bob.c,alice.c,0.99,cleared,"template, nothing more"\r\neve.c,heidi.c,0.95,confirmed,same output\r\n' +
      'nobody.c,bob.c,0.5,cleared,\r\n');
    const { root } = await page.send('DOM.getDocument');
    const { nodeId } = await page.send('DOM.querySelector', { nodeId: root.nodeId, selector: '#import-file' });
    await page.send('DOM.setFileInputFiles', { nodeId, files: [theirs] });
    await page.value(`new Promise((r) => setTimeout(r, 300))`);
    const imported = await page.value(`[document.getElementById('status').textContent, document.getElementById('decided').textContent,
      [...document.querySelectorAll('#pair-table tbody tr:not(.spacer)')].map((r) => r.querySelector('.decision-cell').textContent)]`);
    assert.deepStrictEqual(imported, [
      'marker2.csv: 3 rows; 1 new, 0 merged, 0 the same, 1 in conflict (filter: in conflict), 1 not in this report.',
      '2 of 2 decided, 1 in conflict', ['confirmed (same mistakes, line 40)conflict', 'confirmed (same output)']]);
    // The conflict shows on the pair, ours kept until a choice is made.
    await page.value(`(() => { const f = document.getElementById('decision-filter'); f.value = 'conflict';
                               f.dispatchEvent(new Event('change')); location.hash = '#pair-1'; })()`);
    await page.settle();
    assert.match(await page.value(`document.querySelector('.conflict-box').textContent`),
                 /marker2\.csv says cleared \(template, nothing more\)/);
    await page.value(`[...document.querySelectorAll('.conflict-box button')].find((b) => b.textContent === 'Take theirs').click()`);
    await page.settle();
    assert.deepStrictEqual(await page.value(`[!!document.querySelector('.conflict-box'), document.getElementById('decision-choice').value,
      document.getElementById('decision-note').value, document.getElementById('decided').textContent]`),
      [false, 'cleared', 'template, nothing more', '2 of 2 decided']);

    // The page asked for nothing but itself, and threw nothing.
    assert.ok(requests.length >= 1);
    for (const url of requests) assert.ok(url.startsWith('file://'), url);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
