// The page as a review desk: what the address names is shown (#pair-3,
// #student-12, the lists), Back and Forward go through what was shown, and
// the keys of the help (?) move through pairs and blocks and decide.
// The last of the script's files: it starts the page.

var data = JSON.parse(document.getElementById('report-data').textContent);
var words = JSON.parse(document.getElementById('report-words').textContent);
var subs = data.subs, pairs = data.pairs;
var lowNames = subs.map(function (s) { return s.n.toLowerCase(); });
var byRank = new Map();
pairs.forEach(function (p, i) { byRank.set(p.r, i); });

// The words named `key`, "{0}", "{1}"... replaced by the arguments after it.
function say(key) {
  var args = arguments;
  return words[key].replace(/\{(\d+)\}/g, function (_, i) { return String(args[Number(i) + 1]); });
}

function el(tag, attrs, children) {
  var e = document.createElement(tag);
  Object.keys(attrs || {}).forEach(function (k) {
    if (k === 'text') e.textContent = attrs[k];
    else if (k === 'cls') e.className = attrs[k];
    else e.setAttribute(k, attrs[k]);
  });
  (children || []).forEach(function (c) { e.appendChild(c); });
  return e;
}

function filters() {
  return { query: document.getElementById('search').value.trim(),
           only: document.getElementById('only-suspected').checked,
           decision: document.getElementById('decision-filter').value };
}

// Whether submission k's name matches the search: worked out once per
// search for every submission, then looked up.
var matched = { query: null, by: null };
function nameMatch(k, query) {
  if (matched.query !== query) {
    var q = query.toLowerCase();
    matched.query = query;
    matched.by = new Uint8Array(subs.length);
    for (var i = 0; i < subs.length; ++i) matched.by[i] = q === '' || pure.matchesLow(lowNames[i], q) ? 1 : 0;
  }
  return matched.by[k] === 1;
}

// ---- a decision changed: what shows it is drawn again, and nothing else

var quiet = 0, changedWhileQuiet = false;

function quietly(work) {
  ++quiet;
  try { work(); } finally { --quiet; }
  if (!quiet && changedWhileQuiet) {
    changedWhileQuiet = false;
    pairTable.forget();
    studentTable.forget();
    drawAll(true);
    countDecided();
    if (shown) redrawDecision(shown.p);
  }
}

function decisionChanged(p) {
  if (quiet) { changedWhileQuiet = true; return; }
  var i = byRank.get(p.r);
  if (pairSort.key === 'decision' || filters().decision) drawPairs(pairSort.key === 'decision');
  pairTable.redraw(i);
  [p.a, p.b].forEach(function (k) { studentTable.redraw(k); });
  countDecided();
  redrawDecision(p);
  if (view === 'student') drawStudentPage(studentShown);
  groupsLater();
}

// The groups are drawn again only when they come into sight (typing goes
// on meanwhile, and a class of many groups costs nothing until then).
var groupsStale = true, groupsInSight = false, groupsTimer = 0;
function groupsLater() {
  groupsStale = true;
  clearTimeout(groupsTimer);
  if (groupsInSight) groupsTimer = setTimeout(function () { groupsStale = false; drawGroups(); }, 150);
}

// Filters changed: the lists at once, the groups when seen.
function drawAll(resort) {
  drawPairs(resort);
  drawStudents(resort);
  groupsLater();
  if (view === 'student') drawStudentPage(studentShown);
}

// ---- what the address shows

var view = 'overview';
var studentShown = -1;

function show(name) {
  view = name;
  if (document.body.dataset.view !== name) document.body.dataset.view = name;
}

