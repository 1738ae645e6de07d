// A pair's evidence: its figures in words, the decision, the matched
// blocks numbered alike on both sides, and both sources side by side, the
// files of the two facing each other where they share blocks. Drawn when
// the pair is opened; printed alone, with a header saying what was run.

var openIndex = -1;  // the pair shown, or -1
var shown = null;    // what its evidence holds: {p, order, left, right, at, marks}

// The ranges of one side to mark: template and common code, then the blocks.
function rangesOf(s, tiles, side) {
  var out = [];
  (s.g || []).forEach(function (g) {
    out.push({ f: g[0], l1: g[1], c1: g[2], l2: g[3], c2: g[4], tile: g[5] === 0 ? -1 : -2, rank: g[5] === 0 ? 1 : 0 });
  });
  tiles.forEach(function (t, k) {
    t[side].forEach(function (st) {
      out.push({ f: st[0], l1: st[1], c1: st[2], l2: st[3], c2: st[4], tile: k, rank: 2 });
    });
  });
  return out;
}

// One side's sources in a scrolling pane, files in `order`, every range
// marked; a block's first mark on the side carries its number.
function sourcePane(s, ranges, order, numberOf, label) {
  var longest = 1;
  order.forEach(function (f) { longest = Math.max(longest, s.f[f].l.length); });
  var width = String(longest).length + 2;
  var pad = function (n) { var t = String(n); return new Array(width - t.length).join(' ') + t + '  '; };
  var pane = el('div', { cls: 'pane', tabindex: '0', role: 'region', 'aria-label': label });
  var started = {}, before = 0;  // lines of the pane before this file
  order.forEach(function (f) {
    var file = s.f[f];
    var mine = ranges.filter(function (r) { return r.f === f; });
    // Lines go in runs of 20. Those starting past the pane's first 40
    // lines (what it shows when the pair opens) are laid out only when in
    // sight; the first are laid out with the rest of the page, not in a
    // second pass after it.
    var pre = el('pre', { cls: 'source' }), run = null;
    file.l.forEach(function (text, line) {
      if (line % 20 === 0) {
        var later = before + line >= 40;
        run = el('div', { cls: later ? 'run later' : 'run' });
        if (later) run.style.containIntrinsicSize = 'auto ' + 1.4 * Math.min(20, file.l.length - line) + 'em';
        pre.appendChild(run);
      }
      // Inline, a line number in a span of its own, padded to its width,
      // then the line's text and marks straight in the run, the text after
      // the last mark one node with the line's end: a box per line, or a
      // node more, would cost the layout of every line.
      run.appendChild(el('span', { cls: 'ln', text: pad(line + 1) }));
      var loose = '';
      pure.segments(mine, line, text).forEach(function (seg) {
        var piece = text.slice(seg[0], seg[1]), r = seg[2], m;
        if (!r) { loose += piece; return; }
        if (loose) { run.appendChild(document.createTextNode(loose)); loose = ''; }
        if (r.tile >= 0) {
          m = document.createElement('mark');
          m.dataset.t = r.tile;
          m.dataset.n = numberOf[r.tile];
          m.textContent = piece;
          m.style.background = pure.tileColour(numberOf[r.tile] - 1);
          if (!started[r.tile]) { started[r.tile] = true; m.className = 'start'; }
        } else {
          m = el('span', { cls: r.tile === -1 ? 'tpl' : 'common', title: say(r.tile === -1 ? 'templateCode' : 'commonCode'), text: piece });
        }
        run.appendChild(m);
      });
      run.appendChild(document.createTextNode(loose + '\n'));
    });
    var matched = mine.some(function (r) { return r.tile >= 0; });
    before += file.l.length;
    pane.appendChild(el('div', { cls: 'file' + (matched ? '' : ' unmatched') }, [
      el('div', { cls: 'path', text: file.p + (file.c ? say('clipped') : '') + (matched ? '' : say('noBlocksInFile')) }), pre]));
  });
  return pane;
}

function scoresInWords(p) {
  var a = subs[p.a].n, b = subs[p.b].n;
  var verdict = p.u ? say('verdictSuspected', pure.threePlaces(data.threshold))
                    : say('verdictBelow', pure.threePlaces(data.threshold));
  var lines = p.t ? say('linesInWords', pure.threePlaces(p.la), a, pure.threePlaces(p.lb), b, p.t, p.lk)
                  : say('noBlocks');
  return say('scoreInWords', pure.threePlaces(p.s), verdict) + ' ' + lines + ' ' +
         say('otherFigures', pure.threePlaces(p.c), pure.threePlaces(p.m), pure.threePlaces(p.n), p.x, p.l);
}

