// The report in headless Chromium, as a teacher uses it: the views, search,
// a pair's evidence opened from the table, a decision kept across a reload
// and exported, and not one request to the network.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const cdp = require('../support/cdp.js');

const binary = process.env.CCSIM_BATCH;
const source = process.env.CCSIM_SOURCE_DIR;

test('the report works as a place to review a class', { skip: !cdp.available() && 'no chromium' }, async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ccsim-report-'));
  const report = path.join(dir, 'report.html');
  try {
    execFileSync(binary, ['--quiet', '--report', report, path.join(source, 'examples/class')]);
  } catch (e) {
    assert.strictEqual(e.status, 1, 'exit status 1: pairs suspected');
  }
  const page = await cdp.open(path.join(dir, 'profile'));
  try {
    const requests = [];
    await page.send('Network.enable');
    page.on('Network.requestWillBeSent', (p) => requests.push(p.request.url));
    let load = page.loaded();
    await page.send('Page.navigate', { url: 'file://' + report });
    await load;

    // Every submission in the student view; the copiers first.
    const students = await page.value(`[...document.querySelectorAll('#student-table tbody tr')]
      .map((r) => [...r.cells].map((c) => c.textContent))`);
    assert.strictEqual(students.length, 12);
    assert.deepStrictEqual(students[0].slice(0, 3), ['alice.c', '1', 'bob.c']);

    // Search filters the pairs and the students alike.
    const found = await page.value(`(() => {
      const box = document.getElementById('search');
      box.value = 'HEIDI';
      box.dispatchEvent(new Event('input'));
      return [document.querySelectorAll('#pair-table tbody tr').length,
              [...document.querySelectorAll('#student-table tbody tr')].map((r) => r.cells[0].textContent)];
    })()`);
    assert.deepStrictEqual(found, [1, ['heidi.c']]);
    await page.value(`(() => { const b = document.getElementById('search'); b.value = '';
                              b.dispatchEvent(new Event('input')); })()`);

    // A row opens its pair's evidence: both sides, every tile on both.
    const evidence = await page.value(`(() => {
      document.querySelector('#pair-table tbody tr').click();
      const sides = document.querySelectorAll('#evidence .side');
      const tiles = (s) => [...new Set([...s.querySelectorAll('mark')].map((m) => m.dataset.t))].sort();
      return { shown: !document.getElementById('evidence').hidden, sides: sides.length,
               left: tiles(sides[0]), right: tiles(sides[1]),
               ranges: document.querySelectorAll('#evidence .ranges li').length,
               heading: document.querySelector('#evidence h3').textContent };
    })()`);
    assert.deepStrictEqual(evidence, { shown: true, sides: 2, left: ['0', '1', '2'],
      right: ['0', '1', '2'], ranges: 3, heading: '#1 alice.c ↔ bob.c' });

    // A decision and a note, kept across a reload, shown and exported.
    await page.value(`(() => {
      const choice = document.querySelector('#evidence select');
      choice.value = 'confirmed';
      choice.dispatchEvent(new Event('change'));
      const note = document.querySelector('#evidence textarea');
      note.value = 'same mistakes, line 40';
      note.dispatchEvent(new Event('change'));
    })()`);
    load = page.loaded();
    await page.send('Page.reload');
    await load;
    const kept = await page.value(`[document.querySelector('#pair-table tbody tr').cells[10].textContent,
                                    window.ccsimReport.decisionsCsv()]`);
    assert.strictEqual(kept[0], 'confirmed (same mistakes, line 40)');
    assert.match(kept[1], /^\ufefffirst,second,score,decision,note\nalice\.c,bob\.c,0\.9\d+,confirmed,"same mistakes, line 40"\n$/);

    // The page asked for nothing but itself.
    assert.ok(requests.length >= 1);
    for (const url of requests) assert.ok(url.startsWith('file://'), url);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
