// The tables of pairs and of students. Only the rows in sight (and a few
// round them) are in the page: a class of 20,000 pairs scrolls, sorts and
// filters as fast as one of twenty. A row kept in sight is kept as it is,
// so that focus and selection stay; one whose pair changes is redrawn alone.

// A table whose body shows `items` through `make(item)`, in a scrolling
// `pane`; rows are all `rowHeight` tall (the style sheet sees to it).
function TableWindow(table, pane, make) {
  this.table = table;
  this.body = table.tBodies[0];
  this.pane = pane;
  this.make = make;
  this.items = [];
  this.rows = new Map();  // item -> its row, for the rows drawn
  this.range = [0, 0];
  this.changed = true;     // the items changed since last drawn
  this.rowHeight = 0;
  this.all = false;        // every row drawn (for printing)
  // The rows not drawn stand as two spacers of their height: one cell each,
  // in the first column, so that columns hidden on narrow screens stay empty.
  this.above = el('tr', { cls: 'spacer', 'aria-hidden': 'true' }, [el('td')]);
  this.below = el('tr', { cls: 'spacer', 'aria-hidden': 'true' }, [el('td')]);
  this.body.appendChild(this.above);
  this.body.appendChild(this.below);
  this.view = null;        // where the pane and the body stood when last measured
  var self = this;
  this.pending = false;
  var later = function () { self.later(); };
  pane.addEventListener('scroll', later, { passive: true });
  window.addEventListener('scroll', later, { passive: true });
  window.addEventListener('resize', later);
  // Tab moves focus row by row: the window follows it.
  this.body.addEventListener('focusin', function (event) {
    var row = event.target.closest('tr');
    if (row && row.dataset.at) self.draw(Number(row.dataset.at), true);
  });
}

// Draws again at the next frame, measuring afresh (the page laid out by then
// anyway).
TableWindow.prototype.later = function () {
  if (this.pending) return;
  this.pending = true;
  var self = this;
  requestAnimationFrame(function () { self.pending = false; self.draw(undefined, true); });
};

// Where the visible part of the pane and the table's body stand now (this
// lays the page out, if a change has left it to be).
TableWindow.prototype.measure = function () {
  var pane = this.pane.getBoundingClientRect();
  var top = Math.max(pane.top, 0), bottom = Math.min(pane.bottom, window.innerHeight);
  if (bottom <= top) bottom = top + window.innerHeight;  // out of sight: a page's worth
  this.view = { bodyTop: this.body.getBoundingClientRect().top, top: top, bottom: bottom };
  return this.view;
};

// New items: drawn where the pane stood, without laying the page out
// first; measured again at the next frame.
TableWindow.prototype.set = function (items) {
  this.items = items;
  this.changed = true;
  this.draw(undefined, false);
  this.later();
};

TableWindow.prototype.height = function () {
  if (!this.rowHeight) {
    var first = this.body.querySelector('tr:not(.spacer)');
    if (first) this.rowHeight = first.getBoundingClientRect().height || 0;
  }
  return this.rowHeight || 26;
};

// Draws the rows in sight, and the row at place `focus` with a few round
// it; `fresh`: measuring where they are now, else as last measured.
TableWindow.prototype.draw = function (focus, fresh) {
  var count = this.items.length, h = this.height(), range;
  if (this.all) {
    range = [0, count];
  } else {
    var view = fresh || !this.view ? this.measure() : this.view;
    range = pure.rowWindow(count, h, view.bodyTop, view.top, view.bottom, 6);
    if (focus !== undefined) {
      range = [Math.max(0, Math.min(range[0], focus - 6)), Math.min(count, Math.max(range[1], focus + 7))];
      if (range[1] - range[0] > 400) range = [Math.max(0, focus - 6), Math.min(count, focus + 7)];
    }
  }
  if (!this.changed && range[0] === this.range[0] && range[1] === this.range[1]) return;
  this.changed = false;
  var self = this, wanted = new Set(this.items.slice(range[0], range[1]));
  this.rows.forEach(function (row, item) {
    if (!wanted.has(item)) { row.remove(); self.rows.delete(item); }
  });
  var next = this.below;
  for (var i = range[1] - 1; i >= range[0]; --i) {
    var item = this.items[i], row = this.rows.get(item);
    if (!row) { row = this.make(item); this.rows.set(item, row); }
    if (row.dataset.at !== String(i)) row.dataset.at = i;
    if (row.nextSibling !== next || row.parentNode !== this.body) this.body.insertBefore(row, next);
    next = row;
  }
  this.range = range;
  var above = range[0] * h + 'px', below = (count - range[1]) * h + 'px';
  if (this.above.firstChild.style.height !== above) this.above.firstChild.style.height = above;
  if (this.below.firstChild.style.height !== below) this.below.firstChild.style.height = below;
  if (this.above.hidden !== (range[0] === 0)) this.above.hidden = range[0] === 0;
  if (this.below.hidden !== (range[1] === count)) this.below.hidden = range[1] === count;
};