// What was run, as the printed page's header says it: made once, the time
// it is printed at set as each pair opens.
var runHeadParts = null;
function runHead() {
  if (!runHeadParts) {
    var run = data.run, printed = el('div');
    runHeadParts = { head: el('header', { cls: 'run-head' }, [
      el('div', { cls: 'run-class', text: say('headClass', run.paths.join(', ')) + (run.bases.length ? say('headTemplate', run.bases.join(', ')) : '') +
        (run.olds.length ? say('headOld', run.olds.join(', ')) : '') }),
      printed,
      el('div', { text: say('headOptions', run.note) })]), printed: printed };
  }
  setText(runHeadParts.printed, say('headRun', data.run.version, data.run.written, pure.dateText(new Date())));
  return runHeadParts.head;
}

// The decision's controls: made once, kept from pair to pair (a form
// control made anew costs more to lay out than all the rest of the
// header), and filled with the decision on the pair shown.
var decisionParts = null;
function decisionArea() {
  if (decisionParts) return decisionParts;
  var choice = el('select', { id: 'decision-choice' }, ['', 'confirmed', 'cleared'].map(function (v) {
    return el('option', { value: v, text: say(v || 'undecided') });
  }));
  var note = el('textarea', { id: 'decision-note', placeholder: say('notePlaceholder'), rows: '2' });
  var save = function () { if (shown) setDecision(shown.p, choice.value, note.value.trim()); };
  choice.addEventListener('change', save);
  note.addEventListener('change', save);
  var when = el('span', { cls: 'when' });
  var box = el('div', { cls: 'decision' }, [
    el('label', { 'for': 'decision-choice', text: say('decision') + ' ' }), choice,
    el('label', { 'for': 'decision-note', cls: 'note-label', text: say('note') }), note, when]);
  var printed = el('p', { cls: 'decision-print' });
  decisionParts = { area: el('div', { id: 'decision-area' }, [box, printed]), box: box, choice: choice, note: note,
                    when: when, printed: printed, conflict: null };
  return decisionParts;
}

// The decision area filled for pair p.
function decisionBox(p) {
  var d = decisionOf(p), parts = decisionArea();
  if (parts.choice.value !== d.d) parts.choice.value = d.d;
  if (parts.note.value !== (d.note || '')) parts.note.value = d.note || '';
  setText(parts.when, d.t ? say('decidedOn', d.t) : '');
  parts.when.hidden = !d.t;
  if (parts.conflict) { parts.conflict.remove(); parts.conflict = null; }
  if (d.o) {
    var take = el('button', { type: 'button', text: say('takeTheirs') });
    var keep = el('button', { type: 'button', text: say('keepMine') });
    take.addEventListener('click', function () { settleConflict(p, true); });
    keep.addEventListener('click', function () { settleConflict(p, false); });
    parts.conflict = el('div', { cls: 'conflict-box', role: 'note' }, [
      el('strong', { text: say('conflict') + ': ' }),
      document.createTextNode(say('conflictSays', d.o.from, say(d.o.d || 'undecided'), d.o.note ? ' (' + d.o.note + ')' : '')), take, keep]);
    parts.box.appendChild(parts.conflict);
  }
  setText(parts.printed, say('printedDecision', say(d.d || 'undecided'), d.note || '—'));
  return parts.area;
}

// Redraws what shows pair p's decision, if its evidence is open (in place:
// a focus in it stays).
function redrawDecision(p) {
  if (shown && shown.p === p) decisionBox(p);
}

function pairNav(i) {
  var at = shownPairs.indexOf(i);
  var link = function (j, key, rel) {
    if (j < 0) return el('span', { cls: 'nav-none', text: say(key) });
    return el('a', { href: '#pair-' + pairs[j].r, rel: rel, text: say(key) });
  };
  var print = el('button', { type: 'button', text: say('printPair') });
  print.addEventListener('click', function () { window.print(); });
  var undecided = el('button', { type: 'button', text: say('nextUndecided') });
  undecided.addEventListener('click', function () { nextUndecided(); });
  return el('nav', { cls: 'pair-nav', 'aria-label': say('pairNavigation') }, [
    el('a', { href: '#pairs', text: say('allPairs') }),
    link(at > 0 ? shownPairs[at - 1] : -1, 'previousPair', 'prev'),
    el('span', { cls: 'place', text: at >= 0 ? say('pairPlace', at + 1, shownPairs.length) : say('pairFiltered') }),
    link(at >= 0 && at + 1 < shownPairs.length ? shownPairs[at + 1] : -1, 'nextPair', 'next'),
    undecided, print]);
}

