// The tables' windows: only the rows in sight (and a few round them) are
// in the page, so that a class of 20,000 pairs scrolls, sorts and filters
// as fast as one of twenty. A row kept in sight is kept as it is, so that
// focus and selection stay; one whose item changes is filled again alone.

// The windows of the page's tables: after a scroll or a change, measured
// together, then drawn together, in the frame about to be drawn, so that
// the page is laid out once for all of them and not again after.
var tableWindows = [], windowsPending = false;
function drawWindowsLater() {
  if (windowsPending) return;
  windowsPending = true;
  requestAnimationFrame(function () {
    windowsPending = false;
    var due = tableWindows.filter(function (w) { return w.pending; });
    // Reads first (the first lays the page out, the rest find it laid
    // out), then the scrolls to rows to be seen, then the drawing.
    due.forEach(function (w) { w.measure(); });
    due.forEach(function (w) { if (w.toReveal >= 0) w.scrollTo(w.toReveal); });
    due.forEach(function (w) {
      var at = w.toReveal;
      w.pending = false;
      w.toReveal = -1;
      if (at >= 0) w.draw(at, true); else w.draw(undefined, false);
    });
  });
}

// A table whose body shows `items` through `make(item, row)`, in a
// scrolling `pane`; rows are all `rowHeight` tall (the style sheet sees to
// it). `make` makes an item's row, or, given a row it made before, makes
// that one the item's: rows scrolled or filtered out of the window are
// filled again rather than made anew, their cells' styles kept.
function TableWindow(table, pane, make) {
  this.table = table;
  this.body = table.tBodies[0];
  this.pane = pane;
  this.make = make;
  this.items = [];
  this.rows = new Map();  // item -> its row, for the rows drawn
  this.itemOf = new Map();  // a row drawn -> its item
  this.range = [0, 0];
  this.changed = true;     // the items changed since last drawn
  this.rowHeight = 0;
  this.all = false;        // every row drawn (for printing)
  this.spare = 6;          // rows drawn beyond those in sight, on either side
  // The rows not drawn stand as two spacers of their height: one cell each,
  // in the first column, so that columns hidden on narrow screens stay empty.
  this.above = el('tr', { cls: 'spacer', 'aria-hidden': 'true' }, [el('td')]);
  this.below = el('tr', { cls: 'spacer', 'aria-hidden': 'true' }, [el('td')]);
  this.body.appendChild(this.above);
  this.body.appendChild(this.below);
  this.view = null;        // where the pane and the body stood when last measured
  this.pending = false;
  this.toReveal = -1;      // a place to bring into sight at the next frame
  tableWindows.push(this);
  var self = this;
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
  this.pending = true;
  drawWindowsLater();
};

// Where the visible part of the pane and the table's body stand now (this
// lays the page out, if a change has left it to be). A pane out of sight
// counts as seen along its top edge: a few rows are drawn there, the rest
// when it is scrolled into sight.
TableWindow.prototype.measure = function () {
  var paneBox = this.pane.getBoundingClientRect(), pane = this.pane;
  var top = Math.max(paneBox.top, 0), bottom = Math.min(paneBox.bottom, window.innerHeight);
  if (bottom <= top) top = bottom = paneBox.top;
  var bodyBox = this.body.getBoundingClientRect();
  this.view = { bodyTop: bodyBox.top, top: top, bottom: bottom, scroll: pane.scrollTop, room: pane.clientHeight,
                // what the pane holds above the body and below it
                head: bodyBox.top - paneBox.top - pane.clientTop + pane.scrollTop,
                tail: pane.scrollHeight - (bodyBox.bottom - paneBox.top - pane.clientTop + pane.scrollTop) };
  return this.view;
};

