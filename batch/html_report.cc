// write_report(): the page template with its style, script and data filled
// in. The data holds each source once; the script draws the rest.
#include "batch/html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <sstream>

#include "batch/display_text.h"
#include "batch/names.h"
#include "batch/sha256.h"
#include "platform/file.h"
#include "text/batch_messages.h"
#include "text/batch_results.h"

namespace batch {

extern const char kReportPage[];
extern const std::size_t kReportPageSize;
extern const char kReportStyle[];
extern const std::size_t kReportStyleSize;
extern const char kReportScript[];
extern const std::size_t kReportScriptSize;
extern const char kReportWords[];
extern const std::size_t kReportWordsSize;

namespace {

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

// A JSON string that can sit inside a <script> element: no '<', '>' or '&'
// as such, so no "</script>" in a source can end it.
void js_string(std::ostream& out, std::string_view s) {
  out << '"';
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (u < 0x20 || c == '<' || c == '>' || c == '&') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out << buf;
    } else {
      out << c;
    }
  }
  out << '"';
}

// Histogram of `values` in [0, 1] as an inline SVG, with counts on its
// axis and an optional mark; `below` pairs under the floor (not scored
// further) get a bar of their own.
std::string histogram(const std::vector<double>& values, std::string_view label, double mark,
                      std::uint64_t below, double floor) {
  constexpr int kBins = 20;
  constexpr int kLeft = 80;  // the axis, and the bar of pairs below the floor
  std::vector<std::uint64_t> bins(kBins, 0);
  for (double v : values) ++bins[std::min(kBins - 1, static_cast<int>(std::max(0.0, v) * kBins))];
  const std::uint64_t top =
      std::max<std::uint64_t>({1, below, *std::max_element(bins.begin(), bins.end())});
  // Square-root heights keep the rare high bins visible beside the many low ones.
  auto height = [&](std::uint64_t count) {
    return 120.0 * std::sqrt(static_cast<double>(count) / static_cast<double>(top));
  };
  std::ostringstream svg;
  svg << "<figure class=\"hist\"><svg viewBox=\"0 0 490 170\" role=\"img\" aria-label=\"" << label
      << "\"><line class=\"axis\" x1=\"36\" x2=\"36\" y1=\"10\" y2=\"130\"/>";
  std::vector<std::uint64_t> ticks = {top, top / 4, top / 16, 0};
  ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
  for (std::uint64_t tick : ticks) {
    const double y = 130 - height(tick);
    svg << "<line class=\"axis\" x1=\"32\" x2=\"36\" y1=\"" << y << "\" y2=\"" << y
        << "\"/><text x=\"30\" y=\"" << y + 3 << "\" text-anchor=\"end\">" << tick << "</text>";
  }
  if (below > 0) {
    const double h = height(below);
    svg << "<rect class=\"below\" x=\"44\" y=\"" << 130 - h << "\" width=\"18\" height=\"" << h
        << "\"><title>" << text::histogram_below(floor, below)
        << "</title></rect><text x=\"74\" y=\"146\" text-anchor=\"end\">&lt;"
        << text::shortest_number(floor) << "</text>";
  }
  for (int b = 0; b < kBins; ++b) {
    const double h = height(bins[b]);
    svg << "<rect x=\"" << kLeft + b * 20 << "\" y=\"" << 130 - h << "\" width=\"18\" height=\""
        << h << "\"><title>" << text::histogram_bin(b * 5, b * 5 + 5, bins[b]) << "</title></rect>";
  }
  if (mark >= 0) {
    const double x = kLeft + mark * 400;
    svg << "<line class=\"mark\" x1=\"" << x << "\" x2=\"" << x << "\" y1=\"5\" y2=\"132\"/>"
        << "<text x=\"" << x + 3 << "\" y=\"14\">" << text::histogram_threshold(mark) << "</text>";
  }
  svg << "<text x=\"" << kLeft << "\" y=\"146\">0</text><text x=\"" << kLeft + 390
      << "\" y=\"146\">1</text><text x=\"4\" y=\"164\">" << text::kHistogramAxis << "</text></svg>"
      << "<figcaption>" << label << "</figcaption></figure>";
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

// The sources of one submission as shown, and where its characters land.
struct Shown {
  bool included = false;
  std::vector<ShownFile> files;
};

// Writes the stretches of token-string characters [start, start + length)
// of `s` as [file, line, column, end line, end column] ranges, one per file
// it runs through; those past a clipped file's end are left out. False if
// none is left.
bool write_stretches(std::ostream& out, const Submission& s, const Shown& shown, std::size_t start,
                     std::size_t length, int kind) {
  bool any = false;
  out << '[';
  for (std::size_t c = start; c < start + length;) {
    const std::uint32_t f = s.char_file[c];
    std::size_t last = c;
    while (last + 1 < start + length && s.char_file[last + 1] == f) ++last;
    const ShownFile& file = shown.files[f];
    const std::size_t limit = file.line_of.size() - 1;  // bytes shown
    const std::size_t begin = s.char_begin[c];
    const std::size_t end = std::min<std::size_t>(s.char_end[last], limit);
    if (begin < end) {
      out << (any ? ",[" : "[") << f << ',' << file.line_of[begin] << ',' << file.column_of[begin]
          << ',' << file.line_of[end] << ',' << file.column_of[end];
      if (kind >= 0) out << ',' << kind;
      out << ']';
      any = true;
    }
    c = last + 1;
  }
  out << ']';
  return any;
}

std::string hex(std::uint64_t v) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// The page's data: the pairs it lists with their tiles, each submission
// once (with its sources when a listed pair needs them), the groups.
std::string page_data(const Run& run, const ReportLimits& limits) {
  const Options& o = run.options;
  std::vector<std::size_t> listed;  // ranks of the pairs in the page
  std::size_t suspected = 0, unsuspected = 0;
  for (std::size_t k = 0; k < run.ranked.size(); ++k) {
    if (run.ranked[k].score >= o.threshold) {
      if (suspected++ < limits.suspected_pairs) listed.push_back(k);
    } else if (unsuspected++ < limits.pairs_below) {
      listed.push_back(k);
    }
  }
  // Sources: of every submission in a listed pair, as long as room is left.
  std::vector<Shown> shown(run.subs.size());
  std::size_t room = limits.all_sources;
  for (std::size_t k : listed)
    for (std::uint32_t s : {run.ranked[k].first, run.ranked[k].second}) {
      if (shown[s].included) continue;
      std::size_t size = 0;
      for (const SourceFile& f : run.subs[s].files) size += std::min(f.text.size(), limits.source);
      if (size > room) continue;
      room -= size;
      shown[s].included = true;
      for (const SourceFile& f : run.subs[s].files)
        shown[s].files.push_back(
            shown_file(f.text, f.from_wide ? Encoding::kUtf8 : o.encoding, limits.source));
    }
  // Per submission: suspected partners, and the best partner (its first
  // pair in rank order).
  std::vector<std::size_t> partners(run.subs.size(), 0);
  std::vector<std::int64_t> best(run.subs.size(), -1);
  for (std::size_t k = 0; k < run.ranked.size(); ++k) {
    const PairScore& p = run.ranked[k];
    for (std::uint32_t s : {p.first, p.second}) {
      if (p.score >= o.threshold) ++partners[s];
      if (best[s] < 0) best[s] = static_cast<std::int64_t>(k);
    }
  }
  std::ostringstream out;
  out << "{\"threshold\":" << text::six_places(o.threshold) << ",\"pairsInRun\":" << run.pairs
      << ",\"listed\":" << run.ranked.size() << ",\"suspected\":" << suspected << ",\"subs\":[";
  for (std::size_t s = 0; s < run.subs.size(); ++s) {
    const Submission& sub = run.subs[s];
    out << (s ? ",\n" : "\n") << "{\"n\":";
    js_string(out, shown_name(sub.name));
    out << ",\"h\":\"" << hex(run.prepared[s].content) << "\",\"s\":" << partners[s] << ",\"b\":";
    if (best[s] < 0) {
      out << "-1";
    } else {
      const PairScore& p = run.ranked[static_cast<std::size_t>(best[s])];
      out << (p.first == s ? p.second : p.first) << ",\"bs\":" << text::six_places(p.score);
    }
    if (shown[s].included) {
      out << ",\"f\":[";
      for (std::size_t f = 0; f < sub.files.size(); ++f) {
        const ShownFile& file = shown[s].files[f];
        out << (f ? "," : "") << "{\"p\":";
        js_string(out, shown_name(sub.files[f].path));
        out << ",\"c\":" << (file.clipped ? "true" : "false") << ",\"l\":[";
        for (std::size_t l = 0; l < file.lines.size(); ++l) {
          if (l) out << ',';
          js_string(out, file.lines[l]);
        }
        out << "]}";
      }
      out << "],\"g\":[";
      std::ostringstream grey;
      bool any = false;
      auto add = [&](std::size_t start, std::size_t length, int kind) {
        std::ostringstream one;
        if (!write_stretches(one, sub, shown[s], start, length, kind)) return;
        const std::string text = one.str();  // "[[...],[...]]": the ranges, unwrapped
        grey << (any ? "," : "") << text.substr(1, text.size() - 2);
        any = true;
      };
      for (const compare::Match& m : run.prepared[s].template_tiles) add(m.a, m.length, 0);
      for (const Span& c : run.prepared[s].common) add(c.start, c.length, 1);
      out << grey.str() << "]";
    }
    out << "}";
  }
  out << "],\"pairs\":[";
  std::size_t tiles_left = limits.all_tiles;
  std::map<std::size_t, std::size_t> place;  // rank -> index in the page's pairs
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::size_t k = listed[i];
    place[k] = i;
    const PairScore& p = run.ranked[k];
    out << (i ? ",\n" : "\n") << "{\"r\":" << k + 1 << ",\"a\":" << p.first << ",\"b\":" << p.second
        << ",\"s\":" << text::six_places(p.score) << ",\"c\":" << text::six_places(p.coverage)
        << ",\"m\":" << text::six_places(p.similarity) << ",\"x\":" << p.matched
        << ",\"l\":" << p.longest << ",\"t\":" << p.tiles << ",\"n\":" << text::six_places(p.names)
        << ",\"w\":[";
    // The rare names the two share, heaviest first: what the names figure
    // is made of.
    const std::vector<std::string> names =
        p.names > 0 ? shared_names(run.subs[p.first], run.prepared[p.first].names,
                                   run.subs[p.second], run.prepared[p.second].names, limits.names)
                    : std::vector<std::string>{};
    for (std::size_t w = 0; w < names.size(); ++w) {
      if (w) out << ',';
      js_string(out, name_as_written(names[w], limits.name_bytes));
    }
    out << "],\"u\":" << (p.score >= o.threshold ? "true" : "false") << ",\"k\":[";
    const bool both = shown[p.first].included && shown[p.second].included;
    const std::vector<compare::Match> tiles =
        both && p.tiles ? tiles_of(run.prepared, p.first, p.second, o.min_match)
                        : std::vector<compare::Match>{};
    std::size_t drawn = 0;
    for (const compare::Match& m : tiles) {
      if (drawn >= limits.pair_tiles || tiles_left == 0) break;
      std::ostringstream a, b;
      if (!write_stretches(a, run.subs[p.first], shown[p.first], m.a, m.length, -1) ||
          !write_stretches(b, run.subs[p.second], shown[p.second], m.b, m.length, -1))
        continue;
      out << (drawn ? "," : "") << '[' << m.length << ',' << a.str() << ',' << b.str() << ']';
      ++drawn;
      --tiles_left;
    }
    out << "]" << (drawn < tiles.size() ? ",\"cut\":true" : "") << "}";
  }
  out << "],\"groups\":[";
  const auto linked = groups(run);
  for (std::size_t g = 0; g < linked.size(); ++g) {
    out << (g ? "," : "") << "{\"m\":[";
    for (std::size_t k = 0; k < linked[g].size(); ++k) out << (k ? "," : "") << linked[g][k];
    out << "],\"p\":[";
    bool any = false;
    for (std::size_t k : listed) {
      const PairScore& p = run.ranked[k];
      if (p.score < o.threshold) continue;
      if (!std::binary_search(linked[g].begin(), linked[g].end(), p.first)) continue;
      out << (any ? "," : "") << place[k];
      any = true;
    }
    out << "]}";
  }
  out << "]}";
  return out.str();
}

