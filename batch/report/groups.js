// The groups of submissions that share a source, each with its pairs and
// a graph of them; and a page per student with every partner above the
// floor.

// The SVG namespace, as the HTML parser gives it (the page names no
// address of its own).
var svgSpace = (function () {
  var holder = document.createElement('div');
  holder.innerHTML = '<svg></svg>';
  return holder.firstChild.namespaceURI;
})();
var groupsDrawing = 0;  // a generation: a newer drawing stops an older one

function svg(tag, attrs) {
  var e = document.createElementNS(svgSpace, tag);
  Object.keys(attrs || {}).forEach(function (k) { e.setAttribute(k, attrs[k]); });
  return e;
}

function pairLine(i) {
  var p = pairs[i], d = decisionOf(p);
  var li = el('li', { cls: (d.d || '') + (d.o ? ' conflict' : '') }, [
    el('a', { href: '#pair-' + p.r, text: say('groupPair', p.r, subs[p.a].n, subs[p.b].n, pure.threePlaces(p.s)) })]);
  if (d.d || d.o) li.appendChild(el('span', { cls: 'decision-word', text: ' — ' + decisionText(d) + (d.o ? ' (' + say('conflict') + ')' : '') }));
  return li;
}

function studentLink(k) {
  return el('a', { href: '#student-' + k, text: subs[k].n });
}

// The groups view again, a few groups at a time so that the page answers
// between them (`now`: all at once).
function drawGroups(now) {
  var list = document.getElementById('group-list');
  var generation = ++groupsDrawing, f = filters(), n = 0, drawn = 0;
  list.textContent = '';
  if (!data.groups.length) { list.appendChild(el('p', { text: say('noGroups') })); return; }
  var step = function () {
    if (generation !== groupsDrawing) return;
    for (var end = Math.min(data.groups.length, n + 20); n < end; ++n) {
      var g = data.groups[n];
      var inside = g.p.filter(function (i) { return decisionPasses(pairs[i], f.decision); });
      if (f.decision && !inside.length) continue;
      if (f.query && !g.m.some(function (k) { return nameMatch(k, f.query); })) continue;
      list.appendChild(groupBox(g, n, inside));
      ++drawn;
    }
    if (n < data.groups.length) { if (now) step(); else setTimeout(step, 0); }
    else if (!drawn) list.appendChild(el('p', { text: say('noGroupsFiltered') }));
  };
  step();
}

function groupBox(g, n, inside) {
  var members = el('ul', { cls: 'members-list' }, g.m.map(function (k) { return el('li', {}, [studentLink(k)]); }));
  var parts = [el('h3', { text: say('groupHeading', n + 1, g.m.length, inside.length) }), members];
  if (inside.length) parts.push(el('ul', { cls: 'group-pairs' }, inside.map(pairLine)));
  if (g.x.length) {
    parts.push(el('p', { cls: 'outside-help', text: say('groupOutside', g.x.length) }));
    parts.push(el('ul', { cls: 'group-pairs outside' }, g.x.slice(0, 12).map(pairLine)));
  }
  var box = el('div', { cls: 'group', id: 'group-' + (n + 1) }, [el('div', { cls: 'group-text' }, parts)]);
  if (g.m.length > 2 && g.m.length <= 30) box.appendChild(groupGraph(g, inside));
  return box;
}

// The group as a ring: members placed so that strongly linked ones sit
// together, a line per suspected pair as thick as its score is high, each
// line a link to its pair; names outside the ring and inside the picture.
function groupGraph(g, inside) {
  var size = Math.max(320, 180 + g.m.length * 14), margin = 78;
  var edges = inside.map(function (i) { return [pairs[i].a, pairs[i].b, pairs[i].s, i]; });
  var order = pure.circleOrder(g.m, edges), at = {};
  pure.circle(order.length, size, margin).forEach(function (pt, i) { at[order[i]] = pt; });
  var picture = svg('svg', { viewBox: '0 0 ' + size + ' ' + size, role: 'group', 'aria-label': say('groupGraph') });
  picture.style.width = size + 'px';
  var low = data.threshold;
  edges.forEach(function (e) {
    var p = pairs[e[3]], d = decisionOf(p);
    var width = 1 + 7 * Math.max(0, Math.min(1, (e[2] - low) / Math.max(0.05, 1 - low)));
    var link = svg('a', { href: '#pair-' + p.r, 'aria-label': say('groupPair', p.r, subs[p.a].n, subs[p.b].n, pure.threePlaces(p.s)),
                          'class': 'edge' + (d.d ? ' ' + d.d : '') });
    var title = svg('title');
    title.textContent = say('groupPair', p.r, subs[p.a].n, subs[p.b].n, pure.threePlaces(p.s)) + (d.d ? ' — ' + say(d.d) : '');
    link.appendChild(title);
    var ends = { x1: at[e[0]][0], y1: at[e[0]][1], x2: at[e[1]][0], y2: at[e[1]][1] };
    link.appendChild(svg('line', Object.assign({ 'class': 'hit' }, ends)));
    link.appendChild(svg('line', Object.assign({ 'class': 'line', 'stroke-width': width.toFixed(1) }, ends)));
    picture.appendChild(link);
  });
  order.forEach(function (k) {
    var pt = at[k], c = Math.cos(pt[2]), s = Math.sin(pt[2]);
    var name = subs[k].n.length > 16 ? subs[k].n.slice(0, 15) + '…' : subs[k].n;
    var node = svg('a', { href: '#student-' + k, 'class': 'node', 'aria-label': subs[k].n });
    var title = svg('title');
    title.textContent = subs[k].n;
    node.appendChild(title);
    node.appendChild(svg('circle', { cx: pt[0], cy: pt[1], r: 6 }));
    var label = svg('text', { x: (pt[0] + c * 11).toFixed(1), y: (pt[1] + s * 11 + 4).toFixed(1),
                              'text-anchor': c > 0.3 ? 'start' : c < -0.3 ? 'end' : 'middle' });
    if (Math.abs(c) <= 0.3) label.setAttribute('y', (pt[1] + s * 14 + (s > 0 ? 9 : -2)).toFixed(1));
    label.textContent = name;
    node.appendChild(label);
    picture.appendChild(node);
  });
  return el('figure', { cls: 'graph' }, [picture, el('figcaption', { text: say('graphHelp') })]);
}

