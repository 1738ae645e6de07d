// The report as a review desk, driven from the keyboard in headless
// Chromium: pairs and blocks by keys, the address and Back/Forward, the
// help, and a multi-file pair whose files face each other.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { binary, source, makeReport, scratch, openPage, available } = require('./support.js');

const skip = !available() && 'no chromium';
const where = `window.ccsimReport.shown()`;

test('keys move through pairs and blocks, decide, and open the help', { skip }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  makeReport(['--base', path.join(source, 'examples/class-template'), '--report', report,
              path.join(source, 'examples/class')]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report + '#pair-1');
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 1, block: 0 });
    await page.press('j');
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 2, block: 0 });
    assert.strictEqual(await page.value('location.hash'), '#pair-2');
    await page.press('j');  // the last: it stays, and says so
    assert.strictEqual((await page.value(where)).pair, 2);
    assert.match(await page.value(`document.getElementById('status').textContent`), /last pair/);
    await page.press('k');
    assert.strictEqual((await page.value(where)).pair, 1);

    // Blocks: n and p go round them, numbered from the top of the first side.
    const count = await page.value(`document.querySelectorAll('#evidence .blocks li').length`);
    assert.ok(count >= 3, `${count} blocks`);
    const steps = [...Array(count).keys()].map((k) => ['n', k + 1]);
    steps.push(['n', 1], ['p', count], ['p', count - 1]);
    for (const [key, block] of steps) {
      await page.press(key);
      assert.strictEqual((await page.value(where)).block, block, `after ${key}`);
    }
    const chosen = await page.value(`[...document.querySelectorAll('mark.current')].map((m) => m.dataset.n)`);
    assert.ok(chosen.length >= 2 && chosen.every((n) => n === String(count - 1)), chosen.join());
    assert.strictEqual(await page.value(`document.querySelector('.blocks button[aria-current]').textContent.slice(0, 1)`), String(count - 1));

    // Deciding by key, then the next undecided pair, round the list.
    await page.press('c');
    assert.match(await page.value(`document.querySelector('#pair-table tr.open .decision-cell').textContent`), /^confirmed/);
    await page.press('u');
    assert.strictEqual((await page.value(where)).pair, 2);
    // The decision's controls show the pair open, not the one before.
    const controls = `[document.getElementById('decision-choice').value, document.getElementById('decision-note').value,
                       document.querySelector('.decision-print').textContent]`;
    assert.deepStrictEqual(await page.value(controls), ['', '', 'Decision: undecided. Note: —']);
    await page.press('x');
    await page.press('u');
    assert.strictEqual((await page.value(where)).pair, 2);
    assert.match(await page.value(`document.getElementById('status').textContent`), /Every pair listed is decided/);
    assert.strictEqual(await page.value(`document.getElementById('decided').textContent`), '2 of 2 decided');
    await page.press('k');
    assert.deepStrictEqual(await page.value(controls), ['confirmed', '', 'Decision: confirmed. Note: —']);
    await page.press('j');

    // Keys typed into a box are the box's.
    await page.value(`document.getElementById('decision-note').focus()`);
    await page.press('j');
    assert.strictEqual((await page.value(where)).pair, 2);
    assert.strictEqual(await page.value(`document.getElementById('decision-note').value`), 'j');
    await page.press('Escape');  // leaves the box

    // The help lists every key and explains the columns; Escape closes it.
    await page.press('?');
    const help = await page.value(`(() => { const h = document.getElementById('help');
      return { open: !h.hidden, keys: [...h.querySelectorAll('kbd')].map((k) => k.textContent),
               columns: h.textContent.includes('Share of the first submission'), focus: document.activeElement.id }; })()`);
    assert.deepStrictEqual(help, { open: true, keys: ['j', 'k', 'n', 'p', 'u', 'c', 'x', 'e', '/', '?', 'Esc'],
                                   columns: true, focus: 'help-close' });
    await page.press('Tab');  // the page behind is out of reach
    assert.ok(await page.value(`!document.querySelector('main').contains(document.activeElement) &&
                                !document.getElementById('bar').contains(document.activeElement)`));
    await page.press('Escape');
    assert.strictEqual(await page.value(`document.getElementById('help').hidden`), true);

    // Escape goes back to the list, the pair's row in focus.
    await page.press('Escape');
    assert.deepStrictEqual(await page.value(`[location.hash, ${where}.view, document.activeElement.textContent]`),
                           ['#pairs', 'overview', '2']);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('the address names what is shown, after loading and through Back and Forward', { skip }, async () => {
  const dir = scratch();
  const report = path.join(dir, 'report.html');
  makeReport(['--report', report, path.join(source, 'examples/class')]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report);
    assert.strictEqual((await page.value(where)).view, 'overview');
    const go = async (hash) => { await page.value(`location.hash = ${JSON.stringify(hash)}`); await page.settle(); };
    const back = async () => { await page.value('history.back()'); await page.settle(); };
    const forward = async () => { await page.value('history.forward()'); await page.settle(); };
    await go('#pair-2');
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 2, block: 0 });
    await go('#pair-1');
    await go('#student-4');  // eve.c's page: her partner, and the pair's link
    const student = await page.value(`[${where}.view, document.getElementById('student-heading').textContent,
      [...document.querySelectorAll('.partners tbody tr')].map((r) => r.cells[1].textContent)]`);
    assert.deepStrictEqual(student, ['student', 'eve.c', ['heidi.c']]);
    await back();
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 1, block: 0 });
    await back();
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 2, block: 0 });
    await back();
    assert.strictEqual((await page.value(where)).view, 'overview');
    assert.ok(await page.value(`document.getElementById('evidence').hidden`));
    await forward();
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 2, block: 0 });
    // Undecided pairs shown: a pair decided leaves the list, and j goes on
    // from where it stood.
    await page.value(`(() => { const f = document.getElementById('decision-filter'); f.value = 'undecided';
                               f.dispatchEvent(new Event('change')); })()`);
    await go('#pair-1');
    await page.press('c');
    assert.deepStrictEqual(await page.value(`[...document.querySelectorAll('#pair-table tbody tr:not(.spacer)')].map((r) => r.cells[0].textContent)`), ['2']);
    await page.press('j');
    assert.deepStrictEqual(await page.value(where), { view: 'pair', pair: 2, block: 0 });
    // A pair the report does not hold: the lists, and a word why.
    await go('#pair-99');
    assert.strictEqual((await page.value(where)).view, 'overview');
    assert.match(await page.value(`document.getElementById('status').textContent`), /no pair 99/);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// C code of `count` functions, each of its own shape (a seeded choice of
