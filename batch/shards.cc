// Writing a slice's shard file, and reading and joining all of them.
#include "batch/shards.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>

#include "batch/names.h"
#include "platform/file.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

// 2: scores of the batch tokens; 3: their statements in one order, and
// comments no longer counted as a larger program
constexpr char kMagic[] = "ccsim-batch shard 4";

std::string escaped(const std::string& s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7e || c == '%') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool unescaped(const std::string& s, std::string* out) {
  out->clear();
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] != '%') {
      *out += s[k];
      continue;
    }
    if (k + 2 >= s.size()) return false;
    const std::string hex = s.substr(k + 1, 2);
    if (!std::isxdigit(static_cast<unsigned char>(hex[0])) ||
        !std::isxdigit(static_cast<unsigned char>(hex[1])))
      return false;
    *out += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
    k += 2;
  }
  return true;
}

std::string exact(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%a", v);
  return buf;
}

// A share in [0, 1]: every figure a shard holds (the threshold, a pair's
// score, coverage and similarity) is one.
bool to_share(const std::string& s, double* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  *v = std::strtod(s.c_str(), &end);
  return *end == '\0' && *v >= 0 && *v <= 1;
}

template <typename Int>
bool to_count(const std::string& s, Int* v) {
  if (s.empty() || s.size() > 20 || s.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long long n = std::strtoull(s.c_str(), nullptr, 10);
  *v = static_cast<Int>(n);
  return static_cast<unsigned long long>(*v) == n;
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ' ');) fields.push_back(f);
  return fields;
}

// The most pairs a class of `n` submissions has (new and old alike).
std::uint64_t most_pairs(std::uint64_t n) {
  if (n < 2) return 0;
  const std::uint64_t a = n % 2 == 0 ? n / 2 : n;
  const std::uint64_t b = n % 2 == 0 ? n - 1 : (n - 1) / 2;
  return a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

// One shard file as read.
struct Part {
  unsigned shard = 0, shards = 0;
  Listing head;
};

}  // namespace

void write_shard(std::ostream& out, const Listing& l, unsigned shard, unsigned shards) {
  out << kMagic << "\npart " << shard + 1 << ' ' << shards << "\nsubmissions " << l.submissions
      << " skipped " << l.skipped << "\npairs " << l.pairs << "\nthreshold " << exact(l.threshold)
      << "\nnote " << escaped(l.note) << "\njson-head " << escaped(l.json_head) << "\njson-class "
      << escaped(l.json_class) << '\n';
  for (std::size_t k = 0; k < l.count; ++k) {
    const PairScore& p = l.pair(k);
    out << "pair " << escaped(l.first(k)) << ' ' << escaped(l.second(k)) << ' ' << exact(p.score)
        << ' ' << exact(p.coverage) << ' ' << exact(p.similarity) << ' ' << p.matched << ' '
        << p.longest << ' ' << p.tiles << ' ' << exact(p.names) << ' ' << escaped(l.tile_list(k))
        << '\n';
  }
  out << "end " << l.count << '\n';
}

