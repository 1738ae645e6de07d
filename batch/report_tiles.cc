// drawn_tiles() and the figures in lines: what the report marks of a pair.
#include "batch/report_tiles.h"

#include <algorithm>
#include <utility>

namespace batch {

bool Stretch::holds(const Stretch& o) const {
  return file == o.file && std::make_pair(line, column) <= std::make_pair(o.line, o.column) &&
         std::make_pair(o.end_line, o.end_column) <= std::make_pair(end_line, end_column);
}

// A stretch runs forward through one file: where the tokens go back
// (statements put in one order, a loop's step after its body) a new one
// starts, and the text of comments and messages (after the code in the
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

namespace {

// Leaves out of `fresh` what a stretch already drawn holds. Past a few
// thousand drawn the check is skipped: it costs their product.
void drop_drawn(std::vector<Stretch>* fresh, const std::vector<Stretch>& drawn) {
  if (drawn.size() > 4096) return;
  std::vector<Stretch> kept;
  for (const Stretch& r : *fresh) {
    bool held = false;
    for (const Stretch& d : drawn) held = held || d.holds(r);
    if (!held) kept.push_back(r);
  }
  *fresh = std::move(kept);
}

// A line of a submission: its file and its 1-based line there.
std::uint64_t line_key(const Submission& s, std::size_t c) {
  return (static_cast<std::uint64_t>(s.char_file[c]) << 32) | s.char_line[c];
}

std::size_t distinct(std::vector<std::uint64_t>* keys) {
  std::sort(keys->begin(), keys->end());
  return static_cast<std::size_t>(std::unique(keys->begin(), keys->end()) - keys->begin());
}

double share(std::size_t part, std::size_t whole) {
  return whole == 0 ? 0 : std::min(1.0, static_cast<double>(part) / static_cast<double>(whole));
}

}  // namespace

std::vector<DrawnTile> drawn_tiles(const Submission& first, const Shown& first_shown,
                                   const Submission& second, const Shown& second_shown,
                                   const std::vector<compare::Match>& tiles) {
  std::vector<DrawnTile> out;
  std::vector<Stretch> drawn_first, drawn_second;
  for (const compare::Match& m : tiles) {
    DrawnTile t{m, stretches_of(first, first_shown, m.a, m.length),
                stretches_of(second, second_shown, m.b, m.length)};
    drop_drawn(&t.first, drawn_first);
    drop_drawn(&t.second, drawn_second);
    if (t.first.empty() || t.second.empty()) continue;
    drawn_first.insert(drawn_first.end(), t.first.begin(), t.first.end());
    drawn_second.insert(drawn_second.end(), t.second.begin(), t.second.end());
    out.push_back(std::move(t));
  }
  return out;
}

LineFigures LineCounter::figures(std::uint32_t first, std::uint32_t second,
                                 const std::vector<compare::Match>& tiles) {
  LineFigures out;
  std::vector<std::uint64_t> all_first, all_second;
  for (const compare::Match& m : tiles) {
    const std::size_t a = lines_of(first, m.a, m.length, &all_first);
    const std::size_t b = lines_of(second, m.b, m.length, &all_second);
    out.longest = std::max(out.longest, std::min(a, b));
  }
  out.first = share(distinct(&all_first), own(first));
  out.second = share(distinct(&all_second), own(second));
  return out;
}

// The distinct lines of characters [start, start + length) of code, also
// added to `all`.
std::size_t LineCounter::lines_of(std::uint32_t k, std::size_t start, std::size_t length,
                                  std::vector<std::uint64_t>* all) const {
  const Submission& s = subs_[k];
  const std::size_t end = std::min(start + length, s.code_end);
  std::vector<std::uint64_t> keys;
  for (std::size_t c = start; c < end; ++c) keys.push_back(line_key(s, c));
  all->insert(all->end(), keys.begin(), keys.end());
  return distinct(&keys);
}

std::size_t LineCounter::own(std::uint32_t k) {
  if (own_[k] >= 0) return static_cast<std::size_t>(own_[k]);
  const Submission& s = subs_[k];
  const std::vector<std::uint8_t>& allowed = prepared_[k].allowed;
  std::vector<std::uint64_t> keys;
  for (std::size_t c = 0; c < s.code_end && c < allowed.size(); ++c)
    if (allowed[c]) keys.push_back(line_key(s, c));
  own_[k] = static_cast<std::int64_t>(distinct(&keys));
  return static_cast<std::size_t>(own_[k]);
}

}  // namespace batch