// statements), named with `prefix`.
function functions(prefix, seed, count) {
  let state = seed;
  const next = (n) => { state = (state * 1103515245 + 12345) % 2147483648; return state % n; };
  const shapes = [
    (v) => `    ${v} = ${v} * ${next(9) + 2} + ${next(50)};`,
    (v) => `    if (${v} > ${next(90)}) {\n        ${v} -= ${next(7) + 1};\n    }`,
    (v) => `    for (int i = 0; i < ${next(20) + 3}; i++) {\n        ${v} += i % ${next(5) + 2};\n    }`,
    (v) => `    while (${v} % ${next(6) + 2} != 0) ${v}++;`,
    (v) => `    ${v} = (${v} << ${next(3) + 1}) ^ ${next(255)};`,
    (v) => `    switch (${v} % 3) {\n    case 0: ${v} += 2; break;\n    case 1: ${v} -= 1; break;\n    default: ${v} /= 2;\n    }`,
    (v) => `    printf("${prefix} %d\\n", ${v});`,
  ];
  const out = [];
  for (let f = 0; f < count; ++f) {
    out.push(`int ${prefix}_${f}(int x)\n{\n    int y = x + ${f};`);
    for (let s = 0; s < 9; ++s) out.push(shapes[next(shapes.length)](s % 2 ? 'x' : 'y'));
    out.push('    return x + y;\n}\n');
  }
  return out.join('\n');
}