bool Merged::read(const std::vector<std::string>& paths, std::string* error) {
  std::vector<bool> seen;
  std::set<std::pair<std::string, std::string>> listed_pairs;
  for (const std::string& path : paths) {
    auto fail = [&](std::string_view why) {
      *error = shown_name(path) + ": " + std::string(why);
      return false;
    };
    // Regular files only: a FIFO named by mistake must not hang the merge.
    std::string whole;
    if (!platform::read_file(path, &whole)) return fail(text::kCannotBeRead);
    std::istringstream in(whole);
    std::string line;
    if (!std::getline(in, line) || line != kMagic) return fail(text::kNotAShard);
    // A file cut short ends before its last line: anything read from it is
    // not to be trusted.
    const std::size_t last = whole.rfind('\n', whole.size() >= 2 ? whole.size() - 2 : 0);
    if (whole.back() != '\n' || last == std::string::npos ||
        whole.compare(last + 1, 4, "end ") != 0)
      return fail(text::kShardDamaged);
    Part part;
    std::vector<std::string> f;
    auto next = [&](const char* key, std::size_t count) {
      if (!std::getline(in, line)) return false;
      f = fields_of(line);
      return f.size() == count && f[0] == key;
    };
    double threshold = 0;
    std::string note, json_head, json_class;
    if (!next("part", 3) || !to_count(f[1], &part.shard) || !to_count(f[2], &part.shards) ||
        part.shards == 0 || part.shard == 0 || part.shard > part.shards ||
        !next("submissions", 4) || !to_count(f[1], &part.head.submissions) || f[2] != "skipped" ||
        !to_count(f[3], &part.head.skipped) || !next("pairs", 2) ||
        !to_count(f[1], &part.head.pairs) || !next("threshold", 2) || !to_share(f[1], &threshold) ||
        !next("note", 2) || !unescaped(f[1], &note) || !next("json-head", 2) ||
        !unescaped(f[1], &json_head) || !next("json-class", 2) || !unescaped(f[1], &json_class))
      return fail(text::kShardDamaged);
    part.head.threshold = threshold;
    part.head.note = note;
    part.head.json_head = json_head;
    part.head.json_class = json_class;
    // Every slice must come from the same class, read and scored alike.
    if (seen.empty()) {
      seen.assign(part.shards, false);
      head_ = part.head;
      head_.pairs = 0;
    } else if (part.shards != seen.size() || part.head.submissions != head_.submissions ||
               part.head.skipped != head_.skipped || part.head.threshold != head_.threshold ||
               part.head.note != head_.note || part.head.json_head != head_.json_head ||
               part.head.json_class != head_.json_class) {
      return fail(text::kShardOfAnotherRun);
    }
    if (seen[part.shard - 1]) return fail(text::kShardTwice);
    seen[part.shard - 1] = true;
    // The slices' counts add up to the class's pairs at most: a count of
    // 2^64 - 1 wrapped the sum round.
    const std::uint64_t most = most_pairs(head_.submissions);
    if (part.head.pairs > most - head_.pairs) return fail(text::kShardDamaged);
    head_.pairs += part.head.pairs;
    std::size_t listed = 0;
    bool ended = false;
    while (!ended && std::getline(in, line)) {
      f = fields_of(line);
      if (f.size() == 2 && f[0] == "end") {
        std::size_t count = 0;
        if (!to_count(f[1], &count) || count != listed || listed > part.head.pairs)
          return fail(text::kShardDamaged);
        ended = true;
        continue;
      }
      Pair p;
      double similarity = 0;
      if (f.size() != 11 || f[0] != "pair" || !unescaped(f[1], &p.first) ||
          !unescaped(f[2], &p.second) || !to_share(f[3], &p.score.score) ||
          !to_share(f[4], &p.score.coverage) || !to_share(f[5], &similarity) ||
          !to_count(f[6], &p.score.matched) || !to_count(f[7], &p.score.longest) ||
          !to_count(f[8], &p.score.tiles) || !to_share(f[9], &p.score.names) ||
          !unescaped(f[10], &p.tile_list))
        return fail(text::kShardDamaged);
      p.score.similarity = static_cast<float>(similarity);
      // A pair is listed once, by one slice.
      if (!listed_pairs.insert(std::minmax(p.first, p.second)).second)
        return fail(text::kShardDamaged);
      pairs_.push_back(std::move(p));
      ++listed;
    }
    if (!ended || std::getline(in, line)) return fail(text::kShardDamaged);
  }
  if (std::find(seen.begin(), seen.end(), false) != seen.end()) {
    *error = text::shards_missing(
        seen.size() - static_cast<std::size_t>(std::count(seen.begin(), seen.end(), true)),
        seen.size());
    return false;
  }
  std::sort(pairs_.begin(), pairs_.end(), [](const Pair& x, const Pair& y) {
    return ranks_before(x.score, x.first, x.second, y.score, y.first, y.second);
  });
  return true;
}

Listing Merged::listing() const {
  Listing l = head_;
  l.count = pairs_.size();
  l.first = [this](std::size_t k) -> const std::string& { return pairs_[k].first; };
  l.second = [this](std::size_t k) -> const std::string& { return pairs_[k].second; };
  l.pair = [this](std::size_t k) -> const PairScore& { return pairs_[k].score; };
  l.tile_list = [this](std::size_t k) { return pairs_[k].tile_list; };
  return l;
}

}  // namespace batch
