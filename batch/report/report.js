// The report's page: everything is drawn from the data block the program
// wrote, evidence only when a pair is opened, in the words of its words
// block. Decisions stay in the
// browser's local storage. The functions in `pure` touch no page and are
// tested on their own (tests/report/report.test.js).
(function () {
  'use strict';

  var pure = {
    // Tile colours: hues a golden angle apart and two lightnesses in turn,
    // so that tiles next to each other never look alike.
    // A figure to three places, cut from its six-place form rather than
    // rounded, so that a score under the threshold never shows as reaching it.
    threePlaces: function (x) {
      var six = x.toFixed(6), dot = six.indexOf('.');
      return dot < 0 ? six : six.slice(0, dot + 4);
    },

    tileColour: function (k) {
      var hue = Math.round((k * 137.508) % 360);
      var light = k % 2 === 0 ? 78 : 88;
      return 'hsl(' + hue + ',80%,' + light + '%)';
    },

    // "a–b" lines (1-based) of the stretches of one side of a tile; the file
    // is named when it is not the side's only one.
    lineRange: function (stretches, paths) {
      var first = stretches[0], last = stretches[stretches.length - 1];
      var name = paths.length > 1 ? paths[first[0]] + ':' : '';
      var from = first[1] + 1, to = last[3] + 1;
      if (last[0] !== first[0]) return name + from + '–' + paths[last[0]] + ':' + to;
      return name + (from === to ? String(from) : from + '–' + to);
    },

    // The parts of line `line` (of `length` UTF-16 units) that `ranges`
    // cover, as [from, to, range] with the range of highest `rank` on top,
    // plus the parts no range covers (range null), in order.
    segments: function (ranges, line, length) {
      var cuts = [0, length], on = [];
      ranges.forEach(function (r) {
        if (line < r.l1 || line > r.l2) return;
        var from = line === r.l1 ? r.c1 : 0, to = line === r.l2 ? r.c2 : length;
        if (to <= from) return;
        on.push({ from: from, to: to, range: r });
        cuts.push(from, to);
      });
      cuts = cuts.filter(function (c, i, all) { return all.indexOf(c) === i; })
                 .sort(function (a, b) { return a - b; });
      var out = [];
      for (var i = 0; i + 1 < cuts.length; ++i) {
        var from = cuts[i], to = cuts[i + 1], top = null;
        if (to <= from || from >= length) continue;
        on.forEach(function (o) {
          if (o.from <= from && o.to >= to && (!top || o.range.rank > top.rank)) top = o.range;
        });
        var prev = out[out.length - 1];
        if (prev && prev[2] === top) prev[1] = to; else out.push([from, to, top]);
      }
      return out;
    },

    // A CSV field: quoted when it must be, and never read as a formula.
    csvField: function (s) {
      s = String(s);
      if (/^[=+\-@\t\r]/.test(s)) s = "'" + s;
      return /[",\r\n]/.test(s) ? '"' + s.replace(/"/g, '""') + '"' : s;
    },

    // The decisions as a CSV file: first,second,score,decision,note, UTF-8
    // behind a byte-order mark, without which Excel reads a CSV in the
    // system's code page and garbles names and notes in Chinese.
    decisionsCsv: function (rows) {
      var lines = ['\ufefffirst,second,score,decision,note'];
      rows.forEach(function (r) {
        lines.push([r.first, r.second, r.score.toFixed(6), r.decision, r.note]
                     .map(pure.csvField).join(','));
      });
      return lines.join('\n') + '\n';
    },

    // Where a pair's decision is kept: its names and its contents, so that it
    // survives a report made again of the same submissions.
    decisionKey: function (a, b) {
      return 'ccsim-decision:' + JSON.stringify([a.n, a.h, b.n, b.h]);
    },

    matches: function (name, query) {
      return query === '' || name.toLowerCase().indexOf(query.toLowerCase()) >= 0;
    },

    // Points on a circle for a group's graph.
    circle: function (count, size) {
      var points = [], r = size / 2 - 40;
      for (var i = 0; i < count; ++i) {
        var a = 2 * Math.PI * i / count - Math.PI / 2;
        points.push([size / 2 + r * Math.cos(a), size / 2 + r * Math.sin(a)]);
      }
      return points;
    }
  };

  if (typeof document === 'undefined') {  // under Node, for the tests
    module.exports = pure;
    return;
  }

  var data = JSON.parse(document.getElementById('report-data').textContent);
  var words = JSON.parse(document.getElementById('report-words').textContent);
  // The words named `key`, "{0}", "{1}"... replaced by the arguments after it.
  function say(key) {
    var args = arguments;
    return words[key].replace(/\{(\d+)\}/g, function (_, i) { return String(args[Number(i) + 1]); });
  }
  var subs = data.subs, pairs = data.pairs;
  var store = (function () {
    try { return window.localStorage; } catch (e) { return null; }
  })();

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

  function decisionOf(p) {
    var raw = store && store.getItem(pure.decisionKey(subs[p.a], subs[p.b]));
    try { return raw ? JSON.parse(raw) : { d: '', note: '' }; } catch (e) { return { d: '', note: '' }; }
  }

  function setDecision(p, d, note) {
    if (!store) return;
    var key = pure.decisionKey(subs[p.a], subs[p.b]);
    if (!d && !note) store.removeItem(key);
    else store.setItem(key, JSON.stringify({ d: d, note: note }));
    drawPairs();
    countDecided();
  }

  // The pair table: filtered by the search and the switch, sorted by a heading.
  var pairSort = { key: 'rank', down: false };
  var openPair = -1;
  function pairValue(p, key) {
    switch (key) {
      case 'first': return subs[p.a].n;
      case 'second': return subs[p.b].n;
      case 'score': return p.s;
      case 'coverage': return p.c;
      case 'similarity': return p.m;
      case 'matched': return p.x;
      case 'longest': return p.l;
      case 'tiles': return p.t;
      case 'names': return p.n;
      case 'decision': return decisionOf(p).d;
      default: return p.r;
    }
  }

  function sorted(list, value, how) {
    return list.slice().sort(function (x, y) {
      var a = value(x, how.key), b = value(y, how.key);
      var c = typeof a === 'number' ? a - b : String(a).localeCompare(String(b));
      return how.down ? -c : c;
    });
  }

  function drawPairs() {
    var query = document.getElementById('search').value.trim();
    var only = document.getElementById('only-suspected').checked;
    var body = document.querySelector('#pair-table tbody');
    body.textContent = '';
    var shown = 0;
    sorted(pairs, pairValue, pairSort).forEach(function (p) {
      if (only && !p.u) return;
      if (!pure.matches(subs[p.a].n, query) && !pure.matches(subs[p.b].n, query)) return;
      var d = decisionOf(p);
      var row = el('tr', {}, [
        el('td', { cls: 'num', text: String(p.r) }), el('td', { text: subs[p.a].n }),
        el('td', { text: subs[p.b].n }), el('td', { cls: 'num', text: pure.threePlaces(p.s) }),
        el('td', { cls: 'num', text: pure.threePlaces(p.c) }), el('td', { cls: 'num', text: p.m.toFixed(6) }),
        el('td', { cls: 'num', text: String(p.x) }), el('td', { cls: 'num', text: String(p.l) }),
        el('td', { cls: 'num', text: String(p.t) }), el('td', { cls: 'num', text: pure.threePlaces(p.n) }),
        el('td', { text: (d.d ? say(d.d) : '') + (d.note ? ' (' + d.note + ')' : '') })]);
      row.className = (p.u ? 'suspected ' : '') + (d.d || '') + (p.r === openPair ? ' open' : '');
      row.dataset.rank = p.r;
      row.addEventListener('click', function () { openEvidence(p); });
      body.appendChild(row);
      ++shown;
    });
    document.getElementById('pairs-note').textContent =
      say('pairsNote', shown, pairs.length, data.suspected, data.listed, data.pairsInRun);
  }

  // The students: suspected partners, best partner, filtered by the search.
  var studentSort = { key: 'suspected', down: true };
  function studentValue(k, key) {
    var s = subs[k];
    switch (key) {
      case 'name': return s.n;
      case 'best': return s.b >= 0 ? subs[s.b].n : '';
      case 'bestScore': return s.b >= 0 ? s.bs : -1;
      default: return s.s;
    }
  }

  function drawStudents() {
    var query = document.getElementById('search').value.trim();
    var only = document.getElementById('only-suspected').checked;
    var body = document.querySelector('#student-table tbody');
    body.textContent = '';
    var all = subs.map(function (s, k) { return k; });
    sorted(all, studentValue, studentSort).forEach(function (k) {
      var s = subs[k];
      if (!pure.matches(s.n, query) || (only && s.s === 0)) return;
      var row = el('tr', {}, [
        el('td', { text: s.n }), el('td', { cls: 'num', text: String(s.s) }),
        el('td', { text: s.b >= 0 ? subs[s.b].n : say('noPartner') }),
        el('td', { cls: 'num', text: s.b >= 0 ? pure.threePlaces(s.bs) : '' })]);
      if (s.s > 0) row.className = 'suspected';
      row.addEventListener('click', function () {
        document.getElementById('search').value = s.n;
        drawAll();
        document.getElementById('pairs').scrollIntoView();
      });
      body.appendChild(row);
    });
  }

  function drawGroups() {
    var list = document.getElementById('group-list');
    if (!data.groups.length) { list.appendChild(el('p', { text: say('noGroups') })); return; }
    data.groups.forEach(function (g, n) {
      var members = el('ol', {}, g.m.map(function (k) { return el('li', { text: subs[k].n }); }));
      var inside = el('ul', {}, g.p.map(function (i) {
        var p = pairs[i];
        var li = el('li', { text: say('groupPair', p.r, subs[p.a].n, subs[p.b].n, pure.threePlaces(p.s)) });
        li.addEventListener('click', function () { openEvidence(p); });
        return li;
      }));
      // A large group is folded; a drawing helps only while it stays legible.
      var listing = el('details', {}, [el('summary', { text: g.p.length === 1 ? say('groupFoldedOnePair', g.m.length) : say('groupFolded', g.m.length, g.p.length) }), members, inside]);
      if (g.m.length <= 20) listing.open = true;
      var box = el('div', { cls: 'members' }, [el('div', {}, [el('h3', { text: say('groupHeading', n + 1, g.m.length) }), listing])]);
      if (g.m.length > 2 && g.m.length <= 30) box.appendChild(groupGraph(g));
      list.appendChild(el('div', { cls: 'group' }, [box]));
    });
  }

  function groupGraph(g) {
    // The histograms' namespace: the page names no address of its own.
    var ns = document.querySelector('.hist svg').namespaceURI, size = 320;
    var svg = document.createElementNS(ns, 'svg');
    svg.setAttribute('viewBox', '0 0 ' + size + ' ' + size);
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', say('groupGraph'));
    var at = {}, points = pure.circle(g.m.length, size);
    g.m.forEach(function (k, i) { at[k] = points[i]; });
    g.p.forEach(function (i) {
      var p = pairs[i], line = document.createElementNS(ns, 'line');
      line.setAttribute('x1', at[p.a][0]); line.setAttribute('y1', at[p.a][1]);
      line.setAttribute('x2', at[p.b][0]); line.setAttribute('y2', at[p.b][1]);
      svg.appendChild(line);
    });
    g.m.forEach(function (k) {
      var c = document.createElementNS(ns, 'circle'), t = document.createElementNS(ns, 'text');
      c.setAttribute('cx', at[k][0]); c.setAttribute('cy', at[k][1]); c.setAttribute('r', 5);
      t.setAttribute('x', at[k][0] + 7); t.setAttribute('y', at[k][1] + 3);
      t.textContent = subs[k].n;
      svg.appendChild(c); svg.appendChild(t);
    });
    return svg;
  }

  // One side's sources, every range of `ranges` marked; returns the panel.
  function sourcePanel(s, ranges) {
    var panel = el('div', { cls: 'side' }, [el('div', { cls: 'who', text: s.n })]);
    (s.f || []).forEach(function (file, f) {
      var mine = ranges.filter(function (r) { return r.f === f; });
      var pre = el('pre', { cls: 'source' });
      file.l.forEach(function (text, line) {
        var row = el('span', { cls: 'line' }, [el('span', { cls: 'ln', text: String(line + 1) })]);
        pure.segments(mine, line, text.length).forEach(function (seg) {
          var piece = text.slice(seg[0], seg[1]), r = seg[2];
          if (!r) { row.appendChild(document.createTextNode(piece)); return; }
          var m;
          if (r.tile >= 0) {
            m = el('mark', { text: piece });
            m.dataset.t = r.tile;
            m.style.background = pure.tileColour(r.tile);
          } else {
            m = el('span', { cls: r.tile === -1 ? 'tpl' : 'common', text: piece });
            m.title = say(r.tile === -1 ? 'templateCode' : 'commonCode');
          }
          row.appendChild(m);
        });
        row.appendChild(document.createTextNode('\n'));
        pre.appendChild(row);
      });
      panel.appendChild(el('div', { cls: 'path', text: file.p + (file.c ? say('clipped') : '') }));
      panel.appendChild(pre);
    });
    if (!s.f) panel.appendChild(el('p', { cls: 'note', text: say('noSource') }));
    return panel;
  }

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

  function bringIntoView(panel, tile) {
    var mark = panel.querySelector('mark[data-t="' + tile + '"]');
    if (!mark) return;
    var pre = mark.closest('pre');
    pre.scrollTop = mark.offsetTop - pre.offsetTop - pre.clientHeight / 3;
    mark.classList.add('flash');
    setTimeout(function () { mark.classList.remove('flash'); }, 1200);
  }

  function openEvidence(p) {
    openPair = p.r;
    var a = subs[p.a], b = subs[p.b];
    var body = document.getElementById('evidence-body');
    body.textContent = '';
    var d = decisionOf(p);
    var choice = el('select', { 'aria-label': say('decision') }, ['', 'confirmed', 'cleared'].map(function (v) {
      var o = el('option', { value: v, text: say(v || 'undecided') });
      if (v === d.d) o.selected = true;
      return o;
    }));
    var note = el('textarea', { 'aria-label': say('note'), placeholder: say('note') });
    note.value = d.note || '';
    var save = function () { setDecision(p, choice.value, note.value.trim()); };
    choice.addEventListener('change', save);
    note.addEventListener('change', save);
    var left = sourcePanel(a, rangesOf(a, p.k, 1));
    var right = sourcePanel(b, rangesOf(b, p.k, 2));
    var pathsA = (a.f || []).map(function (f) { return f.p; });
    var pathsB = (b.f || []).map(function (f) { return f.p; });
    var ranges = el('ol', { cls: 'ranges' }, p.k.map(function (t, k) {
      var li = el('li', {}, [el('span', { cls: 'swatch' }),
        document.createTextNode(say('tileRange', a.n, pure.lineRange(t[1], pathsA), b.n,
                                    pure.lineRange(t[2], pathsB), t[0]))]);
      li.firstChild.style.background = pure.tileColour(k);
      li.addEventListener('click', function () { bringIntoView(left, k); bringIntoView(right, k); });
      return li;
    }));
    body.appendChild(el('h3', { id: 'pair-' + p.r, text: say('pairHeading', p.r, a.n, b.n) }));
    body.appendChild(el('p', { cls: 'scores', text: say('pairScores', p.s.toFixed(6), p.c.toFixed(6), p.m.toFixed(6), p.x, p.l, p.t, p.n.toFixed(6)) +
      (p.u ? say('pairSuspected') : '') + (p.cut ? say('tilesCut', p.k.length) : '') }));
    if (p.w && p.w.length) {
      body.appendChild(el('p', { cls: 'names' }, [document.createTextNode(say('sharedNames')),
        el('span', {}, p.w.map(function (w) { return el('code', { text: w }); }))]));
    }
    body.appendChild(el('div', { cls: 'decision' }, [choice, note]));
    body.appendChild(el('p', { text: say('rangesHelp') }));
    body.appendChild(ranges);
    body.appendChild(el('div', { cls: 'sides' }, [left, right]));
    // A click on a tile brings its partner on the other side into view.
    [[left, right], [right, left]].forEach(function (two) {
      two[0].addEventListener('click', function (event) {
        var mark = event.target.closest('mark[data-t]');
        if (mark) bringIntoView(two[1], mark.dataset.t);
      });
    });
    document.getElementById('evidence').hidden = false;
    drawPairs();
    if (window.history && history.replaceState) history.replaceState(null, '', '#pair-' + p.r);
    document.getElementById('evidence').scrollIntoView();
  }

  // report.html#pair-3 opens the evidence of the pair ranked third.
  function openFromAddress() {
    var m = /^#pair-(\d+)$/.exec(window.location.hash);
    if (!m) return;
    var p = pairs.filter(function (q) { return q.r === Number(m[1]); })[0];
    if (p) openEvidence(p);
  }

  function countDecided() {
    var n = 0;
    pairs.forEach(function (p) { if (decisionOf(p).d) ++n; });
    document.getElementById('decided').textContent = say('decided', n);
  }

  function decisionsCsv() {
    var rows = [];
    pairs.forEach(function (p) {
      var d = decisionOf(p);
      if (d.d || d.note) rows.push({ first: subs[p.a].n, second: subs[p.b].n, score: p.s, decision: d.d, note: d.note || '' });
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

  function drawAll() { drawPairs(); drawStudents(); }

  function sortable(table, how, draw) {
    table.querySelectorAll('th').forEach(function (th) {
      th.addEventListener('click', function () {
        how.down = how.key === th.dataset.key ? !how.down : th.hasAttribute('data-num');
        how.key = th.dataset.key;
        table.querySelectorAll('th').forEach(function (h) { h.classList.remove('up', 'down'); });
        th.classList.add(how.down ? 'down' : 'up');
        draw();
      });
    });
  }

  sortable(document.getElementById('pair-table'), pairSort, drawPairs);
  sortable(document.getElementById('student-table'), studentSort, drawStudents);
  document.getElementById('search').addEventListener('input', drawAll);
  document.getElementById('only-suspected').addEventListener('change', drawAll);
  document.getElementById('export').addEventListener('click', exportDecisions);
  drawAll();
  drawGroups();
  countDecided();
  openFromAddress();
  // What the export button would save, for the browser tests.
  window.ccsimReport = { decisionsCsv: decisionsCsv };
})();