function openEvidence(i) {
  var p = pairs[i], a = subs[p.a], b = subs[p.b];
  var previous = openIndex;
  openIndex = i;
  // What is read of the page's layout is read first, the rest written
  // after it: the page is laid out once, for the next frame.
  var evidence = document.getElementById('evidence');
  // Focus in what is about to go leaves it now, while the page is laid
  // out: taken from a removed element later, it would lay the page out
  // again in the middle of the change.
  if (evidence.contains(document.activeElement)) document.activeElement.blur();
  if (!evidence.hidden && evidence.scrollTop) evidence.scrollTop = 0;
  // The list scrolls to the pair at the next frame, once the page is laid
  // out with the evidence (opened from the lists, it is laid out anew).
  pairTable.revealLater(shownPairs.indexOf(i));
  evidence.hidden = false;
  if (previous >= 0) pairTable.mark(previous, false);
  pairTable.mark(i, true);
  var files = pure.fileOrder(p.k, (a.f || []).length, (b.f || []).length);
  var order = pure.blockOrder(p.k, files.left), numberOf = {};
  order.forEach(function (k, n) { numberOf[k] = n + 1; });
  var pathsA = (a.f || []).map(function (f) { return f.p; });
  var pathsB = (b.f || []).map(function (f) { return f.p; });

  // The whole evidence bears the address's name: a browser going to it
  // shows its top. It is kept from pair to pair, with the parts that are
  // the same for every pair; the rest is made anew.
  var body = evidenceArticle();
  body.id = 'pair-' + p.r;
  var parts = [pairNav(i), runHead()];
  parts.push(el('h2', { id: 'pair-heading', tabindex: '-1' }, [
    document.createTextNode(say('pairHeading', p.r, a.n, b.n) + ' '),
    el('span', { cls: p.u ? 'verdict on' : 'verdict', text: p.u ? say('suspectedWord') : say('notSuspectedWord') })]));
  parts.push(el('p', { cls: 'in-words', text: scoresInWords(p) + (p.cut ? say('tilesCut', p.k.length) : '') }));
  if (p.w && p.w.length) {
    parts.push(el('p', { cls: 'names' }, [document.createTextNode(say('sharedNames')),
      el('span', {}, p.w.map(function (w) { return el('code', { text: w }); }))]));
  }
  parts.push(decisionBox(p));
  var blocks = el('ol', { cls: 'blocks', 'aria-label': say('blocksLabel') }, order.map(function (k, n) {
    var t = p.k[k];
    var button = el('button', { type: 'button' }, [
      el('span', { cls: 'swatch', text: String(n + 1) }),
      document.createTextNode(say('tileRange', a.n, pure.lineRange(t[1], pathsA), b.n, pure.lineRange(t[2], pathsB))),
      el('span', { cls: 'size', text: blockSize(Math.min(pure.lineCount(t[1]), pure.lineCount(t[2]))) })]);
    button.title = say('blockCharacters', t[0]);
    button.firstChild.style.background = pure.tileColour(n);
    button.addEventListener('click', function () { chooseBlock(n); });
    return el('li', {}, [button]);
  }));
  if (order.length) {
    parts.push(el('p', { cls: 'blocks-help', text: say('blocksHelp') }), blocks);
  }
  // The key: what the marks in these two sources mean.
  var kinds = {};
  (a.g || []).concat(b.g || []).forEach(function (g) { kinds[g[5]] = true; });
  var key = el('p', { cls: 'key' }, [el('mark', { cls: 'sample start', 'data-n': '1', text: say('keyBlock') })]);
  key.firstChild.style.background = pure.tileColour(0);
  if (kinds[0]) key.appendChild(el('span', { cls: 'tpl', text: say('keyTemplate') }));
  if (kinds[1]) key.appendChild(el('span', { cls: 'common', text: say('keyCommon') }));
  if (p.k.length) parts.push(key);

  var sides = el('div', { cls: 'sides' });
  var left = null, right = null;
  if (a.f && b.f) {
    left = sourcePane(a, rangesOf(a, p.k, 1), files.left, numberOf, a.n);
    right = sourcePane(b, rangesOf(b, p.k, 2), files.right, numberOf, b.n);
    sides.appendChild(el('div', { cls: 'side' }, [el('div', { cls: 'who', text: a.n }), left]));
    sides.appendChild(el('div', { cls: 'side' }, [el('div', { cls: 'who', text: b.n }), right]));
    // A click on a block chooses it: both its sides come into view.
    [left, right].forEach(function (pane) {
      pane.addEventListener('click', function (event) {
        var mark = event.target.closest('mark[data-t]');
        if (mark) chooseBlock(Number(mark.dataset.n) - 1);
      });
    });
  } else {
    sides.appendChild(el('p', { cls: 'note', text: say('noSource') }));
  }
  parts.push(sides);
  placeParts(body, parts);
  shown = { p: p, order: order, left: left, right: right, at: -1, marks: [], blocks: blocks };
}

