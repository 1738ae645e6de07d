// Decisions on pairs: kept in the browser's local storage under the pair's
// names and contents (a copy in memory, read once), exported as CSV, and
// merged from another marker's CSV with the conflicts kept beside ours.

var decisionPrefix = 'ccsim-decision:';
var noDecision = { d: '', note: '' };
var decisionMemo = null;  // key -> decision, as stored
var lastImport = null;     // what the last import did, as the bar says it

function decisionStore() {
  try { return window.localStorage; } catch (e) { return null; }
}

function decisionKeyOf(p) {
  if (!p.key) p.key = pure.decisionKey(subs[p.a], subs[p.b]);
  return p.key;
}

function readDecisionStore() {
  decisionMemo = new Map();
  var store = decisionStore();
  if (!store) return;
  for (var i = 0; i < store.length; ++i) {
    var key = store.key(i);
    if (key.indexOf(decisionPrefix) !== 0) continue;
    try {
      var d = JSON.parse(store.getItem(key));
      if (d && typeof d === 'object') decisionMemo.set(key, d);
    } catch (e) { /* a damaged entry counts as none */ }
  }
}

function decisionOf(p) {
  if (!decisionMemo) readDecisionStore();
  return decisionMemo.get(decisionKeyOf(p)) || noDecision;
}

// Keeps `d` ({d, note, t, o}) as the decision on pair `p`; an empty one is
// forgotten.
function keepDecision(p, d) {
  if (!decisionMemo) readDecisionStore();
  var key = decisionKeyOf(p), store = decisionStore();
  if (!d.d && !d.note && !d.o) {
    decisionMemo.delete(key);
    if (store) store.removeItem(key);
  } else {
    decisionMemo.set(key, d);
    if (store) {
      try { store.setItem(key, JSON.stringify(d)); } catch (e) { /* storage full: kept for this visit */ }
    }
  }
  decisionChanged(p);
}

// A decision or note given on the page: dated now.
function setDecision(p, d, note) {
  var before = decisionOf(p);
  if (before.d === d && (before.note || '') === note) return;
  var kept = { d: d, note: note, t: pure.dateText(new Date()) };
  if (before.o) kept.o = before.o;
  keepDecision(p, kept);
}

// A conflict settled: theirs taken, or ours kept.
function settleConflict(p, takeTheirs) {
  var d = decisionOf(p);
  if (!d.o) return;
  keepDecision(p, takeTheirs ? { d: d.o.d, note: d.o.note, t: pure.dateText(new Date()) }
                             : { d: d.d, note: d.note, t: d.t || '' });
}

// Whether pair `p` passes the decisions filter of the bar.
function decisionPasses(p, filter) {
  if (!filter) return true;
  var d = decisionOf(p);
  if (filter === 'conflict') return !!d.o;
  if (filter === 'undecided') return !d.d;
  return d.d === filter;
}

function countDecided() {
  var n = 0, conflicts = 0;
  pairs.forEach(function (p) {
    var d = decisionOf(p);
    if (d.d) ++n;
    if (d.o) ++conflicts;
  });
  document.getElementById('decided').textContent =
    say('decided', n, pairs.length) + (conflicts ? say('conflictsCount', conflicts) : '');
}

// The line ranges of a pair's blocks on one side, in the order they are
// numbered: "55–69; 80–92".
function blockLines(p, side) {
  var s = subs[side === 1 ? p.a : p.b];
  var paths = (s.f || []).map(function (f) { return f.p; });
  if (!paths.length) return '';
  var order = pure.blockOrder(p.k, pure.fileOrder(p.k, (subs[p.a].f || []).length,
                                                  (subs[p.b].f || []).length).left);
  return order.map(function (k) { return pure.lineRange(p.k[k][side], paths); }).join('; ');
}

function decisionsCsv() {
  var rows = [];
  pairs.forEach(function (p) {
    var d = decisionOf(p);
    if (!d.d && !d.note) return;
    rows.push({ first: subs[p.a].n, second: subs[p.b].n, score: p.s, decision: d.d, note: d.note || '',
                rank: p.r, date: d.t || '', firstLines: blockLines(p, 1), secondLines: blockLines(p, 2) });
  });
  return pure.decisionsCsv(rows);
}

function exportDecisions() {
  var link = el('a', { download: 'decisions.csv' });
  link.href = URL.createObjectURL(new Blob([decisionsCsv()], { type: 'text/csv;charset=utf-8' }));
  document.body.appendChild(link);
  link.click();
  link.remove();
}

// Another marker's decisions merged into ours; returns what was done:
// {rows, taken, same, merged, conflict, nothing, missing} or {error}.
function importDecisions(text, from) {
  var read = pure.readDecisions(text);
  if (read.error) return { error: read.error, line: read.line };
  var byNames = new Map();
  pairs.forEach(function (p) {
    byNames.set(subs[p.a].n + '\u0000' + subs[p.b].n, p);
    byNames.set(subs[p.b].n + '\u0000' + subs[p.a].n, p);
  });
  var done = { rows: read.rows.length, taken: 0, same: 0, merged: 0, conflict: 0, nothing: 0, missing: 0 };
  quietly(function () {
    read.rows.forEach(function (r) {
      var p = byNames.get(r.first + '\u0000' + r.second);
      if (!p) { ++done.missing; return; }
      var merge = pure.mergeDecision(decisionOf(p), { d: r.decision, note: r.note, t: r.date }, from);
      ++done[merge.how];
      if (merge.how !== 'same' && merge.how !== 'nothing') keepDecision(p, merge.result);
    });
  });
  lastImport = done;
  return done;
}

function importFile(file) {
  var reader = new FileReader();
  reader.onload = function () {
    var done = importDecisions(String(reader.result), file.name);
    var status = document.getElementById('status');
    if (done.error) {
      var why = { columns: 'importColumns', decision: 'importDecision' }[done.error] || 'importEmpty';
      status.textContent = say('importFailed', file.name, say(why, done.line));
    } else {
      status.textContent = say('imported', file.name, done.rows, done.taken, done.merged, done.same,
                               done.conflict, done.missing);
    }
  };
  reader.readAsText(file, 'utf-8');
}
