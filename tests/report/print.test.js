// Printing a pair for a committee: Chromium's own print to PDF of a report
// opened at #pair-1 gives that pair alone, landscape, in few pages, with
// the blocks' colours (even with background graphics off) and a header
// saying what was run and what was decided.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync, spawnSync } = require('node:child_process');
const { source, makeReport, scratch, openPage, available } = require('./support.js');

// The pages of a PDF and the first one's size in points.
function pdfPages(pdf) {
  const text = pdf.toString('latin1');
  const pages = text.match(/\/Type\s*\/Page[^s]/g) || [];
  const box = /\/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\]/.exec(text);
  return { count: pages.length, width: box ? Number(box[1]) : 0, height: box ? Number(box[2]) : 0 };
}

function havePdftoppm() {
  return !spawnSync('pdftoppm', ['-v'], { stdio: 'ignore' }).error;
}

test('printing an open pair prints that pair alone, in colour, with its header', { skip: !available() && 'no chromium' }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  const cls = path.join(source, 'examples/class');
  makeReport(['--base', path.join(source, 'examples/class-template'), '--report', report, cls]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report + '#pair-1');
    await page.value(`(() => {
      const choice = document.getElementById('decision-choice');
      choice.value = 'confirmed';
      choice.dispatchEvent(new Event('change'));
      const note = document.getElementById('decision-note');
      note.value = 'same three mistakes';
      note.dispatchEvent(new Event('change'));
    })()`);
    await page.send('Emulation.setEmulatedMedia', { media: 'print' });
    await page.settle();
    const printed = await page.value(`(() => {
      const shows = (q) => { const e = document.querySelector(q); return !!e && e.getClientRects().length > 0; };
      const sides = [...document.querySelectorAll('#evidence .side')].map((s) => s.getBoundingClientRect());
      return { head: document.querySelector('.run-head').innerText, decision: document.querySelector('.decision-print').innerText,
               words: document.querySelector('.in-words').innerText,
               shown: ['#pair-heading', '.run-head', '.decision-print', '#evidence .blocks', '#evidence .pane'].map(shows),
               hidden: ['#bar', '#pairs', '#summary', '#students', '#groups', '.pair-nav', '.decision'].map((q) => !shows(q)),
               sideBySide: sides.length === 2 && Math.abs(sides[0].top - sides[1].top) < 1 && sides[1].left > sides[0].right,
               exact: getComputedStyle(document.querySelector('mark')).printColorAdjust };
    })()`);
    assert.ok(printed.head.includes('Class: ' + cls), printed.head);
    assert.ok(printed.head.includes('template: ' + path.join(source, 'examples/class-template')), printed.head);
    assert.match(printed.head, /ccsim-batch \d+\.\d+\.\d+, report written \d{4}-\d\d-\d\d \d\d:\d\d, printed \d{4}-/);
    assert.match(printed.head, /Options: score >= 0\.700, pairs below 0\.466 counted only, runs over 16 characters/);
    assert.strictEqual(printed.decision, 'Decision: confirmed. Note: same three mistakes');
    assert.match(printed.words, /^Score 0\.9\d\d: at or above the threshold of 0\.700, so the pair is suspected\. 1\.000 of alice\.c's own lines/);
    assert.deepStrictEqual(printed.shown, [true, true, true, true, true]);
    assert.deepStrictEqual(printed.hidden, [true, true, true, true, true, true, true]);
    assert.ok(printed.sideBySide);
    assert.strictEqual(printed.exact, 'exact');

    // Background graphics off, as a browser prints by default: the page's
    // own print-color-adjust keeps the colours.
    const { data } = await page.send('Page.printToPDF', { preferCSSPageSize: true, printBackground: false });
    const pdf = Buffer.from(data, 'base64');
    const pages = pdfPages(pdf);
    assert.ok(pages.count >= 1 && pages.count <= 2, `${pages.count} pages`);
    assert.ok(pages.width > pages.height, `landscape: ${pages.width} x ${pages.height}`);
    if (havePdftoppm()) {
      fs.writeFileSync(path.join(dir, 'pair.pdf'), pdf);
      // Page 1 as a PPM picture (pdftoppm's own form: P6, sizes, then RGB).
      execFileSync('pdftoppm', ['-r', '40', '-f', '1', '-l', '1', path.join(dir, 'pair.pdf'), path.join(dir, 'page')]);
      const ppm = fs.readFileSync(path.join(dir, fs.readdirSync(dir).find((f) => f.startsWith('page') && f.endsWith('.ppm'))));
      const header = ppm.toString('latin1', 0, 40).split(/\s+/);
      const start = ppm.indexOf(Buffer.from(header[3] + '\n'), 2) + header[3].length + 1;
      let coloured = 0;
      for (let i = start; i + 2 < ppm.length; i += 3) {
        const r = ppm[i], g = ppm[i + 1], b = ppm[i + 2];
        if (Math.max(r, g, b) - Math.min(r, g, b) > 40 && Math.max(r, g, b) > 150) ++coloured;
      }
      assert.ok(coloured > 1500, `${coloured} pixels in colour on the first page`);
    }
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
