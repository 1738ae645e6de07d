// Table, CSV and JSON writers.
#include "batch/formats.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "batch/names.h"

namespace batch {

std::size_t suspected_count(const Run& run) {
  return static_cast<std::size_t>(
      std::count_if(run.ranked.begin(), run.ranked.end(),
                    [&](const PairScore& p) { return p.score >= run.options.threshold; }));
}

std::string score_name() {
  return "matched / max(sqrt(length1 x length2), " + std::to_string(ScoreRule{}.guard) + ")";
}

std::string shortest(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string fixed6(double v) {
  char buf[64];
  const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6).ptr;
  return std::string(buf, end);
}

std::string csv_field(const std::string& raw) {
  const std::string s = formula_guarded(shown_name(raw));
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string json_quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string json_string(const std::string& raw) { return json_quote(shown_name(raw)); }

std::size_t common_cutoff_of(const Run& run) {
  return common_cutoff(run.options.common, run.subs.size());
}

std::string scoring_note(const Run& run) {
  const Options& o = run.options;
  std::string s = "score >= " + shortest(o.threshold) + ", ";
  if (!o.all_pairs) s += "pairs below " + shortest(o.floor) + " counted only, ";
  s += "runs over " +
                  std::to_string(o.min_match) + " characters, ";
  const std::size_t cutoff = common_cutoff_of(run);
  s += cutoff > run.subs.size()
           ? std::string("no common code left out")
           : "code in " + std::to_string(cutoff) + " or more submissions left out";
  return s;
}

void write_table(std::ostream& out, const Run& run) {
  const Options& o = run.options;
  out << run.subs.size() << " submissions, ";
  if (!run.skipped.empty()) out << run.skipped.size() << " skipped, ";
  out << run.pairs << " pairs, " << suspected_count(run) << " suspected ("
      << scoring_note(run) << ")\n";
  const std::size_t shown =
      std::min(run.ranked.size(), static_cast<std::size_t>(std::max(o.top, 0)));
  if (shown == 0) return;
  std::size_t width = 5;
  for (std::size_t k = 0; k < shown; ++k)
    width = std::max(width, shown_name(run.subs[run.ranked[k].first].name).size());
  char line[256];
  std::snprintf(line, sizeof line, "%4s  %5s  %8s  %10s  %7s  %7s  %5s  ", "rank", "score",
                "coverage", "similarity", "matched", "longest", "tiles");
  out << line << "first" << std::string(width - 5 + 2, ' ') << "second\n";
  for (std::size_t k = 0; k < shown; ++k) {
    const PairScore& p = run.ranked[k];
    std::snprintf(line, sizeof line, "%4zu  %5.3f  %8.3f  %10.6f  %7llu  %7u  %5u  ", k + 1,
                  p.score, p.coverage, static_cast<double>(p.similarity),
                  static_cast<unsigned long long>(p.matched), p.longest, p.tiles);
    const std::string first = shown_name(run.subs[p.first].name);
    out << line << first << std::string(width - std::min(width, first.size()) + 2, ' ')
        << shown_name(run.subs[p.second].name);
    if (p.score >= o.threshold) out << "  suspected";
    out << '\n';
  }
  if (shown < run.ranked.size())
    out << "(" << run.ranked.size() - shown << " more pairs: --top, --format csv)\n";
}

void write_csv(std::ostream& out, const Run& run) {
  out << "first,second,score,coverage,similarity,matched,longest,tiles\n";
  for (const PairScore& p : run.ranked) {
    out << csv_field(run.subs[p.first].name) << ',' << csv_field(run.subs[p.second].name) << ','
        << fixed6(p.score) << ',' << fixed6(p.coverage) << ',' << fixed6(p.similarity) << ','
        << p.matched << ',' << p.longest << ',' << p.tiles << '\n';
  }
}

namespace {

void write_spot(std::ostream& out, const Submission& s, std::size_t start, std::size_t length) {
  const SourceSpot first = locate(s, start);
  const SourceSpot last = locate(s, start + length - 1);
  // A submission of several files is one token string: a run may go on
  // from one file into the next.
  out << "{\"at\":" << start << ",\"file\":" << json_string(s.files[first.file].path)
      << ",\"line\":" << first.line << ",\"end_file\":" << json_string(s.files[last.file].path)
      << ",\"end_line\":" << last.line << "}";
}

}  // namespace

void write_json(std::ostream& out, const Run& run) {
  const Options& o = run.options;
  const std::size_t cutoff = common_cutoff_of(run);
  out << "{\"score\":" << json_string(score_name()) << ",\"threshold\":" << fixed6(o.threshold)
      << ",\"min_match\":" << o.min_match << ",\"common_in_at_least\":";
  if (cutoff > run.subs.size())
    out << "null";
  else
    out << cutoff;
  out << ",\"floor\":";
  if (o.all_pairs)
    out << "null";
  else
    out << fixed6(o.floor);
  out << ",\"pairs_in_run\":" << run.pairs << ",\"pairs_below_floor\":"
      << run.pairs - run.ranked.size() << ",\"submissions\":[";
  for (std::size_t k = 0; k < run.subs.size(); ++k) {
    out << (k ? "," : "") << "{\"name\":" << json_string(run.subs[k].name)
        << ",\"old\":" << (k >= run.fresh ? "true" : "false")
        << ",\"length\":" << run.prepared[k].length
        << ",\"raw\":" << json_quote(escaped_bytes(run.subs[k].name)) << "}";
  }
  out << "],\"skipped\":[";
  for (std::size_t k = 0; k < run.skipped.size(); ++k)
    out << (k ? "," : "") << "{\"path\":" << json_string(run.skipped[k].path)
        << ",\"reason\":" << json_string(run.skipped[k].reason)
        << ",\"raw\":" << json_quote(escaped_bytes(run.skipped[k].path)) << "}";
  out << "],\"pairs\":[";
  for (std::size_t k = 0; k < run.ranked.size(); ++k) {
    const PairScore& p = run.ranked[k];
    const Submission& a = run.subs[p.first];
    const Submission& b = run.subs[p.second];
    out << (k ? ",\n" : "\n") << "{\"first\":" << json_string(a.name)
        << ",\"second\":" << json_string(b.name) << ",\"score\":" << fixed6(p.score)
        << ",\"coverage\":" << fixed6(p.coverage) << ",\"similarity\":" << fixed6(p.similarity)
        << ",\"matched\":" << p.matched << ",\"longest\":" << p.longest << ",\"tiles\":" << p.tiles
        << ",\"suspected\":" << (p.score >= o.threshold ? "true" : "false") << ",\"tile_list\":[";
    // Tiles are found again here rather than kept from scoring: keeping them
    // for every pair would make memory grow with the number of pairs.
    const std::vector<compare::Match> tiles =
        p.tiles ? tiles_of(run.prepared, p.first, p.second, o.min_match)
                : std::vector<compare::Match>{};
    for (std::size_t t = 0; t < tiles.size(); ++t) {
      out << (t ? "," : "") << "{\"length\":" << tiles[t].length << ",\"first\":";
      write_spot(out, a, tiles[t].a, tiles[t].length);
      out << ",\"second\":";
      write_spot(out, b, tiles[t].b, tiles[t].length);
      out << "}";
    }
    out << "]}";
  }
  out << "\n]}\n";
}

}  // namespace batch
