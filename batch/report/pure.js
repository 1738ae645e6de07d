// The report script's pure parts: figures, colours, line ranges, the
// decisions' CSV both ways, the order of a pair's files and blocks, the
// rows a table window holds. They touch no page and are tested on their own
// under Node (tests/report/report.test.js); in the page they are the first
// of the script's files (batch/html_report.cc joins them).
var pure = {
  // A figure to three places, cut from its six-place form rather than
  // rounded, so that a score under the threshold never shows as reaching it.
  threePlaces: function (x) {
    var six = x.toFixed(6), dot = six.indexOf('.');
    return dot < 0 ? six : six.slice(0, dot + 4);
  },

  // Block colours: hues a golden angle apart and two lightnesses in turn,
  // so that blocks next to each other never look alike. Both are pale
  // enough for dark text on them to keep a contrast of 7:1 or more.
  tileColour: function (k) {
    var hue = Math.round((k * 137.508) % 360);
    var light = k % 2 === 0 ? 80 : 89;
    return 'hsl(' + hue + ',80%,' + light + '%)';
  },

  // The lines one side of a block runs over, as [file, first, last]
  // (0-based), by file and line, those that overlap or touch joined: the
  // stretches of a block come in token order, which goes back where
  // statements were put in order and where the code's run goes on into the
  // text of messages and comments.
  lineSpans: function (stretches) {
    var spans = stretches.map(function (s) { return [s[0], s[1], s[3]]; });
    spans.sort(function (x, y) { return x[0] - y[0] || x[1] - y[1]; });
    var out = [];
    spans.forEach(function (s) {
      var last = out[out.length - 1];
      if (last && last[0] === s[0] && s[1] <= last[2] + 1) last[2] = Math.max(last[2], s[2]);
      else out.push(s);
    });
    return out;
  },

  // "a–b, c–d" lines (1-based) of one side of a block; a file is named
  // when it is not the side's only one.
  lineRange: function (stretches, paths) {
    var named = -1;
    return pure.lineSpans(stretches).map(function (s) {
      var name = paths.length > 1 && s[0] !== named ? paths[s[0]] + ':' : '';
      named = s[0];
      return name + (s[1] === s[2] ? String(s[1] + 1) : (s[1] + 1) + '–' + (s[2] + 1));
    }).join(', ');
  },

  // How many lines one side of a block runs over.
  lineCount: function (stretches) {
    var n = 0;
    pure.lineSpans(stretches).forEach(function (s) { n += s[2] - s[1] + 1; });
    return n;
  },

  // The parts of line `line` (its text `text`) that `ranges` cover, as
  // [from, to, range] with the range of highest `rank` on top, plus the
  // parts no range covers (range null), in order. A range covers no
  // white space at either end of the line: a blank line is never marked.
  segments: function (ranges, line, text) {
    var length = text.length, lead = text.search(/\S/);
    if (lead < 0) lead = length;
    var trail = length;
    while (trail > lead && /\s/.test(text.charAt(trail - 1))) --trail;
    var cuts = [0, length], on = [];
    ranges.forEach(function (r) {
      if (line < r.l1 || line > r.l2) return;
      var from = Math.max(lead, line === r.l1 ? r.c1 : 0);
      var to = Math.min(trail, line === r.l2 ? r.c2 : length);
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

  // The columns of the decisions' CSV: the first five as they always were,
  // those after them added since (a reader by position keeps working).
  csvColumns: ['first', 'second', 'score', 'decision', 'note', 'rank', 'date', 'first_lines', 'second_lines'],

  // The decisions as a CSV file, UTF-8 behind a byte-order mark, without
  // which Excel reads a CSV in the system's code page and garbles names and
  // notes in Chinese.
  decisionsCsv: function (rows) {
    var lines = ['\ufeff' + pure.csvColumns.join(',')];
    rows.forEach(function (r) {
      lines.push([r.first, r.second, r.score.toFixed(6), r.decision, r.note, r.rank, r.date || '',
                  r.firstLines || '', r.secondLines || ''].map(pure.csvField).join(','));
    });
    return lines.join('\n') + '\n';
  },

  // The rows of a CSV text as arrays of fields (RFC 4180: quotes, doubled
  // quotes, line ends inside quotes; CR LF or LF; a byte-order mark).
  parseCsv: function (text) {
    var rows = [], row = [], field = '', quoted = false, i = 0;
    if (text.charCodeAt(0) === 0xfeff) i = 1;
    for (; i < text.length; ++i) {
      var c = text.charAt(i);
      if (quoted) {
        if (c === '"' && text.charAt(i + 1) === '"') { field += '"'; ++i; }
        else if (c === '"') quoted = false;
        else field += c;
      } else if (c === '"') {
        quoted = true;
      } else if (c === ',') {
        row.push(field); field = '';
      } else if (c === '\n' || c === '\r') {
        if (c === '\r' && text.charAt(i + 1) === '\n') ++i;
        row.push(field); field = '';
        rows.push(row); row = [];
      } else {
        field += c;
      }
    }
    if (field !== '' || row.length) { row.push(field); rows.push(row); }
    return rows.filter(function (r) { return r.length > 1 || r[0] !== ''; });
  },

  // The decisions in a CSV text another marker exported: {rows: [{first,
  // second, decision, note, date}]}, or {error: what is wrong} (a missing
  // column, a decision no marker can give). The guard against formulas
  // csvField put in is taken off again.
  readDecisions: function (text) {
    var table = pure.parseCsv(text);
    if (!table.length) return { error: 'empty' };
    var head = table[0].map(function (h) { return h.trim().toLowerCase(); });
    var at = {};
    ['first', 'second', 'decision', 'note', 'date'].forEach(function (c) { at[c] = head.indexOf(c); });
    if (at.first < 0 || at.second < 0 || at.decision < 0) return { error: 'columns' };
    var unguard = function (s) { return /^'[=+\-@\t\r]/.test(s) ? s.slice(1) : s; };
    var rows = [];
    for (var k = 1; k < table.length; ++k) {
      var r = table[k], get = function (c) { return at[c] >= 0 && at[c] < r.length ? unguard(r[at[c]]) : ''; };
      var d = get('decision').trim().toLowerCase();
      if (d !== '' && d !== 'confirmed' && d !== 'cleared') return { error: 'decision', line: k + 1 };
      rows.push({ first: get('first'), second: get('second'), decision: d, note: get('note'), date: get('date') });
    }
    return { rows: rows };
  },

  // What a decision becomes when another marker's is merged into it, and
  // how: 'taken' (none here, theirs taken), 'same', 'merged' (one decision,
  // the notes put together), 'conflict' (two decisions: ours kept, theirs
  // beside it until someone chooses), 'nothing' (theirs is empty).
  mergeDecision: function (mine, theirs, from) {
    mine = mine || { d: '', note: '' };
    var note = function (a, b) {
      if (!a) return b; if (!b || a.indexOf(b) >= 0) return a;
      return a + ' / ' + b;
    };
    if (!theirs.d && !theirs.note) return { result: mine, how: 'nothing' };
    if (!mine.d && !mine.note) return { result: { d: theirs.d, note: theirs.note, t: theirs.t || '' }, how: 'taken' };
    if (mine.d === theirs.d && mine.note === theirs.note) return { result: mine, how: 'same' };
    if (!theirs.d || !mine.d || mine.d === theirs.d) {
      var merged = { d: mine.d || theirs.d, note: note(mine.note, theirs.note), t: mine.t || theirs.t || '' };
      if (mine.o) merged.o = mine.o;
      return { result: merged, how: 'merged' };
    }
    var kept = { d: mine.d, note: mine.note, t: mine.t || '', o: { d: theirs.d, note: theirs.note, from: from || '' } };
    return { result: kept, how: 'conflict' };
  },

  // Where a pair's decision is kept: its names and its contents, so that it
  // survives a report made again of the same submissions.
  decisionKey: function (a, b) {
    return 'ccsim-decision:' + JSON.stringify([a.n, a.h, b.n, b.h]);
  },

  // A date and time as the decisions' CSV gives it: 2024-05-01 14:03.
  dateText: function (d) {
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    return d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + ' ' +
           two(d.getHours()) + ':' + two(d.getMinutes());
  },

  // A name matches a search where a word of it starts with the query, in
  // any case: "wei" finds "wei.c" and "li_wei.c", never "zhangwei.c".
  matches: function (name, query) {
    return query === '' || pure.matchesLow(name.toLowerCase(), query.toLowerCase());
  },

  // The same, of a name and a query both in lower case already.
  matchesLow: function (low, q) {
    for (var at = low.indexOf(q); at >= 0; at = low.indexOf(q, at + 1)) {
      if (at === 0 || !/[\p{L}\p{N}]/u.test(low.charAt(at - 1))) return true;
    }
    return false;
  },

  // The order to show the files of a pair's two sides in, so that files
  // that share blocks face each other: the first side's files with blocks
  // in their own order, then the rest; each of the second side's files
  // facing the first side's file it shares most with. `tiles` are
  // [length, stretches of the first side, of the second]; the result holds
  // file indices.
  fileOrder: function (tiles, countA, countB) {
    var weight = {}, usedA = [], i, j;
    tiles.forEach(function (t) {
      var fa = t[1][0][0], fb = t[2][0][0], key = fa + ',' + fb;
      weight[key] = (weight[key] || 0) + t[0];
      usedA[fa] = true;
    });
    var left = [];
    for (i = 0; i < countA; ++i) if (usedA[i]) left.push(i);
    for (i = 0; i < countA; ++i) if (!usedA[i]) left.push(i);
    // Each second-side file goes with its heaviest partner, pairs taken
    // heaviest first, one file to one file.
    var links = Object.keys(weight).map(function (k) {
      var two = k.split(',').map(Number);
      return { a: two[0], b: two[1], w: weight[k] };
    }).sort(function (x, y) { return y.w - x.w || x.a - y.a || x.b - y.b; });
    var facing = {}, takenB = [];
    links.forEach(function (l) {
      if (facing[l.a] !== undefined || takenB[l.b]) return;
      facing[l.a] = l.b;
      takenB[l.b] = true;
    });
    var right = [];
    left.forEach(function (a) { if (facing[a] !== undefined) right.push(facing[a]); });
    // Files sharing blocks with a first-side file already faced follow it.
    links.forEach(function (l) { if (right.indexOf(l.b) < 0) right.push(l.b); });
    for (j = 0; j < countB; ++j) if (right.indexOf(j) < 0) right.push(j);
    return { left: left, right: right };
  },

  // The blocks in the order they come down the first side as shown (its
  // files in `order`): block k of the result is numbered k + 1.
  blockOrder: function (tiles, order) {
    var place = {};
    order.forEach(function (f, i) { place[f] = i; });
    return tiles.map(function (t, k) { return k; }).sort(function (x, y) {
      var a = tiles[x][1][0], b = tiles[y][1][0];
      return place[a[0]] - place[b[0]] || a[1] - b[1] || a[2] - b[2] || x - y;
    });
  },

  // The rows [from, to) of a table of `count` rows `height` pixels tall
  // to have drawn, when its body's top is at `bodyTop` and the visible
  // part of the page runs from `viewTop` to `viewBottom` (all in one frame
  // of reference), with `spare` rows more on either side.
  rowWindow: function (count, height, bodyTop, viewTop, viewBottom, spare) {
    var from = Math.floor((viewTop - bodyTop) / height) - spare;
    var to = Math.ceil((viewBottom - bodyTop) / height) + spare;
    from = Math.max(0, Math.min(from, count));
    to = Math.max(from, Math.min(to, count));
    return [from, to];
  },

  // The rows to draw when rows `drawn` are drawn and `wanted` are needed:
  // those drawn, if they hold all wanted, lie within `count` and are at
  // most `slack` rows more (a small scroll then changes nothing in the
  // page); else those wanted.
  keptWindow: function (drawn, wanted, count, slack) {
    var holds = drawn[0] <= wanted[0] && drawn[1] >= wanted[1] && drawn[1] <= count;
    return holds && drawn[1] - drawn[0] <= wanted[1] - wanted[0] + slack ? drawn : wanted;
  },

  // Which of a sequence of rows can stay where they are in the page, given
  // where each stands now (-1: not in the page): the most rows that already
  // stand in the sequence's order (a longest increasing run, not
  // necessarily contiguous); every other row is moved.
  inOrder: function (places) {
    var tails = [], before = [], stays = places.map(function () { return false; });
    places.forEach(function (p, k) {
      if (p < 0) return;
      var low = 0, high = tails.length;
      while (low < high) {
        var mid = (low + high) >> 1;
        if (places[tails[mid]] < p) low = mid + 1; else high = mid;
      }
      before[k] = low > 0 ? tails[low - 1] : -1;
      tails[low] = k;
    });
    for (var k = tails.length ? tails[tails.length - 1] : -1; k >= 0; k = before[k]) stays[k] = true;
    return stays;
  },

  // The next place in a list of `count` after `at` (or before it, with a
  // `step` of -1) whose item `wanted` accepts, going round once; -1 if
  // none is. From nowhere (`at` -1) the search starts at the list's end.
  nextPlace: function (count, at, step, wanted, round) {
    for (var n = 1; n <= count; ++n) {
      var i = at < 0 ? (step > 0 ? n - 1 : count - n) : at + step * n;
      if (round) i = ((i % count) + count) % count;
      else if (i < 0 || i >= count) return -1;
      if (wanted(i)) return i;
    }
    return -1;
  },

  // An order of a group's members round a circle that keeps strongly
  // linked members next to each other: start at the strongest pair's first
  // member, then go on each time to the unplaced member most linked to the
  // last one placed (or, with none, to any placed one).
  circleOrder: function (members, edges) {
    var weight = {};
    var add = function (a, b, s) { weight[a + ',' + b] = Math.max(weight[a + ',' + b] || 0, s); };
    edges.forEach(function (e) { add(e[0], e[1], e[2]); add(e[1], e[0], e[2]); });
    var w = function (a, b) { return weight[a + ',' + b] || 0; };
    var left = members.slice(), order = [];
    var strongest = edges.slice().sort(function (x, y) { return y[2] - x[2]; })[0];
    var start = strongest ? strongest[0] : left[0];
    order.push(start);
    left.splice(left.indexOf(start), 1);
    while (left.length) {
      var last = order[order.length - 1], best = -1, bestW = -1;
      left.forEach(function (m, i) {
        var near = w(last, m) * 1000 + Math.max.apply(null, order.map(function (o) { return w(o, m); }));
        if (near > bestW) { bestW = near; best = i; }
      });
      order.push(left[best]);
      left.splice(best, 1);
    }
    return order;
  },

  // Points on a circle for a graph `size` wide, `margin` left round it
  // for the names.
  circle: function (count, size, margin) {
    var points = [], r = size / 2 - margin;
    for (var i = 0; i < count; ++i) {
      var a = 2 * Math.PI * i / count - Math.PI / 2;
      points.push([size / 2 + r * Math.cos(a), size / 2 + r * Math.sin(a), a]);
    }
    return points;
  }
};

if (typeof module === 'object' && module.exports) module.exports = pure;
