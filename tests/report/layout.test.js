// The report for eyes and hands that need it: every control reached by Tab
// and visibly focused, text of a contrast of 4.5:1 at least (measured on
// the computed colours), and at 800 pixels nothing to scroll sideways.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { source, makeReport, scratch, openPage, available } = require('./support.js');

const skip = !available() && 'no chromium';

// Texts in sight whose contrast with what is behind them is under 4.5:1,
// with their colours: the WCAG formula, backgrounds blended up the tree.
const lowContrast = `(() => {
  const parse = (c) => { const m = /rgba?\\(([^)]+)\\)/.exec(c); if (!m) return null;
                         const v = m[1].split(/[ ,\\/]+/).filter(Boolean).map(Number); return [v[0], v[1], v[2], v.length > 3 ? v[3] : 1]; };
  const over = (top, under) => [0, 1, 2].map((i) => top[i] * top[3] + under[i] * (1 - top[3])).concat(1);
  const lum = (c) => { const f = (x) => { x /= 255; return x <= 0.03928 ? x / 12.92 : Math.pow((x + 0.055) / 1.055, 2.4); };
                       return 0.2126 * f(c[0]) + 0.7152 * f(c[1]) + 0.0722 * f(c[2]); };
  const behind = (e) => {
    const layers = [];
    for (let at = e; at; at = at.parentElement) {
      const c = parse(getComputedStyle(at).backgroundColor);
      if (c && c[3] > 0) layers.push(c);
      if (c && c[3] === 1) break;
    }
    return layers.reverse().reduce((under, top) => over(top, under), [255, 255, 255, 1]);
  };
  const bad = [], seen = new Set();
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t; t = walker.nextNode()) {
    const e = t.parentElement;
    if (!t.textContent.trim() || seen.has(e) || e.closest('script, style, option, title')) continue;
    seen.add(e);
    if (!e.getClientRects().length || getComputedStyle(e).visibility !== 'visible') continue;
    const r = e.getBoundingClientRect();
    if (r.bottom < 0 || r.top > innerHeight || r.right < 0 || r.left > innerWidth) continue;
    const style = getComputedStyle(e), svg = e instanceof SVGElement;
    const bg = behind(svg ? e.closest('svg').parentElement : e);
    const fg = over(parse(svg ? style.fill : style.color), bg);
    const a = lum(fg), b = lum(bg), ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
    if (ratio < 4.5) bad.push(t.textContent.trim().slice(0, 30) + ': ' + ratio.toFixed(2) + ' ' + style.color + ' on ' + bg);
  }
  return bad;
})()`;

const noSideways = `[document.documentElement.scrollWidth <= document.documentElement.clientWidth,
                     document.getElementById('pair-scroll').scrollWidth <= document.getElementById('pair-scroll').clientWidth]`;

test('text keeps its contrast and nothing scrolls sideways at 800 pixels', { skip }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  makeReport(['--base', path.join(source, 'examples/class-template'), '--report', report,
              path.join(source, 'examples/class')]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report);
    assert.deepStrictEqual(await page.value(lowContrast), [], 'the lists');
    await page.value(`location.hash = '#pair-1'`);
    await page.settle();
    assert.deepStrictEqual(await page.value(lowContrast), [], 'a pair');
    await page.press('n');
    assert.deepStrictEqual(await page.value(lowContrast), [], 'a pair, a block chosen');
    await page.value(`location.hash = '#student-0'`);
    await page.settle();
    assert.deepStrictEqual(await page.value(lowContrast), [], "a student's page");
    await page.press('?');
    assert.deepStrictEqual(await page.value(lowContrast), [], 'the help');
    await page.press('Escape');

    await page.send('Emulation.setDeviceMetricsOverride', { width: 800, height: 900, deviceScaleFactor: 1, mobile: false });
    for (const hash of ['#pairs', '#pair-1', '#student-0', '#groups']) {
      await page.value(`location.hash = '${hash}'`);
      await page.settle();
      assert.deepStrictEqual(await page.value(noSideways), [true, true], hash);
    }
    // The panes one under the other; the decision column in sight.
    await page.value(`location.hash = '#pairs'`);
    await page.settle();
    const narrow = await page.value(`(() => {
      const pane = document.getElementById('pair-scroll').getBoundingClientRect();
      const decision = document.querySelector('#pair-table th[data-key="decision"]').getBoundingClientRect();
      return decision.right <= pane.right + 1 && decision.width > 0;
    })()`);
    assert.ok(narrow, 'the decision column is cut off');
    await page.value(`location.hash = '#pair-1'`);
    await page.settle();
    assert.ok(await page.value(`(() => { const s = [...document.querySelectorAll('#evidence .side')].map((e) => e.getBoundingClientRect());
                                         return s[1].top >= s[0].bottom; })()`), 'the sources stack');
    assert.deepStrictEqual(await page.value(lowContrast), [], 'a pair at 800 pixels');
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('every control is reached by Tab and shows its focus', { skip }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  makeReport(['--base', path.join(source, 'examples/class-template'), '--report', report,
              path.join(source, 'examples/class')]);
  const page = await openPage(dir, 1300, 900);
  // Tab pressed `count` times from the top: what each press focused, and
  // whether its focus shows (an outline, or a box shadow).
  const tabThrough = async (count) => {
    await page.value(`document.activeElement && document.activeElement.blur(), window.scrollTo(0, 0)`);
    const reached = [];
    for (let i = 0; i < count; ++i) {
      await page.press('Tab');
      reached.push(await page.value(`(() => { const e = document.activeElement, s = getComputedStyle(e);
        if (e === document.body) return ['past the last', true];  // focus left the page, to come round again
        const name = e.id || (e.closest('th') && 'th:' + e.closest('th').dataset.key) || (e.closest('#pair-table') && 'pair-row') ||
          (e.closest('#student-table') && 'student-row') || (e.closest('.blocks') && 'block') || (e.closest('.pair-nav') && 'nav') ||
          (e.classList.contains('pane') && 'pane') || (e.closest('.group') && 'group:' + e.tagName.toLowerCase()) || e.tagName;
        return [name, s.outlineStyle !== 'none' && parseFloat(s.outlineWidth) >= 2]; })()`));
    }
    return reached;
  };
  try {
    await page.go('file://' + report);
    const lists = await tabThrough(50);
    const names = new Set(lists.map((r) => r[0]));
    for (const want of ['search', 'only-suspected', 'decision-filter', 'import', 'export', 'help-button',
                        'th:rank', 'th:decision', 'pair-row', 'th:name', 'student-row'])
      assert.ok(names.has(want), `${want} not reached: ${[...names].join(' ')}`);
    for (const [name, shows] of lists) assert.ok(shows, `${name} shows no focus`);
    // The groups' pairs and the graph's lines, past the students.
    await page.value(`location.hash = '#pair-1'`);
    await page.settle();
    const pair = await tabThrough(40);
    const inPair = new Set(pair.map((r) => r[0]));
    for (const want of ['nav', 'decision-choice', 'decision-note', 'block', 'pane'])
      assert.ok(inPair.has(want), `${want} not reached in a pair: ${[...inPair].join(' ')}`);
    for (const [name, shows] of pair) assert.ok(shows, `${name} shows no focus`);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
