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

// The sources of one submission as shown, and where its characters land.
struct Shown {
  bool included = false;
  std::vector<ShownFile> files;
};

// A stretch of one file's shown text: [line, column] to [end line, end
// column].
struct Stretch {
  std::uint32_t file, line, column, end_line, end_column;
  bool holds(const Stretch& o) const {
    return file == o.file && std::make_pair(line, column) <= std::make_pair(o.line, o.column) &&
           std::make_pair(o.end_line, o.end_column) <= std::make_pair(end_line, end_column);
  }
};

// The token-string characters [start, start + length) of `s` as stretches
// of source. A stretch runs forward through one file: where the tokens go
// back (statements put in one order, a loop's step after its body) a new
// one starts, and the text of comments and messages (after the code in the
// token string) is taken line by line, not as all that lies between two
// comments. Bytes past a clipped file's end are left out.
std::vector<Stretch> stretches_of(const Submission& s, const Shown& shown, std::size_t start,
                                  std::size_t length) {
  std::vector<Stretch> out;
  for (std::size_t c = start; c < start + length;) {
    const std::uint32_t f = s.char_file[c];
    const bool aside = c >= s.code_end;
    std::size_t last = c;
    while (last + 1 < start + length && s.char_file[last + 1] == f &&
           s.char_begin[last + 1] >= s.char_begin[last] &&
           !(aside && s.char_line[last + 1] != s.char_line[last]))
      ++last;
    const ShownFile& file = shown.files[f];
    const std::size_t limit = file.line_of.size() - 1;  // bytes shown
    const std::size_t begin = s.char_begin[c];
    const std::size_t end = std::min<std::size_t>(s.char_end[last], limit);
    if (begin < end)
      out.push_back(Stretch{f, static_cast<std::uint32_t>(file.line_of[begin]),
                            static_cast<std::uint32_t>(file.column_of[begin]),
                            static_cast<std::uint32_t>(file.line_of[end]),
                            static_cast<std::uint32_t>(file.column_of[end])});
    c = last + 1;
  }
  return out;
}

// Writes stretches as [file, line, column, end line, end column(, kind)]
// ranges. False if there are none.
bool write_stretches(std::ostream& out, const std::vector<Stretch>& stretches, int kind) {
  out << '[';
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    const Stretch& r = stretches[k];
    out << (k ? ",[" : "[") << r.file << ',' << r.line << ',' << r.column << ',' << r.end_line
        << ',' << r.end_column;
    if (kind >= 0) out << ',' << kind;
    out << ']';
  }
  out << ']';
  return !stretches.empty();
}

// Leaves out of `fresh` what a stretch already drawn holds (a message's
// text inside the matched code around it).
// Past a few thousand drawn the check is skipped: it costs their product.
void drop_drawn(std::vector<Stretch>* fresh, std::vector<Stretch>* drawn) {
  if (drawn->size() > 4096) return;
  std::vector<Stretch> kept;
  for (const Stretch& r : *fresh) {
    bool held = false;
    for (const Stretch& d : *drawn) held = held || d.holds(r);
    if (!held) kept.push_back(r);
  }
  *fresh = std::move(kept);
}

std::string hex(std::uint64_t v) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// A line of a submission: its file and its 1-based line there.
std::uint64_t line_key(const Submission& s, std::size_t c) {
  return (static_cast<std::uint64_t>(s.char_file[c]) << 32) | s.char_line[c];
}

// Lines of a pair in a teacher's terms: the share of each side's own lines
// (those holding code that counts: neither template nor common) that lie in
// matched blocks, and the longest block in lines (of its shorter side).
struct LineFigures {
  double first = 0, second = 0;
  std::size_t longest = 0;
};

class LineCounter {
 public:
  explicit LineCounter(const Run& run) : run_(run), own_(run.subs.size(), -1) {}

  LineFigures figures(const PairScore& p, const std::vector<compare::Match>& tiles) {
    LineFigures out;
    std::vector<std::uint64_t> all_a, all_b;
    for (const compare::Match& m : tiles) {
      const std::size_t a = lines_of(p.first, m.a, m.length, &all_a);
      const std::size_t b = lines_of(p.second, m.b, m.length, &all_b);
      out.longest = std::max(out.longest, std::min(a, b));
    }
    out.first = share(distinct(&all_a), own(p.first));
    out.second = share(distinct(&all_b), own(p.second));
    return out;
  }

