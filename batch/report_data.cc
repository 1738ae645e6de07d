// page_data(): the report's JSON. The sources are each written once; a
// pair refers to them by index and its tiles by line and column.
#include "batch/report_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <sstream>

#include "batch/display_text.h"
#include "batch/names.h"
#include "batch/report_groups.h"
#include "batch/report_tiles.h"
#include "text/batch_messages.h"
#include "text/batch_results.h"

namespace batch {

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

namespace {

std::string hex(std::uint64_t v) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

void write_run(std::ostream& out, const Run& run, std::string_view written) {
  const Options& o = run.options;
  auto list = [&](const char* key, const std::vector<std::string>& paths) {
    out << ",\"" << key << "\":[";
    for (std::size_t k = 0; k < paths.size(); ++k) {
      if (k) out << ',';
      js_string(out, shown_name(paths[k]));
    }
    out << ']';
  };
  std::string version(text::kBatchVersion);
  while (!version.empty() && version.back() == '\n') version.pop_back();
  out << "\"run\":{\"version\":";
  js_string(out, version);
  out << ",\"written\":";
  js_string(out, written);
  out << ",\"note\":";
  js_string(out, text::report_scoring_note(scoring_facts(run)));
  list("paths", o.paths);
  list("bases", o.bases);
  list("olds", o.olds);
  out << '}';
}

}  // namespace

PageData page_data(const Run& run, const ReportLimits& limits, std::string_view written) {
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
  out << "{\"threshold\":" << text::six_places(o.threshold)
      << ",\"floor\":" << text::six_places(o.floor) << ",\"pairsInRun\":" << run.pairs
      << ",\"listed\":" << run.ranked.size() << ",\"suspected\":" << suspected << ',';
  write_run(out, run, written);
  out << ",\"subs\":[";
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
        if (!write_stretches(one, stretches_of(sub, shown[s], start, length), kind)) return;
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
  LineCounter lines(run.subs, run.prepared);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::size_t k = listed[i];
    place[k] = i;
    const PairScore& p = run.ranked[k];
    const std::vector<compare::Match> tiles =
        p.tiles ? tiles_of(run.prepared, p.first, p.second, o.min_match)
                : std::vector<compare::Match>{};
    // The blocks and the figures in lines are those of the tiles drawn, as
    // the evidence shows them (with the sources left out of the page, of
    // all the tiles).
    const bool both = shown[p.first].included && shown[p.second].included;
    const std::vector<DrawnTile> drawn =
        both ? drawn_tiles(run.subs[p.first], shown[p.first], run.subs[p.second], shown[p.second],
                           tiles)
             : std::vector<DrawnTile>{};
    std::vector<compare::Match> counted;
    for (const DrawnTile& t : drawn) counted.push_back(t.tile);
    const LineFigures figures = lines.figures(p.first, p.second, both ? counted : tiles);
    const std::size_t blocks = both ? drawn.size() : p.tiles;
    out << (i ? ",\n" : "\n") << "{\"r\":" << k + 1 << ",\"a\":" << p.first << ",\"b\":" << p.second
        << ",\"s\":" << text::six_places(p.score) << ",\"c\":" << text::six_places(p.coverage)
        << ",\"m\":" << text::six_places(p.similarity) << ",\"x\":" << p.matched
        << ",\"l\":" << p.longest << ",\"t\":" << blocks << ",\"n\":" << text::six_places(p.names)
        << ",\"la\":" << text::six_places(figures.first)
        << ",\"lb\":" << text::six_places(figures.second) << ",\"lk\":" << figures.longest
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
    // Tiles past the limits are cut, and said.
    std::size_t written = 0;
    const bool limited = drawn.size() > std::min(limits.pair_tiles, tiles_left);
    for (const DrawnTile& t : drawn) {
      if (written == limits.pair_tiles || tiles_left == 0) break;
      std::ostringstream a, b;
      write_stretches(a, t.first, -1);
      write_stretches(b, t.second, -1);
      out << (written ? "," : "") << '[' << t.tile.length << ',' << a.str() << ',' << b.str() << ']';
      ++written;
      --tiles_left;
    }
    out << "]" << (limited ? ",\"cut\":true" : "") << "}";
  }
  out << ']';
  // The other pairs at or above the floor, for the students' pages, in a
  // block of their own (read only when a student's page is opened): per
  // pair its two submissions and its score in thousandths, cut; ranks
  // follow from those of the pairs listed.
  std::ostringstream others;
  others << "{\"pairs\":[";
  std::size_t count = 0;
  for (std::size_t k = 0, i = 0; k < run.ranked.size() && count < limits.other_pairs; ++k) {
    if (i < listed.size() && listed[i] == k) {
      ++i;
      continue;
    }
    const PairScore& p = run.ranked[k];
    const double milli = std::floor(std::clamp(p.score, 0.0, 1.0) * 1000);
    others << (count++ ? "," : "") << p.first << ',' << p.second << ',' << static_cast<int>(milli);
  }
  others << "],\"leftOut\":" << run.ranked.size() - listed.size() - count << '}';
  // Groups, with the listed suspected pairs inside each and those that
  // link it to a submission outside.
  std::vector<Link> links;
  links.reserve(run.ranked.size());
  for (const PairScore& p : run.ranked) links.push_back({p.first, p.second, p.score});
  const auto linked = linked_groups(run.subs.size(), links, o.threshold, o.floor);
  std::vector<std::int64_t> group_of(run.subs.size(), -1);
  for (std::size_t g = 0; g < linked.size(); ++g)
    for (std::uint32_t s : linked[g]) group_of[s] = static_cast<std::int64_t>(g);
  out << ",\"groups\":[";
  for (std::size_t g = 0; g < linked.size(); ++g) {
    out << (g ? "," : "") << "{\"m\":[";
    for (std::size_t k = 0; k < linked[g].size(); ++k) out << (k ? "," : "") << linked[g][k];
    std::ostringstream inside, outside;
    bool any_in = false, any_out = false;
    for (std::size_t k : listed) {
      const PairScore& p = run.ranked[k];
      if (p.score < o.threshold) continue;
      const bool a = group_of[p.first] == static_cast<std::int64_t>(g);
      const bool b = group_of[p.second] == static_cast<std::int64_t>(g);
      if (a && b) {
        inside << (any_in ? "," : "") << place[k];
        any_in = true;
      } else if (a || b) {
        outside << (any_out ? "," : "") << place[k];
        any_out = true;
      }
    }
    out << "],\"p\":[" << inside.str() << "],\"x\":[" << outside.str() << "]}";
  }
  out << "]}";
  return {out.str(), others.str()};
}

}  // namespace batch
