// write_report(): the page is built as one string.
#include "batch/html_report.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>

#include "batch/decode.h"
#include "batch/names.h"
#include "batch/report_assets.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

constexpr std::size_t kTableRows = 2000;     // pairs listed in the table
constexpr std::size_t kEvidencePairs = 200;  // pairs shown side by side
constexpr std::size_t kTopEvidence = 10;     // top pairs shown even if not suspected
constexpr int kTemplateTag = -2;
constexpr int kCommonTag = -3;
constexpr int kNoTag = -1;

std::string escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string name_of(const Run& run, std::uint32_t k) {
  return escape(shown_name(run.subs[k].name));
}

std::string tile_colour(std::size_t k) {
  return "hsl(" + std::to_string((k * 137) % 360) + ",75%,78%)";
}

// Histogram of `values` in [0, 1] as an inline SVG, with an optional mark;
// `below` pairs under the floor (not scored further) get a bar of their own.
std::string histogram(const std::vector<double>& values, const char* label, double mark,
                      std::uint64_t below, double floor) {
  constexpr int kBins = 20;
  constexpr int kLeft = 40;  // room for the bar of pairs below the floor
  std::vector<std::uint64_t> bins(kBins, 0);
  for (double v : values) ++bins[std::min(kBins - 1, static_cast<int>(std::max(0.0, v) * kBins))];
  const std::uint64_t top =
      std::max<std::uint64_t>({1, below, *std::max_element(bins.begin(), bins.end())});
  // Square-root heights keep the rare high bins visible beside the many low ones.
  auto height = [&](std::uint64_t count) {
    return 120.0 * std::sqrt(static_cast<double>(count) / static_cast<double>(top));
  };
  std::ostringstream svg;
  svg << "<figure class=\"hist\"><svg viewBox=\"0 0 450 150\" role=\"img\" aria-label=\"" << label
      << "\">";
  if (below > 0) {
    const double h = height(below);
    svg << "<rect class=\"below\" x=\"10\" y=\"" << 130 - h << "\" width=\"18\" height=\"" << h
        << "\"><title>below the floor of " << shortest(floor) << ": " << below
        << " pairs</title></rect><text x=\"6\" y=\"146\">&lt;" << shortest(floor) << "</text>";
  }
  for (int b = 0; b < kBins; ++b) {
    const double h = height(bins[b]);
    svg << "<rect x=\"" << kLeft + b * 20 << "\" y=\"" << 130 - h << "\" width=\"18\" height=\"" << h
        << "\"><title>" << b * 5 << "-" << b * 5 + 5 << "%: " << bins[b] << " pairs</title></rect>";
  }
  if (mark >= 0) {
    const double x = kLeft + mark * 400;
    svg << "<line class=\"mark\" x1=\"" << x << "\" x2=\"" << x << "\" y1=\"5\" y2=\"132\"/>"
        << "<text x=\"" << x + 3 << "\" y=\"14\">threshold " << mark << "</text>";
  }
  svg << "<text x=\"" << kLeft << "\" y=\"146\">0</text><text x=\"" << kLeft + 390
      << "\" y=\"146\">1</text></svg><figcaption>" << label << "</figcaption></figure>";
  return svg.str();
}

