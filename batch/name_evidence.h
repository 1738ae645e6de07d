// The names a copy tends to keep: identifiers, the texts of string literals
// and the words of comments. Token strings lose them (every identifier is
// the same character there), yet two students who write the same program
// on their own rarely pick the same rare names or print the same message
// word for word. A name counts by how rare it is in the class: one that
// every submission has (main's arguments, "Case #%d: ") counts for nothing,
// as common code does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// A submission's names, each weighted by how often it uses them and how
/// rare they are in the class, scaled to length 1 (the names no other
/// submission uses are then left out); by name id, ascending.
struct NameVector {
  std::vector<std::uint32_t> ids;
  std::vector<float> weights;
  std::vector<std::uint64_t> keys;  // of the names, to find them again for the evidence
  double reach = 0;  // the length of `weights`, slightly over: no agreement exceeds reach x reach
};

/// The names of one source text, each prefixed by its kind: "i:" an
/// identifier that is no keyword, "s:" a string literal with its quotes,
/// "c:" a word of a comment (ASCII letters in lower case; a run of bytes
/// above 0x7F is a word, so that Chinese comments count too).
std::vector<std::string> names_in(std::string_view source);

/// The name vectors of `subs`, against the class they make: a name's weight
/// is (1 + ln uses) x ln(submissions / submissions using it). Names found
/// in `given` (the template's sources) count for nothing.
std::vector<NameVector> name_vectors(const std::vector<Submission>& subs,
                                     const std::vector<std::string_view>& given, unsigned jobs);

/// The names that weigh most in the agreement of `a` and `b` (with their
/// vectors `x` and `y`), at most `most` of them, heaviest first.
std::vector<std::string> shared_names(const Submission& a, const NameVector& x, const Submission& b,
                                      const NameVector& y, std::size_t most);

/// A name as its source has it: an identifier or a literal as it is, a
/// comment word after "// "; cut to `longest` bytes (at a character's start)
/// and marked with an ellipsis when longer.
std::string name_as_written(std::string_view name, std::size_t longest);

/// How far two submissions share their rare names: the cosine of their
/// vectors, in [0, 1] (0 when either has none).
double name_agreement(const NameVector& x, const NameVector& y);

/// One submission's names laid out by id, to weigh its agreement with many
/// others in turn: agreement(y) is exactly name_agreement(x, y).
class SpreadNames {
 public:
  void spread(const NameVector& x);
  double agreement(const NameVector& y) const;
  void clear();  // back to no names, its memory kept

 private:
  std::vector<float> weight_;  // by id; 0 for names x lacks
  const NameVector* spread_ = nullptr;
};

}  // namespace batch
