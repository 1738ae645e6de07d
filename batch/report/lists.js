// The tables of pairs and of students, drawn in windows (window.js).

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

// Rows are made once with their cells (each cell's class fixed by its
// column; its heading explains it) and filled by the item they show. The
// roles are said outright: the style sheet lays the rows out as no table,
// and some browsers then forget they are one.
function cells(classes) {
  var row = document.createElement('tr');
  row.setAttribute('role', 'row');
  classes.forEach(function (cls) {
    var td = document.createElement('td');
    td.className = cls;
    td.setAttribute('role', 'cell');
    row.appendChild(td);
  });
  return row;
}

// Sets a cell's text, keeping its text node where it has one.
function setText(node, text) {
  var only = node.firstChild;
  if (only && only === node.lastChild && only.nodeType === 3) { if (only.data !== text) only.data = text; }
  else node.textContent = text;
}

function setTitle(node, title) {
  if (node.title !== title) node.title = title;
}

function decisionText(d) {
  var text = (d.d ? say(d.d) : '') + (d.note ? (d.d ? ' (' + d.note + ')' : d.note) : '');
  return text;
}

var pairColumns = ['num brief', 'name brief', 'name brief', 'num brief', 'flag brief', 'num', 'num',
                   'num col-blocks', 'num col-longest', 'num extra', 'num extra', 'num extra', 'decision-cell'];

// Pair i's row: `row` filled, or a new one.
function pairRow(i, row) {
  var p = pairs[i], d = decisionOf(p), first = subs[p.a].n, second = subs[p.b].n;
  if (!row) {
    row = cells(pairColumns);
    row.firstChild.appendChild(document.createElement('a'));
  }
  var td = row.cells, link = td[0].firstChild, href = '#pair-' + p.r;
  if (link.getAttribute('href') !== href) {
    link.setAttribute('href', href);
    link.setAttribute('aria-label', say('openPair', p.r, first, second));
  }
  setText(link, String(p.r));
  setText(td[1], first);
  setTitle(td[1], first);
  setText(td[2], second);
  setTitle(td[2], second);
  setText(td[3], pure.threePlaces(p.s));
  setText(td[4], p.u ? suspectedWord : '');
  setText(td[5], pure.threePlaces(p.la));
  setText(td[6], pure.threePlaces(p.lb));
  setText(td[7], String(p.t));
  setText(td[8], String(p.lk));
  setText(td[9], pure.threePlaces(p.c));
  setText(td[10], pure.threePlaces(p.m));
  setText(td[11], pure.threePlaces(p.n));
  setText(td[12], decisionText(d));
  if (d.o) td[12].appendChild(el('span', { cls: 'conflict-flag', text: say('conflict'), title: say('conflictTitle', say(d.o.d || 'undecided'), d.o.from) }));
  var cls = (p.u ? 'suspected' : '') + (d.d ? ' ' + d.d : '') + (d.o ? ' conflict' : '') + (i === openIndex ? ' open' : '');
  if (row.className !== cls) row.className = cls;
  if (i === openIndex) row.setAttribute('aria-current', 'true'); else row.removeAttribute('aria-current');
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

// Submission k's row: `row` filled, or a new one.
function studentRow(k, row) {
  var s = subs[k];
  if (!row) {
    row = cells(['name', 'num', 'name', 'num', 'decision-cell']);
    row.firstChild.appendChild(document.createElement('a'));
  }
  var td = row.cells, link = td[0].firstChild;
  link.setAttribute('href', '#student-' + k);
  setText(link, s.n);
  setTitle(link, s.n);
  setText(td[1], String(s.s));
  setText(td[2], s.b >= 0 ? subs[s.b].n : say('noPartner'));
  setText(td[3], s.b >= 0 ? pure.threePlaces(s.bs) : '');
  setText(td[4], decidedText(decidedOf(k)));
  var cls = s.s > 0 ? 'suspected' : '';
  if (row.className !== cls) row.className = cls;
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