// Submissions linked by suspected pairs, largest group first.
std::vector<std::vector<std::uint32_t>> groups(const Run& run) {
  std::vector<std::uint32_t> parent(run.subs.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](std::uint32_t x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  for (const PairScore& p : run.ranked)
    if (p.score >= run.options.threshold) parent[find(p.first)] = find(p.second);
  std::map<std::uint32_t, std::vector<std::uint32_t>> by_root;
  for (std::uint32_t k = 0; k < run.subs.size(); ++k) by_root[find(k)].push_back(k);
  std::vector<std::vector<std::uint32_t>> out;
  for (auto& [root, members] : by_root)
    if (members.size() > 1) out.push_back(members);
  std::stable_sort(out.begin(), out.end(),
                   [](const auto& x, const auto& y) { return x.size() > y.size(); });
  return out;
}

// Tags every byte of each file of `s`: a tile number, template, or nothing.
std::vector<std::vector<int>> tag_bytes(const Submission& s,
                                        const std::vector<compare::Match>& tiles, bool first_side,
                                        const Prepared& prepared) {
  std::vector<std::vector<int>> tags(s.files.size());
  for (std::size_t f = 0; f < s.files.size(); ++f) tags[f].assign(s.files[f].text.size(), kNoTag);
  auto tag_run = [&](std::size_t start, std::size_t length, int tag) {
    for (std::size_t c = start; c < start + length;) {  // one stretch per file
      const std::uint32_t f = s.char_file[c];
      std::size_t last = c;
      while (last + 1 < start + length && s.char_file[last + 1] == f) ++last;
      std::fill(tags[f].begin() + s.char_begin[c], tags[f].begin() + s.char_end[last], tag);
      c = last + 1;
    }
  };
  for (const compare::Match& m : prepared.template_tiles) tag_run(m.a, m.length, kTemplateTag);
  for (const Span& c : prepared.common) tag_run(c.start, c.length, kCommonTag);
  for (std::size_t k = 0; k < tiles.size(); ++k)
    tag_run(first_side ? tiles[k].a : tiles[k].b, tiles[k].length, static_cast<int>(k));
  return tags;
}

void open_tag(std::ostream& out, int tag) {
  if (tag == kTemplateTag) out << "<span class=\"tpl\" title=\"template\">";
  if (tag == kCommonTag) out << "<span class=\"common\" title=\"common to the class\">";
  if (tag >= 0)
    out << "<mark data-t=\"" << tag
        << "\" style=\"background:" << tile_colour(static_cast<std::size_t>(tag)) << "\">";
}

void close_tag(std::ostream& out, int tag) {
  if (tag == kTemplateTag || tag == kCommonTag) out << "</span>";
  if (tag >= 0) out << "</mark>";
}

// One file's text, numbered lines, tagged stretches wrapped.
void render_file(std::ostream& out, const SourceFile& file, const std::vector<int>& tags) {
  const bool utf8 = is_valid_utf8(file.text);
  out << "<div class=\"file\">" << escape(shown_name(file.path)) << "</div><pre>";
  std::size_t line = 1;
  int open = kNoTag;
  std::string pending;  // bytes of whole characters with the same tag
  auto flush = [&] {
    out << escape(utf8 ? pending : gb18030_to_utf8(pending));
    pending.clear();
  };
  out << "<span class=\"ln\">1</span>";
  for_each_character(file.text, utf8, [&](std::size_t at, std::size_t n) {
    const int tag = tags[at];
    if (tag != open) {
      flush();
      close_tag(out, open);
      open_tag(out, tag);
      open = tag;
    }
    if (file.text[at] == '\n') {  // marks close at the line end and open again after
      flush();
      close_tag(out, open);
      out << "\n<span class=\"ln\">" << ++line << "</span>";
      open_tag(out, open);
      return;
    }
    pending.append(file.text, at, n);
  });
  flush();
  close_tag(out, open);
  out << "</pre>";
}

void render_side(std::ostream& out, const Run& run, std::uint32_t k,
                 const std::vector<compare::Match>& tiles, bool first_side) {
  const Submission& s = run.subs[k];
  const auto tags = tag_bytes(s, tiles, first_side, run.prepared[k]);
  out << "<div class=\"side\"><div class=\"who\">" << name_of(run, k) << "</div>";
  for (std::size_t f = 0; f < s.files.size(); ++f) render_file(out, s.files[f], tags[f]);
  out << "</div>";
}

void render_evidence(std::ostream& out, const Run& run, std::size_t rank) {
  const PairScore& p = run.ranked[rank];
  const auto tiles = tiles_of(run.prepared, p.first, p.second, run.options.min_match);
  out << "<article class=\"pair\" id=\"pair-" << rank + 1 << "\"><h3>#" << rank + 1 << " "
      << name_of(run, p.first) << " &harr; " << name_of(run, p.second)
      << "</h3><p class=\"scores\">score " << fixed6(p.score) << ", coverage " << fixed6(p.coverage)
      << ", similarity " << fixed6(p.similarity) << ", matched " << p.matched << ", longest "
      << p.longest << ", " << p.tiles << " tiles"
      << (p.score >= run.options.threshold ? " &mdash; <strong>suspected</strong>" : "")
      << "</p><div class=\"sides\">";
  render_side(out, run, p.first, tiles, true);
  render_side(out, run, p.second, tiles, false);
  out << "</div></article>\n";
}

void render_summary(std::ostream& out, const Run& run) {
  const Options& o = run.options;
  std::vector<double> score, similarity;
  for (const PairScore& p : run.ranked) {
    score.push_back(p.score);
    similarity.push_back(p.similarity);
  }
  out << "<section id=\"summary\"><h2>Summary</h2><p>" << run.subs.size() << " submissions";
  if (run.fresh < run.subs.size())
    out << " (" << run.subs.size() - run.fresh << " of them earlier ones)";
  out << ", " << run.pairs << " pairs";
  if (run.pairs > run.ranked.size())
    out << " (" << run.pairs - run.ranked.size() << " of them below the floor of "
        << shortest(o.floor) << ", counted only)";
  out << ", <strong>" << suspected_count(run)
      << " suspected</strong> at score &ge; " << shortest(o.threshold)
      << ". Runs count when longer than " << o.min_match << " token-string characters"
      << (o.bases.empty() ? "" : "; template code removed first");
  const std::size_t cutoff = common_cutoff(o.common, run.subs.size());
  if (cutoff <= run.subs.size())
    out << "; code found in " << cutoff << " or more submissions counts for nothing";
  out << ". The score is " << escape(score_name())
      << " (lengths less template and common code); coverage is the share of the smaller "
         "submission that lies in shared runs; similarity is 2&times;matched &divide; (sum of "
         "lengths).</p><div class=\"hists\">"
      << histogram(score, "score of all pairs", o.threshold, run.pairs - run.ranked.size(), o.floor)
      << histogram(similarity, "similarity of all pairs (grey: scored below the floor)", -1,
                   run.pairs - run.ranked.size(), o.floor)
      << "</div><h3>Groups linked by suspected pairs</h3>";
  const auto linked = groups(run);
  if (linked.empty()) out << "<p>None.</p>";
  out << "<ol class=\"groups\">";
  for (const auto& g : linked) {
    out << "<li>";
    for (std::size_t k = 0; k < g.size(); ++k) out << (k ? ", " : "") << name_of(run, g[k]);
    out << "</li>";
  }
  out << "</ol>";
  if (!run.skipped.empty()) {
    out << "<h3>Files skipped</h3><ul>";
    for (const Skipped& s : run.skipped)
      out << "<li>" << escape(shown_name(s.path)) << ": " << escape(s.reason) << "</li>";
    out << "</ul>";
  }
  out << "</section>\n";
}

void render_table(std::ostream& out, const Run& run, const std::vector<bool>& has_evidence) {
  const std::size_t rows = std::min(run.ranked.size(), kTableRows);
  out << "<section id=\"pairs\"><h2>Pairs</h2><p>Click a heading to sort. ";
  if (rows < run.ranked.size())
    out << "The first " << rows << " of " << run.ranked.size()
        << " pairs; CSV or JSON output holds them all. ";
  out << "</p><table id=\"pair-table\"><thead><tr>"
         "<th data-num>rank</th><th>first</th><th>second</th>"
         "<th data-num>score</th><th data-num>coverage</th><th data-num>similarity</th>"
         "<th data-num>matched</th>"
         "<th data-num>longest</th><th data-num>tiles</th></tr></thead><tbody>";
  for (std::size_t k = 0; k < rows; ++k) {
    const PairScore& p = run.ranked[k];
    out << "<tr" << (p.score >= run.options.threshold ? " class=\"suspected\"" : "") << "><td>";
    if (has_evidence[k])
      out << "<a href=\"#pair-" << k + 1 << "\">" << k + 1 << "</a>";
    else
      out << k + 1;
    out << "</td><td>" << name_of(run, p.first) << "</td><td>" << name_of(run, p.second)
        << "</td><td>" << fixed6(p.score) << "</td><td>" << fixed6(p.coverage) << "</td><td>"
        << fixed6(p.similarity) << "</td><td>" << p.matched << "</td><td>" << p.longest
        << "</td><td>" << p.tiles << "</td></tr>";
  }
  out << "</tbody></table></section>\n";
}

}  // namespace

bool write_report(const std::string& path, const Run& run, std::string* error) {
  std::vector<bool> has_evidence(run.ranked.size(), false);
  std::size_t shown = 0;
  for (std::size_t k = 0; k < run.ranked.size() && shown < kEvidencePairs; ++k) {
    if (run.ranked[k].tiles > 0 &&
        (k < kTopEvidence || run.ranked[k].score >= run.options.threshold)) {
      has_evidence[k] = true;
      ++shown;
    }
  }
  std::ostringstream page;
  page << kReportHead;
  render_summary(page, run);
  render_table(page, run, has_evidence);
  page << "<section id=\"evidence\"><h2>Evidence</h2><p>Each shared run (tile) has its own colour "
          "on "
          "both sides; click one to bring its partner into view. <span class=\"tpl\">Template code "
          "is grey</span>; <span class=\"common\">code common to much of the class is grey "
          "and struck through</span>: neither counts.</p>\n";
  for (std::size_t k = 0; k < run.ranked.size(); ++k)
    if (has_evidence[k]) render_evidence(page, run, k);
  page << "</section>" << kReportTail;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << page.str();
  file.close();
  if (!file) {
    *error = text::batch_unwritable(shown_name(path));
    return false;
  }
  return true;
}

}  // namespace batch
