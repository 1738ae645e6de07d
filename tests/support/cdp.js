// Headless Chromium driven over its DevTools pipe (--remote-debugging-pipe):
// no package beyond Node and Debian's chromium. Used by the report's browser
// tests and by bench/report_bench.js.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

function available() {
  try {
    fs.accessSync(CHROMIUM, fs.constants.X_OK);
    return true;
  } catch (e) {
    return false;
  }
}

// Starts a browser with its profile in `profile`; resolves to a page object:
// page.send(method, params), page.on(event, handler), page.close().
async function open(profile) {
  const proc = spawn(CHROMIUM, ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--remote-debugging-pipe', '--user-data-dir=' + profile, 'about:blank'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  const out = proc.stdio[3], into = proc.stdio[4];
  let next = 0, buffered = '';
  const waiting = new Map(), handlers = [];
  into.on('data', (chunk) => {
    buffered += chunk.toString();
    for (let end; (end = buffered.indexOf('\0')) >= 0;) {
      const message = JSON.parse(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      const w = waiting.get(message.id);
      if (w) {
        waiting.delete(message.id);
        if (message.error) w.reject(new Error(JSON.stringify(message.error)));
        else w.resolve(message.result);
      } else {
        handlers.forEach((h) => h(message));
      }
    }
  });
  const call = (method, params, sessionId) => new Promise((resolve, reject) => {
    const id = ++next;
    waiting.set(id, { resolve, reject });
    out.write(JSON.stringify({ id, method, params: params || {}, sessionId }) + '\0');
  });
  const { targetId } = await call('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await call('Target.attachToTarget', { targetId, flatten: true });
  const page = {
    send: (method, params) => call(method, params, sessionId),
    on: (event, handler) => handlers.push((m) => {
      if (m.method === event && m.sessionId === sessionId) handler(m.params);
    }),
    // Resolves when the next load event of the page fires.
    loaded: () => new Promise((resolve) => {
      let done = false;
      handlers.push((m) => {
        if (!done && m.method === 'Page.loadEventFired' && m.sessionId === sessionId) {
          done = true;
          resolve();
        }
      });
    }),
    // The value of a JavaScript expression in the page.
    value: async (expression) => {
      const r = await call('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true }, sessionId);
      if (r.exceptionDetails) throw new Error(expression + ': ' + JSON.stringify(r.exceptionDetails));
      return r.result.value;
    },
    // Resolves once the browser has exited, its profile written.
    close: async () => {
      const exited = new Promise((resolve) => proc.once('exit', resolve));
      await call('Browser.close').catch(() => {});
      const timer = setTimeout(() => proc.kill('SIGKILL'), 10000);
      await exited;
      clearTimeout(timer);
    },
  };
  await page.send('Page.enable');
  return page;
}

module.exports = { available, open };
