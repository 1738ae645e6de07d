// Scores for pairs of submissions: template code and code common to the
// class taken out first, then every pair tiled on all cores with the same
// engine as ccsim.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "batch/common_code.h"
#include "batch/name_evidence.h"
#include "batch/submission.h"
#include "compare/greedy_tiler.h"

namespace batch {

/// A submission ready for pairing: positions in template code or in code
/// common to the class may not match, and do not count in its length.
struct Prepared {
  std::string_view text;       // the token string
  compare::TileSource source;  // for tiling: made by prepare_sources()
  bool ready = false;          // `source` is made
  std::vector<std::uint8_t> allowed;
  std::vector<compare::Match> template_tiles;
  std::vector<Span> common;
  std::size_t length = 0;     // token-string length less template and common code
  std::size_t code_length = 0;  // of which code: not the text of comments and messages
  std::uint64_t content = 0;  // a hash of the token string, to orient pairs
  NameVector names;           // empty when names are not weighed
};

/// What is taken out before pairs are tiled.
struct Preparation {
  std::string base;  // token string of the template (empty: none)
  int min_match = 8;
  CommonRule common;
  bool sources = true;  // make every tiling source at once (else: prepare_sources())
  bool names = true;    // weigh the names two submissions share
  std::vector<std::string_view> given;  // the template's sources: their names count for nothing
};

/// A pair's score. Its code: the matched total over the geometric mean of
/// the two lengths, taken as at least `guard` characters, so that a pair
/// with little code in common scores low however small the submissions
/// are. Its names then close part of what the code leaves: with name
/// agreement a, score = code + a x code x (1 - code). Names alone never
/// make a pair (no code, no score), and a copy whose names were all changed
/// keeps the score of its code.
///
/// A copy padded out (dead code, temporaries, extra output) loses against
/// the geometric mean what it keeps of the other: so the score is at least
/// how much of the shorter submission the pair matches, with the longer
/// allowed up to `padding` times the shorter's length (beyond that the
/// longer's share counts, so that one small program inside a large library
/// is no copy), less `margin`: two solutions of one exercise written apart
/// seldom share more than two thirds of the shorter, a padded copy nearly
/// all of it. padding 0: no such floor (as ccsim compares). What a large
/// library is, is told by its code alone: comments and messages added to a
/// copy pad it, they make no library of it.
struct ScoreRule {
  std::size_t guard = 100;
  double padding = 2.5;
  double margin = 0.12;
};

/// The rule a run scores by: as ccsim compares (`as_ccsim`), the code's
/// figure alone, with no floor for padded copies.
ScoreRule rule_for(bool as_ccsim);

struct PairScore {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  double score = 0;      // ranks and flags: see ScoreRule
  double coverage = 0;   // matched / the shorter length
  float similarity = 0;  // 2 * matched / (sum of lengths), single precision
  std::uint64_t matched = 0;
  std::uint32_t longest = 0;
  std::uint32_t tiles = 0;
  double names = 0;  // name agreement, in [0, 1]
};

/// Prepares every submission: template tiled out, then common code found
/// over all of them (new and old alike).
std::vector<Prepared> prepare_all(const std::vector<Submission>& subs, const Preparation& how,
                                  unsigned jobs);

/// Makes the tiling sources of the submissions marked in `needed` that
/// have none yet.
void prepare_sources(std::vector<Prepared>* prepared, const std::vector<std::uint8_t>& needed,
                     int min_match, unsigned jobs);

/// The score of a pair with `matched` characters tiled between submissions
/// of those lengths and names agreeing by `names`: never more than 1, and
/// never less for more matched or more agreement.
/// `most_code`: the larger of the two code lengths (Prepared::code_length).
double score_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
                std::size_t most_code, double names, const ScoreRule& rule);

/// The steps of score_of(): the code's figure, then the names' share of
/// what it leaves; score_of() is the larger of with_names(code_of(...),
/// names) and contained_of(...).
double code_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
               const ScoreRule& rule);
/// The floor the matched share of the shorter submission sets (ScoreRule).
double contained_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
                    std::size_t most_code, const ScoreRule& rule);
double with_names(double code, double names);

/// Tiles one pair (first < second by index, as in the output) and scores it.
PairScore score_pair(const std::vector<Prepared>& prepared, std::uint32_t first,
                     std::uint32_t second, int min_match, const ScoreRule& rule);

/// The tiles of one pair, in collapse order: `a` a position in `first`, `b`
/// in `second`. The pair is tiled in the order its contents give, so the
/// tiles are the same whichever of the two is named first.
std::vector<compare::Match> tiles_of(const std::vector<Prepared>& prepared, std::uint32_t first,
                                     std::uint32_t second, int min_match);

/// True if pair x comes before pair y when shown: score, then similarity
/// (both descending), then the two names.
bool ranks_before(const PairScore& x, const std::string& x_first, const std::string& x_second,
                  const PairScore& y, const std::string& y_first, const std::string& y_second);

/// Orders scores for showing, by ranks_before().
void rank(std::vector<PairScore>* scores, const std::vector<Submission>& subs);

}  // namespace batch