std::string summary(const Run& run) {
  const Options& o = run.options;
  std::vector<double> score, similarity;
  for (const PairScore& p : run.ranked) {
    score.push_back(p.score);
    similarity.push_back(p.similarity);
  }
  const std::uint64_t below = run.pairs - run.ranked.size();
  text::ReportCounts counts;
  counts.submissions = run.subs.size();
  counts.earlier = run.subs.size() - run.fresh;
  counts.pairs = run.pairs;
  counts.below_floor = below;
  counts.suspected = suspected_count(run);
  std::ostringstream out;
  out << "<section id=\"summary\"><h2>" << text::kSummaryHeading << "</h2>"
      << text::report_summary(counts, scoring_facts(run), escape(score_name(o)))
      << "<div class=\"hists\">"
      << histogram(score, text::kScoreHistogram, o.threshold, below, o.floor)
      << histogram(similarity, text::kSimilarityHistogram, -1, below, o.floor) << "</div>";
  if (!run.skipped.empty()) {
    out << "<h3>" << text::kSkippedHeading << "</h3><ul>";
    for (const Skipped& s : run.skipped)
      out << "<li>" << escape(shown_name(s.path)) << ": " << escape(s.reason) << "</li>";
    out << "</ul>";
  }
  out << "</section>";
  return out.str();
}