 private:
  static std::size_t distinct(std::vector<std::uint64_t>* keys) {
    std::sort(keys->begin(), keys->end());
    return static_cast<std::size_t>(std::unique(keys->begin(), keys->end()) - keys->begin());
  }
  static double share(std::size_t part, std::size_t whole) {
    return whole == 0 ? 0 : std::min(1.0, static_cast<double>(part) / static_cast<double>(whole));
  }
  // The distinct lines of characters [start, start + length) of code, also
  // added to `all`.
  std::size_t lines_of(std::uint32_t k, std::size_t start, std::size_t length,
                       std::vector<std::uint64_t>* all) const {
    const Submission& s = run_.subs[k];
    const std::size_t end = std::min(start + length, s.code_end);
    std::vector<std::uint64_t> keys;
    for (std::size_t c = start; c < end; ++c) keys.push_back(line_key(s, c));
    all->insert(all->end(), keys.begin(), keys.end());
    return distinct(&keys);
  }
  std::size_t own(std::uint32_t k) {
    if (own_[k] >= 0) return static_cast<std::size_t>(own_[k]);
    const Submission& s = run_.subs[k];
    const std::vector<std::uint8_t>& allowed = run_.prepared[k].allowed;
    std::vector<std::uint64_t> keys;
    for (std::size_t c = 0; c < s.code_end && c < allowed.size(); ++c)
      if (allowed[c]) keys.push_back(line_key(s, c));
    own_[k] = static_cast<std::int64_t>(distinct(&keys));
    return static_cast<std::size_t>(own_[k]);
  }

  const Run& run_;
  std::vector<std::int64_t> own_;
};

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
  js_string(out, text::scoring_note(scoring_facts(run)));
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
  LineCounter lines(run);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::size_t k = listed[i];
    place[k] = i;
    const PairScore& p = run.ranked[k];
    const std::vector<compare::Match> tiles =
        p.tiles ? tiles_of(run.prepared, p.first, p.second, o.min_match)
                : std::vector<compare::Match>{};
    const LineFigures figures = lines.figures(p, tiles);
    out << (i ? ",\n" : "\n") << "{\"r\":" << k + 1 << ",\"a\":" << p.first << ",\"b\":" << p.second
        << ",\"s\":" << text::six_places(p.score) << ",\"c\":" << text::six_places(p.coverage)
        << ",\"m\":" << text::six_places(p.similarity) << ",\"x\":" << p.matched
        << ",\"l\":" << p.longest << ",\"t\":" << p.tiles << ",\"n\":" << text::six_places(p.names)
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
    const bool both = shown[p.first].included && shown[p.second].included;
    // Tiles cut by the limits are said; one whose characters stand for no
    // source bytes, or for none a longer tile has not marked, is passed over.
    std::size_t drawn = 0;
    bool limited = false;
    std::vector<Stretch> drawn_a, drawn_b;
    for (const compare::Match& m : tiles) {
      if (!both) break;
      if (drawn >= limits.pair_tiles || tiles_left == 0) {
        limited = true;
        break;
      }
      std::vector<Stretch> in_a = stretches_of(run.subs[p.first], shown[p.first], m.a, m.length);
      std::vector<Stretch> in_b = stretches_of(run.subs[p.second], shown[p.second], m.b, m.length);
      drop_drawn(&in_a, &drawn_a);
      drop_drawn(&in_b, &drawn_b);
      if (in_a.empty() || in_b.empty()) continue;
      drawn_a.insert(drawn_a.end(), in_a.begin(), in_a.end());
      drawn_b.insert(drawn_b.end(), in_b.begin(), in_b.end());
      std::ostringstream a, b;
      write_stretches(a, in_a, -1);
      write_stretches(b, in_b, -1);
      out << (drawn ? "," : "") << '[' << m.length << ',' << a.str() << ',' << b.str() << ']';
      ++drawn;
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