function route() {
  var hash = decodeURIComponent(window.location.hash || '');
  var m = /^#pair-(\d+)$/.exec(hash), s = /^#student-(\d+)$/.exec(hash);
  if (document.getElementById('status').textContent) document.getElementById('status').textContent = '';
  if (m && byRank.has(Number(m[1]))) {
    show('pair');
    openEvidence(byRank.get(Number(m[1])));
    // The heading takes the focus once drawn (a screen reader reads it),
    // unless the focus is on the list, where Tab and Enter opened it.
    setTimeout(function () {
      var heading = document.getElementById('pair-heading'), at = document.activeElement;
      if (!heading || !document.getElementById('help').hidden) return;
      if (at && at !== document.body && at.closest && at.closest('#pair-table, #evidence')) return;
      heading.focus({ preventScroll: true });
    }, 0);
    return;
  }
  if (s && subs[Number(s[1])]) {
    closeEvidence();
    show('student');
    studentShown = Number(s[1]);
    drawStudentPage(studentShown);
    window.scrollTo(0, 0);
    document.getElementById('student-heading').focus({ preventScroll: true });
    return;
  }
  var wasPair = openIndex;
  closeEvidence();
  show('overview');
  if (m) document.getElementById('status').textContent = say('noSuchPair', m[1]);
  // Drawn where they stood, then measured afresh at the next frame: the
  // lists were out of sight, or laid out otherwise, when last measured.
  pairTable.draw();
  studentTable.draw();
  pairTable.later();
  studentTable.later();
  if (/^#group/.test(hash) && groupsStale) { groupsStale = false; drawGroups(true); }
  var target = hash.length > 1 && document.getElementById(hash.slice(1));
  if (target) {
    target.scrollIntoView();
    if (hash === '#pairs' && wasPair >= 0) {
      pairTable.reveal(shownPairs.indexOf(wasPair));
      var row = pairTable.rowOf(wasPair);
      if (row) row.querySelector('a').focus({ preventScroll: true });
    }
  }
}

function go(hash) {
  if (window.location.hash === hash) route(); else window.location.hash = hash;
}

// ---- moving by keys

function openAt(place) {
  if (place >= 0 && place < shownPairs.length) go('#pair-' + pairs[shownPairs[place]].r);
}

// Where the open pair stands in the list as shown: its place, or, when the
// filters have taken it out (decided, with undecided pairs shown), half a
// place before the first pair shown after it.
function openPlace() {
  if (openIndex < 0) return -1;
  var at = shownPairs.indexOf(openIndex);
  if (at >= 0) return at;
  var order = orderPlace(), mine = order[openIndex], low = 0, high = shownPairs.length;
  while (low < high) {
    var mid = (low + high) >> 1;
    if (order[shownPairs[mid]] < mine) low = mid + 1; else high = mid;
  }
  return low - 0.5;
}

function stepPair(step) {
  var at = openPlace(), next;
  if (at % 1) next = step > 0 ? Math.ceil(at) : Math.floor(at);
  else next = pure.nextPlace(shownPairs.length, at, step, function () { return true; }, false);
  if (next >= 0 && next < shownPairs.length) openAt(next);
  else document.getElementById('status').textContent = say(step > 0 ? 'lastPair' : 'firstPair');
}

function nextUndecided() {
  var at = openPlace();
  if (at % 1) at = Math.floor(at);  // the search starts just after it
  var next = pure.nextPlace(shownPairs.length, at, 1, function (i) { return !decisionOf(pairs[shownPairs[i]]).d; }, true);
  if (next < 0) document.getElementById('status').textContent = say('allDecided');
  else if (shownPairs[next] === openIndex) document.getElementById('status').textContent = say('noOtherUndecided');
  else openAt(next);
}

function decideByKey(d) {
  if (openIndex < 0) return;
  var p = pairs[openIndex];
  setDecision(p, d, decisionOf(p).note || '');
  document.getElementById('status').textContent = say('decidedByKey', p.r, say(d));
}

function typing(target) {
  return target && (/^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName) || target.isContentEditable);
}

function onKey(event) {
  if (event.ctrlKey || event.metaKey || event.altKey) return;
  var help = document.getElementById('help');
  if (event.key === 'Escape') {
    if (!help.hidden) { toggleHelp(false); event.preventDefault(); return; }
    if (typing(event.target)) { event.target.blur(); return; }
    if (view !== 'overview') { go(view === 'student' ? '#students' : '#pairs'); event.preventDefault(); }
    return;
  }
  if (typing(event.target)) return;
  var act = {
    'j': function () { stepPair(1); }, 'k': function () { stepPair(-1); },
    'n': function () { stepBlock(1); }, 'p': function () { stepBlock(-1); },
    'u': nextUndecided,
    'c': function () { decideByKey('confirmed'); }, 'x': function () { decideByKey('cleared'); },
    'e': function () { var note = document.getElementById('decision-note'); if (note) note.focus(); },
    '/': function () { document.getElementById('search').focus(); },
    '?': function () { toggleHelp(help.hidden); }
  }[event.key];
  if (!act) return;
  event.preventDefault();
  act();
}

// ---- the help: the keys and what each column means

var helpFrom = null;
function toggleHelp(open) {
  var help = document.getElementById('help');
  // While it is open, what is behind it takes neither focus nor clicks.
  document.querySelector('main').inert = open;
  document.getElementById('bar').inert = open;
  if (open) {
    helpFrom = document.activeElement;
    help.hidden = false;
    document.getElementById('help-close').focus();
  } else {
    help.hidden = true;
    if (helpFrom && helpFrom.focus) helpFrom.focus();
  }
}

