// What the report's browser tests share: a report made by the real binary,
// a page in headless Chromium at a given size, keys pressed as a keyboard
// does, and waiting for the page to have drawn.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const cdp = require('../support/cdp.js');

const binary = process.env.CCSIM_BATCH;
const source = process.env.CCSIM_SOURCE_DIR;

// Runs ccsim-batch with `args` (a report is asked for there); a run that
// suspects pairs ends with status 1, which is no failure here.
function makeReport(args) {
  try {
    execFileSync(binary, ['--quiet', ...args], { stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (e) {
    if (e.status !== 1) throw e;
  }
}

function scratch() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'ccsim-report-'));
}

// A page `width` x `height` pixels; resolves to cdp's page with these too:
// go(url), settle(), press(key), and the exceptions the page threw.
async function openPage(dir, width, height) {
  const page = await cdp.open(path.join(dir, 'profile-' + Math.random().toString(36).slice(2)));
  page.errors = [];
  await page.send('Runtime.enable');
  page.on('Runtime.exceptionThrown', (p) => page.errors.push(JSON.stringify(p.exceptionDetails).slice(0, 500)));
  await page.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
  page.go = async (url) => {
    const load = page.loaded();
    await page.send('Page.navigate', { url });
    await load;
    await page.settle();
  };
  // The page loaded again (its address as it is now).
  page.reload = async () => {
    const load = page.loaded();
    await page.send('Page.reload');
    await load;
    await page.settle();
  };
  // Two frames and a task: what a change asked for is drawn and laid out.
  page.settle = () => page.value('new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(r, 20))))');
  page.press = async (key) => {
    const shift = key === '?';
    const named = { Escape: 27, Tab: 9, Enter: 13 }[key];
    const down = { type: 'keyDown', key, modifiers: shift ? 8 : 0 };
    if (named) Object.assign(down, { code: key, windowsVirtualKeyCode: named });
    else Object.assign(down, { text: key, unmodifiedText: key });
    await page.send('Input.dispatchKeyEvent', down);
    await page.send('Input.dispatchKeyEvent', { type: 'keyUp', key, modifiers: down.modifiers });
    await page.settle();
  };
  return page;
}

module.exports = { binary, source, makeReport, scratch, openPage, available: cdp.available };
