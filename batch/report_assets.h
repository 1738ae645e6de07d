// The fixed parts of the HTML report: head with the style sheet, and the
// script at the end. Nothing here loads anything from elsewhere.
#pragma once

namespace batch {

inline constexpr char kReportHead[] = R"html(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy"
      content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<title>ccsim-batch report</title>
<style>
body { font: 14px/1.4 system-ui, sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.5em; } h2 { border-bottom: 1px solid #ccc; margin-top: 1.5em; }
table { border-collapse: collapse; } th, td { padding: 2px 8px; border-bottom: 1px solid #eee; text-align: left; }
th { cursor: pointer; background: #f4f4f4; } th[data-num], td:nth-child(n+4) { text-align: right; }
tr.suspected td { background: #fde8e8; }
.hists { display: flex; gap: 2em; flex-wrap: wrap; } .hist { margin: 0; }
.hist svg { width: 450px; height: 150px; } .hist rect { fill: #5b8dd6; } .hist rect.below { fill: #aaa; }
.hist .mark { stroke: #c00; stroke-width: 2; } .hist text { font-size: 10px; fill: #555; }
.pair { margin: 1.5em 0; page-break-inside: avoid; } .scores { color: #444; }
.sides { display: flex; gap: 1em; } .side { flex: 1; min-width: 0; }
.side > pre, .side > .file { margin: 0; }
.who { font-weight: bold; } .file { color: #666; font-size: 0.9em; }
pre { position: relative; max-height: 32em; overflow: auto; border: 1px solid #ddd; padding: 4px;
      font: 12px/1.35 ui-monospace, monospace; background: #fcfcfc; }
.ln { display: inline-block; width: 3.5em; color: #999; user-select: none; }
mark { cursor: pointer; color: inherit; } mark.flash { outline: 2px solid #c00; }
.tpl { color: #aaa; }
.common { color: #aaa; text-decoration: line-through; text-decoration-color: #ccc; }
@media print {
  body { margin: 0; } th { cursor: auto; }
  pre { max-height: none; overflow: visible; white-space: pre-wrap; }
  .sides { display: block; } .pair { page-break-before: always; }
}
</style></head><body>
<h1>ccsim-batch report</h1>
)html";

inline constexpr char kReportTail[] = R"html(
<script>
// Sorting the pair table by a clicked heading.
document.querySelectorAll('#pair-table th').forEach(function (th, column) {
  th.addEventListener('click', function () {
    var body = th.closest('table').tBodies[0];
    var numeric = th.hasAttribute('data-num');
    var down = th.dataset.down !== '1';
    th.dataset.down = down ? '1' : '0';
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (x, y) {
      var a = x.cells[column].textContent, b = y.cells[column].textContent;
      var c = numeric ? parseFloat(a) - parseFloat(b) : a.localeCompare(b);
      return down ? -c : c;
    });
    rows.forEach(function (r) { body.appendChild(r); });
  });
});
// A click on a tile scrolls the other side to the same tile.
document.addEventListener('click', function (event) {
  var mark = event.target.closest('mark[data-t]');
  if (!mark) return;
  var side = mark.closest('.side');
  var other = Array.prototype.filter.call(mark.closest('.sides').children,
                                          function (s) { return s !== side; })[0];
  var target = other && other.querySelector('mark[data-t="' + mark.dataset.t + '"]');
  if (!target) return;
  var pane = target.closest('pre');
  pane.scrollTop = target.offsetTop - pane.clientHeight / 2;
  target.classList.add('flash');
  setTimeout(function () { target.classList.remove('flash'); }, 1200);
});
</script>
</body></html>
)html";

}  // namespace batch