// Draws item `item`'s row again, if it is drawn.
TableWindow.prototype.redraw = function (item) {
  var old = this.rows.get(item);
  if (!old) return;
  var row = this.make(item);
  row.dataset.at = old.dataset.at;
  var focused = old.contains(document.activeElement);
  old.replaceWith(row);
  this.rows.set(item, row);
  if (focused) { var link = row.querySelector('a'); if (link) link.focus({ preventScroll: true }); }
};

TableWindow.prototype.rowOf = function (item) { return this.rows.get(item); };

// Forgets every row drawn: they are all made anew at the next drawing.
TableWindow.prototype.forget = function () {
  this.rows.forEach(function (row) { row.remove(); });
  this.rows.clear();
  this.changed = true;
};

// Marks item `item`'s row (when drawn) as the one open, or not; rows drawn
// later take it from `make`.
TableWindow.prototype.mark = function (item, open) {
  var row = this.rows.get(item);
  if (!row) return;
  row.classList.toggle('open', open);
  if (open) row.setAttribute('aria-current', 'true'); else row.removeAttribute('aria-current');
};

// Scrolls the pane so that the row at place `at` is in sight.
TableWindow.prototype.reveal = function (at) {
  if (at < 0) return;
  var h = this.height(), pane = this.pane;
  var bodyTop = this.body.getBoundingClientRect().top - pane.getBoundingClientRect().top + pane.scrollTop;
  var head = this.table.tHead.getBoundingClientRect().height;
  var top = bodyTop + at * h, visibleTop = pane.scrollTop + head;
  if (top < visibleTop) pane.scrollTop = top - head - h;
  else if (top + h > pane.scrollTop + pane.clientHeight) pane.scrollTop = top + 2 * h - pane.clientHeight;
  this.draw(at, true);
};

// Sorting by a click (or Enter) on a heading's button.
function sortable(table, how, draw) {
  table.querySelectorAll('th').forEach(function (th) {
    var button = th.querySelector('button');
    if (!button) return;
    button.addEventListener('click', function () {
      how.down = how.key === th.dataset.key ? !how.down : th.hasAttribute('data-num');
      how.key = th.dataset.key;
      table.querySelectorAll('th').forEach(function (h) { h.classList.remove('up', 'down'); h.removeAttribute('aria-sort'); });
      th.classList.add(how.down ? 'down' : 'up');
      th.setAttribute('aria-sort', how.down ? 'descending' : 'ascending');
      draw(true);
    });
  });
}

function sortedBy(list, value, how) {
  var keyed = list.map(function (x) { return [value(x, how.key), x]; });
  keyed.sort(function (x, y) {
    var a = x[0], b = y[0];
    var c = typeof a === 'number' ? a - b : String(a).localeCompare(String(b));
    return (how.down ? -c : c) || x[1] - y[1];
  });
  return keyed.map(function (x) { return x[1]; });
}

// ---- the pairs

var pairSort = { key: 'rank', down: false };
var pairOrder = null;   // pair indices sorted as the table is, before filtering
var pairPlace = null;   // per pair, its place in pairOrder
var shownPairs = [];    // pair indices the table shows, in order
var pairTable = null;
var suspectedWord = '';  // said once, put in every suspected row

function pairValue(i, key) {
  var p = pairs[i];
  switch (key) {
    case 'first': return subs[p.a].n;
    case 'second': return subs[p.b].n;
    case 'score': return p.s;
    case 'suspected': return p.u ? 1 : 0;
    case 'linesFirst': return p.la;
    case 'linesSecond': return p.lb;
    case 'blocks': return p.t;
    case 'longest': return p.lk;
    case 'coverage': return p.c;
    case 'similarity': return p.m;
    case 'names': return p.n;
    case 'decision': return decisionOf(p).d + (decisionOf(p).o ? '!' : '');
    default: return p.r;
  }
}

// A figure's cell (its heading explains it: the cell holds the figure only,
// a row being made anew whenever it comes into sight).
function figureCell(value, extra) {
  var td = document.createElement('td');
  td.className = extra ? 'num ' + extra : 'num';
  td.textContent = pure.threePlaces(value);
  return td;
}

function cell(cls, text) {
  var td = document.createElement('td');
  td.className = cls;
  td.textContent = text;
  return td;
}

function decisionText(d) {
  var text = (d.d ? say(d.d) : '') + (d.note ? (d.d ? ' (' + d.note + ')' : d.note) : '');
  return text;
}