function buildHelp() {
  var keys = [['j', 'keyNext'], ['k', 'keyPrevious'], ['n', 'keyNextBlock'], ['p', 'keyPreviousBlock'],
              ['u', 'keyUndecided'], ['c', 'keyConfirm'], ['x', 'keyClear'], ['e', 'keyNote'],
              ['/', 'keySearch'], ['?', 'keyHelp'], ['Esc', 'keyEscape']];
  var columns = [['thRank', 'colRank'], ['thScore', 'colScore'], ['thSuspected', 'colSuspected'],
                 ['thLinesFirst', 'colLinesFirst'], ['thLinesSecond', 'colLinesSecond'],
                 ['thBlocks', 'colBlocks'], ['thLongest', 'colLongest'], ['thCoverage', 'colCoverage'],
                 ['thSimilarity', 'colSimilarity'], ['thNames', 'colNames'], ['thDecision', 'colDecision'],
                 ['thPartners', 'colPartners']];
  var close = el('button', { type: 'button', id: 'help-close', text: say('closeHelp') });
  close.addEventListener('click', function () { toggleHelp(false); });
  var body = document.getElementById('help');
  body.appendChild(el('div', { cls: 'help-box' }, [
    el('h2', { id: 'help-title', text: say('helpTitle') }), close,
    el('h3', { text: say('helpKeys') }),
    el('table', {}, [el('tbody', {}, keys.map(function (k) {
      return el('tr', {}, [el('th', {}, [el('kbd', { text: k[0] })]), el('td', { text: say(k[1]) })]);
    }))]),
    el('h3', { text: say('helpColumns') }),
    el('table', {}, [el('tbody', {}, columns.map(function (c) {
      return el('tr', {}, [el('th', { text: say(c[0]) }), el('td', { text: say(c[1]) })]);
    }))]),
    el('h3', { text: say('helpMarks') }),
    el('p', { text: say('rangesHelp') }),
    el('p', { text: say('helpPrint') })]));
  body.addEventListener('click', function (event) { if (event.target === body) toggleHelp(false); });
}

// The headings' explanations, from the words.
function explainHeadings() {
  document.querySelectorAll('th[data-help]').forEach(function (th) {
    th.title = say(th.dataset.help);
    var button = th.querySelector('button');
    if (button) button.title = th.title;
  });
}

// ---- starting

function keepBarHeight() {
  var bar = document.getElementById('bar');
  document.documentElement.style.setProperty('--bar', bar.getBoundingClientRect().height + 'px');
}

suspectedWord = say('suspectedWord');
pairsOf = subs.map(function () { return []; });
pairs.forEach(function (p, i) { pairsOf[p.a].push(i); pairsOf[p.b].push(i); });
readDecisionStore();
keepBarHeight();
if (window.ResizeObserver) new ResizeObserver(keepBarHeight).observe(document.getElementById('bar'));
else window.addEventListener('resize', keepBarHeight);
// What the status line says goes after a while.
var statusTimer = 0;
new MutationObserver(function () {
  clearTimeout(statusTimer);
  statusTimer = setTimeout(function () { document.getElementById('status').textContent = ''; }, 6000);
}).observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
pairTable = new TableWindow(document.getElementById('pair-table'), document.getElementById('pair-scroll'), pairRow);
studentTable = new TableWindow(document.getElementById('student-table'), document.getElementById('student-scroll'), studentRow);
sortable(document.getElementById('pair-table'), pairSort, drawPairs);
sortable(document.getElementById('student-table'), studentSort, drawStudents);
explainHeadings();
buildHelp();
document.getElementById('search').addEventListener('input', function () { drawAll(false); });
document.getElementById('only-suspected').addEventListener('change', function () { drawAll(false); });
document.getElementById('decision-filter').addEventListener('change', function () { drawAll(false); });
document.getElementById('export').addEventListener('click', exportDecisions);
document.getElementById('import').addEventListener('click', function () { document.getElementById('import-file').click(); });
document.getElementById('import-file').addEventListener('change', function (event) {
  if (event.target.files[0]) importFile(event.target.files[0]);
  event.target.value = '';
});
document.getElementById('help-button').addEventListener('click', function () { toggleHelp(true); });
document.addEventListener('keydown', onKey);
// A row's whole width opens its pair, not only its rank.
document.getElementById('pair-table').addEventListener('click', function (event) {
  var row = event.target.closest('tbody tr');
  if (!row || event.target.closest('a') || !row.dataset.at) return;
  go('#pair-' + pairs[shownPairs[Number(row.dataset.at)]].r);
});
window.addEventListener('hashchange', route);
// Printing the lists prints all their rows.
window.addEventListener('beforeprint', function () {
  if (view !== 'overview') return;
  pairTable.all = studentTable.all = true;
  pairTable.draw(); studentTable.draw();
});
window.addEventListener('afterprint', function () {
  pairTable.all = studentTable.all = false;
  pairTable.draw(); studentTable.draw();
});
drawPairs(true);
drawStudents(true);
countDecided();
route();
if (window.IntersectionObserver) {
  new IntersectionObserver(function (seen) {
    groupsInSight = seen[seen.length - 1].isIntersecting;
    if (groupsInSight && groupsStale) groupsLater();
  }, { rootMargin: '400px' }).observe(document.getElementById('groups'));
} else {
  groupsInSight = true;
  groupsLater();
}
if (window.performance && performance.mark) performance.mark('report-drawn');

// For the browser tests: the export's text, the import, the keys' places.
window.ccsimReport = {
  decisionsCsv: decisionsCsv,
  importDecisions: function (text, from) { return importDecisions(text, from); },
  shown: function () { return { view: view, pair: openIndex >= 0 ? pairs[openIndex].r : 0, block: shown ? shown.at + 1 : 0 }; }
};