// New items: drawn at once where the pane will stand, without laying the
// page out; measured again at the next frame. Fewer rows than before cut
// the pane's scroll back to what they leave, and the rows drawn are those
// in sight there.
TableWindow.prototype.set = function (items) {
  var v = this.view;
  if (v && !this.all) {
    var most = Math.max(0, v.head + items.length * this.height() + v.tail - v.room);
    if (v.scroll > most) {
      this.view = { bodyTop: v.bodyTop + v.scroll - most, top: v.top, bottom: v.bottom, scroll: most,
                    room: v.room, head: v.head, tail: v.tail };
    }
  }
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
// it; `fresh`: measuring where they are now, else as last measured. Rows
// drawn that still hold those in sight, and not many more, are kept.
TableWindow.prototype.draw = function (focus, fresh) {
  var count = this.items.length, h = this.height(), range, spare = this.spare;
  if (this.all) {
    range = [0, count];
  } else {
    var view = fresh || !this.view ? this.measure() : this.view;
    range = pure.rowWindow(count, h, view.bodyTop, view.top, view.bottom, spare);
    if (focus !== undefined) {
      range = [Math.max(0, Math.min(range[0], focus - spare)), Math.min(count, Math.max(range[1], focus + spare + 1))];
      if (range[1] - range[0] > 400) range = [Math.max(0, focus - spare), Math.min(count, focus + spare + 1)];
    }
    range = pure.keptWindow(this.range, range, count, 2 * spare + 2);
  }
  if (!this.changed && range[0] === this.range[0] && range[1] === this.range[1]) return;
  this.changed = false;
  // Rows whose items leave the window are filled with those coming in, in
  // the order they stand in the page; then only rows out of order move (a
  // row moved is styled and laid out anew): after a change of filter none
  // does, after a scroll those that go round.
  var wanted = new Set(this.items.slice(range[0], range[1])), spares = [], place = new Map(), row, k = 0;
  for (row = this.above.nextSibling; row !== this.below; row = row.nextSibling) {
    place.set(row, k++);
    var had = this.itemOf.get(row);
    if (!wanted.has(had)) { spares.push(row); this.rows.delete(had); }
  }
  var order = [], used = 0;
  for (var i = range[0]; i < range[1]; ++i) {
    var item = this.items[i];
    row = this.rows.get(item);
    if (!row) {
      row = used < spares.length ? this.make(item, spares[used++]) : this.make(item);
      this.rows.set(item, row);
      this.itemOf.set(row, item);
    }
    if (row.dataset.at !== String(i)) row.dataset.at = i;
    order.push(row);
  }
  for (; used < spares.length; ++used) { spares[used].remove(); this.itemOf.delete(spares[used]); }
  var stays = pure.inOrder(order.map(function (r) { return place.has(r) ? place.get(r) : -1; }));
  var next = this.below;
  for (k = order.length - 1; k >= 0; --k) {
    if (!stays[k]) this.body.insertBefore(order[k], next);
    next = order[k];
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
  var row = this.rows.get(item);
  if (row) this.make(item, row);  // in place: a focus in it stays
};

TableWindow.prototype.rowOf = function (item) { return this.rows.get(item); };

// Forgets every row drawn: they are all made anew at the next drawing.
TableWindow.prototype.forget = function () {
  this.rows.forEach(function (row) { row.remove(); });
  this.rows.clear();
  this.itemOf.clear();
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

// Scrolls the pane so that the row at place `at` is in sight, and draws
// the rows there.
TableWindow.prototype.reveal = function (at) {
  if (at < 0) return;
  this.scrollTo(at);
  this.draw(at, true);
};

// The same at the next frame, when the page is laid out anyway: for a
// change that lays it out afresh (a pair opened beside the list).
TableWindow.prototype.revealLater = function (at) {
  if (at < 0) return;
  this.toReveal = at;
  this.later();
};

// Scrolls the pane so that the row at place `at` is in sight.
TableWindow.prototype.scrollTo = function (at) {
  var h = this.height(), pane = this.pane;
  var bodyTop = this.body.getBoundingClientRect().top - pane.getBoundingClientRect().top + pane.scrollTop;
  var head = this.table.tHead.getBoundingClientRect().height;
  var top = bodyTop + at * h, visibleTop = pane.scrollTop + head;
  if (top < visibleTop) pane.scrollTop = top - head - h;
  else if (top + h > pane.scrollTop + pane.clientHeight) pane.scrollTop = top + 2 * h - pane.clientHeight;
};