test('a multi-file pair shows its files facing each other and a block\'s two sides at once', { skip }, async () => {
  const dir = scratch();
  const cls = path.join(dir, 'class');
  fs.mkdirSync(cls);
  for (const f of fs.readdirSync(path.join(source, 'examples/class'))) fs.copyFileSync(path.join(source, 'examples/class', f), path.join(cls, f));
  // main() calls every function: code no one calls would count for nothing.
  const calls = [...Array(9).keys()].map((f) => `    printf("%d\\n", run_${f}(${f}) + help_${f}(${f}));`).join('\n');
  const main = '#include <stdio.h>\n\n' + functions('run', 11, 9) + '\nint main(void)\n{\n' + calls + '\n    return 0;\n}\n';
  const util = '#include <stdio.h>\n\n' + functions('help', 23, 9);
  fs.mkdirSync(path.join(cls, 'ann'));
  fs.mkdirSync(path.join(cls, 'ben'));
  fs.writeFileSync(path.join(cls, 'ann', 'main.c'), main);
  fs.writeFileSync(path.join(cls, 'ann', 'util.c'), util);
  // Ben's copy: the same two files, the helpers named to come first.
  fs.writeFileSync(path.join(cls, 'ben', 'a_helpers.c'), util);
  fs.writeFileSync(path.join(cls, 'ben', 'main.c'), main);
  const report = path.join(dir, 'report.html');
  makeReport(['--report', report, cls]);
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report + '#pair-1');
    const files = await page.value(`[...document.querySelectorAll('#evidence .side')].map((s) =>
      [...s.querySelectorAll('.path')].map((p) => p.textContent.replace(/^.*\\//, '').replace(/ .*/, '')))`);
    assert.deepStrictEqual(files, [['main.c', 'util.c'], ['main.c', 'a_helpers.c']]);
    // Every block, chosen with n, is in sight on both sides at once: in
    // its pane and on the screen.
    const inSight = `(() => {
      const inside = (r, box) => r.top >= box.top - 1 && r.bottom <= box.bottom + 1;
      const view = { top: document.getElementById('bar').getBoundingClientRect().bottom, bottom: innerHeight };
      return [...document.querySelectorAll('#evidence .pane')].map((pane) => {
        const mark = pane.querySelector('mark.current'), r = mark.getBoundingClientRect();
        return inside(r, pane.getBoundingClientRect()) && inside(r, view);
      });
    })()`;
    const count = await page.value(`document.querySelectorAll('#evidence .blocks li').length`);
    assert.ok(count >= 2, `${count} blocks`);
    const scrolled = [];
    for (let n = 1; n <= count; ++n) {
      await page.press('n');
      assert.strictEqual((await page.value(where)).block, n);
      assert.deepStrictEqual(await page.value(inSight), [true, true], `block ${n}`);
      scrolled.push(await page.value(`[...document.querySelectorAll('#evidence .pane')].map((p) => p.scrollTop > 0)`));
    }
    // The blocks lie far apart: some were brought into view by scrolling.
    assert.ok(scrolled.some((s) => s[0]) && scrolled.some((s) => s[1]), JSON.stringify(scrolled));
    // At 800 pixels the panes stand one under the other, and still both show it.
    await page.send('Emulation.setDeviceMetricsOverride', { width: 800, height: 900, deviceScaleFactor: 1, mobile: false });
    await page.settle();
    await page.press('p');
    const stacked = await page.value(`(() => {
      const panes = [...document.querySelectorAll('#evidence .pane')];
      const view = { top: document.getElementById('bar').getBoundingClientRect().bottom, bottom: innerHeight };
      return { below: panes[1].getBoundingClientRect().top >= panes[0].getBoundingClientRect().bottom,
               both: panes.every((pane) => { const r = pane.querySelector('mark.current').getBoundingClientRect();
                                             return r.top >= view.top - 1 && r.bottom <= view.bottom + 1; }) };
    })()`);
    assert.deepStrictEqual(stacked, { below: true, both: true });
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('a student\'s page lists every partner above the floor, and a group\'s graph links its pairs', { skip }, async () => {
  const dir = scratch();
  const cls = path.join(dir, 'class');
  fs.mkdirSync(cls);
  // Each example twice over: identical pairs suspected, and more pairs
  // above a low floor than the report lists with their evidence.
  const examples = fs.readdirSync(path.join(source, 'examples/class'));
  for (const f of examples) {
    for (const copy of ['a_', 'b_']) fs.copyFileSync(path.join(source, 'examples/class', f), path.join(cls, copy + f));
  }
  // A third alice: her group has three members.
  fs.copyFileSync(path.join(source, 'examples/class/alice.c'), path.join(cls, 'c_alice.c'));
  const report = path.join(dir, 'report.html');
  const options = ['--threshold', '0.99', '--floor', '0.05', '--no-common'];
  makeReport([...options, '--report', report, cls]);
  // The pairs above the floor, as the CSV lists them (exit status 1: some suspected).
  const csv = spawnSync(binary, ['--quiet', ...options, '--format', 'csv', cls]).stdout.toString().trim().split('\n').slice(1);
  const partners = (name) => csv.map((l) => l.split(',')).filter((r) => r[0] === name || r[1] === name)
    .map((r) => (r[0] === name ? r[1] : r[0])).sort();
  const page = await openPage(dir, 1300, 900);
  try {
    await page.go('file://' + report + '#students');
    for (const name of ['a_alice.c', 'b_frank.c']) {
      const k = await page.value(`JSON.parse(document.getElementById('report-data').textContent).subs.findIndex((s) => s.n === '${name}')`);
      await page.value(`location.hash = '#student-${k}'`);
      await page.settle();
      const shown = await page.value(`[...document.querySelectorAll('.partners tbody tr')].map((r) => r.cells[1].textContent).sort()`);
      assert.ok(shown.length > 3, `${name}: ${shown.length} partners`);
      assert.deepStrictEqual(shown, partners(name), name);
      // Those without evidence in the report say so; the others link to it.
      const rows = await page.value(`[...document.querySelectorAll('.partners tbody tr')].map((r) => !!r.querySelector('a[href^="#pair-"]') || /no evidence/.test(r.textContent))`);
      assert.ok(rows.every(Boolean));
    }
    // The alices' group: a ring with a line per pair inside the group, each
    // a link to its pair, every member's name inside the picture.
    await page.value(`location.hash = '#groups'`);
    await page.settle();
    await page.value(`new Promise((r) => setTimeout(r, 400))`);
    const graph = await page.value(`(() => {
      const group = [...document.querySelectorAll('.group')].find((g) => g.querySelector('svg') && g.textContent.includes('c_alice.c'));
      const svg = group.querySelector('svg'), box = svg.getBoundingClientRect();
      return { edges: [...svg.querySelectorAll('a.edge')].map((a) => a.getAttribute('href')),
               pairs: [...group.querySelectorAll('.group-pairs:not(.outside) a')].map((a) => a.getAttribute('href')),
               members: [...group.querySelectorAll('.members-list a')].map((a) => a.textContent).sort(),
               widths: [...svg.querySelectorAll('a.edge line.line')].map((l) => Number(l.getAttribute('stroke-width'))),
               names: [...svg.querySelectorAll('text')].map((t) => t.textContent).sort(),
               inside: [...svg.querySelectorAll('text')].every((t) => { const r = t.getBoundingClientRect();
                 return r.left >= box.left && r.right <= box.right && r.top >= box.top && r.bottom <= box.bottom; }) };
    })()`);
    assert.ok(graph.members.length >= 3 && graph.members.includes('a_alice.c'), graph.members.join());
    assert.deepStrictEqual(graph.names, graph.members);
    assert.deepStrictEqual([...graph.edges].sort(), [...graph.pairs].sort());
    assert.ok(graph.edges.length >= 3 && graph.edges.every((h) => /^#pair-\d+$/.test(h)), graph.edges.join());
    // Lines as thick as their scores are high: the copies' lines thickest.
    assert.ok(Math.max(...graph.widths) > Math.min(...graph.widths), graph.widths.join());
    assert.ok(graph.inside, 'a name leaves the picture');
    await page.value(`[...document.querySelectorAll('.graph a.edge line.hit')][0].dispatchEvent(new MouseEvent('click', { bubbles: true }))`);
    await page.settle();
    assert.strictEqual((await page.value(where)).view, 'pair');
    assert.strictEqual('#pair-' + (await page.value(where)).pair, graph.edges[0]);
    assert.deepStrictEqual(page.errors, []);
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
