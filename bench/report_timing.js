// Times a report in headless Chromium as a teacher would feel it: first
// paint, the page's own drawing done, opening pairs across the list, the j
// key, and each keystroke of a search. A change is timed from just before it
// is made until the frame after it has been drawn (an animation frame, then
// a task). Prints one line per figure: the median and the slowest.
// Usage: node bench/report_timing.js REPORT.html [SEARCH_TEXT]
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const cdp = require('../tests/support/cdp.js');

const drawn = 'new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)))';

function figures(name, times) {
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)];
  return `${name}: median ${median.toFixed(0)} ms, slowest ${sorted[sorted.length - 1].toFixed(0)} ms (${times.length} times)`;
}

(async () => {
  const report = path.resolve(process.argv[2]);
  const typed = process.argv[3] || 'B2001';
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ccsim-timing-'));
  const page = await cdp.open(profile);
  try {
    await page.send('Emulation.setDeviceMetricsOverride', { width: 1400, height: 900, deviceScaleFactor: 1, mobile: false });
    const load = page.loaded();
    await page.send('Page.navigate', { url: 'file://' + report });
    await load;
    const start = await page.value(`new Promise((resolve) => setTimeout(() => resolve({
      paint: performance.getEntriesByType('paint').map((e) => e.name + ' ' + e.startTime.toFixed(0) + ' ms').join(', '),
      drawn: (performance.getEntriesByName('report-drawn')[0] || { startTime: NaN }).startTime.toFixed(0),
      pairs: window.ccsimReport ? document.querySelectorAll('#pair-table tbody tr:not(.spacer)').length : 0,
      listed: JSON.parse(document.getElementById('report-data').textContent).pairs.length }), 1000))`);
    console.log(`${path.basename(report)}: ${(fs.statSync(report).size / 1048576).toFixed(1)} MB, ${start.listed} pairs listed`);
    console.log(`first paint: ${start.paint}; lists drawn at ${start.drawn} ms (${start.pairs} rows in the page)`);
    const ranks = await page.value(`(() => { const d = JSON.parse(document.getElementById('report-data').textContent).pairs;
      const n = d.length, at = [0, 1, Math.floor(n / 10), Math.floor(n / 3), Math.floor(n / 2), Math.floor(2 * n / 3), n - 2, n - 1, 5, 50];
      return at.filter((i) => i >= 0 && i < n).map((i) => d[i].r); })()`);
    const open = [];
    for (const r of ranks) {
      open.push(await page.value(`(async () => { const t0 = performance.now(); location.hash = '#pair-${r}';
        await new Promise((r) => addEventListener('hashchange', r, { once: true })); await ${drawn};
        return performance.now() - t0; })()`));
    }
    console.log(figures('opening a pair', open));
    const j = [];
    for (let k = 0; k < 10; ++k) {
      j.push(await page.value(`(async () => { const t0 = performance.now();
        document.dispatchEvent(new KeyboardEvent('keydown', { key: 'j', bubbles: true }));
        await new Promise((r) => addEventListener('hashchange', r, { once: true })); await ${drawn};
        return performance.now() - t0; })()`));
    }
    console.log(figures('the j key (next pair)', j));
    const blocks = [];
    for (let k = 0; k < 10; ++k) {
      blocks.push(await page.value(`(async () => { const t0 = performance.now();
        document.dispatchEvent(new KeyboardEvent('keydown', { key: 'n', bubbles: true })); await ${drawn};
        return performance.now() - t0; })()`));
    }
    console.log(figures('the n key (next block)', blocks));
    // Typing in the search box, back in the lists.
    await page.value(`(async () => { location.hash = '#pairs'; await ${drawn}; document.getElementById('search').focus(); })()`);
    const keys = [];
    const keystroke = (value) => page.value(`(async () => { const box = document.getElementById('search');
      const t0 = performance.now(); box.value = ${JSON.stringify(value)}; box.dispatchEvent(new Event('input', { bubbles: true }));
      await ${drawn}; return performance.now() - t0; })()`);
    for (let k = 1; k <= typed.length; ++k) keys.push(await keystroke(typed.slice(0, k)));
    for (let k = typed.length - 1; k >= 0; --k) keys.push(await keystroke(typed.slice(0, k)));
    console.log(figures(`a search keystroke (typing "${typed}" and deleting it)`, keys));
  } finally {
    await page.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
