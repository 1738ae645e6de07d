// Opens a report in headless Chromium and prints the page's own first-paint
// time (performance.getEntriesByType('paint')), from navigation start.
// Usage: node bench/report_paint.js REPORT.html
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const cdp = require('../tests/support/cdp.js');

(async () => {
  const report = path.resolve(process.argv[2]);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ccsim-paint-'));
  const page = await cdp.open(profile);
  try {
    const load = page.loaded();
    await page.send('Page.navigate', { url: 'file://' + report });
    await load;
    const paint = await page.value(`new Promise((resolve) => setTimeout(() => resolve(
      performance.getEntriesByType('paint').map((e) => e.name + ' ' + e.startTime.toFixed(0) + ' ms')), 500))`);
    const rows = await page.value(`document.querySelectorAll('#pair-table tbody tr').length`);
    console.log(paint.join(', ') + '; ' + rows + ' pair rows drawn');
  } finally {
    await page.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})();