function pairRow(i) {
  var p = pairs[i], d = decisionOf(p);
  var link = el('a', { href: '#pair-' + p.r, text: String(p.r), 'aria-label': say('openPair', p.r, subs[p.a].n, subs[p.b].n) });
  var decision = el('td', { cls: 'decision-cell', text: decisionText(d) });
  if (d.o) decision.appendChild(el('span', { cls: 'conflict-flag', text: say('conflict'), title: say('conflictTitle', say(d.o.d || 'undecided'), d.o.from) }));
  var first = cell('name brief', subs[p.a].n), second = cell('name brief', subs[p.b].n);
  first.title = subs[p.a].n;
  second.title = subs[p.b].n;
  var row = el('tr', {}, [
    el('td', { cls: 'num brief' }, [link]), first, second,
    figureCell(p.s, 'brief'), cell('flag brief', p.u ? suspectedWord : ''),
    figureCell(p.la), figureCell(p.lb),
    cell('num col-blocks', String(p.t)), cell('num col-longest', String(p.lk)),
    figureCell(p.c, 'extra'), figureCell(p.m, 'extra'), figureCell(p.n, 'extra'),
    decision]);
  row.className = (p.u ? 'suspected' : '') + (d.d ? ' ' + d.d : '') + (d.o ? ' conflict' : '') +
                  (i === openIndex ? ' open' : '');
  if (i === openIndex) row.setAttribute('aria-current', 'true');
  return row;
}

// The table again after a change of filter (`resort`: of its order too).
function drawPairs(resort) {
  if (resort || !pairOrder) {
    pairOrder = sortedBy(pairs.map(function (p, i) { return i; }), pairValue, pairSort);
    pairPlace = null;
  }
  var f = filters();
  shownPairs = pairOrder.filter(function (i) {
    var p = pairs[i];
    if (f.only && !p.u) return false;
    if (f.query && !nameMatch(p.a, f.query) && !nameMatch(p.b, f.query)) return false;
    return decisionPasses(p, f.decision);
  });
  pairTable.set(shownPairs);
  document.getElementById('pairs-note').textContent =
    say('pairsNote', shownPairs.length, pairs.length, data.suspected, data.listed, data.pairsInRun);
}

function orderPlace() {
  if (!pairPlace) {
    pairPlace = new Int32Array(pairs.length);
    pairOrder.forEach(function (i, at) { pairPlace[i] = at; });
  }
  return pairPlace;
}

// ---- the students

var studentSort = { key: 'suspected', down: true };
var studentOrder = null;
var studentTable = null;
var pairsOf = null;  // per submission: the pairs of the page it is in, by rank

function studentValue(k, key) {
  var s = subs[k];
  switch (key) {
    case 'name': return s.n;
    case 'best': return s.b >= 0 ? subs[s.b].n : '';
    case 'bestScore': return s.b >= 0 ? s.bs : -1;
    case 'decisions': return decidedOf(k).decided;
    default: return s.s;
  }
}

// How the pairs of submission k stand: {confirmed, cleared, undecided,
// conflict, decided}.
function decidedOf(k) {
  var n = { confirmed: 0, cleared: 0, undecided: 0, conflict: 0, decided: 0 };
  pairsOf[k].forEach(function (i) {
    var d = decisionOf(pairs[i]);
    if (d.d) { ++n[d.d]; ++n.decided; } else ++n.undecided;
    if (d.o) ++n.conflict;
  });
  return n;
}

function decidedText(n) {
  var parts = [];
  ['confirmed', 'cleared', 'undecided'].forEach(function (d) { if (n[d]) parts.push(n[d] + ' ' + say(d)); });
  if (n.conflict) parts.push(n.conflict + ' ' + say('conflict'));
  return parts.join(', ');
}

function studentRow(k) {
  var s = subs[k];
  var row = el('tr', {}, [
    el('td', { cls: 'name' }, [el('a', { href: '#student-' + k, text: s.n, title: s.n })]),
    cell('num', String(s.s)), cell('name', s.b >= 0 ? subs[s.b].n : say('noPartner')),
    cell('num', s.b >= 0 ? pure.threePlaces(s.bs) : ''), cell('decision-cell', decidedText(decidedOf(k)))]);
  if (s.s > 0) row.className = 'suspected';
  return row;
}

function drawStudents(resort) {
  if (resort || !studentOrder) studentOrder = sortedBy(subs.map(function (s, k) { return k; }), studentValue, studentSort);
  var f = filters();
  var shown = studentOrder.filter(function (k) {
    if (f.only && subs[k].s === 0) return false;
    if (f.query && !nameMatch(k, f.query)) return false;
    if (!f.decision) return true;
    return pairsOf[k].some(function (i) { return decisionPasses(pairs[i], f.decision); });
  });
  studentTable.set(shown);
  document.getElementById('students-note').textContent = say('studentsNote', shown.length, subs.length);
}