// The template with each of its @SLOT@ marks replaced. Only the template is
// searched for marks, never what is put in: a source that holds "@DATA@"
// stays as it is.
std::string assemble(std::string_view page, const std::map<std::string, std::string>& slots) {
  std::string out;
  for (std::size_t at = 0; at < page.size();) {
    const std::size_t mark = page.find('@', at);
    const std::size_t end = mark == std::string_view::npos ? mark : page.find('@', mark + 1);
    if (end == std::string_view::npos) {
      out += page.substr(at);
      break;
    }
    const auto slot = slots.find(std::string(page.substr(mark + 1, end - mark - 1)));
    if (slot == slots.end()) {
      out += page.substr(at, end - at);
      at = end;
      continue;
    }
    out += page.substr(at, mark - at);
    out += slot->second;
    at = end + 1;
  }
  return out;
}

}  // namespace

std::string report_page(const Run& run, const ReportLimits& limits) {
  const std::string style(kReportStyle, kReportStyleSize);
  const std::string script(kReportScript, kReportScriptSize);
  // Nothing may load from anywhere; only this very style and script run.
  const std::string policy = "default-src 'none'; script-src '" + csp_hash(script) +
                             "'; style-src '" + csp_hash(style) + "'; img-src data:";
  return assemble(std::string_view(kReportPage, kReportPageSize),
                  {{"POLICY", policy},
                   {"STYLE", style},
                   {"SUMMARY", summary(run)},
                   {"DATA", page_data(run, limits)},
                   {"WORDS", std::string(kReportWords, kReportWordsSize)},
                   {"SCRIPT", script}});
}

bool write_report(const std::string& path, const Run& run, std::string* error) {
  if (!platform::write_whole(path, report_page(run, ReportLimits{}))) {
    *error = text::batch_unwritable(shown_name(path));
    return false;
  }
  return true;
}

}  // namespace batch