// The article the evidence is drawn in, made once.
function evidenceArticle() {
  var body = document.getElementById('evidence-body');
  if (!body.firstChild) body.appendChild(el('article'));
  return body.firstChild;
}

// Puts `parts` in `article` in order: those in it already stay where they
// are, the others go; nothing is taken out and put back.
function placeParts(article, parts) {
  var keep = new Set(parts);
  for (var c = article.firstChild, next; c; c = next) {
    next = c.nextSibling;
    if (!keep.has(c)) c.remove();
  }
  var at = article.firstChild;
  parts.forEach(function (part) {
    if (at === part) at = at.nextSibling;
    else article.insertBefore(part, at);
  });
}

function blockSize(lines) {
  return lines === 1 ? say('blockSizeOne') : say('blockSize', lines);
}

function closeEvidence() {
  var previous = openIndex;
  openIndex = -1;
  shown = null;
  if (previous >= 0) pairTable.mark(previous, false);
  document.getElementById('evidence').hidden = true;
}

// Scrolls `pane` so that `mark` stands a quarter down it.
function bringIntoPane(pane, mark) {
  var p = pane.getBoundingClientRect(), m = mark.getBoundingClientRect();
  pane.scrollTop += m.top - p.top - pane.clientHeight / 4;
  if (m.left < p.left + 40 || m.left > p.right - 40) pane.scrollLeft += m.left - p.left - 40;
}

// Chooses block `n` (0 for the one numbered 1): marked on both sides, both
// panes scrolled to it, the panes in sight.
function chooseBlock(n) {
  if (!shown || !shown.order.length || !shown.left) return;
  var count = shown.order.length;
  n = ((n % count) + count) % count;
  shown.marks.forEach(function (m) { m.classList.remove('current'); });
  var k = shown.order[n];
  var marks = [], firsts = [];
  [shown.left, shown.right].forEach(function (pane) {
    var found = pane.querySelectorAll('mark[data-t="' + k + '"]');
    found.forEach(function (m) { m.classList.add('current'); marks.push(m); });
    firsts.push(found[0]);
  });
  shown.marks = marks;
  shown.at = n;
  var sides = shown.left.closest('.sides');
  var r = sides.getBoundingClientRect(), bar = document.getElementById('bar').getBoundingClientRect().bottom;
  if (r.top < bar || r.bottom > window.innerHeight) sides.scrollIntoView({ block: 'start' });
  if (firsts[0]) bringIntoPane(shown.left, firsts[0]);
  if (firsts[1]) bringIntoPane(shown.right, firsts[1]);
  var list = shown.blocks;
  list.querySelectorAll('button').forEach(function (b, j) {
    if (j !== n) { b.removeAttribute('aria-current'); return; }
    b.setAttribute('aria-current', 'true');
    var br = b.getBoundingClientRect(), lr = list.getBoundingClientRect();
    if (br.top < lr.top || br.bottom > lr.bottom) list.scrollTop += br.top - lr.top - lr.height / 2;
  });
  var t = shown.p.k[k];
  document.getElementById('status').textContent = say('blockChosen', n + 1, count,
    pure.lineRange(t[1], subs[shown.p.a].f.map(function (f) { return f.p; })),
    pure.lineRange(t[2], subs[shown.p.b].f.map(function (f) { return f.p; })));
}

function stepBlock(step) {
  if (!shown) return;
  chooseBlock(shown.at < 0 ? (step > 0 ? 0 : -1) : shown.at + step);
}