// ---- a student's page

// The pairs above the floor the page does not list, per submission:
// [first, second, score, rank], read from their own block when first asked
// for. Their ranks are those the listed pairs leave; the suspected ones come
// first, as everywhere.
var othersOf = null, othersLeftOut = 0;
function otherPairsOf(k) {
  if (!othersOf) {
    var raw = JSON.parse(document.getElementById('report-others').textContent);
    var ranks = new Set(pairs.map(function (p) { return p.r; }));
    othersOf = subs.map(function () { return []; });
    othersLeftOut = raw.leftOut;
    for (var i = 0, r = 0; i + 2 < raw.pairs.length; i += 3) {
      do { ++r; } while (ranks.has(r));
      var o = [raw.pairs[i], raw.pairs[i + 1], raw.pairs[i + 2] / 1000, r];
      othersOf[o[0]].push(o);
      othersOf[o[1]].push(o);
    }
  }
  return othersOf[k];
}

function drawStudentPage(k) {
  var s = subs[k], body = document.getElementById('student-body'), f = filters();
  body.textContent = '';
  var rows = [];
  pairsOf[k].forEach(function (i) {
    if (decisionPasses(pairs[i], f.decision)) rows.push({ r: pairs[i].r, i: i });
  });
  var others = otherPairsOf(k);
  if (!f.decision || f.decision === 'undecided') others.forEach(function (o) { rows.push({ r: o[3], other: o }); });
  rows.sort(function (x, y) { return x.r - y.r; });
  var group = -1;
  data.groups.forEach(function (g, n) { if (g.m.indexOf(k) >= 0) group = n; });
  body.appendChild(el('nav', { cls: 'pair-nav' }, [el('a', { href: '#students', text: say('allStudents') })]));
  body.appendChild(el('h2', { id: 'student-heading', tabindex: '-1', text: s.n }));
  var facts = [document.createTextNode(say('studentFacts', s.s, pairsOf[k].length + others.length))];
  if (group >= 0) {
    facts.push(document.createTextNode(' '));
    facts.push(el('a', { href: '#group-' + (group + 1), text: say('inGroup', group + 1, data.groups[group].m.length) }));
  }
  body.appendChild(el('p', {}, facts));
  var table = el('table', { cls: 'partners' }, [el('thead', {}, [el('tr', {}, [
    el('th', { text: say('thRank'), title: say('colRank') }), el('th', { text: say('thPartner') }),
    el('th', { text: say('thScore'), title: say('colScore') }), el('th', { text: say('thSuspected'), title: say('colSuspected') }),
    el('th', { text: say('thLinesOwn'), title: say('colLinesOwn') }), el('th', { text: say('thLinesPartner'), title: say('colLinesPartner') }),
    el('th', { text: say('thBlocks'), title: say('colBlocks') }), el('th', { text: say('thDecision') })])])]);
  var tbody = el('tbody');
  rows.forEach(function (row) {
    if (row.other) {
      var o = row.other, partner = o[0] === k ? o[1] : o[0];
      var suspected = o[3] <= data.suspected;
      tbody.appendChild(el('tr', { cls: suspected ? 'suspected' : '' }, [
        el('td', { cls: 'num', text: String(o[3]) }), el('td', {}, [studentLink(partner)]),
        el('td', { cls: 'num', text: pure.threePlaces(o[2]) }),
        el('td', { cls: 'flag', text: suspected ? say('suspectedWord') : '' }),
        el('td', { cls: 'note', colspan: '4', text: say('noEvidence') })]));
      return;
    }
    var p = pairs[row.i], mine = p.a === k, d = decisionOf(p);
    tbody.appendChild(el('tr', { cls: (p.u ? 'suspected' : '') + (d.d ? ' ' + d.d : '') }, [
      el('td', { cls: 'num' }, [el('a', { href: '#pair-' + p.r, text: String(p.r), 'aria-label': say('openPair', p.r, subs[p.a].n, subs[p.b].n) })]),
      el('td', {}, [studentLink(mine ? p.b : p.a)]),
      el('td', { cls: 'num', text: pure.threePlaces(p.s) }),
      el('td', { cls: 'flag', text: p.u ? say('suspectedWord') : '' }),
      el('td', { cls: 'num', text: pure.threePlaces(mine ? p.la : p.lb) }),
      el('td', { cls: 'num', text: pure.threePlaces(mine ? p.lb : p.la) }),
      el('td', { cls: 'num', text: String(p.t) }),
      el('td', { text: decisionText(d) + (d.o ? ' (' + say('conflict') + ')' : '') })]));
  });
  table.appendChild(tbody);
  body.appendChild(rows.length ? table : el('p', { text: say('noPartnersShown') }));
  if (othersLeftOut) body.appendChild(el('p', { cls: 'note', text: say('othersLeftOut', othersLeftOut) }));
}
