// The report's screenshots in docs/, made again from the project's own
// example class: the lists (docs/report-overview.png) and a pair at the
// review desk, a block chosen and a decision taken (docs/report-evidence.png).
// Usage: node tools/report_screenshots.js   (after building ccsim-batch)
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const cdp = require('../tests/support/cdp.js');

const root = path.join(__dirname, '..');
const binary = process.env.CCSIM_BATCH || path.join(root, 'build', 'ccsim-batch');

(async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ccsim-shots-'));
  const report = path.join(dir, 'report.html');
  try {
    execFileSync(binary, ['--quiet', '--base', path.join(root, 'examples/class-template'), '--report', report,
                          path.join(root, 'examples/class')], { stdio: 'ignore' });
  } catch (e) {
    if (e.status !== 1) throw e;  // 1: pairs suspected
  }
  const page = await cdp.open(path.join(dir, 'profile'));
  const shot = async (file) => {
    const { data } = await page.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(path.join(root, 'docs', file), Buffer.from(data, 'base64'));
  };
  const settle = () => page.value('new Promise((r) => setTimeout(r, 400))');
  const key = async (k) => {
    await page.send('Input.dispatchKeyEvent', { type: 'keyDown', key: k, text: k });
    await page.send('Input.dispatchKeyEvent', { type: 'keyUp', key: k });
  };
  try {
    await page.send('Emulation.setDeviceMetricsOverride', { width: 1300, height: 950, deviceScaleFactor: 1, mobile: false });
    const load = page.loaded();
    await page.send('Page.navigate', { url: 'file://' + report });
    await load;
    await settle();
    await shot('report-overview.png');
    await page.value(`location.hash = '#pair-1'`);
    await settle();
    await page.value(`(() => {
      const note = document.getElementById('decision-note');
      note.value = 'same helper and the same odd loop in both mains';
      note.dispatchEvent(new Event('change'));
    })()`);
    await key('c');
    for (let n = 0; n < 3; ++n) await key('n');
    // The pair's head back in sight, the panes still at the block.
    await page.value(`document.getElementById('status').textContent = ''; document.getElementById('evidence').scrollTop = 0`);
    await settle();
    await shot('report-evidence.png');
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
