// Table, CSV and JSON writers.
#include "batch/formats.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "batch/names.h"
#include "text/batch_results.h"

namespace batch {

std::size_t suspected_count(const Run& run) {
  return static_cast<std::size_t>(
      std::count_if(run.ranked.begin(), run.ranked.end(),
                    [&](const PairScore& p) { return p.score >= run.options.threshold; }));
}

namespace {

std::size_t common_cutoff_of(const Run& run) {
  return common_cutoff(run.options.common, run.subs.size());
}

}  // namespace

std::string score_name(const Options& o) {
  const ScoreRule rule = rule_for(o.as_ccsim);
  return text::score_formula(rule.guard, o.names, rule.padding, rule.margin);
}

std::string csv_field(const std::string& raw) {
  std::string s = formula_guarded(shown_name(raw));
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

text::ScoringFacts scoring_facts(const Run& run) {
  const Options& o = run.options;
  text::ScoringFacts f;
  f.threshold = o.threshold;
  f.floored = !o.all_pairs;
  f.floor = o.floor;
  f.min_match = o.min_match;
  f.templated = !o.bases.empty();
  const std::size_t cutoff = common_cutoff_of(run);
  f.common_cutoff = cutoff > run.subs.size() ? 0 : cutoff;
  f.names = o.names;
  return f;
}

Listing listing_of(const Run& run) {
  Listing l;
  l.submissions = run.subs.size();
  l.skipped = run.skipped.size();
  l.pairs = run.pairs;
  l.threshold = run.options.threshold;
  l.note = text::scoring_note(scoring_facts(run));
  l.json_head = json_head(run);
  l.json_class = json_class(run);
  l.count = run.ranked.size();
  l.first = [&run](std::size_t k) -> const std::string& {
    return run.subs[run.ranked[k].first].name;
  };
  l.second = [&run](std::size_t k) -> const std::string& {
    return run.subs[run.ranked[k].second].name;
  };
  l.pair = [&run](std::size_t k) -> const PairScore& { return run.ranked[k]; };
  // Tiles only for the pairs asked for: listing every pair's tiles made JSON
  // of a large class run to gigabytes.
  l.tile_list = [&run](std::size_t k) {
    const PairScore& p = run.ranked[k];
    const JsonTiles which = run.options.json_tiles;
    if (which == JsonTiles::kNone ||
        (which == JsonTiles::kSuspected && p.score < run.options.threshold))
      return std::string("[]");
    return json_tile_list(run, p);
  };
  return l;
}

std::size_t suspected_count(const Listing& l) {
  std::size_t n = 0;
  for (std::size_t k = 0; k < l.count; ++k) n += l.pair(k).score >= l.threshold ? 1 : 0;
  return n;
}

void write_table(std::ostream& out, const Listing& l, int top) {
  out << text::table_summary(l.submissions, l.skipped, l.pairs, suspected_count(l), l.note);
  const std::size_t shown = std::min(l.count, static_cast<std::size_t>(std::max(top, 0)));
  if (shown == 0) return;
  std::size_t width = 5;
  for (std::size_t k = 0; k < shown; ++k) width = std::max(width, columns(shown_name(l.first(k))));
  out << text::table_heading(width);
  char line[256];
  for (std::size_t k = 0; k < shown; ++k) {
    const PairScore& p = l.pair(k);
    std::snprintf(line, sizeof line, "%4zu  %5s  %8s  %10.6f  %7llu  %7u  %5u  %5s  ", k + 1,
                  text::three_places(p.score).c_str(), text::three_places(p.coverage).c_str(),
                  static_cast<double>(p.similarity), static_cast<unsigned long long>(p.matched),
                  p.longest, p.tiles, text::three_places(p.names).c_str());
    const std::string first = shown_name(l.first(k));
    out << line << first << std::string(width - std::min(width, columns(first)) + 2, ' ')
        << shown_name(l.second(k));
    if (p.score >= l.threshold) out << text::kSuspectedMark;
    out << '\n';
  }
  if (shown < l.count) out << text::more_pairs(l.count - shown);
}

void write_csv(std::ostream& out, const Listing& l) {
  out << "first,second,score,coverage,similarity,matched,longest,tiles,names\n";
  for (std::size_t k = 0; k < l.count; ++k) {
    const PairScore& p = l.pair(k);
    out << csv_field(l.first(k)) << ',' << csv_field(l.second(k)) << ','
        << text::six_places(p.score) << ',' << text::six_places(p.coverage) << ','
        << text::six_places(p.similarity) << ',' << p.matched << ',' << p.longest << ',' << p.tiles
        << ',' << text::six_places(p.names) << '\n';
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

std::string json_head(const Run& run) {
  const Options& o = run.options;
  const std::size_t cutoff = common_cutoff_of(run);
  std::ostringstream out;
  out << "{\"score\":" << json_string(score_name(o))
      << ",\"threshold\":" << text::six_places(o.threshold) << ",\"min_match\":" << o.min_match
      << ",\"common_in_at_least\":";
  if (cutoff > run.subs.size())
    out << "null";
  else
    out << cutoff;
  out << ",\"floor\":";
  if (o.all_pairs)
    out << "null";
  else
    out << text::six_places(o.floor);
  return out.str();
}

std::string json_class(const Run& run) {
  std::ostringstream out;
  out << "\"submissions\":[";
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
  out << "]";
  return out.str();
}

std::string json_tile_list(const Run& run, const PairScore& p) {
  // Tiles are found again here rather than kept from scoring: keeping them
  // for every pair would make memory grow with the number of pairs.
  const std::vector<compare::Match> tiles =
      p.tiles ? tiles_of(run.prepared, p.first, p.second, run.options.min_match)
              : std::vector<compare::Match>{};
  const Submission& a = run.subs[p.first];
  const Submission& b = run.subs[p.second];
  std::ostringstream out;
  out << "[";
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    out << (t ? "," : "") << "{\"length\":" << tiles[t].length << ",\"first\":";
    write_spot(out, a, tiles[t].a, tiles[t].length);
    out << ",\"second\":";
    write_spot(out, b, tiles[t].b, tiles[t].length);
    out << "}";
  }
  out << "]";
  return out.str();
}

void write_json(std::ostream& out, const Listing& l) {
  out << l.json_head << ",\"pairs_in_run\":" << l.pairs
      << ",\"pairs_below_floor\":" << l.pairs - l.count << "," << l.json_class << ",\"pairs\":[";
  for (std::size_t k = 0; k < l.count; ++k) {
    const PairScore& p = l.pair(k);
    out << (k ? ",\n" : "\n") << "{\"first\":" << json_string(l.first(k))
        << ",\"second\":" << json_string(l.second(k)) << ",\"score\":" << text::six_places(p.score)
        << ",\"coverage\":" << text::six_places(p.coverage)
        << ",\"similarity\":" << text::six_places(p.similarity) << ",\"matched\":" << p.matched
        << ",\"longest\":" << p.longest << ",\"tiles\":" << p.tiles
        << ",\"names\":" << text::six_places(p.names)
        << ",\"suspected\":" << (p.score >= l.threshold ? "true" : "false")
        << ",\"tile_list\":" << l.tile_list(k) << "}";
  }
  out << "\n]}\n";
}

}  // namespace batch
